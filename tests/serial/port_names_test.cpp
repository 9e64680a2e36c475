#include "port_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "../files/temp_dir.h"
#include "pty.h"

namespace kld {
namespace {

using test::Pty;
using test::ScopedEnv;
using test::TempDir;

struct MappingRow {
    int number;
    std::optional<std::string> device;
};

TEST(PortNames, BuiltInNamesWithoutPortsFolder) {
    const MappingRow rows[] = {
        {1, "/dev/ttyS0"},    {2, "/dev/ttyS1"},    {32, "/dev/ttyS31"},
        {33, "/dev/ttyUSB0"}, {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"},
        {96, "/dev/ttyACM31"}, {97, std::nullopt},  {99, std::nullopt},
        {0, std::nullopt},    {-1, std::nullopt},   {100, std::nullopt},
    };
    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        const ScopedEnv env(kPortsDirVariable,
                            unset ? std::optional<std::string>(unset) : std::nullopt);
        for (const MappingRow& row : rows) {
            SCOPED_TRACE("COM" + std::to_string(row.number) + (unset ? " (empty variable)" : ""));
            EXPECT_EQ(DeviceForPort(row.number), row.device);
        }
    }
}

TEST(PortNames, PortsFolderEntriesComeFirstWhenTheyAreDevices) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    TempDir dir;
    std::filesystem::create_symlink(pty.SlavePath(), dir / "COM7");
    std::filesystem::create_symlink(pty.SlavePath(), dir / "COM98");
    std::filesystem::create_symlink(dir / "gone", dir / "COM8");
    std::ofstream(dir / "COM9") << "not a device";
    std::filesystem::create_directory(dir / "COM40");
    const ScopedEnv env(kPortsDirVariable, dir.Path().string());

    const MappingRow rows[] = {
        {7, (dir / "COM7").string()},    // link to a device
        {98, (dir / "COM98").string()},  // beyond the built-in names
        {8, "/dev/ttyS7"},               // dangling link
        {9, "/dev/ttyS8"},               // plain file
        {40, "/dev/ttyUSB7"},            // folder
        {10, "/dev/ttyS9"},              // no entry
        {99, std::nullopt},
    };
    for (const MappingRow& row : rows) {
        SCOPED_TRACE("COM" + std::to_string(row.number));
        EXPECT_EQ(DeviceForPort(row.number), row.device);
    }
}

TEST(PortNames, PortNumberFromTypedText) {
    const struct {
        const char* text;
        int number;
    } rows[] = {
        {"COM12", 12},   {"com5 ", 5},     {" com 3", 3},      {"7", 7},
        {"  COM1  ", 1}, {"COM007", 7},    {"COMX", 0},        {"", 0},
        {"   ", 0},      {"COM", 0},       {"COM0", 0},        {"12COM", 0},
        {"COM32767", 32767}, {"COM32768", 0}, {"COM99999999999", 0}, {"COM00000000000042", 42},
        {"COM-5", 5},    {"COM1 2", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.text + "\"");
        EXPECT_EQ(PortNumberFromText(row.text), row.number);
    }
}

}  // namespace
}  // namespace kld
