#pragma once
// The reason that follows "Unable to write to <path>." in a window's message.
#include <string>

#include "platform/locale_info.h"
#include "platform/profile/profile_failure.h"

// Chinese where the messages locale's language is Chinese, the engine's English otherwise; in
// UTF-8. systemError is the errno of the failing call, for ProfileFailure::SystemError.
std::string WriteFailureReason(ProfileFailure failure, int systemError, TLocaleId messagesLocale);
