#pragma once
// The reason that follows "Unable to write to <path>." in a window's message.
#include <string>

#include "encoding/locale_info.h"
#include "engine/ini_failure.h"

// Chinese where the messages locale's language is Chinese, the engine's English otherwise; in
// UTF-8. systemError is the errno of the failing call, for IniFailure::SystemError.
std::string WriteFailureReason(IniFailure failure, int systemError, TLocaleId messagesLocale);
