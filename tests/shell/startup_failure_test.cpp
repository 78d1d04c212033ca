#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

TEST(StartupFailure, WindowWithoutLayoutShowsFallbackBoxAndExitsWithOne) {
    std::string command = std::string(PROBE_PATH) + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(output.find("Exception EResNotFound in module startup_failure_probe at 00000000.\r\n"
                          "Resource TNoLayoutForm not found.\r\n"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("[box: Application Error]"), std::string::npos) << output;
}
