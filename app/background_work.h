#pragma once
// One piece of work run on a thread of its own, for the window: its result or the error it met
// is taken over once it has ended. Whoever owns it waits for the thread when it goes.
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

template <typename Result>
class TBackgroundWork {
public:
    TBackgroundWork() = default;
    ~TBackgroundWork() {
        if (thread_.joinable()) thread_.join();
    }
    TBackgroundWork(const TBackgroundWork&) = delete;
    TBackgroundWork& operator=(const TBackgroundWork&) = delete;

    // Runs work; finished is called on the work's thread at its end, whole or failed.
    void Start(std::function<Result()> work, std::function<void()> finished) {
        thread_ = std::thread([this, work = std::move(work), finished = std::move(finished)] {
            std::optional<Result> result;
            std::exception_ptr error;
            try {
                result.emplace(work());
            } catch (...) {
                error = std::current_exception();
            }
            {
                std::lock_guard lock(mutex_);
                result_ = std::move(result);
                error_ = error;
                done_ = true;
            }
            ended_.notify_all();
            finished();
        });
    }

    // Waits up to limit for the end; true when the work has ended.
    bool WaitFor(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return ended_.wait_for(lock, limit, [this] { return done_; });
    }

    // Waits for the end: the result, or the error the work met raised again.
    Result TakeResult() {
        std::unique_lock lock(mutex_);
        ended_.wait(lock, [this] { return done_; });
        if (error_) std::rethrow_exception(error_);
        return std::move(*result_);
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::optional<Result> result_;
    std::exception_ptr error_;
    std::thread thread_;
};
