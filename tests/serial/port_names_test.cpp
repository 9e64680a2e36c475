#include "port_names.h"

#include <gtest/gtest.h>

#include <fstream>

#include "../cases.h"
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
    for (const auto& row : test::Cases("port_devices.txt")) {
        const bool folder = row[0] == "folder";
        folder ? ::setenv(kPortsDirVariable, dir.Path().c_str(), 1) : ::unsetenv(kPortsDirVariable);
        const std::string device = folder && !row[2].empty() ? (dir / row[2]).string() : row[2];
        EXPECT_EQ(DeviceForPort(std::stoi(row[1])).value_or(""), device)
            << "COM" << row[1] << ", " << row[0];
    }
}

TEST(PortNames, PortNumberFromTypedText) {
    for (const auto& row : test::Cases("port_text.txt")) {
        EXPECT_EQ(PortNumberFromText(row[0]), std::stoi(row[1])) << '"' << row[0] << '"';
    }
}

}  // namespace
}  // namespace kld
