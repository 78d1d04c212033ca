#pragma once
// The kinds of message a message dialog shows: each has a title and, but the custom one, an
// icon.
#include <cstdint>
#include <optional>
#include <string>

#include "ui/image.h"

enum TMessageKind : uint8_t { MsgWarning = 0, MsgError = 1, MsgInformation = 2, MsgConfirmation = 3, MsgCustom = 4 };

// The window title; the application's title for MsgCustom.
std::string MessageKindTitle(TMessageKind kind);
// The desktop icon of the kind; nullopt for MsgCustom.
std::optional<TStandardIcon> MessageKindIcon(TMessageKind kind);
