#pragma once
// What a window says of a failed write: "Unable to write to <path>. <reason>".
#include <string>

#include "encoding/locale_info.h"
#include "engine/ini_failure.h"

// Chinese where the messages locale's language is Chinese, the engine's English otherwise; in
// UTF-8. systemError is the errno of the failing call, for IniFailure::SystemError.
std::string WriteFailureReason(IniFailure failure, int systemError, TLocaleId messagesLocale);

// The whole message, in the locale's code page, with the path as it was given.
std::string WriteFailureMessage(const std::string& path, IniFailure failure, int systemError = 0);
