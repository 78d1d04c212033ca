#pragma once
// A call repeated on the program's thread at an interval while the timer runs, served by the
// event loop between other events.
#include <functional>
#include <memory>

class TComponent;
class QTimer;

class TTimer {
public:
    // Errors escaping the call are reported as the owner's.
    explicit TTimer(TComponent* owner);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    // Calls onTimer every interval milliseconds from now on, until stopped.
    void Start(int interval, std::function<void()> onTimer);
    void Stop();
    bool Running() const;

private:
    TComponent* owner_;
    std::unique_ptr<QTimer> timer_;
    std::function<void()> onTimer_;
};
