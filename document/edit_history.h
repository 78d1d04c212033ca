#pragma once
// What the commands changed in each loaded file, to be undone and done again. Only the
// changed bytes are kept (engine/edit_record.h), within a byte budget per file: the
// oldest changes are forgotten first, the newest always stays.
#include <cstddef>
#include <deque>
#include <map>
#include <string>

#include "document/view_place.h"
#include "engine/edit_record.h"

class TEditHistory {
public:
    explicit TEditHistory(std::size_t byteBudget = 32u << 20, std::size_t depth = 1000);

    // A command changed the file at path, with the view at before: what was undone can no
    // longer be done again. Until told otherwise, the view stands there after the change too.
    void Record(const std::string& path, EditRecord change, const TViewPlace& before = {});
    // Where the view stands once the last change recorded is shown.
    void SetPlaceAfter(const std::string& path, const TViewPlace& after);

    // The change the next undo or redo of the file takes back or does again; null when none.
    const EditRecord* NextUndo(const std::string& path) const;
    const EditRecord* NextRedo(const std::string& path) const;
    // The undo or redo succeeded: the change moves to the other side. Returns where the view
    // is to stand: where it stood before the change, or after it.
    TViewPlace Undone(const std::string& path);
    TViewPlace Redone(const std::string& path);

    // The bytes the file's history holds.
    std::size_t HeldBytes(const std::string& path) const;

private:
    struct Step {
        EditRecord change;
        TViewPlace before, after;
    };
    struct FileHistory {
        std::deque<Step> done;    // oldest first
        std::deque<Step> undone;  // the next redo last
        std::size_t bytes = 0;
    };
    void Trim(FileHistory& history) const;

    std::size_t byteBudget_;
    std::size_t depth_;
    std::map<std::string, FileHistory> files_;
};
