#pragma once
// The desktop's font configuration, read on a thread of its own while the toolkit connects to
// the display: reading it takes several milliseconds, which would otherwise come before the
// first text of the first window.
#include <thread>

class FontConfigPreload {
public:
    FontConfigPreload();
    // Waits for the reading, so that the toolkit's first use of fonts finds it done instead of
    // reading it a second time.
    ~FontConfigPreload();
    FontConfigPreload(const FontConfigPreload&) = delete;
    FontConfigPreload& operator=(const FontConfigPreload&) = delete;

private:
    std::thread reader_;
};
