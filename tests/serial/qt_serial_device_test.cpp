#include "qt_serial_device.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <thread>

#include <fstream>
#include "../cases.h"
#include "../files/temp_dir.h"
#include "port_names.h"
#include "pty.h"

namespace kld {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A pseudo-terminal linked as COM7 of the ports folder, as the simulated radio serves itself.
class PtyPort : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.Ok());
        fs::create_symlink(pty_.SlavePath(), dir_ / "COM7");
        ::setenv(kPortsDirVariable, dir_.Path().c_str(), 1);
        device_.SelectPort(7);
    }

    test::Pty pty_;
    test::TempDir dir_;
    QtSerialDevice device_;
};

TEST_F(PtyPort, LineCarriesBothWaysDrainsOnCloseAndFailsWhenPulled) {
    device_.SetBufferSizes(200, 200);
    ASSERT_TRUE(pty_.Send("stale\r"));  // queued before the open; DiscardInput drops it
    ASSERT_TRUE(device_.Open()) << device_.OpenFailureDetail();
    device_.DiscardInput();
    ASSERT_TRUE(device_.Write("T9030000FC\r"));
    EXPECT_EQ(pty_.Receive(11, 2s), "T9030000FC\r");
    // An answer, then a line longer than the receive buffer: it comes in pieces, but all of it
    // comes (that a wait for data does not spin, bench/ shows by the CPU time a transfer takes).
    const std::string lines = "T204000000FB\rT1" + std::string(500, 'A') + "\r";
    ASSERT_TRUE(pty_.Send(lines));
    std::string got;
    for (const auto end = Clock::now() + 5s; got.size() < lines.size() && Clock::now() < end;) {
        device_.WaitForData(50ms);
        got += device_.ReadAvailable();
    }
    EXPECT_EQ(got, lines);

    // What the line has not taken yet when the port closes still leaves before it closes: the
    // end frame of a transfer must reach the radio.
    const std::string bulk(256 * 1024, 'A');
    EXPECT_FALSE(device_.Write(bulk)) << "nobody reads: the line cannot take it all at once";
    std::thread reader([&] { got = pty_.Receive(bulk.size(), 10s); });
    device_.Close();
    reader.join();
    EXPECT_EQ(got.size(), bulk.size());

    // The cable is pulled: the line fails and closes, and nothing waits on it any more.
    ASSERT_TRUE(device_.Open()) << device_.OpenFailureDetail();
    pty_.CloseMaster();
    const auto pulled = Clock::now();
    device_.WaitForData(5s);
    EXPECT_EQ(device_.ReadAvailable(), "");
    device_.WaitForData(5s);
    EXPECT_LT(Clock::now() - pulled, 2s) << "a vanished line must not hang";
    EXPECT_TRUE(device_.Failed() && !device_.IsOpen() && !device_.Write("T9030000FC\r"));
}

TEST_F(PtyPort, LineSettingsReachTheLine) {
    // A pty keeps only the speed and the stop bits; Qt reports the rest.
    for (const auto& row : test::Cases("line_settings.txt")) {
        SCOPED_TRACE(row[0]);
        const LineSettings want{std::stoi(row[1]), row[2][0], std::stoi(row[3]), std::stoi(row[4])};
        EXPECT_TRUE(device_.SetLineSettings(row[0]));
        ASSERT_TRUE(device_.IsOpen() || device_.Open()) << device_.OpenFailureDetail();
        termios line = pty_.Settings(), speed{};
        ::cfsetspeed(&speed, static_cast<speed_t>(want.baud));  // glibc takes the number
        EXPECT_EQ(std::tuple(::cfgetospeed(&line), (line.c_cflag & CSTOPB) != 0,
                             line.c_cflag & CRTSCTS, device_.PortSettings()),
                  std::tuple(::cfgetospeed(&speed), want.stopBits == 2, 0u, want));
    }
    for (const auto& row : test::Cases("refused_line_settings.txt")) {
        EXPECT_FALSE(device_.SetLineSettings(row[0])) << '"' << row[0] << '"';
    }
    EXPECT_EQ(device_.PortSettings(), (LineSettings{9600, 'N', 8, 1}))
        << "refused settings change nothing";
}

// A port is offered only when it can be opened: not one without a device, nor one this program
// holds (under any number). The list runs from COM1 to COM99, with the device behind each link.
TEST_F(PtyPort, PortsOfferedOnlyWhenTheyCanBeOpened) {
    fs::create_symlink(pty_.SlavePath(), dir_ / "COM12");
    fs::create_symlink(pty_.SlavePath(), dir_ / "COM99");
    test::WriteBytes(dir_ / "COM9", "no device");
    const auto why = [](int number) { return WhyPortWillNotOpen(number).value_or("opens"); };
    EXPECT_TRUE(PortCanBeOpened(7));
    EXPECT_TRUE(PortCanBeOpened(7)) << "the probe closes what it opened";
    const std::string notAmong = " is not among the ports in " + dir_.Path().string();
    EXPECT_EQ(why(97).substr(0, 5 + notAmong.size()), "COM97" + notAmong);
    EXPECT_EQ(why(9).substr(0, 4 + notAmong.size()), "COM9" + notAmong) << "a plain file";
    ASSERT_TRUE(device_.Open()) << device_.OpenFailureDetail();
    EXPECT_EQ(why(7), "COM7 (" + (dir_ / "COM7").string() + ") is already open in this program.");
    EXPECT_FALSE(PortCanBeOpened(12)) << "the same device under another number";
    ::unsetenv(kPortsDirVariable);
    EXPECT_TRUE(why(97).starts_with("COM97 is not a port of this computer: COM1 to COM32"));
    ::setenv(kPortsDirVariable, dir_.Path().c_str(), 1);
    EXPECT_TRUE(FindOpenablePorts().empty());
    device_.Close();
    std::vector<PortEntry> found;
    std::thread([&] { found = FindOpenablePorts(); }).join();  // away from the window's thread
    std::string listed;
    for (const PortEntry& port : found) {
        listed += std::to_string(port.number) + " " + port.device + "\n";
    }
    const std::string node = fs::canonical(pty_.SlavePath()).string();
    EXPECT_EQ(listed, "7 " + node + "\n12 " + node + "\n99 " + node + "\n");
}

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
