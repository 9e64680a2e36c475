#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "../cases.h"
#include "../files/temp_dir.h"
#include "codecs.h"
#include "debug_log.h"
#include "tables.h"
#include "wire_codec.h"

namespace kld {
namespace {

using namespace std::string_view_literals;
constexpr int kIndex = 17;
using Change = void (*)(ChannelRecord&);
using Zones = std::array<std::int16_t, kZoneCount>;

// A sendable digital channel with every field away from its default.
ChannelRecord SampleChannel() {
    // clang-format off
    return {.Select = kSelDefined | kSelCreatedHere | kSelSend,
        .Shad = kShadScanMember | kShadPrimary, .Prim = kIndex, .Chnl = kIndex, .Scan = 0x30,
        .Desc = "Fire 2"sv, .EFlags = 32, .Mode = kModeDigital, .RSql = kSqlTalkGroup,
        .RTG = "0A1F"sv, .RCTCSS = 33, .RDCS = 0, .RNAC = "293"sv, .RFrq = "155.3400"sv,
        .TSql = kSqlIdCall, .TTG = "FFFF"sv, .TCTCSS = 41, .TDCS = 82, .TNAC = "F00"sv,
        .TFrq = "159.0125"sv, .IDCall = {1, 0x23, 0x45, 0x67, 0}, .RFRec = 10};
    // clang-format on
}

// A record frame carrying only an address, shadow slot, channel and list byte.
std::string BareFrame(int address, int shad, int chnl, int scan) {
    return "T100" + HexPair(address >> 8) + HexPair(address & 0xFF) + HexPair(shad) + "00" +
           HexPair(chnl) + HexPair(scan) + std::string(120, '0');
}

// Zone counts with one channel in `zone` (-1: none).
Zones CountedIn(int zone) {
    Zones counts{};
    if (zone >= 0) {
        counts[static_cast<std::size_t>(zone)] = 1;
    }
    return counts;
}

// Every frame the program and the radio exchange, with a checksum worked out by hand. Both sides
// build their frames from the same constants, so only a fixed text can catch a wrong one.
TEST(FramesTest, EveryCommandAsItGoesOnTheWire) {
    const ProgramVersion v260{2, 6, 0};
    using F = std::string;
    // clang-format off
    const std::string frames[] = {OpeningRequestFrame(kFirstOpeningCode, v260),
        OpeningRequestFrame(kFirstOpeningCode + 1, v260), F(kFrameAccepted), F(kFrameRefused),
        F(kFrameBusy), F(kFrameSpeedChange), F(kFrameModesQuestion), F(kFrameModesAnswer) + "70",
        F(kFrameVersionQuestion), F(kFrameVersionAnswer) + "021100", F(kFrameTextLogQuestion),
        F(kFrameStampQuestion), F(kFrameStamp) + "20210305153012", F(kFrameBeginSend),
        F(kFrameBeginReceive), F(kFrameBeginDebugLog), F(kFramePurge), EraseFrame(kGuard1),
        F(kFrameEnd)};
    // clang-format on
    std::string wire;
    for (const std::string& frame : frames) {
        wire += WithChecksum(frame) + "\n";
    }
    test::ExpectGolden("frames.txt", wire);
}

// Whole record frames, not taken from the program: a fault in the codec that the engine and the
// simulated radio share cannot pass them. The receiving record's unsent elements (IDCall[4],
// ShadList[7]) survive; the other shadow slots travel as zeros.
TEST(RecordImageTest, GoldenFramesBothWays) {
    ChannelMemory sent;
    ClearMemory(sent);
    // Channel 17: digital, receive CTCSS 206.5 Hz (code 40, not its position + 1), transmit
    // 254.8 Hz and DCS 754, the last entries of their tables.
    sent.Rec(kIndex) = SampleChannel();
    sent.Rec(kIndex).ShadList = {3, 4, 0, 0, 0, 0, 0, 99};
    // A narrowband shadow (slot 3, scanning) of channel 17: CTCSS squelch received, DCS 134
    // (code 21) sent.
    ChannelRecord& shadow = sent.Rec(42) = SampleChannel();
    shadow.Select = kSelDefined | kSelSend, shadow.Shad = 3 | kShadScanMember, shadow.Chnl = 42;
    shadow.Mode = kModeNarrow, shadow.RSql = kSqlCtcss, shadow.TSql = kSqlDcs;
    shadow.TCTCSS = 0, shadow.TDCS = 20;
    // Guard 2 as a reset leaves it: list 15, noise squelch, tones and codes at position 1.
    for (const auto& row : test::Cases("record_frames.txt")) {
        const std::string& wire = row[2];
        const int index = std::stoi(row[1]), countedZone = std::stoi(row[3]);
        SCOPED_TRACE(row[0]);
        const auto image = RecordImage(sent, index);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(WithChecksum(RecordFrameText(*image)), wire);

        ChannelMemory received;
        received.Rec(index).IDCall[4] = 5, received.Rec(index).ShadList[7] = 6;
        ASSERT_EQ(StoreRecordFrame(std::string_view(wire).substr(0, 136), received), 1);
        ChannelRecord expected = sent.Rec(index);
        expected.Select = kSelDefined | kSelFromRadio;
        expected.ShadList = {0, 0, 0, 0, 0, 0, 0, 6}, expected.IDCall[4] = 5;
        EXPECT_EQ(received.Rec(index), expected);
        EXPECT_EQ(std::pair(int{received.Current}, received.ZoneCounts),
                  std::pair(index, CountedIn(countedZone)));
    }
}

// The list a received record lands in and counts towards; an address beyond the memory changes
// nothing.
TEST(RecordImageTest, ListsAndZoneCountsOfReceivedChannels) {
    // Address, Shad and Scan sent; the list counted (-1: none) and the Scan stored.
    const std::tuple<const char*, int, int, int, int, std::int16_t> rows[] = {
        {"record 0 never counted", 0, 0, 0x30, -1, 0x30},
        {"guard 1 whatever list it claims", kGuard1, kShadGuard, 0x35, 15, 0xF0},
        {"guard 2 whatever list it claims", kGuard2, kShadGuard, 0x00, 15, 0xF1},
    };
    for (const auto& [name, address, shad, scan, zone, storedScan] : rows) {
        SCOPED_TRACE(name);
        ChannelMemory memory;
        ASSERT_EQ(StoreRecordFrame(BareFrame(address, shad, address, scan), memory), 1);
        EXPECT_EQ(std::pair(memory.Rec(address).Scan, memory.ZoneCounts),
                  std::pair(storedScan, CountedIn(zone)));
    }
    for (int address : {233, 256, 0xFFFF}) {
        ChannelMemory memory;
        const ChannelMemory before = memory;
        EXPECT_EQ(StoreRecordFrame(BareFrame(address, 0, 5, 0x20), memory), 0) << address;
        EXPECT_TRUE(memory.Records == before.Records && memory.ZoneCounts == before.ZoneCounts &&
                    memory.Current == before.Current)
            << address;
    }
}

// An ID call too large for its byte and a tone not in its table are refused, by name, in the
// transfer tests.
TEST(RecordImageTest, FieldsThatCannotBeSentRefuseTheRecord) {
    using R = ChannelRecord&;
    const std::tuple<const char*, Change, bool> rows[] = {
        {"negative primary", [](R r) { r.Prim = -1; }, false},
        {"mode beyond the list", [](R r) { r.Mode = 3; }, false},
        {"DCS code beyond the list", [](R r) { r.RDCS = 83; }, false},
        {"talk group junk above a byte", [](R r) { r.RTG = "ZZ00"; }, false},
        {"access code pair above a byte", [](R r) { r.TNAC = "0G0"; }, false},
        {"blank talk group sends zeros", [](R r) { r.RTG = ""; }, true},
        {"unsent elements may hold anything",
         [](R r) { r.IDCall[4] = -7, r.ShadList = {999, -1, 0, 0, 0, 0, 0, 999}; }, true},
    };
    for (const auto& [name, change, sendable] : rows) {
        SCOPED_TRACE(name);
        ChannelMemory memory;
        memory.Rec(kIndex) = SampleChannel();
        change(memory.Rec(kIndex));
        EXPECT_EQ(RecordImage(memory, kIndex).has_value(), sendable);
    }
    for (int index : {-1, 233, 1000}) {
        EXPECT_FALSE(RecordImage(ChannelMemory{}, index).has_value()) << index;
    }
}

TEST(GetStringTest, DecodesPairsAfterTheAddressOrNothing) {
    for (const auto& row : test::Cases("data_line_text.txt")) {
        EXPECT_EQ(DataLineText(row[0]), row[1]) << row[0];
    }
}

// The block header, a transmitted character under the received one and a control character are
// in the logs the debug-log transfers write (here and end to end).
TEST(DebugLogTest, RendersLinesAndMovesTheProgressAcrossEachBlock) {
    for (const auto& row : test::Cases("debug_log.txt")) {
        DebugLogRenderer renderer;
        std::string rendered;
        std::istringstream frames(row[1]);
        for (std::string frame; frames >> frame;) {
            rendered += renderer.Line(frame);
        }
        EXPECT_EQ(rendered + renderer.Finish(), row[2]) << row[0];
    }
    for (const auto& row : test::Cases("debug_log_progress.txt")) {
        EXPECT_EQ(DebugLogRenderer::ProgressFor(row[0], std::stoi(row[1])), std::stoi(row[2]))
            << row[0];
    }
}

}  // namespace
}  // namespace kld
