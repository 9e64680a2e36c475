// The listing, the dump and the summary lines pinned byte for byte over whole memories, so that
// the renderers can be made faster without a byte of their output changing. Each output is
// pinned by its length and a 64-bit FNV-1a hash; when a row fails, compare the output with the
// same memory rendered by the last good build.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "../test_memory.h"
#include "data_file.h"
#include "listings.h"
#include "record_layout.h"
#include "settings_file.h"
#include "summary.h"

namespace kld {
namespace {

struct Pin {
    std::size_t size;
    std::uint64_t hash;

    friend bool operator==(const Pin&, const Pin&) = default;
};

void PrintTo(const Pin& pin, std::ostream* os) {
    *os << "{" << pin.size << ", 0x" << std::hex << pin.hash << std::dec << "}";
}

Pin PinOf(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return {text.size(), hash};
}

using test::ResetMemory;

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

// Every record a different mix of the values at the edges of each column: numbers around
// 0, 9/10, 99/100, 255/256, 999/1000 and the 16-bit limits, and texts with every kind of byte.
ChannelMemory EdgeMemory() {
    static constexpr std::int16_t kNumbers[] = {
        -32768, -1000, -1,  0,   1,   2,   9,   10,  15,   16,   42,   83,
        99,     100,   110, 119, 127, 255, 256, 999, 1000, 4095, 4096, 'x',
        't',    'c',   'm', 'n', 'g', 'i', '-', 68,  8191, 32767};
    static constexpr std::string_view kTexts[] = {
        "",         " ",        "12345678901", "\t\r\n\x7f", "\x80\xff\xe9Z", "  Pad  ",
        "150.0000", "136.0125", "-5",          "1e3",        "ABCDEF",        "0001",
        "293",      "FFFF",     "zz",          "1 2"};
    std::size_t n = 0;
    const auto number = [&n] { return kNumbers[n++ % std::size(kNumbers)]; };
    std::size_t t = 0;
    const auto text = [&t] { return kTexts[(t += 7) % std::size(kTexts)]; };
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

std::string AllSummaryLines(const ChannelMemory& memory) {
    std::string lines;
    for (int index = 0; index <= kLastRecord; ++index) {
        lines += SummaryLine(memory.Rec(index), index) + '\n';
    }
    return lines;
}

TEST(RendererGolden, ListingDumpAndSummaryLinesStayByteIdentical) {
    struct Row {
        const char* name;
        ChannelMemory memory;
        Pin listing;
        Pin dump;
        Pin summary;
    };
    const Row rows[] = {
        {"reset",
         ResetMemory(),
         {18473, 0x157018adc9f466e3},
         {136987, 0x3a2213e16eb303f8},
         {17752, 0x1b07f89f421a6d8a}},
        {"random 1",
         RandomMemory(1),
         {18879, 0x51b145c43a839700},
         {148229, 0x4267f7b4214e2fa5},
         {18158, 0x52ce83e7c69099e5}},
        {"random 2",
         RandomMemory(540),
         {19002, 0xc3b96c6895ce481e},
         {148252, 0x9d7372fd6313e928},
         {18281, 0xadc3e4bf94204a91}},
        {"edges",
         EdgeMemory(),
         {20094, 0x1ab70c648e0b0a0b},
         {139605, 0xd397c756250c2717},
         {19373, 0x18500fbfb369d8d8}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PinOf(TextListing(row.memory)), row.listing);
        EXPECT_EQ(PinOf(ChannelDump(row.memory)), row.dump);
        EXPECT_EQ(PinOf(AllSummaryLines(row.memory)), row.summary);
    }
}

}  // namespace
}  // namespace kld
