#include "ui/error_sink.h"

#include <cstdio>

namespace {
ErrorReporter& Reporter() {
    static ErrorReporter reporter;
    return reporter;
}
}  // namespace

void SetErrorReporter(ErrorReporter reporter) { Reporter() = std::move(reporter); }

void ReportCaughtError(TComponent* sender, std::exception_ptr error) noexcept {
    try {
        if (Reporter()) {
            Reporter()(sender, error);
            return;
        }
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "unknown error\n");
    }
}
