#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/event_queue.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    StartToolkit();
    int failed = RUN_ALL_TESTS();
    // The toolkit object lives in a static that would be torn down after the toolkit's own
    // statics, which crashes; leave before that.
    std::fflush(nullptr);
    std::_Exit(failed);
}
