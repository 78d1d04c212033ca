#pragma once
// Process-wide seams (a message-box interceptor, a menu chooser, file operations, ...) set for
// one scope: the stand-in goes in through the seam's setter, and at the end the setter gets an
// empty value (nullptr, false, an empty function), which means the real thing again.
#include <type_traits>
#include <utility>

template <typename Value>
class ScopedSeam {
public:
    ScopedSeam(void (*set)(Value), std::type_identity_t<Value> standIn) : set_(set) { set_(std::move(standIn)); }
    ~ScopedSeam() { set_(Value{}); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

private:
    void (*set_)(Value);
};
