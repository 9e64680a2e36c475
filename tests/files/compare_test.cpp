#include "compare.h"

#include "../test_memory.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

// What only this program keeps, and what undefined or erased records hold, is no difference.
// Every kind of change shows as the rows it should, in record order and in the summary line's
// order of fields, with the values as the summary shows them (control characters and positions
// outside the tables too): the aligned text is golden. The other way round swaps the two values
// and nothing else.
TEST(Compare, OnlyChangedFieldsAreListedExactly) {
    // Main, the guards, and channel 5 as a primary with channel 6 as its shadow.
    ChannelMemory plan = ResetMemory();
    ChannelRecord& primary = plan.Rec(5) = plan.Rec(kFirstChannel);
    primary.Select = kSelDefined | kSelCreatedHere, primary.Prim = primary.Chnl = 5;
    primary.Scan = ScanOfZone(2), primary.Shad = kShadPrimary | kShadScanMember;
    primary.ShadList = {6, 0, 0, 0, 0, 0, 0, 0}, primary.Desc = "Fire", primary.RFrq = "155.1250";
    primary.RSql = kSqlCtcss, primary.RCTCSS = 12 /* 100.0 */, primary.Mode = kModeNarrow,
    primary.IDCall = {};
    ChannelRecord& six = plan.Rec(6) = primary;
    six.Chnl = 6, six.Shad = 1, six.ShadList = {};
    EXPECT_TRUE(CompareMemories(plan, plan).empty());
    EXPECT_EQ(DiffText({}), "");
    ChannelMemory other = plan;
    other.Rec(5).Select |= kSelFromRadio | kSelSend | kSelListChanged;
    other.Rec(100).Desc = "junk", other.Rec(100).RFrq = "999.9999";
    ChannelMemory erased = plan;
    erased.Rec(6).Select |= kSelErased;
    (other.Rec(6) = erased.Rec(6)).Desc = "Gone";
    EXPECT_TRUE(CompareMemories(erased, other).empty());
    // Nor is what only the radio uses: Scan's own bits, the slot a shadow took, the copy of the
    // list a shadow carries, and the list and scan flag shadows and the guards do not show.
    ChannelMemory hidden = plan;
    hidden.Rec(5).Scan |= 3, hidden.Rec(5).ShadList = {0, 6, 0, 0, 0, 0, 0, 0};
    hidden.Rec(6).Shad = 2 | kShadScanMember, hidden.Rec(6).ShadList = {6, 9, 0, 0, 0, 0, 0, 0};
    hidden.Rec(6).Scan = ScanOfZone(7);
    hidden.Rec(kGuard1).Scan = ScanOfZone(3), hidden.Rec(kGuard2).Shad |= kShadScanMember;
    EXPECT_TRUE(CompareMemories(plan, hidden).empty());

    ChannelMemory a = plan;
    ChannelMemory b = a;
    ChannelRecord& five = b.Rec(5);
    five.Desc = "", five.Scan = ScanOfZone(3), five.Shad = kShadPrimary;  // out of the scan
    five.Mode = kModeWide, five.RFrq = "155.1375", five.RCTCSS = 13, five.TSql = kSqlNac;
    five.TNAC = "2A3", five.IDCall = {1, 0x23, 0x45, 0x67, 0}, five.ShadList[1] = 9;
    b.Rec(6).Prim = 9;
    b.Rec(7) = a.Rec(5);  // defined in B only: one row, not one per field
    b.Rec(kGuard1).Select |= kSelErased;
    b.Rec(kDefaultRecord).RCTCSS = 77, b.Rec(kDefaultRecord).Desc.Bytes()[0] = '\x01';
    a.Rec(kDefaultRecord).RCTCSS = 70, a.Rec(kDefaultRecord).Desc.Bytes()[0] = '\x02';

    std::vector<FieldDifference> rows = CompareMemories(a, b);
    ExpectGolden("compare.diff.txt", DiffText(rows));
    EXPECT_EQ(rows.size(), 15u);
    EXPECT_EQ(std::pair(rows.front().channel, rows.back().channel), std::pair(0, kGuard1));
    for (FieldDifference& row : rows) {
        std::swap(row.inA, row.inB);
    }
    EXPECT_EQ(CompareMemories(b, a), rows);
}

}  // namespace
}  // namespace kld::test
