#include "port_names.h"

#include <gtest/gtest.h>

#include <fstream>

#include "../files/temp_dir.h"

namespace kld {
namespace {

namespace fs = std::filesystem;

TEST(PortNames, WithAFolderOnlyItsDeviceEntriesArePorts) {
    test::TempDir dir;
    fs::create_symlink("/dev/null", dir / "COM7");  // any device node
    fs::create_symlink("/dev/null", dir / "COM98");
    fs::create_symlink(dir / "gone", dir / "COM8");
    std::ofstream(dir / "COM9") << "not a device";
    // With the folder or without it: a port number and its device.
    // clang-format off
    const std::tuple<bool, int, std::optional<std::string>> rows[] = {
        {false, 1, "/dev/ttyS0"}, {false, 32, "/dev/ttyS31"}, {false, 33, "/dev/ttyUSB0"},
        {false, 64, "/dev/ttyUSB31"}, {false, 65, "/dev/ttyACM0"}, {false, 96, "/dev/ttyACM31"},
        {false, 97, std::nullopt}, {false, 0, std::nullopt}, {false, 7, "/dev/ttyS6"},
        // A dangling link, a plain file and a number the folder lacks are no ports.
        {true, 8, std::nullopt}, {true, 9, std::nullopt}, {true, 1, std::nullopt},
        {true, 7, (dir / "COM7").string()}, {true, 98, (dir / "COM98").string()},
    };
    // clang-format on
    for (const auto& [folder, number, device] : rows) {
        folder ? ::setenv(kPortsDirVariable, dir.Path().c_str(), 1) : ::unsetenv(kPortsDirVariable);
        EXPECT_EQ(DeviceForPort(number), device) << "COM" << number << (folder ? ", folder" : "");
    }
}

TEST(PortNames, PortNumberFromTypedText) {
    // clang-format off
    const std::pair<const char*, int> rows[] = {{"COM12", 12}, {" com 3", 3}, {"  COM1  ", 1},
        {"7", 7}, {"COM19", 19}, {"COM90", 90}, {"COMX", 0}, {"", 0}, {"   ", 0}, {"12COM", 0},
        {"COM1 2", 2}, {"COM32767", 32767}, {"COM32768", 0}, {"COM99999999999", 0},
        {"COM00000000000042", 42}};
    // clang-format on
    for (const auto& [text, number] : rows) {
        EXPECT_EQ(PortNumberFromText(text), number) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace kld
