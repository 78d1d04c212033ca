#include <gtest/gtest.h>

#include "platform/event_queue.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    StartToolkit();
    int failed = RUN_ALL_TESTS();
    StopToolkit();
    return failed;
}
