#include "ui/typed_text.h"

#include <QToolTip>
#include <QWidget>

#include <climits>

#include "encoding/code_page_conversion.h"
#include "platform/display_text.h"
#include "encoding/encodings.h"
#include "ui/edit.h"

namespace {

// The stretch that an edit replaced: the common start and end of the two texts.
struct Change {
    qsizetype start;
    qsizetype removedEnd;   // in before
    qsizetype insertedEnd;  // in after
};

Change ChangeBetween(const QString& before, const QString& after) {
    qsizetype start = 0;
    while (start < before.size() && start < after.size() && before[start] == after[start]) ++start;
    qsizetype endB = before.size(), endA = after.size();
    while (endB > start && endA > start && before[endB - 1] == after[endA - 1]) --endB, --endA;
    return {start, endB, endA};
}

}  // namespace

TypedText FilterTypedText(const QString& before, const QString& after, int maxBytes, TCodePage codePage,
                          int beforeBytes) {
    const Change change = ChangeBetween(before, after);
    const QString inserted = after.mid(change.start, change.insertedEnd - change.start);
    const QString head = before.left(change.start), tail = before.mid(change.removedEnd);
    int kept = 0;  // bytes of head and tail
    if (maxBytes > 0) {
        const QString removed = before.mid(change.start, change.removedEnd - change.start);
        kept = (beforeBytes < 0 ? ByteLengthIn(before, codePage) : beforeBytes) - ByteLengthIn(removed, codePage);
    }
    int room = maxBytes > 0 ? maxBytes - kept : INT_MAX;
    // Take the inserted characters one by one while they fit and the code page holds them.
    QString accepted;
    QString notHeld;
    bool refused = false;
    for (qsizetype i = 0; i < inserted.size();) {
        const qsizetype length = inserted[i].isHighSurrogate() && i + 1 < inserted.size() ? 2 : 1;
        const QString character = inserted.mid(i, length);
        const auto bytes = FromDisplay(character, codePage);
        if (!bytes || int(bytes->size()) > room) {
            refused = true;
            if (bytes) break;  // over the limit: nothing after it fits either
            if (notHeld.isEmpty()) notHeld = character;
        } else {
            accepted += character;
            room -= int(bytes->size());
        }
        i += length;
    }
    return {head + accepted + tail, change.start + accepted.size(), refused, notHeld,
            maxBytes > 0 ? maxBytes - room : 0};
}

std::optional<std::string> EditedBytes(const QString& edited, const std::string& original, TCodePage codePage) {
    if (edited == ToDisplay(original, codePage)) return original;
    if (edited.contains(QChar::ReplacementCharacter) && !IsValidInCodePage(original, codePage)) return std::nullopt;
    return FromDisplay(edited, codePage);
}

namespace {

std::string& NotHeldText() {
    static std::string format;
    return format;
}

}  // namespace

void SetNotHeldText(const std::string& format) { NotHeldText() = format; }

void TellNotHeld(QWidget& field, const QString& character, TCodePage codePage) {
    if (NotHeldText().empty()) return;
    const QString text =
        ToDisplay(NotHeldText()).arg(character, QString::fromStdString(EncodingDisplayName(codePage, 0)));
    QToolTip::showText(field.mapToGlobal(QPoint(0, field.height())), text, &field);
}
