#include "listings.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "../core/fake_operator.h"
#include "settings_file.h"
#include "summary.h"

namespace kld {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

ChannelMemory ResetMemory() {
    ChannelMemory memory;
    memory.Rec(0) = TemplateRecord();
    ClearMemory(memory);
    return memory;
}

ChannelRecord FireChannel() {
    ChannelRecord r = TemplateRecord();
    r.Select = 0xA1;
    r.Prim = r.Chnl = 7;
    r.Desc = "Fire";
    r.Mode = kModeNarrow;
    r.RFrq = r.TFrq = "155.3400";
    r.RSql = r.TSql = kSqlCtcss;
    r.RCTCSS = r.TCTCSS = 12;
    r.RDCS = r.TDCS = 0;
    return r;
}

TEST(SummaryLine, ColumnsOfEveryKindOfChannel) {
    ChannelRecord shadow = FireChannel();
    shadow.Shad = 1;
    shadow.Prim = 5;
    ChannelRecord scanPrimary = FireChannel();
    scanPrimary.Shad = kShadPrimary | kShadScanMember;
    scanPrimary.Scan = 0xE0;
    ChannelRecord erased = FireChannel();
    erased.Select |= kSelErased;
    ChannelRecord undefined = FireChannel();
    undefined.Select = 0;

    struct Row {
        const char* name;
        ChannelRecord record;
        int index;
        std::string expected;
    };
    const Row rows[] = {
        {"ordinary channel", FireChannel(), 7,
         "  007    01 Fire      n 155.3400 Rt 100.0 023 0001 293 155.3400 Tt 100.0 023 0001 293 "},
        {"shadow", shadow, 12,
         "  012S-005  Fire      n 155.3400 Rt 100.0 023 0001 293 155.3400 Tt 100.0 023 0001 293 "},
        {"primary scan member in list 15", scanPrimary, 9,
         "  009P  S15 Fire      n 155.3400 Rt 100.0 023 0001 293 155.3400 Tt 100.0 023 0001 293 "},
        {"guard", FireChannel(), 231,
         "  GD1       Fire      n 155.3400 Rt 100.0 023 0001 293 155.3400 Tt 100.0 023 0001 293 "},
        {"default record", FireChannel(), 0,
         "  DEF    01 Fire      n 155.3400 Rt 100.0 023 0001 293 155.3400 Tt 100.0 023 0001 293 "},
        {"erased", erased, 30,
         "  030       ERASED                  ERASED                         ERASED"},
        {"undefined", undefined, 200,
         "  200       UNDEFINED              UNDEFINED                      UNDEFINED"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SummaryLine(row.record, row.index), row.expected);
    }
}

// Whatever 16-bit numbers and bytes a file or radio put into a record, the line keeps its
// columns and nothing is read outside a table.
TEST(SummaryLine, AnyRecordContentKeepsTheColumns) {
    ChannelRecord odd = FireChannel();
    odd.Shad = 0;
    odd.Mode = 7;
    odd.RSql = 3;
    odd.TSql = -200;
    odd.RCTCSS = 42;
    odd.TCTCSS = -1;
    odd.RDCS = 83;
    odd.TDCS = 32767;
    odd.Scan = -1;
    odd.Desc = std::string_view("A\r\nB\0\x7f\xe9Z", 8);
    odd.RTG = "123456";
    EXPECT_EQ(SummaryLine(odd, 4),
              "  004    16 A??B??\xe9Z  ? 155.3400 R? "
              "          12345293 155.3400 T?           0001 293 ");

    ChannelRecord shadow = FireChannel();
    shadow.Shad = 3;
    shadow.Prim = -4;
    EXPECT_EQ(SummaryLine(shadow, 50).substr(0, 12), "  050S-???  ");

    std::mt19937 random(540);
    for (int i = 0; i < 2000; ++i) {
        ChannelRecord r;
        r.Select = static_cast<std::int16_t>(random() | 0x80);
        r.Select &= ~kSelErased;
        r.Shad = static_cast<std::int16_t>(random() & ~kShadSlotMask);
        r.Prim = static_cast<std::int16_t>(random());
        r.Scan = static_cast<std::int16_t>(random());
        r.Mode = static_cast<std::int16_t>(random());
        r.RSql = static_cast<std::int16_t>(random());
        r.RCTCSS = static_cast<std::int16_t>(random());
        r.TDCS = static_cast<std::int16_t>(random());
        for (char& c : r.Desc.Bytes()) {
            c = static_cast<char>(random());
        }
        ASSERT_EQ(SummaryLine(r, static_cast<int>(random() % 233)).size(), 86u);
    }
}

TEST(TextListing, ResetMemoryListing) {
    const std::string listing = TextListing(ResetMemory());
    const auto lines = Lines(listing);
    ASSERT_EQ(lines.size(), 236u);
    EXPECT_EQ(lines[0].find("Basic Information"), 5u);
    EXPECT_EQ(lines[0].find("Rx Information"), 32u);
    EXPECT_EQ(lines[1].find("Ch# Scan  Desc"), 3u);
    EXPECT_EQ(lines[3], " " + SummaryLine(TemplateRecord(), 0));
    for (std::size_t i = 3; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        const int index = static_cast<int>(i) - 3;
        const bool defined = index == 0 || index == 1 || index >= 231;
        EXPECT_EQ(lines[i].size(), defined ? 87u : 76u);
    }
}

TEST(ChannelDump, ResetMemoryDump) {
    const auto lines = Lines(ChannelDump(ResetMemory()));
    ASSERT_EQ(lines.size(), 3u + 1 + 4 + 233u * (3 + 1 + 1 + 23));
    EXPECT_EQ(lines[3], " Zone Counts:");
    EXPECT_EQ(lines[4], " 001 000 000 000");
    EXPECT_EQ(lines[7], " 000 000 000 002");
    EXPECT_EQ(lines[11], " Channel 0");
    EXPECT_EQ(lines[12], " " + std::string(81, '-'));
    // Channel 1 (Main): its block starts 28 lines after channel 0's.
    EXPECT_EQ(lines[11 + 28], " Channel 1");
    EXPECT_EQ(lines[11 + 28 + 2], " Select   80");
    EXPECT_EQ(lines[11 + 28 + 7], " Desc     4D 61 69 6E 20 20 20 20");
    EXPECT_EQ(lines[11 + 28 + 15], " RFrq     31 33 36 2E 30 30 30 30 20 20");
    EXPECT_EQ(lines[11 + 28 + 22], " IDCall   00 00 00 01");
    EXPECT_EQ(lines[11 + 28 + 23], " ShadList 00 00 00 00 00 00 00");
    const std::size_t guard = 11 + 231 * 28;
    EXPECT_EQ(lines[guard], " Channel 231");
    EXPECT_EQ(lines[guard + 6], " Scan     F0");
}

TEST(ChannelDump, NumbersBeyondAByteKeepTheirDigits) {
    ChannelMemory memory = ResetMemory();
    memory.Rec(0).Select = 161;
    memory.Rec(0).Prim = 300;
    memory.Rec(0).Chnl = -1;
    const auto lines = Lines(ChannelDump(memory));
    EXPECT_EQ(lines[13], " Select   A1");
    EXPECT_EQ(lines[15], " Prim     12C");
    EXPECT_EQ(lines[16], " Chnl     FFFF");
}

TEST(TextFiles, WriteFailureIsReported) {
    test::ScriptedOperator op;
    EXPECT_FALSE(WriteTextFile("/nonexistent-folder/listing.txt", "x", op));
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Error writing to file.");
}

}  // namespace
}  // namespace kld
