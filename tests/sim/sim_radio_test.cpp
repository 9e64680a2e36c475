#include "sim_radio.h"

#include <gtest/gtest.h>

#include <vector>

#include "../sim_config.h"
#include "../test_memory.h"
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

// A conversation line by line, and the speed the radio then runs at. How it serves whole receives
// and sends, and the speed after their end, the transfer tests show.
TEST(SimRadioTest, AnswersAScriptedConversation) {
    SimRadio radio(test::SimConfigFrom("--version 021234"));
    radio.Memory() = ResetMemory();
    const std::string stamp = "T20B00002120250607080910",
                      record1 = W(RecordFrameText(*RecordImage(radio.Memory(), 1)));
    const std::tuple<std::string, std::string, int> rows[] = {
        {"hello\r", kRefused, kSlowRate},              // no frame
        {W("T007000021020600"), kRefused, kSlowRate},  // level 2: two refusals
        {W("T007000022020600"), kAccepted, kSlowRate},
        {"T204000022D8\r", kRefused, kSlowRate},  // wrong checksum
        {"T204000022d9\r", kRefused, kSlowRate},  // lower-case checksum
        {"\n\r", "", kSlowRate},                  // line feed dropped, empty line ignored
        {"T2040", "", kSlowRate},                 // a partial line waits for its CR
        {"00022D9\r", W("T207000023021234"), kSlowRate},
        {W("T2060000320060"), kRefused, kSlowRate},  // another speed
        {W("T2060000320480"), kAccepted, kFastRate},
        {W("T204000020"), W("T20B00002100000000000000"), kFastRate},
        {W(stamp), kAccepted, kFastRate},
        {W("T204000020"), W(stamp), kFastRate},
        {W("T204000001"), W(stamp), kFastRate},      // the last line again
        {W("T20B0000212025"), kRefused, kFastRate},  // a stamp too short
        {W("T204000077"), kRefused, kFastRate},      // unknown command
        {record1, kRefused, kFastRate},              // record frame outside a send
        {W("T20400FF10"), kRefused, kFastRate},      // erase of channel 255
        {W("T20400E710"), kAccepted, kFastRate},     // erase of 231
    };
    for (const auto& [sent, answer, rate] : rows) {
        SCOPED_TRACE(sent);
        radio.Receive(sent);
        EXPECT_EQ(radio.TakeOutput(), answer);
        EXPECT_EQ(radio.LineRate(), rate);
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

}  // namespace
}  // namespace kld::sim
