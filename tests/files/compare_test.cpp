#include "compare.h"

#include <gtest/gtest.h>

#include "../test_memory.h"
#include "shown_text.h"

namespace kld {

// Lets GoogleTest show a row readably when an expectation fails.
inline void PrintTo(const FieldDifference& d, std::ostream* os) {
    *os << "{" << d.label << ", " << d.field << ", \"" << d.inA << "\", \"" << d.inB << "\"}";
}

namespace {

// Main, the guards, and channel 5 as a primary with channel 6 as its shadow.
ChannelMemory Plan() {
    ChannelMemory memory = test::ResetMemory();
    ChannelRecord& five = memory.Rec(5) = memory.Rec(kFirstChannel);
    five.Select = kSelDefined | kSelCreatedHere, five.Prim = five.Chnl = 5;
    five.Scan = ScanOfZone(2), five.Shad = kShadPrimary | kShadScanMember;
    five.ShadList = {6, 0, 0, 0, 0, 0, 0, 0}, five.Desc = "Fire", five.RFrq = "155.1250";
    five.RSql = kSqlCtcss, five.RCTCSS = 12 /* 100.0 */, five.Mode = kModeNarrow, five.IDCall = {};
    ChannelRecord& six = memory.Rec(6) = five;
    six.Chnl = 6, six.Shad = 1, six.ShadList = {};
    return memory;
}

TEST(Compare, SamePlanHasNoDifferences) {
    const ChannelMemory plan = Plan();
    EXPECT_TRUE(CompareMemories(plan, plan).empty());
    EXPECT_EQ(DiffText({}), "");
    // What only this program keeps, and what undefined or erased records hold, is no difference.
    ChannelMemory other = plan;
    other.Rec(5).Select |= kSelFromRadio | kSelSend | kSelListChanged;
    other.Rec(100).Desc = "junk", other.Rec(100).RFrq = "999.9999";
    ChannelMemory erased = plan;
    erased.Rec(6).Select |= kSelErased;
    (other.Rec(6) = erased.Rec(6)).Desc = "Gone";
    EXPECT_TRUE(CompareMemories(erased, other).empty());
}

// Every kind of change shows as the rows it should, in record order and in the summary line's
// order of fields, with the values as the summary shows them.
TEST(Compare, ChangedFieldsAreListedExactly) {
    const ChannelMemory a = Plan();
    ChannelMemory b = a;
    ChannelRecord& five = b.Rec(5);
    five.Desc = "Police", five.Scan = ScanOfZone(3), five.Shad = kShadPrimary;  // out of the scan
    five.Mode = kModeWide, five.RFrq = "155.1375", five.RCTCSS = 13, five.TSql = kSqlNac;
    five.TNAC = "2A3", five.IDCall = {1, 0x23, 0x45, 0x67, 0}, five.ShadList[1] = 9;
    b.Rec(6).Prim = 9;
    b.Rec(7) = a.Rec(5);  // defined in B only: one row, not one per field
    b.Rec(kGuard1).Select |= kSelErased;
    b.Rec(kDefaultRecord).RCTCSS = 77;  // outside the table: both show blank
    b.Rec(kDefaultRecord).Desc.Bytes()[0] = '\x01';
    ChannelMemory withControl = a;
    withControl.Rec(kDefaultRecord).Desc.Bytes()[0] = '\x02';
    withControl.Rec(kDefaultRecord).RCTCSS = 70;
    const std::string desc = a.Rec(kDefaultRecord).Desc.Trimmed().substr(1);

    std::vector<FieldDifference> want{
        {0, "DEF", "Description", "?" + desc + " (\\x02" + desc + ")",
         "?" + desc + " (\\x01" + desc + ")"},
        {0, "DEF", "Rx Tone", " (70)", " (77)"},
        {5, "005", "Description", "Fire", "Police"},
        {5, "005", "List", "03", "04"},
        {5, "005", "Scan", "yes", "no"},
        {5, "005", "Mode", "n", "w"},
        {5, "005", "Rx Frequency", "155.1250", "155.1375"},
        {5, "005", "Rx Tone", "100.0", "103.5"},
        {5, "005", "Tx Squelch", std::string(1, ShownCode(a.Rec(5).TSql)), "n"},
        {5, "005", "Tx NAC", a.Rec(5).TNAC.Trimmed(), "2A3"},
        {5, "005", "ID Call", "0000000", "1234567"},
        {5, "005", "Shadows", "006", "006 009"},
        {6, "006", "Primary", "005", "009"},
        {7, "007", "Defined", "no", "yes"},
        {kGuard1, "GD1", "Erase mark", "no", "yes"},
    };
    EXPECT_EQ(CompareMemories(withControl, b), want);
    // The other way round swaps the two values and nothing else.
    for (FieldDifference& row : want) {
        std::swap(row.inA, row.inB);
    }
    EXPECT_EQ(CompareMemories(b, withControl), want);
}

TEST(Compare, DiffTextIsAligned) {
    const std::vector<FieldDifference> rows{
        {5, "005", "Description", "Fire", "Police"},
        {6, "006", "Primary", "", "009"},
        {kGuard2, "GD2", "Rx Frequency", "155.1250", ""},
    };
    EXPECT_EQ(DiffText(rows),
              "Chan  Field         A         B\n"
              "005   Description   Fire      Police\n"
              "006   Primary       (blank)   009\n"
              "GD2   Rx Frequency  155.1250  (blank)\n");
}

}  // namespace
}  // namespace kld
