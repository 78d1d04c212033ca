#include "engine/edit_sequence.h"

namespace {

// Holds the document's value sets for one rebuild of its bytes while the edits run.
class DocumentBatch {
public:
    explicit DocumentBatch(IniDocument& document) : document_(document) { document_.BeginBatch(); }
    ~DocumentBatch() { document_.EndBatch(); }
    DocumentBatch(const DocumentBatch&) = delete;
    DocumentBatch& operator=(const DocumentBatch&) = delete;

private:
    IniDocument& document_;
};

}  // namespace

EditResult RunEdits(IniDocument& document, std::span<const DocumentEdit> edits, EditRecord& change) {
    const DocumentBatch batch(document);
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
