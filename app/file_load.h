#pragma once
// Reading a file for the window: its bytes, the encoding they are read in, and the lists the
// view is built from. A big file is read on a thread of its own so that the window goes on
// serving events; the window takes the result over once it is whole. A load that another one
// replaced stops at its next step and is never shown.
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/background_work.h"
#include "document/document.h"
#include "engine/ini_listing.h"

class TFileStream;

// What a whole load hands the window.
struct TLoadedFile {
    // Opened, its shown stamp the state the lists show.
    std::unique_ptr<TDocument> document;
    IniListing sections;
    // The section whose keys were read, and those keys; none when no section is to be listed.
    std::optional<std::size_t> listed;
    std::shared_ptr<const IniListing> keys;

    TLoadedFile();
    TLoadedFile(TLoadedFile&&) noexcept;
    TLoadedFile& operator=(TLoadedFile&&) noexcept;
    ~TLoadedFile();
};

// Where a load is; read as it runs.
enum class TLoadPhase { Reading, Parsing, Listing, Done };

class TFileLoad {
public:
    struct TRequest {
        std::string path;
        // The code page the user has just chosen for the file is remembered by the load.
        TDocument::TOpenRequest open;
        // Which of the sections to list; called on the loading thread.
        std::function<std::optional<std::size_t>(const IniListing& sections)> sectionToList;
    };

    // Opens the file at once: a file that cannot be opened raises EFOpenError here, before
    // anything else happens.
    explicit TFileLoad(TRequest request);
    // A load still running is told to stop and waited for.
    ~TFileLoad();
    TFileLoad(const TFileLoad&) = delete;
    TFileLoad& operator=(const TFileLoad&) = delete;

    // Runs the whole load on the calling thread.
    TLoadedFile RunHere();
    // Runs it on a thread of its own; finished is called on that thread at its end, whole,
    // failed or stopped.
    void Start(std::function<void()> finished);
    // The load stops at its next step; its result is never taken.
    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }

    const std::string& Path() const { return request_.path; }
    // The file's size when it was opened.
    std::size_t Size() const { return size_; }
    TLoadPhase Phase() const { return phase_; }
    // Of the file's bytes, how many have been read.
    int PercentRead() const;

    // After finished: the loaded file, or the error the load met raised again.
    TLoadedFile TakeResult();

    // Files of this size and more are read on a thread of its own; smaller ones take about
    // as long as a few events.
    static std::size_t BackgroundBytes;
    // Bytes read between two looks at Cancelled(). Tests make the steps small.
    static std::size_t StepBytes;
    // Called on the loading thread after each step. Tests hold a load there.
    static std::function<void(const TFileLoad&)> AfterStep;

private:
    TLoadedFile Run();
    bool GoOn(std::size_t done, std::size_t size);

    TRequest request_;
    std::unique_ptr<TFileStream> stream_;
    std::size_t size_ = 0;
    std::atomic<bool> cancelled_ = false;
    std::atomic<TLoadPhase> phase_ = TLoadPhase::Reading;
    std::atomic<std::size_t> bytesRead_ = 0;
    std::atomic<std::size_t> bytesToRead_ = 0;
    TBackgroundWork<TLoadedFile> work_;  // last: its thread ends before the rest goes
};
