#include "qt_serial_device.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "../files/temp_dir.h"
#include "port_names.h"
#include "pty.h"

namespace kld {
namespace {

using namespace std::chrono_literals;
using test::Pty;
using test::ScopedEnv;
using test::TempDir;

TEST(QtSerialDevice, LineSettingsText) {
    const struct {
        const char* text;
        std::optional<LineSettings> settings;
    } rows[] = {
        {"9600,N,8,1", LineSettings{9600, 'N', 8, 1}},
        {"115200,N,8,1", LineSettings{115200, 'N', 8, 1}},
        {"4800,E,7,2", LineSettings{4800, 'E', 7, 2}},
        {"1200,O,5,1", LineSettings{1200, 'O', 5, 1}},
        {"", std::nullopt},
        {"9600", std::nullopt},
        {"9600,N,8", std::nullopt},
        {"9600,N,8,1,0", std::nullopt},
        {"9600,n,8,1", std::nullopt},
        {"9600,X,8,1", std::nullopt},
        {"9600,NN,8,1", std::nullopt},
        {"fast,N,8,1", std::nullopt},
        {"0,N,8,1", std::nullopt},
        {"-9600,N,8,1", std::nullopt},
        {"9600,N,9,1", std::nullopt},
        {"9600,N,4,1", std::nullopt},
        {"9600,N,8,3", std::nullopt},
        {"9600, N,8,1", std::nullopt},
        {"9600,N,8,", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.text + "\"");
        EXPECT_EQ(ParseLineSettings(row.text), row.settings);
    }
}

// A pseudo-terminal linked as COM7 of a ports folder, the way the simulated radio serves itself.
class PtyPort : public ::testing::Test {
protected:
    static constexpr int kPort = 7;

    void SetUp() override {
        ASSERT_TRUE(pty_.Ok());
        std::filesystem::create_symlink(pty_.SlavePath(), dir_ / "COM7");
    }

    // Reads through the device until `count` bytes have come or `bound` has passed.
    static std::string Collect(QtSerialDevice& device, std::size_t count,
                               std::chrono::milliseconds bound) {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + bound;
        while (got.size() < count && std::chrono::steady_clock::now() < deadline &&
               !device.Failed()) {
            got += device.ReadAvailable();
            if (got.size() < count) {
                device.WaitForData(50ms);
            }
        }
        return got;
    }

    Pty pty_;
    TempDir dir_;
    ScopedEnv env_{kPortsDirVariable, dir_.Path().string()};
};

TEST_F(PtyPort, LinesTravelBothWays) {
    QtSerialDevice device;
    device.SetBufferSizes(200, 200);
    device.SelectPort(kPort);
    EXPECT_EQ(device.DevicePath(), (dir_ / "COM7").string());
    ASSERT_TRUE(device.Open()) << device.OpenFailureDetail();
    EXPECT_TRUE(device.IsOpen());
    EXPECT_FALSE(device.Failed());

    ASSERT_TRUE(pty_.Send("T204000000FB\r"));
    EXPECT_EQ(Collect(device, 13, 2s), "T204000000FB\r");

    ASSERT_TRUE(device.Write("T9030000FC\r"));
    EXPECT_EQ(pty_.Receive(11, 2s), "T9030000FC\r");

    // Reading needs no wait before it: what has arrived is there at once.
    ASSERT_TRUE(pty_.Send("T204000002F9\r"));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(device.ReadAvailable(), "T204000002F9\r");

    // Longer than the receive buffer: it arrives in pieces, but all of it arrives.
    const std::string frame = "T1" + std::string(500, 'A') + "\r";
    ASSERT_TRUE(pty_.Send(frame));
    EXPECT_EQ(Collect(device, frame.size(), 2s), frame);

    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(device.Write("T9030000FC\r"));
    EXPECT_EQ(device.ReadAvailable(), "");
}

TEST_F(PtyPort, DiscardInputDropsWhatCameBefore) {
    QtSerialDevice device;
    device.SelectPort(kPort);
    // Queued while nobody had the port open: a plain open would still deliver it.
    ASSERT_TRUE(pty_.Send("stale\r"));
    ASSERT_TRUE(device.Open()) << device.OpenFailureDetail();
    device.DiscardInput();
    ASSERT_TRUE(pty_.Send("fresh\r"));
    EXPECT_EQ(Collect(device, 6, 2s), "fresh\r");

    // Also what the device had already taken in but not handed out.
    ASSERT_TRUE(pty_.Send("taken\r"));
    device.WaitForData(1s);
    device.DiscardInput();
    EXPECT_EQ(device.ReadAvailable(), "");
}

TEST_F(PtyPort, WaitingForNothingBlocksWithoutSpinning) {
    QtSerialDevice device;
    device.SelectPort(kPort);
    ASSERT_TRUE(device.Open()) << device.OpenFailureDetail();
    const std::clock_t cpuBefore = std::clock();
    const auto before = std::chrono::steady_clock::now();
    device.WaitForData(300ms);
    const auto waited = std::chrono::steady_clock::now() - before;
    const double cpuSeconds = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 2s);
    EXPECT_LT(cpuSeconds, 0.1);
    EXPECT_FALSE(device.Failed());
    EXPECT_TRUE(device.IsOpen());
}

TEST_F(PtyPort, LineSettingsReachTheLine) {
    QtSerialDevice device;
    device.SelectPort(kPort);
    ASSERT_TRUE(device.SetLineSettings("9600,N,8,1"));
    ASSERT_TRUE(device.Open()) << device.OpenFailureDetail();

    const struct {
        const char* text;
        bool accepted;
        speed_t speed;
        bool twoStopBits;
    } rows[] = {
        {"9600,N,8,1", true, B9600, false},
        {"115200,N,8,1", true, B115200, false},  // the speed change, while open
        {"115200,N,8,2", true, B115200, true},
        {"9600,N,8,1", true, B9600, false},
        {"57600,X,8,1", false, B9600, false},  // refused: the line keeps its settings
        {"", false, B9600, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.text + "\"");
        EXPECT_EQ(device.SetLineSettings(row.text), row.accepted);
        const termios line = pty_.SlaveSettings();
        EXPECT_EQ(::cfgetospeed(&line), row.speed);
        EXPECT_EQ(::cfgetispeed(&line), row.speed);
        EXPECT_EQ((line.c_cflag & CSIZE), static_cast<tcflag_t>(CS8));
        EXPECT_EQ((line.c_cflag & PARENB) != 0, false);
        EXPECT_EQ((line.c_cflag & CSTOPB) != 0, row.twoStopBits);
        EXPECT_EQ((line.c_cflag & CRTSCTS) != 0, false);
    }
    EXPECT_EQ(device.PortSettings(), (LineSettings{9600, 'N', 8, 1}));

    // Settings given while closed are the ones the next open applies.
    device.Close();
    ASSERT_TRUE(device.SetLineSettings("115200,N,8,1"));
    ASSERT_TRUE(device.Open()) << device.OpenFailureDetail();
    const termios line = pty_.SlaveSettings();
    EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(device.PortSettings(), (LineSettings{115200, 'N', 8, 1}));
}

TEST_F(PtyPort, VanishedPeerFailsOnceAndClosesThePort) {
    QtSerialDevice device;
    device.SelectPort(kPort);
    ASSERT_TRUE(device.Open()) << device.OpenFailureDetail();
    pty_.CloseMaster();

    const auto before = std::chrono::steady_clock::now();
    for (int turn = 0; turn < 3; ++turn) {
        device.WaitForData(5s);
        EXPECT_EQ(device.ReadAvailable(), "");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s) << "a vanished line must not hang";
    EXPECT_TRUE(device.Failed());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(device.Write("T9030000FC\r"));
    device.Close();  // closing again is harmless
    EXPECT_TRUE(device.Failed());
}

TEST_F(PtyPort, OpenFailuresSayWhatToDo) {
    QtSerialDevice holder;
    holder.SelectPort(kPort);
    ASSERT_TRUE(holder.Open()) << holder.OpenFailureDetail();
    std::filesystem::create_symlink(pty_.SlavePath(), dir_ / "COM12");

    const struct {
        const char* name;
        int port;
        const char* detail;
    } rows[] = {
        {"no device for the number", 97, "COM97 is not a port of this computer"},
        {"held by this program", kPort, "is already open in this program"},
        {"held by this program under another number", 12, "is already open in this program"},
        {"missing device node", 64, "/dev/ttyUSB31) does not exist"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.port == 64 && std::filesystem::exists("/dev/ttyUSB31")) {
            continue;  // this machine has one
        }
        QtSerialDevice device;
        device.SelectPort(row.port);
        EXPECT_FALSE(device.Open());
        EXPECT_FALSE(device.IsOpen());
        EXPECT_NE(device.OpenFailureDetail().find(row.detail), std::string::npos)
            << device.OpenFailureDetail();
        EXPECT_FALSE(PortAvailable(row.port));
    }

    holder.Close();
    QtSerialDevice device;
    device.SelectPort(12);
    EXPECT_TRUE(device.Open()) << "free again once the holder closes";
    EXPECT_EQ(device.OpenFailureDetail(), "");
}

TEST_F(PtyPort, ProbeFindsTheFreePort) {
    EXPECT_TRUE(PortAvailable(kPort));
    EXPECT_TRUE(PortAvailable(kPort)) << "the probe closes what it opened";
    EXPECT_FALSE(PortAvailable(97));
    std::filesystem::create_symlink(dir_ / "nothing", dir_ / "COM97");
    EXPECT_FALSE(PortAvailable(97));

    bool listed = false;
    for (const PortEntry& entry : FindCommPorts()) {
        EXPECT_GE(entry.number, 1);
        EXPECT_LE(entry.number, 99);
        EXPECT_NE(entry.number, 97);
        if (entry.number == kPort) {
            listed = true;
            EXPECT_EQ(entry.device, (dir_ / "COM7").string());
        }
    }
    EXPECT_TRUE(listed);

    QtSerialDevice holder;
    holder.SelectPort(kPort);
    ASSERT_TRUE(holder.Open());
    EXPECT_FALSE(PortAvailable(kPort)) << "a port this program holds is not offered";
}

}  // namespace
}  // namespace kld
