#pragma once
// Ordered lists of text strings, and loading a whole text file into one, line by line.
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exception.h"

class TStream;

DECLARE_ERROR_CLASS(EStringListError, Exception);

// An abstract ordered list of text strings. Changes between BeginBatch and EndBatch notify
// once before and once after, not once per change.
class TStrings {
public:
    TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;
    virtual ~TStrings() = default;

    void BeginBatch();
    void EndBatch();

    virtual std::string LineAt(int index) const = 0;
    virtual int LineCount() const = 0;
    virtual void ReplaceLineAt(int index, const std::string& text) = 0;
    virtual int AppendLine(const std::string& text) = 0;
    virtual void RemoveAll() = 0;

    // Replaces the contents with the lines of text. CR LF, a lone CR and a lone LF each end a
    // line; a zero byte ends the text.
    virtual void SplitIntoLines(std::string_view text);
    // Replaces the contents with the lines of the file; raises EFOpenError when it can't be
    // opened, leaving the list untouched.
    virtual void LoadLinesFromFile(const std::string& path);
    // Replaces the contents with the lines of the stream from its position to its end.
    virtual void LoadLinesFromStream(TStream& stream);

protected:
    // Called around every change; a list fires its handlers only outside a batch.
    virtual void NotifyBeforeChange() {}
    virtual void NotifyAfterChange() {}
    int BatchDepth() const { return updateCount_; }
    // SplitIntoLines for a text the list may keep as the storage of its lines.
    virtual void SplitOwnedText(std::string&& text) { SplitIntoLines(text); }

private:
    int updateCount_ = 0;
};

// Replaces the list's contents with lines, notifying once before and once after.
void ReplaceLines(TStrings& list, const std::vector<std::string>& lines);

// The bytes of a whole file, as LoadLinesFromFile reads them: EFOpenError when the file can't
// be opened, EFileTooLarge when it holds 2 GiB or more.
std::string LoadFileText(const std::string& path);
// The rest of stream (the file at path) as LoadFileText reads it, in reads of stepBytes; after
// each, goOn(bytes read, bytes to read) says whether to read on. Nullopt when it said no.
std::optional<std::string> ReadTextInSteps(TStream& stream, const std::string& path, std::size_t stepBytes,
                                           const std::function<bool(std::size_t, std::size_t)>& goOn);

// The concrete list: unsorted, keeps duplicates, fires the handlers around each change.
class TStringList : public TStrings {
public:
    std::function<void()> OnBeforeChange;
    std::function<void()> OnAfterChange;

    std::string LineAt(int index) const override;
    int LineCount() const override;
    void ReplaceLineAt(int index, const std::string& text) override;
    int AppendLine(const std::string& text) override;
    void RemoveAll() override;

    int Capacity() const { return capacity_; }

protected:
    void NotifyBeforeChange() override;
    void NotifyAfterChange() override;
    // Keeps text as the storage of its lines and fills the list directly, not through
    // AppendLine: a descendant that overrides AppendLine overrides this too.
    void SplitOwnedText(std::string&& text) override;

private:
    // An entry: where the string's bytes lie in bytes_, and its associated object.
    struct Item {
        std::size_t offset;
        std::size_t length;
        void* object;  // never set by this program
    };
    struct FreeItems {
        void operator()(Item* items) const { std::free(items); }
    };

    void CheckIndex(int index) const;
    void SetCapacity(int capacity);
    void AddItem(std::size_t offset, std::size_t length);

    // A loaded text is kept whole, line ends included, and its lines point into it; lines
    // appended or grown later are added at its end.
    std::string bytes_;
    // Grown with realloc, which moves a large array by remapping its pages instead of copying.
    std::unique_ptr<Item[], FreeItems> items_;
    int count_ = 0;
    int capacity_ = 0;
};
