#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "sim_options.h"
#include "sim_radio.h"
#include "sim_serial_device.h"
#include "sim_test_support.h"

namespace kld::sim {
namespace {

using test::Channel;
using test::RecordFrame;
using test::Say;
using test::Wire;

const std::string kAccepted = Wire("T204000000");
const std::string kRefused = Wire("T204000001");
const std::string kBusy = Wire("T204000002");
const std::string kEnd = Wire("T9030000");
const std::string kVersion = Wire("T207000023021100");

// The answer with its checksum one off.
std::string Spoiled(std::string_view body) {
    std::string line = Wire(body);
    const int sum = CalcChecksum(body);
    static constexpr char kDigits[] = "0123456789ABCDEF";
    line[line.size() - 3] = kDigits[((sum + 1) >> 4) & 0xF];
    line[line.size() - 2] = kDigits[(sum + 1) & 0xF];
    return line;
}

std::string WithAddress(std::string frame, std::string_view address) {
    frame.replace(4, 4, address);
    return frame;
}

struct Exchange {
    std::string sent;
    std::string answer;
};

TEST(SimFaultTest, EachFaultChangesOnlyWhatItSays) {
    // Channels 3 and 7 in the radio; the program's channel 12 to send.
    ChannelMemory held;
    held.Rec(3) = Channel(3, "THREE", "151.0000");
    held.Rec(7) = Channel(7, "SEVEN", "152.0000");
    ChannelMemory program;
    program.Rec(12) = Channel(12, "TWELVE", "156.8000");
    const std::string rec3 = RecordFrame(held, 3);
    const std::string rec7 = RecordFrame(held, 7);
    const std::string rec12 = RecordFrame(program, 12);

    struct Row {
        const char* name;
        std::function<void(SimFaults&)> fault;
        std::vector<Exchange> talk;
        bool vanished = false;
    } rows[] = {
        {"busy before one command",
         [](SimFaults& f) {
             f.busyAnswers = 2;
             f.busyFor = "T204000022";
         },
         {{"T204000022", kBusy + kBusy + kVersion}, {"T204000033", Wire("T20500003370")}}},
        {"busy before every command",
         [](SimFaults& f) { f.busyAnswers = 1; },
         {{"T204000022", kBusy + kVersion}, {"T204000024", kBusy + kAccepted}}},
        {"garbage before answers",
         [](SimFaults& f) { f.garbageLines = 2; },
         {{"T204000022", "xyz\rxyz\r" + kVersion}}},
        {"bad checksum once",
         [](SimFaults& f) { f.badChecksums = 1; },
         {{"T204000022", Spoiled("T207000023021100")}, {"T204000022", kVersion}}},
        {"bad checksum always, on one command",
         [](SimFaults& f) {
             f.badChecksums = kAlways;
             f.badChecksumFor = "T204000033";
         },
         {{"T204000033", Spoiled("T20500003370")},
          {"T204000022", kVersion},
          {"T204000033", Spoiled("T20500003370")}}},
        {"second record frame refused once",
         [](SimFaults& f) { f.refuseRecordFrame = 2; },
         {{"T204000025", kAccepted},
          {rec12, kAccepted},
          {rec12, kRefused},
          {rec12, kAccepted},
          {rec12, kAccepted}}},
        {"first record frame refused twice",
         [](SimFaults& f) {
             f.refuseRecordFrame = 1;
             f.refuseRecordTimes = 2;
         },
         {{"T204000025", kAccepted}, {rec12, kRefused}, {rec12, kRefused}, {rec12, kAccepted}}},
        {"one record out of range",
         [](SimFaults& f) { f.outOfRangeRecords = 1; },
         {{"T204000024", kAccepted},
          {"T204000000", Wire(WithAddress(rec3, "0100"))},
          {"T204000001", Wire(rec3)},
          {"T204000000", Wire(rec7)}}},
        {"records out of range for good",
         [](SimFaults& f) { f.outOfRangeRecords = kAlways; },
         {{"T204000024", kAccepted},
          {"T204000000", Wire(WithAddress(rec3, "0100"))},
          {"T204000001", Wire(WithAddress(rec3, "0100"))},
          {"T204000000", Wire(WithAddress(rec7, "0100"))}}},
        {"over-long first record",
         [](SimFaults& f) { f.overLongFrame = true; },
         {{"T204000024", kAccepted},
          {"T204000000", Wire("T181" + rec3.substr(4) + std::string(124, '0'))},
          {"T204000001", Wire(rec3)}}},
        {"silent after one line",
         [](SimFaults& f) { f.silentAfterLines = 1; },
         {{"T204000022", kVersion}, {"T204000022", ""}}},
        {"silent from the start",
         [](SimFaults& f) { f.silentAfterLines = 0; },
         {{"T204000022", ""}}},
        {"vanishes after two lines",
         [](SimFaults& f) { f.vanishAfterLines = 2; },
         {{"T204000022", kVersion}, {"T204000022", kVersion}, {"T204000022", ""}},
         true},
        {"gone from the start",
         [](SimFaults& f) { f.vanishAfterLines = 0; },
         {{"T204000022", ""}},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimConfig config;
        row.fault(config.faults);
        SimRadio radio(config);
        radio.Memory() = held;
        for (const Exchange& exchange : row.talk) {
            EXPECT_EQ(Say(radio, exchange.sent), exchange.answer) << exchange.sent;
        }
        EXPECT_EQ(radio.Vanished(), row.vanished);
    }
}

TEST(SimSerialDeviceTest, CarriesBytesOnlyWhileBothEndsAgreeOnTheSpeed) {
    SimRadio radio;
    SimSerialDevice device(radio);
    device.SelectPort(3);
    EXPECT_FALSE(device.Write(Wire("T204000022"))) << "not open yet";
    ASSERT_TRUE(device.SetLineSettings("9600,N,8,1"));
    ASSERT_TRUE(device.Open());
    device.DiscardInput();

    for (int code = 0x20; code <= 0x22; ++code) {
        std::string request = "T00700002" + std::to_string(code - 0x20) + "020600";
        ASSERT_TRUE(device.Write(Wire(request)));
        EXPECT_EQ(device.ReadAvailable(), code < 0x22 ? kRefused : kAccepted);
    }
    ASSERT_TRUE(device.Write(Wire("T2060000320480")));
    EXPECT_EQ(device.ReadAvailable(), kAccepted) << "the acceptance still comes at 9600";

    ASSERT_TRUE(device.Write(Wire("T204000033")));
    EXPECT_EQ(device.ReadAvailable(), "") << "the radio listens at 115200 now";
    ASSERT_TRUE(device.SetLineSettings("115200,N,8,1"));
    ASSERT_TRUE(device.Write(Wire("T204000033")));
    EXPECT_EQ(device.ReadAvailable(), Wire("T20500003370"));

    EXPECT_EQ(device.LineSettingsRequested(),
              (std::vector<std::string>{"9600,N,8,1", "115200,N,8,1"}));
    EXPECT_EQ(device.Written().substr(0, 19), Wire("T007000020020600"));
    EXPECT_EQ(device.SelectedPort(), 3);
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.ReadAvailable(), "");
}

TEST(SimSerialDeviceTest, OpenFailureAndVanishing) {
    SimRadio radio;
    SimSerialDevice refusing(radio);
    refusing.FailOpen("COM4 is held by another program.");
    EXPECT_FALSE(refusing.Open());
    EXPECT_EQ(refusing.OpenFailureDetail(), "COM4 is held by another program.");

    SimConfig config;
    config.faults.vanishAfterLines = 1;
    SimRadio fleeting(config);
    SimSerialDevice device(fleeting);
    ASSERT_TRUE(device.Open());
    EXPECT_FALSE(device.Failed());
    EXPECT_TRUE(device.Write(Wire("T204000022")));
    EXPECT_EQ(device.ReadAvailable(), kVersion) << "what was said before it went";
    EXPECT_TRUE(device.Failed());
    EXPECT_FALSE(device.Write(Wire("T204000022")));
    device.Close();
    EXPECT_FALSE(device.Open());
}

TEST(SimOptionsTest, CommandLineMirrorsTheConfig) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        bool ok;
        std::function<bool(const SimOptions&)> check;
    } rows[] = {
        {"defaults",
         {},
         true,
         [](const SimOptions& o) {
             return o.port == 1 && o.config.protocolLevel == 2 && !o.pace &&
                    o.config.enabledModes == 0x70;
         }},
        {"radio settings",
         {"--port", "7", "--level", "1", "--modes", "30", "--version", "02a000", "--stamp",
          "20240102030405", "--pace", "--quiet"},
         true,
         [](const SimOptions& o) {
             return o.port == 7 && o.config.protocolLevel == 1 && o.config.enabledModes == 0x30 &&
                    o.config.version == "02A000" && o.config.memoryStamp == "20240102030405" &&
                    o.pace && o.quiet;
         }},
        {"faults",
         {"--busy", "3", "--busy-for", "T204000011", "--bad-checksum", "always", "--out-of-range",
          "1", "--refuse-record", "4", "--refuse-times", "2", "--silent-after", "0",
          "--vanish-after", "9", "--over-long", "--garbage", "1"},
         true,
         [](const SimOptions& o) {
             const SimFaults& f = o.config.faults;
             return f.busyAnswers == 3 && f.busyFor == "T204000011" && f.badChecksums == kAlways &&
                    f.outOfRangeRecords == 1 && f.refuseRecordFrame == 4 &&
                    f.refuseRecordTimes == 2 && f.silentAfterLines == 0 &&
                    f.vanishAfterLines == 9 && f.overLongFrame && f.garbageLines == 1;
         }},
        {"level out of range", {"--level", "3"}, false, nullptr},
        {"stamp too short", {"--stamp", "2024"}, false, nullptr},
        {"missing value", {"--port"}, false, nullptr},
        {"unknown option", {"--baud", "300"}, false, nullptr},
        {"missing debug log file", {"--debug-log", "/nonexistent/dbg.txt"}, false, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimOptions options;
        std::string error;
        ASSERT_EQ(ParseSimOptions(row.args, options, error), row.ok) << error;
        if (row.ok) {
            EXPECT_TRUE(row.check(options));
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

}  // namespace
}  // namespace kld::sim
