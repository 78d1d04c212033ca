#pragma once
// One loaded file: where it is, how its bytes are read and whether they may be written, which
// state of it is shown, and what the commands changed in it. The window and iniv open a file
// through it alike, so that both read it in the same encoding and refuse the same writes.
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/edit_history.h"
#include "encoding/content_refusal.h"
#include "encoding/encoding_detection.h"
#include "encoding/encoding_memory.h"
#include "encoding/line_ends.h"
#include "engine/file_stamp.h"
#include "engine/ini_address.h"
#include "engine/ini_document.h"
#include "engine/ini_failure.h"
#include "engine/ini_listing.h"
#include "engine/ini_result.h"
#include "engine/ini_service.h"

class TDocument {
public:
    struct TOpenRequest {
        TEncodingHints hints;
        TEncodingMemory memory{std::string()};
        // A code page chosen for this open; remembered for the file's next ones when asked.
        std::optional<TCodePage> chosenCodePage;
        bool rememberChoice = false;
    };

    explicit TDocument(std::string path);

    // Decides, from the file's bytes, the encoding they are read in, their line ends and why
    // they must not be written. A choice remembered for the file holds while the bytes give the
    // verdict they gave when it was made.
    void Open(std::string_view bytes, TOpenRequest request);
    // The bytes Open was given, read from the file in the state mark tells, become the engine's
    // content of the file: it reads the file again only once the file changed.
    void HandToEngine(std::string bytes, const ReadMark& mark);

    const std::string& Path() const { return path_; }
    // The detector's; the choice itself when the bytes read in a code page chosen for this open
    // alone, which no verdict could then make unwritable.
    const TFileEncoding& Verdict() const { return verdict_; }
    const TFileEncoding& Encoding() const { return encoding_; }  // the verdict or the choice
    TLineEnds LineEnds() const { return lineEnds_; }
    // The code page of the text the lists hold, and names and values are given in: the
    // file's, or UTF-8 for a UTF-16 file.
    TCodePage TextCodePage() const;
    // The code page the engine reads the file in: the text's, or the file's UTF-16.
    TCodePage EngineCodePage() const;

    // Why the bytes must not be written (commands refuse at once), and why a write would be
    // refused now (commands try, and report the failure).
    TContentRefusal ContentRefusal() const { return contentRefusal_; }
    IniFailure WriteRefusal() const { return writeRefusal_; }
    // Asks again whether the file may be written: true when the answer changed.
    bool FollowWriteAccess();

    // The text the lists are read from, as the engine holds it (UTF-8 for a UTF-16 file): a
    // search runs over it while commands go on writing the file.
    std::shared_ptr<const std::string> Snapshot() const;

    // The lists a view is built from, as a reader of the file finds them.
    IniListing Sections() const;
    IniListing Keys(SectionRef section) const;

    // The comment lines right above a header or a key line, as they stand in the file.
    std::vector<std::string> CommentsAbove(SectionRef section) const;
    std::vector<std::string> CommentsAbove(KeyRef key) const;

    // Which state of the file the lists show, and the file's state now.
    const FileStamp& ShownStamp() const { return shownStamp_; }
    void SetShownStamp(const FileStamp& stamp) { shownStamp_ = stamp; }
    // The state the engine holds, which lists read from it show.
    void NoteEngineStamp();
    FileStamp StampNow() const;
    // The file was deleted or moved away since it was shown.
    bool Gone() const { return gone_; }
    void SetGone(bool gone) { gone_ = gone; }
    // A reload that found the file unreadable waits for the next change notice.
    bool ReloadOwed() const { return reloadOwed_; }
    void OweReload() { reloadOwed_ = true; }
    // What a notice from the file's watcher means: nothing new, the file just went away, or
    // the view is to read it again.
    enum class TChange { None, Gone, Changed };
    TChange NoticeChange();

    // The commands. Each writes the file through the engine, by name as a reader finds names
    // (SetValue) or to one occurrence (the rest, failing as Stale when it no longer reads as
    // shown), and keeps its change for undo with where the view stood before. A failure writes
    // nothing; bytes that must not be written are refused as CannotHold. The change goes to
    // the history, not back to the caller. The shown stamp follows a write when it was current.
    IniResult SetValue(std::string_view section, std::string_view key, std::string_view value,
                           const TViewPlace& before = {});
    IniResult SetValueAt(KeyRef key, std::string_view shownValue, std::string_view value,
                             const TViewPlace& before = {});
    IniResult AddKey(SectionRef section, std::string_view key, std::string_view value,
                         const TViewPlace& before = {});
    IniResult RemoveKeyAt(KeyRef key, std::string_view shownValue, const TViewPlace& before = {});
    IniResult RemoveSectionAt(SectionRef section, const TViewPlace& before = {});
    IniResult RenameKey(KeyRef key, std::string_view name, const TViewPlace& before = {});
    IniResult RenameSection(SectionRef section, std::string_view name, const TViewPlace& before = {});

    // Several edits of the file as one change, and one undo step: all of them or none.
    IniResult ApplyEdits(std::span<const DocumentEdit> edits, const TViewPlace& before = {});

    // Where the view stands once the last change is shown: where a redo comes back to.
    void SetPlaceAfter(const TViewPlace& after);
    // Whether there is a change to take back, or one taken back to do again.
    bool CanReplay(ReplayDirection direction) const;
    // Takes the last change back, or does the last one taken back again, byte for byte; Stale
    // when another program changed what it touches (and when there is none: see CanReplay). On
    // success, where the view is to stand.
    struct TReplay {
        IniResult result;
        TViewPlace place;
    };
    TReplay Replay(ReplayDirection direction);
    // The history the commands keep their changes in, per path: a document that replaces
    // another in a view goes on with its history, so that a file loaded again finds what was
    // changed in it before.
    void ContinueHistoryOf(const TDocument& before) { history_ = before.history_; }

private:
    IniFileRef File() const { return IniFileRef{path_, EngineCodePage()}; }
    // Bytes that must not be written are refused before the engine is asked.
    bool Unwritable() const { return contentRefusal_ != TContentRefusal::None; }
    IniResult Refused() const;
    // A write's change goes to the history; the shown stamp follows the write when it was current.
    IniResult Recorded(IniResult result, const TViewPlace& before);

    std::string path_;
    TFileEncoding verdict_;
    TFileEncoding encoding_;
    TLineEnds lineEnds_ = TLineEnds::None;
    TContentRefusal contentRefusal_ = TContentRefusal::None;
    IniFailure writeRefusal_ = IniFailure::None;
    FileStamp shownStamp_;
    bool gone_ = false;
    bool reloadOwed_ = false;
    std::shared_ptr<TEditHistory> history_;
};
