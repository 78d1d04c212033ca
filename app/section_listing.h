#pragma once
// Listing one section's keys on a thread of its own, for a file too big to be sure of listing
// it between two events. The window waits a moment for the keys, so that a listing that is
// quick after all shows at once; past that it goes on serving events. A listing that another
// one replaced is never shown: the service call it is in cannot be stopped, so it ends unseen.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/background_work.h"
#include "encoding/code_page.h"

class IniListing;

class TSectionListing {
public:
    // Starts listing that occurrence of the section of the file at path, read in codePage;
    // finished is called on the listing's thread at its end, whole or failed.
    TSectionListing(std::string path, TCodePage codePage, std::string section, std::uint32_t occurrence,
                    std::function<void()> finished);

    // A listing replaced before it reaches the service skips it: clicks through many big
    // sections leave no queue of listings behind them.
    void Cancel() { cancelled_ = true; }
    // Waits up to limit for the end; true when the listing has ended.
    bool WaitFor(std::chrono::milliseconds limit) { return work_.WaitFor(limit); }
    // After the end: the keys, or the error the listing met raised again.
    std::shared_ptr<const IniListing> TakeResult() { return work_.TakeResult(); }

    // Called on the listing's thread before it lists. Tests hold a listing there.
    static std::function<void(const std::string& section)> BeforeListing;

private:
    std::atomic<bool> cancelled_ = false;
    // Last: its thread ends before the rest goes.
    TBackgroundWork<std::shared_ptr<const IniListing>> work_;
};
