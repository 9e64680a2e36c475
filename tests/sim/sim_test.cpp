#include <gtest/gtest.h>

#include <vector>

#include "../test_memory.h"
#include "settings_file.h"
#include "sim_radio.h"
#include "sim_serial_device.h"
#include "wire_codec.h"

namespace kld::sim {
namespace {

std::string W(std::string_view body) {
    return WithChecksum(body) + "\r";
}

const std::string kAccepted = W("T204000000");
const std::string kRefused = W("T204000001");
const std::string kEnd = W("T9030000");
const std::string kVersion = W("T207000023021100");

// Main and the two guards, as after a reset; the template is no record of the radio's.
ChannelMemory ResetMemory() {
    ChannelMemory memory = test::ResetMemory();
    memory.Rec(kDefaultRecord).Select = 0;
    return memory;
}

std::string Frame(const ChannelMemory& memory, int index) {
    return RecordFrameText(*RecordImage(memory, index));
}

std::string Opening(char code) {
    return std::string("T00700002") + code + "020600";
}

// Through the in-process line, each exchange at the line speed the program has set: bytes sent
// or answered at a speed the radio is not at are lost.
TEST(SimRadioTest, AnswersAScriptedConversation) {
    SimConfig config;
    config.enabledModes = 0x30;
    config.version = "021234";
    SimRadio radio(config);
    radio.Memory() = ResetMemory();
    const std::string rec1 = Frame(radio.Memory(), 1);
    const std::string rec232 = Frame(radio.Memory(), kGuard2);
    const std::string stamp = "T20B00002120250607080910";
    SimSerialDevice device(radio);
    ASSERT_TRUE(device.Open());

    const struct {
        int rate;
        std::string sent, answer;
    } rows[] = {
        {kSlowRate, "hello\r", kRefused},        // no frame
        {kSlowRate, W(Opening('1')), kRefused},  // level 2: two refusals
        {kSlowRate, W(Opening('2')), kAccepted},
        {kSlowRate, "T204000022D8\r", kRefused},  // wrong checksum
        {kSlowRate, "T204000022d9\r", kRefused},  // lower-case checksum
        {kSlowRate, "\n\r", ""},                  // line feed dropped, empty line ignored
        {kSlowRate, "T2040", ""},                 // a partial line waits for its CR
        {kSlowRate, "00022D9\r", W("T207000023021234")},
        {kSlowRate, W("T204000033"), W("T20500003330")},
        {kSlowRate, W("T2060000320060"), kRefused},   // another speed
        {kSlowRate, W("T2060000320480"), kAccepted},  // accepted at the old speed
        {kSlowRate, W("T204000022"), ""},             // the radio listens at 115200 now
        {kFastRate, W("T204000020"), W("T20B00002100000000000000")},
        {kFastRate, W(stamp), kAccepted},
        {kFastRate, W("T204000020"), W(stamp)},
        {kFastRate, W("T204000001"), W(stamp)},      // the last line again
        {kFastRate, W("T20B0000212025"), kRefused},  // a stamp too short
        {kFastRate, W("T204000077"), kRefused},      // unknown command
        {kFastRate, W(rec1), kRefused},              // record frame outside a send
        {kFastRate, W("T20400FF10"), kRefused},      // erase of channel 255
        {kFastRate, W("T20400E710"), kAccepted},     // erase of 231
        {kFastRate, W("T204000024"), kAccepted},     // receive: defined records in order
        {kFastRate, W("T204000000"), W(rec1)},
        {kFastRate, W("T204000000"), W(rec232)},
        {kFastRate, W("T204000000"), kEnd},  // still at the receive's speed
        {kFastRate, W("T204000001"), ""},    // then back at 9600
        {kSlowRate, W("T204000001"), kEnd},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sent);
        ASSERT_TRUE(device.SetLineSettings(row.rate == kSlowRate ? "9600,N,8,1" : "115200,N,8,1"));
        ASSERT_TRUE(device.Write(row.sent));
        EXPECT_EQ(device.ReadAvailable(), row.answer);
    }
    // An answer goes out at the radio's speed: a line switched before reading it loses it.
    ASSERT_TRUE(device.Write(W("T2060000320480")));
    ASSERT_TRUE(device.SetLineSettings("115200,N,8,1"));
    EXPECT_EQ(device.ReadAvailable(), "");
    EXPECT_FALSE(radio.Memory().Rec(kGuard1).IsDefined());
    EXPECT_EQ(radio.LinesReceived(), 24) << "bytes at the wrong speed never reach the radio";
}

// Faults whose details the transfer tests do not see: those limited to one command, the k-th
// record frame, the repeat after an over-long frame, and the exact line counts.
TEST(SimRadioTest, FaultsChangeOnlyWhatTheySay) {
    const ChannelMemory held = ResetMemory();
    const std::string rec1 = Frame(held, 1);
    const std::string modes = W("T20500003370");
    const struct {
        const char* name;
        void (*fault)(SimFaults&);
        std::vector<std::pair<std::string, std::string>> talk;  // sent body, answer
        bool vanished;
    } rows[] = {
        {"busy for one command",
         [](SimFaults& f) { f.busyAnswers = 2, f.busyFor = "T204000022"; },
         {{"T204000022", W("T204000002") + W("T204000002") + kVersion}, {"T204000033", modes}},
         false},
        {"garbage for one command",
         [](SimFaults& f) { f.garbageLines = 1, f.garbageFor = "T204000033"; },
         {{"T204000022", kVersion}, {"T204000033", "xyz\r" + modes}},
         false},
        {"bad checksum always, for one command",
         [](SimFaults& f) { f.badChecksums = kAlways, f.badChecksumFor = "T204000033"; },
         {{"T204000033", "T2050000337058\r"},
          {"T204000022", kVersion},
          {"T204000033", "T2050000337058\r"}},
         false},
        {"second record frame refused once; a resend is not counted",
         [](SimFaults& f) { f.refuseRecordFrame = 2; },
         {{"T204000025", kAccepted},
          {rec1.substr(0, 100), kRefused},
          {rec1, kAccepted},
          {rec1, kRefused},
          {rec1, kAccepted}},
         false},
        {"over-long first record, then the real one on repeat",
         [](SimFaults& f) { f.overLongFrame = true; },
         {{"T204000024", kAccepted},
          {"T204000000", W("T181" + rec1.substr(4) + std::string(124, '0'))},
          {"T204000001", W(rec1)},
          {"T204000000", W(Frame(held, kGuard1))}},
         false},
        {"silent after one line",
         [](SimFaults& f) { f.silentAfterLines = 1; },
         {{"T204000022", kVersion}, {"T204000022", ""}},
         false},
        {"vanishes after one line, answering it",
         [](SimFaults& f) { f.vanishAfterLines = 1; },
         {{"T204000022", kVersion}, {"T204000022", ""}},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SimConfig config;
        row.fault(config.faults);
        SimRadio radio(config);
        radio.Memory() = held;
        for (const auto& [sent, answer] : row.talk) {
            radio.Receive(W(sent));
            EXPECT_EQ(radio.TakeOutput(), answer) << sent;
        }
        EXPECT_EQ(radio.Vanished(), row.vanished);
    }
}

}  // namespace
}  // namespace kld::sim
