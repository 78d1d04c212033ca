#pragma once
// Several edits of one document as one: each made on what the ones before it left, and what
// they changed together recorded as one change, so that they are saved, undone and redone
// together, or not at all.
#include <functional>
#include <span>

#include "engine/edit_record.h"
#include "engine/ini_document.h"

using DocumentEdit = std::function<EditResult(IniDocument&)>;

// Makes the edits in turn. Changed, with what they changed together in `change`; Unchanged
// when together they change nothing; Refused at the first edit the document refuses
// (document.Refusal() says why), `change` then holding what the edits before it did: a
// document they changed no longer matches where its bytes came from.
EditResult RunEdits(IniDocument& document, std::span<const DocumentEdit> edits, EditRecord& change);
