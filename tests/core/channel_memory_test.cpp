#include <gtest/gtest.h>

#include <string>

#include "channel_memory.h"
#include "fixed_text.h"
#include "program_state.h"

namespace kld {
namespace {

// A template with a value in every field, so that anything copied or left alone shows.
ChannelRecord MarkedTemplate() {
    ChannelRecord t;
    t.Select = kSelDefined | kSelSend;
    t.Shad = kShadScanMember;
    t.Prim = 7;
    t.Chnl = 8;
    t.Scan = 0x35;
    t.Desc = "Tmpl";
    t.EFlags = 5;
    t.Mode = kModeWide;
    t.RSql = t.TSql = kSqlDcs;
    t.RTG = "00AB";
    t.TTG = "00CD";
    t.RCTCSS = 3;
    t.RDCS = 4;
    t.TCTCSS = 5;
    t.TDCS = 6;
    t.RNAC = "1F1";
    t.TNAC = "2F2";
    t.RFrq = "141.0000";
    t.TFrq = "142.0000";
    t.IDCall = {1, 0x23, 0x45, 0x67, 9};
    t.ShadList = {11, 12, 13, 14, 15, 16, 17, 18};
    t.RFRec = 3;
    return t;
}

// Main and the guards as they must look after a reset of a memory made from `t`.
ChannelRecord FixedChannel(const ChannelRecord& t, int index, const char* desc) {
    ChannelRecord r = t;
    r.Select = kSelDefined;
    r.Shad = 0;
    r.Prim = r.Chnl = static_cast<std::int16_t>(index);
    r.Scan = 0;
    r.Desc = desc;
    r.EFlags = 32;
    r.Mode = kModeDigital;
    r.RFrq = r.TFrq = "136.0000";
    r.RSql = r.TSql = 'g';
    r.RTG = r.TTG = "0001";
    r.RCTCSS = r.RDCS = r.TCTCSS = r.TDCS = 1;
    r.RNAC = r.TNAC = "293";
    r.IDCall = {0, 0, 0, 1, t.IDCall[4]};  // the ID 0000001; element 4 stays as copied
    r.ShadList = {0, 0, 0, 0, 0, 0, 0, t.ShadList[7]};
    r.RFRec = 0;
    return r;
}

class ClearMemoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        memory.Rec(kDefaultRecord) = MarkedTemplate();
        memory.Rec(233).Desc = "Spare";
        memory.Rec(233).Mode = 7;
        spare = memory.Rec(233);
        memory.ZoneCounts.fill(9);
        memory.Current = 77;
        memory.Rec(50).Select = kSelDefined;  // leftovers of an earlier load
        ClearMemory(memory);
    }

    ChannelMemory memory;
    ChannelRecord spare;
};

TEST_F(ClearMemoryTest, ZoneCountsHoldMainAndBothGuards) {
    std::array<std::int16_t, kZoneCount> expected{};
    expected[0] = 1;
    expected[15] = 2;
    EXPECT_EQ(memory.ZoneCounts, expected);
    EXPECT_EQ(memory.Current, 1);
}

TEST_F(ClearMemoryTest, OrdinaryChannelsAreUndefinedCopiesOfTheTemplate) {
    ChannelRecord expected = MarkedTemplate();
    expected.Select = 0;
    expected.RFRec = 10;
    for (int index = 2; index <= kLastOrdinaryChannel; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(memory.Rec(index), expected);
    }
}

TEST_F(ClearMemoryTest, TemplateAndSpareStayAsTheyWere) {
    EXPECT_EQ(memory.Rec(kDefaultRecord), MarkedTemplate());
    EXPECT_EQ(memory.Rec(233), spare);
}

TEST_F(ClearMemoryTest, MainAndGuardsHaveTheirFixedContents) {
    const ChannelRecord t = MarkedTemplate();
    EXPECT_EQ(memory.Rec(kFirstChannel), FixedChannel(t, 1, "Main"));

    ChannelRecord guard1 = FixedChannel(t, 231, "Guard 1");
    guard1.Shad = static_cast<std::int16_t>(kShadGuard);
    guard1.Scan = 0xF0;
    guard1.Mode = kModeNarrow;
    guard1.RFrq = guard1.TFrq = "154.0000";
    guard1.RSql = guard1.TSql = 't';
    EXPECT_EQ(memory.Rec(kGuard1), guard1);

    ChannelRecord guard2 = guard1;
    guard2.Prim = guard2.Chnl = 232;
    guard2.Scan = 0xF1;
    guard2.Desc = "Guard 2";
    guard2.RFrq = guard2.TFrq = "174.0000";
    guard2.RSql = guard2.TSql = 'x';
    EXPECT_EQ(memory.Rec(kGuard2), guard2);
}

TEST(FixedTextTest, CutsLongValuesAndPadsShortOnes) {
    struct Row {
        const char* name;
        const char* value;
        const char* stored;
    } rows[] = {
        {"longer than the field", "ABCDEFGHIJ", "ABCDEFGH"},
        {"exactly the width", "12345678", "12345678"},
        {"shorter", "Main", "Main    "},
        {"empty", "", "        "},
        {"leading blanks kept", "  x", "  x     "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Desc8 desc;
        desc = "garbage!";
        desc = row.value;
        EXPECT_EQ(desc.Str(), row.stored);
        EXPECT_EQ(Desc8(row.value).View().size(), 8u);
    }
    EXPECT_EQ(TalkGroup6("001A").Str(), "001A  ");
    EXPECT_EQ(TalkGroup6("  1A  ").Trimmed(), "1A");
    EXPECT_EQ(Freq10().Trimmed(), "");
}

TEST(ProgramStateTest, CaptionAndFreshHeaderCarryTheVersion) {
    EXPECT_EQ(StartupCaption(ProgramVersion{}), "KLD - 540  [v2.6.0]");

    // Version numbers are left-justified in their two-character fields.
    const FileHeader header = FreshHeader(ProgramVersion{12, 6, 0});
    EXPECT_EQ(header.VerMajor.Str() + header.VerMinor.Str() + header.VerRev.Str(), "126 0 ");
    EXPECT_EQ(header.FileKind, kFileKindSettings);
    EXPECT_EQ(header.RadioVer.Str(), "000000");
}

}  // namespace
}  // namespace kld
