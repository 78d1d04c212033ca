#pragma once
// One loaded file: where it is, how its bytes are read and whether they may be written, which
// state of it is shown, and what the commands changed in it. The window and iniv open a file
// through it alike, so that both read it in the same encoding and refuse the same writes.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
    // verdict they gave when it was made. A UTF-16 file is kept as its text in UTF-8, read only.
    void Open(std::string_view bytes, TOpenRequest request);

    const std::string& Path() const { return path_; }
    const TFileEncoding& Verdict() const { return verdict_; }  // the detector's
    const TFileEncoding& Encoding() const { return encoding_; }  // the verdict or the choice
    TLineEnds LineEnds() const { return lineEnds_; }
    // The code page of the text the lists hold: the file's, or UTF-8 for a converted text.
    TCodePage TextCodePage() const;
    // The converted text of a file the engine cannot read as it is; null otherwise.
    const IniDocument* ConvertedText() const { return converted_ ? &*converted_ : nullptr; }

    // Why the bytes must not be written (commands refuse at once), and why a write would be
    // refused now (commands try, and report the failure).
    TContentRefusal ContentRefusal() const { return contentRefusal_; }
    IniFailure WriteRefusal() const { return writeRefusal_; }
    // Asks again whether the file may be written: true when the answer changed.
    bool FollowWriteAccess();

    // The lists a view is built from, as a reader of the file finds them.
    IniListing Sections() const;
    IniListing Keys(SectionRef section) const;

    // Which state of the file the lists show, and the file's state now.
    const FileStamp& ShownStamp() const { return shownStamp_; }
    void SetShownStamp(const FileStamp& stamp) { shownStamp_ = stamp; }
    // The state the engine holds, which lists read from it show; a converted text keeps its own.
    void NoteEngineStamp();
    FileStamp StampNow() const;
    // The file was deleted or moved away since it was shown.
    bool Gone() const { return gone_; }
    void SetGone(bool gone) { gone_ = gone; }

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
    // The history the commands keep their changes in. A window shares one among the documents
    // it shows, so that a file loaded again finds what was changed in it before.
    void ShareHistory(std::shared_ptr<TEditHistory> history) { history_ = std::move(history); }

private:
    IniFileRef File() const { return IniFileRef{path_, TextCodePage()}; }
    IniResult Write(const std::function<IniResult(IniFileRef)>& write, const TViewPlace& before);

    std::string path_;
    TFileEncoding verdict_;
    TFileEncoding encoding_;
    TLineEnds lineEnds_ = TLineEnds::None;
    TContentRefusal contentRefusal_ = TContentRefusal::None;
    IniFailure writeRefusal_ = IniFailure::None;
    std::optional<IniDocument> converted_;
    FileStamp shownStamp_;
    bool gone_ = false;
    std::shared_ptr<TEditHistory> history_;
};
