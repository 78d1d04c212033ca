#include "document/edit_history.h"

#include <utility>

namespace {

std::size_t SizeOf(const EditRecord& record) {
    std::size_t size = sizeof(EditRecord);
    for (const ByteSpan& span : record.spans)
        size += sizeof(ByteSpan) + span.before.size() + span.after.size() + span.lead.size() + span.trail.size() +
                span.placeBefore.section.size() + span.placeAfter.section.size();
    return size;
}

}  // namespace

TEditHistory::TEditHistory(std::size_t byteBudget, std::size_t depth) : byteBudget_(byteBudget), depth_(depth) {}

void TEditHistory::Record(const std::string& path, EditRecord change, const TViewPlace& before) {
    if (change.Empty()) return;
    FileHistory& history = files_[path];
    for (const Step& dropped : history.undone) history.bytes -= SizeOf(dropped.change);
    history.undone.clear();
    history.bytes += SizeOf(change);
    history.done.push_back(Step{std::move(change), before, before});
    Trim(history);
}

void TEditHistory::SetPlaceAfter(const std::string& path, const TViewPlace& after) {
    auto found = files_.find(path);
    if (found != files_.end() && !found->second.done.empty()) found->second.done.back().after = after;
}

// The oldest changes go first, the one just made never: without it no undo would be left.
void TEditHistory::Trim(FileHistory& history) const {
    while (history.done.size() > 1 && (history.bytes > byteBudget_ || history.done.size() > depth_)) {
        history.bytes -= SizeOf(history.done.front().change);
        history.done.pop_front();
    }
}

const EditRecord* TEditHistory::NextUndo(const std::string& path) const {
    auto found = files_.find(path);
    return found == files_.end() || found->second.done.empty() ? nullptr : &found->second.done.back().change;
}

const EditRecord* TEditHistory::NextRedo(const std::string& path) const {
    auto found = files_.find(path);
    return found == files_.end() || found->second.undone.empty() ? nullptr : &found->second.undone.back().change;
}

TViewPlace TEditHistory::Undone(const std::string& path) {
    FileHistory& history = files_.at(path);
    history.undone.push_back(std::move(history.done.back()));
    history.done.pop_back();
    return history.undone.back().before;
}

TViewPlace TEditHistory::Redone(const std::string& path) {
    FileHistory& history = files_.at(path);
    history.done.push_back(std::move(history.undone.back()));
    history.undone.pop_back();
    return history.done.back().after;
}

std::size_t TEditHistory::HeldBytes(const std::string& path) const {
    auto found = files_.find(path);
    return found == files_.end() ? 0 : found->second.bytes;
}
