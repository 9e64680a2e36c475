// The listing and the dump of whole memories, byte for byte against the files in golden/, so
// that the renderers can be made faster without a byte of their output changing.
#include "listings.h"

#include <random>

#include "../test_memory.h"
#include "compare.h"
#include "data_file.h"
#include "plans.h"
#include "record_layout.h"
#include "summary.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

// Records 0 to 232 from bytes a seeded generator makes: every field holds anything a file can
// put there (negative numbers, control characters, positions outside the tables).
ChannelMemory RandomMemory(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(kDataFileBytes);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(random() >> 24);
    }
    ChannelMemory memory = ResetMemory();
    LoadNativeRecords(bytes, memory);
    return memory;
}

// Every record a different mix of the values at the edges of each column, those of
// cases/edge_values.txt.
ChannelMemory EdgeMemory() {
    std::vector<std::int16_t> numbers;
    std::vector<std::string> texts;
    for (const Cells& row : Cases("edge_values.txt")) {
        row.at(0) == "text" ? texts.push_back(row.at(1))
                            : numbers.push_back(static_cast<std::int16_t>(Int(row.at(1))));
    }
    std::size_t n = 0;
    const auto number = [&] { return numbers[n++ % numbers.size()]; };
    std::size_t t = 0;
    const auto text = [&] { return texts[(t += 7) % texts.size()]; };
    ChannelMemory memory = ResetMemory();
    for (int index = 0; index <= kLastRecord; ++index) {
        ChannelRecord& r = memory.Rec(index);
        r.Select = static_cast<std::int16_t>((index % 4 == 3 ? 0 : kSelDefined) |
                                             (index % 9 == 5 ? kSelErased : 0));
        r.Shad = static_cast<std::int16_t>(index % 5 == 1 ? index % 8 : number());
        for (std::int16_t* field : {&r.Prim, &r.Chnl, &r.Scan, &r.EFlags, &r.Mode, &r.RSql,
                                    &r.RCTCSS, &r.RDCS, &r.TSql, &r.TCTCSS, &r.TDCS, &r.RFRec}) {
            *field = number();
        }
        // In this order: the comma operator keeps it.
        r.Desc = text(), r.RTG = text(), r.RNAC = text(), r.RFrq = text();
        r.TTG = text(), r.TNAC = text(), r.TFrq = text();
        for (std::int16_t& v : r.IDCall) {
            v = number();
        }
        for (std::int16_t& v : r.ShadList) {
            v = number();
        }
    }
    for (std::size_t zone = 0; zone < kZoneCount; ++zone) {
        memory.ZoneCounts[zone] = number();
    }
    return memory;
}

// The listing is the headings and the summary line of every record; the dump every field.
TEST(Listings, ListingAndDumpStayByteIdentical) {
    const std::pair<const char*, ChannelMemory> rows[] = {
        {"reset", ResetMemory()},
        {"random-1", RandomMemory(1)},
        {"random-540", RandomMemory(540)},
        {"edges", EdgeMemory()},
    };
    for (const auto& [name, memory] : rows) {
        SCOPED_TRACE(name);
        const std::string listing = TextListing(memory);
        ExpectGolden(name + std::string(".listing.txt"), listing);
        ExpectGolden(name + std::string(".dump.txt"), ChannelDump(memory));
        std::string expected = ListingHead();
        for (int index = 0; index <= kLastRecord; ++index) {
            expected += " " + SummaryLine(memory.Rec(index), index) + "\r\n";
        }
        EXPECT_TRUE(listing == expected) << "the listing is the summary lines";
        std::string appended = "before";
        AppendChannelDump(appended, memory);
        EXPECT_TRUE(appended == "before" + ChannelDump(memory));
    }
}

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
