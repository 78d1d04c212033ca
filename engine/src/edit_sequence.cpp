#include "engine/edit_sequence.h"

#include "encoding/scope_exit.h"

EditResult RunEdits(IniDocument& document, std::span<const DocumentEdit> edits, EditRecord& change) {
    // The document's value sets are rebuilt once, after the last edit.
    document.BeginBatch();
    const ScopeExit endBatch([&document] { document.EndBatch(); });
    EditChain chain(false);
    for (const DocumentEdit& edit : edits) {
        const EditResult result = edit(document);
        if (result == EditResult::Changed) chain.Add(document.TakeChange());
        if (result == EditResult::Refused) {
            change = chain.Finish(document.Bytes());
            document.PlaceSpans(change);
            return EditResult::Refused;
        }
    }
    change = chain.Finish(document.Bytes());
    document.PlaceSpans(change);
    return change.Empty() ? EditResult::Unchanged : EditResult::Changed;
}
