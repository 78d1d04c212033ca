#include "platform/profile/edit_sequence.h"

EditResult RunEdits(IniDocument& document, std::span<const DocumentEdit> edits, EditRecord& change) {
    EditChain chain;
    for (const DocumentEdit& edit : edits) {
        const EditResult result = edit(document);
        if (result == EditResult::Changed) chain.Add(document.TakeChange());
        if (result == EditResult::Refused) {
            change = chain.Finish(document.Bytes());
            return EditResult::Refused;
        }
    }
    change = chain.Finish(document.Bytes());
    return change.Empty() ? EditResult::Unchanged : EditResult::Changed;
}
