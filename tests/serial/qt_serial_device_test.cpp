#include "qt_serial_device.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <thread>

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
    device_
        .DiscardInput();  // (that a wait for data does not spin, the paced end-to-end test shows)
    ASSERT_TRUE(pty_.Send("T204000000FB\r"));
    std::string answer;
    for (const auto end = Clock::now() + 5s; answer.size() < 13 && Clock::now() < end;) {
        answer += device_.ReadAvailable();  // takes in what came, without a wait of its own
    }
    EXPECT_EQ(answer, "T204000000FB\r");
    ASSERT_TRUE(device_.Write("T9030000FC\r"));
    EXPECT_EQ(pty_.Receive(11, 2s), "T9030000FC\r");
    // Longer than the receive buffer: it comes in pieces, but all of it comes.
    const std::string frame = "T1" + std::string(500, 'A') + "\r";
    ASSERT_TRUE(pty_.Send(frame));
    std::string got;
    for (const auto end = Clock::now() + 5s; got.size() < frame.size() && Clock::now() < end;) {
        device_.WaitForData(50ms);
        got += device_.ReadAvailable();
    }
    EXPECT_EQ(got, frame);

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
    EXPECT_TRUE(device_.Failed() && !device_.IsOpen());
    EXPECT_FALSE(device_.Write("T9030000FC\r"));
}

TEST_F(PtyPort, LineSettingsReachTheLine) {
    // A pty keeps only the speed and the stop bits; Qt reports the rest.
    const std::tuple<const char*, LineSettings, speed_t> rows[] = {
        {"4800,E,7,2", {4800, 'E', 7, 2}, B4800},  // given while closed, applied by the open
        {"115200,N,8,1", {115200, 'N', 8, 1}, B115200},
        {"1200,O,5,1", {1200, 'O', 5, 1}, B1200},
        {"9600,N,8,1", {9600, 'N', 8, 1}, B9600},
    };
    for (const auto& [text, settings, speed] : rows) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(device_.SetLineSettings(text));
        ASSERT_TRUE(device_.IsOpen() || device_.Open()) << device_.OpenFailureDetail();
        const termios line = pty_.Settings();
        EXPECT_EQ(::cfgetospeed(&line), speed);
        EXPECT_EQ((line.c_cflag & CSTOPB) != 0, settings.stopBits == 2);
        EXPECT_EQ(line.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(device_.PortSettings(), settings);
    }
    for (const char* bad :
         {"", "9600,N,8", "9600,N,8,1,0", "fast,N,8,1", "0,N,8,1", "9600,n,8,1", "9600,NN,8,1",
          "9600,N,9,1", "9600,N,4,1", "9600,N,8,3", "9600, N,8,1", "9600,N,8,"}) {
        EXPECT_FALSE(device_.SetLineSettings(bad)) << '"' << bad << '"';
    }
    EXPECT_EQ(device_.PortSettings(), std::get<1>(rows[3])) << "refused settings change nothing";
}

// A port is offered only when it can be opened: not one without a device, nor one this program
// holds (under any number). The list runs from COM1 to COM99, with the device behind each link.
TEST_F(PtyPort, PortsOfferedOnlyWhenTheyCanBeOpened) {
    fs::create_symlink(pty_.SlavePath(), dir_ / "COM12");
    fs::create_symlink(pty_.SlavePath(), dir_ / "COM99");
    EXPECT_TRUE(PortCanBeOpened(7));
    EXPECT_TRUE(PortCanBeOpened(7)) << "the probe closes what it opened";
    EXPECT_FALSE(PortCanBeOpened(97)) << "no device";
    ASSERT_TRUE(device_.Open()) << device_.OpenFailureDetail();
    EXPECT_FALSE(PortCanBeOpened(7)) << "held by this program";
    EXPECT_FALSE(PortCanBeOpened(12)) << "the same device under another number";
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

}  // namespace
}  // namespace kld
