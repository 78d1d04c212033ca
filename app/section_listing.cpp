#include "app/section_listing.h"

#include "inifile/ini_file.h"
#include "platform/profile/profile_list.h"

std::function<void(const std::string& section)> TSectionListing::BeforeListing;

TSectionListing::TSectionListing(std::string path, int codePage, std::string section, std::uint32_t occurrence,
                                 std::function<void()> finished) {
    thread_ = std::thread([this, path = std::move(path), codePage, section = std::move(section), occurrence,
                           finished = std::move(finished)] {
        std::shared_ptr<const ProfileList> keys;
        std::exception_ptr error;
        try {
            if (BeforeListing) BeforeListing(section);
            if (!cancelled_) keys = std::make_shared<const ProfileList>(TIniFile(path, codePage).Keys(SectionRef{section, occurrence}));
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            keys_ = std::move(keys);
            error_ = error;
            done_ = true;
        }
        ended_.notify_all();
        finished();
    });
}

TSectionListing::~TSectionListing() {
    if (thread_.joinable()) thread_.join();
}

bool TSectionListing::WaitFor(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, limit, [this] { return done_; });
}

std::shared_ptr<const ProfileList> TSectionListing::TakeResult() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return done_; });
    if (error_) std::rethrow_exception(error_);
    return std::move(keys_);
}
