#include "fuzz/ini_edit_check.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "fuzz/ini_oracle.h"
#include "fuzz/memory_file_ops.h"
#include "encoding/code_page.h"
#include "ini_save.h"
#include "engine/ini_store.h"

namespace {

constexpr TCodePage CodePages[] = {TCodePage::Utf8,     TCodePage::Gbk,         TCodePage::Korean, TCodePage::Big5,
                                   TCodePage::ShiftJis, TCodePage::Windows1252, TCodePage::Gb18030};
constexpr int Errors[] = {EIO, ENOSPC, EACCES, EROFS, EBUSY, EXDEV, EOPNOTSUPP, EINTR, EDQUOT, EPERM};
const std::string Path = std::string(MemoryFileOps::Folder) + "a.ini";
const std::string SecondLink = std::string(MemoryFileOps::Folder) + "b.ini";

class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string Bytes(std::size_t count) {
        count = std::min(count, size_ - std::min(at_, size_));
        std::string bytes(reinterpret_cast<const char*>(data_) + at_, count);
        at_ += count;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

enum class Op {
    Set, RemoveKey, RemoveSection, SetAt, RemoveKeyAt, RemoveSectionAt, AddKey, RenameKey, RenameSection,
    Undo, Redo, OtherProgram, Link, Batch, Count
};

std::string Text(IniFailure failure) { return std::to_string(static_cast<int>(failure)); }

template <typename Rows>
std::string Describe(const Rows& rows) {
    std::string text;
    for (const OracleRow& row : rows) text += "[" + row.name + "=" + row.value + "#" + std::to_string(row.occurrence) + "]";
    return text;
}

// One run of edits on one file, through the store and the in-memory disk, each checked against
// what the oracle predicts from the format rules.
class EditRun {
public:
    explicit EditRun(InputReader& in)
        : in_(in),
          codePage_(CodePages[in.Byte() % std::size(CodePages)]),
          lead_(LeadTable::ForCodePage(codePage_)),
          oracle_(ReadFile(in), lead_) {
        disk_.Put(Path, oracle_.Bytes());
        store_.UseFileOps(disk_);
    }

    std::string Step() {
        const auto op = static_cast<Op>(in_.Byte() % static_cast<int>(Op::Count));
        std::string failure;
        switch (op) {
            case Op::Undo:
            case Op::Redo: failure = Replay(op == Op::Undo); break;
            case Op::OtherProgram: OtherProgram(); break;
            case Op::Link: ToggleLink(); break;
            case Op::Batch: failure = Batch(); break;
            default: failure = Edit(op); break;
        }
        if (!failure.empty()) return failure;
        return CheckReads();
    }

private:
    static std::string ReadFile(InputReader& in) {
        const std::size_t low = in.Byte();
        return in.Bytes(low | static_cast<std::size_t>(in.Byte() & 0x0F) << 8);
    }

    // Mostly names the file has, now and then in another letter case or with blanks around.
    std::string Varied(std::string name) {
        const std::uint8_t how = in_.Byte();
        if (how & 0x01)
            for (char& c : name) c = AsciiUpper(c);
        if (how & 0x02) name = " " + name + "\t";
        return name;
    }
    std::string RandomText(std::size_t most) { return in_.Bytes(in_.Byte() % (most + 1)); }

    // A section as a node the window shows: its name and occurrence, or something else.
    SectionRef PickSection(std::string& name) {
        const std::vector<OracleRow> sections = oracle_.Sections();
        const std::uint8_t choice = in_.Byte();
        if (choice < 0x30 || sections.empty()) {
            name = RandomText(6);
            return {name, static_cast<std::uint32_t>(choice % 3)};
        }
        const OracleRow& row = sections[choice % sections.size()];
        name = choice & 0x20 ? Varied(row.name) : row.name;
        return {name, row.occurrence};
    }

    // A key line as a row: its name, occurrence and shown value.
    KeyRef PickKey(std::string& section, std::string& key, std::string& shown) {
        const SectionRef node = PickSection(section);
        const auto rows = oracle_.Keys(node);
        const std::uint8_t choice = in_.Byte();
        if (!rows || rows->empty() || choice < 0x30) {
            key = RandomText(6);
            shown = RandomText(4);
            return {node, key, static_cast<std::uint32_t>(choice % 3)};
        }
        const OracleRow& row = (*rows)[choice % rows->size()];
        key = choice & 0x20 ? Varied(row.name) : row.name;
        shown = choice & 0x10 ? RandomText(3) : row.value;
        return {node, key, row.occurrence};
    }

    std::string NewName() {
        const std::uint8_t choice = in_.Byte();
        const std::vector<OracleRow> sections = oracle_.Sections();
        if (choice & 0x80 && !sections.empty()) return Varied(sections[choice % sections.size()].name);
        return RandomText(6);
    }

    // A call of the coming write fails, or the process stops there.
    void MaybeFail() {
        faultArmed_ = false;
        disk_.FailCall(-1, 0, false);
        const std::uint8_t choice = in_.Byte();
        if (!(choice & 0x80)) return;
        const std::uint8_t error = in_.Byte();
        disk_.FailCall(choice % 24, Errors[error % std::size(Errors)], error & 0x80);
        faultArmed_ = true;
    }

    std::string Edit(Op op) {
        std::string section, key, shown;
        const std::string value = RandomText(12);
        std::function<EditResult(IniDocument&)> edit;
        Prediction predicted{};
        switch (op) {
            case Op::Set:
            case Op::RemoveKey:
            case Op::RemoveSection: {
                PickKey(section, key, shown);
                if (op == Op::Set) {
                    const std::string written = in_.Byte() & 1 ? shown : value;
                    predicted = oracle_.SetValue(section, key, written);
                    edit = [=](IniDocument& d) { return d.SetValue(section, key, written); };
                } else if (op == Op::RemoveKey) {
                    predicted = oracle_.RemoveKey(section, key);
                    edit = [=](IniDocument& d) { return d.RemoveKey(section, key); };
                } else {
                    predicted = oracle_.RemoveSection(section);
                    edit = [=](IniDocument& d) { return d.RemoveSection(section); };
                }
                break;
            }
            case Op::SetAt:
            case Op::RemoveKeyAt:
            case Op::RenameKey: {
                const KeyRef ref = PickKey(section, key, shown);
                const std::uint32_t occurrence = ref.occurrence;
                const std::uint32_t sectionOccurrence = ref.section.occurrence;
                const auto at = [=](const std::string& s, const std::string& k) { return KeyRef{{s, sectionOccurrence}, k, occurrence}; };
                if (op == Op::SetAt) {
                    predicted = oracle_.SetValueAt(ref, shown, value);
                    edit = [=](IniDocument& d) { return d.SetValueAt(at(section, key), shown, value); };
                } else if (op == Op::RemoveKeyAt) {
                    predicted = oracle_.RemoveKeyAt(ref, shown);
                    edit = [=](IniDocument& d) { return d.RemoveKeyAt(at(section, key), shown); };
                } else {
                    const std::string name = NewName();
                    predicted = oracle_.RenameKey(ref, name);
                    edit = [=](IniDocument& d) { return d.RenameKey(at(section, key), name); };
                }
                break;
            }
            default: {
                const SectionRef ref = PickSection(section);
                const std::uint32_t occurrence = ref.occurrence;
                if (op == Op::RemoveSectionAt) {
                    predicted = oracle_.RemoveSectionAt(ref);
                    edit = [=](IniDocument& d) { return d.RemoveSectionAt({section, occurrence}); };
                } else if (op == Op::AddKey) {
                    key = NewName();
                    predicted = oracle_.AddKey(ref, key, value);
                    edit = [=](IniDocument& d) { return d.AddKey({section, occurrence}, key, value); };
                } else {
                    const std::string name = NewName();
                    predicted = oracle_.RenameSection(ref, name);
                    edit = [=](IniDocument& d) { return d.RenameSection({section, occurrence}, name); };
                }
                break;
            }
        }
        return Apply(edit, &predicted, nullptr);
    }

    // Undo or redo the latest change: exact when nothing else changed the file since.
    std::string Replay(bool undo) {
        std::vector<Done>& from = undo ? undo_ : redo_;
        if (from.empty()) return {};
        const Done done = from.back();
        from.pop_back();
        const std::string& now = undo ? done.after : done.before;
        const std::string& then = undo ? done.before : done.after;
        std::optional<Prediction> predicted;
        if (oracle_.Bytes() == now) predicted = Prediction{Prediction::Kind::Changed, IniFailure::None, then};
        const auto direction = undo ? ReplayDirection::Undo : ReplayDirection::Redo;
        Done replayed = done;
        const std::string failure = Apply([&](IniDocument& d) { return d.Replay(done.change, direction); },
                                          predicted ? &*predicted : nullptr, &replayed);
        if (failure.empty() && replayed.applied) (undo ? redo_ : undo_).push_back(done);
        return failure;
    }

    struct Done {
        EditRecord change;
        std::string before, after;
        bool applied = false;
    };

    std::string Apply(const std::function<EditResult(IniDocument&)>& edit, const Prediction* predicted, Done* replayed) {
        MaybeFail();
        const std::string before = oracle_.Bytes();
        struct stat statusBefore;
        disk_.Status(Path.c_str(), &statusBefore);
        const IniResult result = store_.Apply(Path, codePage_, edit);
        disk_.StopFailing();
        const bool faulted = faultArmed_ && disk_.FailureHappened();
        if (std::string failure = CheckCrash(before, predicted); !failure.empty()) return failure;
        const std::optional<std::string> bytes = disk_.Bytes(Path);
        if (!bytes) return "the file is gone";
        if (std::string failure = CheckNames(); !failure.empty()) return failure;
        if (!result.Succeeded()) {
            if (*bytes != before) return "a failed write changed the file";
            const bool foreseen = predicted ? predicted->kind == Prediction::Kind::Refused && predicted->refusal == result.failure
                                            : result.failure == IniFailure::Stale;
            if (!foreseen && !faulted) return "refused with reason " + Text(result.failure) + (predicted ? ", expected " + Text(predicted->refusal) : "");
            return {};
        }
        if (predicted && predicted->kind == Prediction::Kind::Refused) return "should have been refused with reason " + Text(predicted->refusal);
        if (predicted && *bytes != predicted->bytes) return "the bytes differ from what the rules say";
        if (result.change.Empty()) {
            if (*bytes != before) return "a write that changed nothing touched bytes";
            struct stat statusAfter;
            disk_.Status(Path.c_str(), &statusAfter);
            if (statusAfter.st_mtim.tv_nsec != statusBefore.st_mtim.tv_nsec || statusAfter.st_mtim.tv_sec != statusBefore.st_mtim.tv_sec)
                return "a write that changed nothing touched the file";
        } else {
            if (*bytes == before) return "a change was reported for bytes that stayed";
            if (replayed) {
                replayed->applied = true;
            } else {
                undo_.push_back(Done{result.change, before, *bytes});
                redo_.clear();
            }
        }
        oracle_ = IniOracle(*bytes, lead_);
        return {};
    }

    // Stopped at a call of a save by rename, the disk holds the old file or the new one, and
    // at most our own saving file, which the next save removes.
    std::string CheckCrash(const std::string& before, const Prediction* predicted) {
        const auto& crashed = disk_.DiskAtCrash();
        if (!crashed || linked_) return {};
        const std::string saving = SavingName(Path);
        for (const auto& [name, bytes] : *crashed) {
            if (name == Path) {
                const bool whole = bytes == before || !predicted || bytes == predicted->bytes;
                if (!whole) return "a crash left a file that is neither the old one nor the new one";
            } else if (name != saving) {
                return "a crash left " + name;
            }
        }
        MemoryFileOps after(*crashed);
        IniStore next;
        next.UseFileOps(after);
        const IniResult recovered = next.Apply(Path, codePage_, [](IniDocument& d) { return d.SetValue("recovery", "k", "v"); });
        if (!recovered.Succeeded()) return "the write after a crash failed";
        if (after.Bytes(saving)) return "the write after a crash left the crashed save's file";
        return {};
    }

    std::string CheckNames() const {
        for (const auto& [name, bytes] : disk_.Names()) {
            if (name == Path) continue;
            if (name != SecondLink || !linked_) return "a file was left behind: " + name;
            if (bytes != *disk_.Bytes(Path)) return "the second link parted from the file";
        }
        return {};
    }

    void OtherProgram() {
        std::string bytes = oracle_.Bytes();
        const std::size_t at = bytes.empty() ? 0 : in_.Byte() % (bytes.size() + 1);
        const std::size_t cut = std::min<std::size_t>(in_.Byte() % 4, bytes.size() - at);
        bytes.replace(at, cut, RandomText(8));
        if (in_.Byte() & 1) {
            disk_.Put(Path, bytes);
        } else {
            const std::string other = std::string(MemoryFileOps::Folder) + "other";
            disk_.Put(other, bytes);
            disk_.Rename(other.c_str(), Path.c_str());
            if (linked_) disk_.Unlink(SecondLink.c_str());
            linked_ = false;
        }
        oracle_ = IniOracle(bytes, lead_);
    }

    void ToggleLink() {
        if (linked_)
            disk_.Unlink(SecondLink.c_str());
        else
            disk_.Link(Path, SecondLink);
        linked_ = !linked_;
    }

    // Within a batch the file is checked once; the next one sees another program's change.
    std::string Batch() {
        store_.BeginBatch();
        const std::string first = store_.Document(Path, codePage_).Bytes();
        OtherProgram();
        const std::string again = store_.Document(Path, codePage_).Bytes();
        store_.EndBatch();
        if (again != first) return "a batch checked the file twice";
        return {};
    }

    std::string CheckReads() {
        // A list made before the last step still shows what it showed then.
        if (Rows(heldList_) != heldRows_) return "a list changed under its holder";
        const IniDocument& document = store_.Document(Path, codePage_);
        heldList_ = document.Sections();
        heldRows_ = Rows(heldList_);
        if (document.Bytes() != oracle_.Bytes()) return "the cache holds other bytes than the file";
        const std::vector<OracleRow> sections = Rows(document.Sections());
        const std::vector<OracleRow> expected = oracle_.Sections();
        if (sections != expected) return "sections " + Describe(sections) + " instead of " + Describe(expected);
        const std::vector<std::string_view> names = document.SectionNames();
        if (names.size() != expected.size()) return "section names differ";
        for (const OracleRow& section : expected) {
            const SectionRef ref{section.name, section.occurrence};
            const std::optional<IniListing> list = document.Keys(ref);
            if (!list) return "the section [" + section.name + "] is missing";
            const std::vector<OracleRow> keys = Rows(*list);
            const std::vector<OracleRow> expectedKeys = *oracle_.Keys(ref);
            if (keys != expectedKeys) return "keys of [" + section.name + "] " + Describe(keys) + " instead of " + Describe(expectedKeys);
            const std::vector<std::string> comments = Copies(document.CommentsAbove(ref));
            if (comments != *oracle_.Comments(ref)) return "comments above [" + section.name + "] differ";
            for (const OracleRow& key : expectedKeys) {
                const KeyRef keyRef{ref, key.name, key.occurrence};
                if (Copies(document.CommentsAbove(keyRef)) != *oracle_.Comments(keyRef)) return "comments above " + key.name + " differ";
                const auto value = document.Value(section.name, key.name);
                const auto expectedValue = oracle_.Value(section.name, key.name);
                if (value.has_value() != expectedValue.has_value() || (value && *value != *expectedValue))
                    return "the value of " + key.name + " differs";
            }
            if (section.occurrence == 0 && document.KeyNames(section.name).size() != expectedKeys.size())
                return "the key names of [" + section.name + "] differ";
        }
        return {};
    }

    static std::vector<OracleRow> Rows(const IniListing& list) {
        std::vector<OracleRow> rows;
        for (std::size_t at = 0; at < list.Count(); ++at)
            rows.push_back({std::string(list.Name(at)), std::string(list.Value(at)), list.Occurrence(at)});
        return rows;
    }

    static std::vector<std::string> Copies(const std::optional<std::vector<std::string_view>>& views) {
        return views ? std::vector<std::string>(views->begin(), views->end()) : std::vector<std::string>{"<none>"};
    }

    InputReader& in_;
    TCodePage codePage_;
    LeadTable lead_;
    IniOracle oracle_;
    MemoryFileOps disk_;
    IniStore store_;
    std::vector<Done> undo_, redo_;
    IniListing heldList_;
    std::vector<OracleRow> heldRows_;
    bool faultArmed_ = false;
    bool linked_ = false;
};

}  // namespace

std::string CheckEditSequence(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    EditRun run(in);
    for (int step = 0; !in.AtEnd(); ++step)
        if (std::string failure = run.Step(); !failure.empty()) return "step " + std::to_string(step) + ": " + failure;
    return {};
}
