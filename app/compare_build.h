#pragma once
// Comparing two files for the window, on a thread of its own: both files read and opened each
// in its own encoding, as a load opens a file, and then compared in steps, so that the window
// goes on serving events however big they are. A build that is cancelled stops at its next
// step and is never shown.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/background_work.h"
#include "document/ini_comparison.h"

class TFileLoad;

// What a whole build hands the window: the two documents, each with the state it was read in
// as its shown stamp, and their comparison (none when the build was cancelled).
struct TComparedFiles {
    std::unique_ptr<TDocument> left, right;
    std::optional<TIniComparison> comparison;
};

class TCompareBuild {
public:
    // Opens both files at once (one that cannot be opened raises EFOpenError here) and starts;
    // finished is called on the build's thread at its end, whole, failed or cancelled.
    TCompareBuild(const std::string& left, const std::string& right, std::function<void(TCompareBuild&)> finished);
    // A build still running is told to stop and waited for.
    ~TCompareBuild();
    TCompareBuild(const TCompareBuild&) = delete;
    TCompareBuild& operator=(const TCompareBuild&) = delete;

    void Cancel();
    // How far the build is, in percent: reading both files, then comparing them.
    int Percent() const;
    // Waits up to limit for the end; true when the build has ended.
    bool WaitFor(std::chrono::milliseconds limit) { return work_.WaitFor(limit); }
    // After the end: the files, or the error the build met raised again.
    TComparedFiles TakeResult() { return work_.TakeResult(); }

private:
    TComparedFiles Run();

    std::unique_ptr<TFileLoad> leftLoad_, rightLoad_;
    std::atomic<bool> cancelled_ = false;
    // Of the comparing, after both files have been read; -1 while they are read.
    std::atomic<int> comparedPercent_ = -1;
    TBackgroundWork<TComparedFiles> work_;  // last: its thread ends before the rest goes
};
