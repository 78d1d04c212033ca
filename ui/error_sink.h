#pragma once
// Catch points: every entry from the toolkit into our code runs through CatchErrors, so an
// error never crosses a toolkit frame. The application object installs the reporter.
#include <exception>
#include <functional>

class TComponent;

using ErrorReporter = std::function<void(TComponent* sender, std::exception_ptr error)>;
void SetErrorReporter(ErrorReporter reporter);
void ReportCaughtError(TComponent* sender, std::exception_ptr error) noexcept;

template <typename Fn>
void CatchErrors(TComponent* sender, Fn&& fn) noexcept {
    try {
        fn();
    } catch (...) {
        ReportCaughtError(sender, std::current_exception());
    }
}
