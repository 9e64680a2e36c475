#include "sim_radio.h"

#include <gtest/gtest.h>

#include <vector>

#include "../cases.h"
#include "../sim_config.h"
#include "../test_memory.h"
#include "sim_serial_device.h"
#include "wire_codec.h"

namespace kld::sim {
namespace {

std::string W(std::string_view body) {
    return WithChecksum(body) + "\r";
}

const std::string kAccepted = W("T204000000"), kRefused = W("T204000001"),
                  kVersion = W("T207000023021100");

// Main and the two guards, as after a reset; the template is no record of the radio's.
ChannelMemory ResetMemory() {
    ChannelMemory memory = test::ResetMemory();
    memory.Rec(kDefaultRecord).Select = 0;
    return memory;
}

// A conversation line by line (cases/conversation.txt), and the speed the radio then runs at. How
// it serves whole receives and sends, and the speed after their end, the transfer tests show.
TEST(SimRadioTest, AnswersAScriptedConversation) {
    SimRadio radio(test::SimConfigFrom("--version 021234"));
    radio.Memory() = ResetMemory();
    const auto wire = [&radio](std::string cell) {
        for (std::size_t open; (open = cell.find('<')) != std::string::npos;) {
            const std::size_t close = cell.find('>', open);
            cell.replace(open, close + 1 - open, W(cell.substr(open + 1, close - open - 1)));
        }
        return cell == "{record 1}" ? W(RecordFrameText(*RecordImage(radio.Memory(), 1))) : cell;
    };
    for (const test::Cells& row : test::Cases("conversation.txt")) {
        SCOPED_TRACE(row.at(0));
        radio.Receive(wire(row.at(0)));
        EXPECT_EQ(radio.TakeOutput(), wire(row.at(1)));
        EXPECT_EQ(radio.LineRate(), std::stoi(row.at(2)));
    }
    EXPECT_FALSE(radio.Memory().Rec(kGuard1).IsDefined());
}

// Faults whose details the transfer tests do not see: those limited to one command, the k-th
// record frame, the repeat after an over-long frame. (The transfer tests pin where a silent or
// vanishing radio stops.)
TEST(SimRadioTest, FaultsChangeOnlyWhatTheySay) {
    const ChannelMemory held = ResetMemory();
    const std::string rec1 = RecordFrameText(*RecordImage(held, 1)), modes = W("T20500003370");
    using Talk = std::vector<std::pair<std::string, std::string>>;  // sent body, answer
    // clang-format off
    const std::pair<const char*, Talk> rows[] = {
        {"--busy 2 --busy-for T204000022",
         {{"T204000022", W("T204000002") + W("T204000002") + kVersion}, {"T204000033", modes}}},
        {"--garbage 1 --garbage-for T204000033",
         {{"T204000022", kVersion}, {"T204000033", "xyz\r" + modes}}},
        {"--bad-checksum always --bad-checksum-for T204000033",
         {{"T204000033", "T2050000337058\r"}, {"T204000022", kVersion},
          {"T204000033", "T2050000337058\r"}}},
        // The second record frame refused once; a resend is not counted.
        {"--refuse-record 2", {{"T204000025", kAccepted}, {rec1.substr(0, 100), kRefused},
          {rec1, kAccepted}, {rec1, kRefused}, {rec1, kAccepted}}},
        // The first record of a receive too long a frame, then the real one on repeat.
        {"--over-long", {{"T204000024", kAccepted},
          {"T204000000", W("T181" + rec1.substr(4) + std::string(124, '0'))},
          {"T204000001", W(rec1)}, {"T204000000", W(RecordFrameText(*RecordImage(held, kGuard1)))}}},
    };
    // clang-format on
    for (const auto& [options, talk] : rows) {
        SCOPED_TRACE(options);
        SimRadio radio(test::SimConfigFrom(options));
        radio.Memory() = held;
        for (const auto& [sent, answer] : talk) {
            radio.Receive(W(sent));
            EXPECT_EQ(radio.TakeOutput(), answer) << sent;
        }
    }
}

// Like a real line, the in-process line carries bytes only while both ends run at one speed, so
// a program that forgets to follow a speed change hears nothing.
TEST(SimSerialDevice, CarriesBytesOnlyWhileBothEndsRunAtOneSpeed) {
    SimRadio radio;
    SimSerialDevice device(radio);
    ASSERT_TRUE(device.Open());
    // The speed the line is at when the program writes, what it writes, the speed when it reads
    // the answer, and what it reads.
    const std::tuple<const char*, std::string, const char*, std::string> rows[] = {
        {"115200,N,8,1", "T204000022", "115200,N,8,1", ""},  // the radio is at 9600
        {"9600,N,8,1", "T2060000320480", "9600,N,8,1", kAccepted},
        {"9600,N,8,1", "T204000022", "9600,N,8,1", ""},        // the radio is at 115200 now
        {"115200,N,8,1", "T9030000", "115200,N,8,1", ""},      // no answer; 9600 again
        {"9600,N,8,1", "T2060000320480", "115200,N,8,1", ""},  // switched before the answer came
        {"115200,N,8,1", "T204000022", "115200,N,8,1", kVersion},
    };
    for (const auto& [writeAt, sent, readAt, answer] : rows) {
        SCOPED_TRACE(sent);
        ASSERT_TRUE(device.SetLineSettings(writeAt));
        ASSERT_TRUE(device.Write(W(sent)));
        ASSERT_TRUE(device.SetLineSettings(readAt));
        EXPECT_EQ(device.ReadAvailable(), answer);
    }
    EXPECT_EQ(radio.LinesReceived(), 4);
}

}  // namespace
}  // namespace kld::sim
