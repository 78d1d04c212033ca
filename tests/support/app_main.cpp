#include <gtest/gtest.h>

#include "shell/application.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TApplication application;
    return RUN_ALL_TESTS();
}
