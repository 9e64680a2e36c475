// The listing and the dump of whole memories, byte for byte against the files in golden/, so
// that the renderers can be made faster without a byte of their output changing.
#include "listings.h"

#include <random>

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

}  // namespace
}  // namespace kld::test
