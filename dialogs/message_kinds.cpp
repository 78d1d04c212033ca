#include "dialogs/message_kinds.h"

#include "platform/exception.h"
#include "shell/application.h"

namespace {
void CheckKind(TMessageKind kind) {
    if (kind > MsgCustom) throw Exception(FormatMessage("Invalid message kind %d", int(kind)));
}
}  // namespace

std::string MessageKindTitle(TMessageKind kind) {
    CheckKind(kind);
    static const char* const titles[] = {"Warning", "Error", "Information", "Confirm"};
    if (kind == MsgCustom) return Application ? Application->AppTitle() : std::string();
    return titles[kind];
}

std::optional<TStandardIcon> MessageKindIcon(TMessageKind kind) {
    CheckKind(kind);
    static const TStandardIcon icons[] = {TStandardIcon::Warning, TStandardIcon::Error, TStandardIcon::Information,
                                          TStandardIcon::Question};
    if (kind == MsgCustom) return std::nullopt;
    return icons[kind];
}
