#include "ui/timer.h"

#include <QTimer>

#include "ui/error_sink.h"

TTimer::TTimer(TComponent* owner) : owner_(owner), timer_(std::make_unique<QTimer>()) {
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        // The call may stop the timer, which drops the function running now: a copy runs.
        const std::function<void()> call = onTimer_;
        CatchErrors(owner_, call);
    });
}

TTimer::~TTimer() = default;

void TTimer::Start(int interval, std::function<void()> onTimer) {
    onTimer_ = std::move(onTimer);
    timer_->start(interval);
}

void TTimer::Stop() {
    timer_->stop();
    onTimer_ = nullptr;
}

bool TTimer::Running() const { return timer_->isActive(); }
