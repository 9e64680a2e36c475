#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "wire_codec.h"

extern char** environ;

namespace kld::sim {
namespace {

namespace fs = std::filesystem;

// Reads from fd until the text holds `until` or two seconds have passed.
std::string ReadUntil(int fd, char until) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (text.find(until) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            char buffer[256];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return text;
}

TEST(SimPtyTest, ServesTheRadioOnALinkedPseudoTerminal) {
    const fs::path ports =
        fs::temp_directory_path() / ("kvrx540-sim-ports-" + std::to_string(std::random_device{}()));
    fs::create_directories(ports);

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string portsArg = ports.string();
    const char* argv[] = {KVRX540_SIM, "--ports-dir", portsArg.c_str(), "--port", "5",
                          "--level",   "0",           "--quiet",        nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, KVRX540_SIM, &actions, nullptr, const_cast<char**>(argv), environ),
              0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    const std::string ready = ReadUntil(out[0], '\n');
    ASSERT_TRUE(ready.starts_with("ready COM5 /dev/")) << ready;
    const fs::path link = ports / "COM5";
    EXPECT_TRUE(fs::is_symlink(link));

    // Twice, as the program closes the port between transfers.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        termios tio{};
        ASSERT_EQ(tcgetattr(fd, &tio), 0);
        cfmakeraw(&tio);
        cfsetspeed(&tio, B9600);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &tio), 0);
        const std::string request = WithChecksum("T007000020020600") + "\r";
        ASSERT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
        EXPECT_EQ(ReadUntil(fd, '\r'), "T204000000FB\r");
        close(fd);
    }

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    close(out[0]);
    fs::remove_all(ports);
}

}  // namespace
}  // namespace kld::sim
