#include "older_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>

#include "../core/fake_operator.h"
#include "import_common.h"
#include "listings.h"
#include "memory_check.h"
#include "settings_file.h"
#include "summary.h"
#include "temp_dir.h"

namespace kld {
namespace {

using test::ScriptedOperator;

ChannelMemory ResetMemory() {
    ChannelMemory memory;
    memory.Rec(0) = TemplateRecord();
    ClearMemory(memory);
    return memory;
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Zone counts as the records say they should be: defined non-shadow channels 1 to 232.
std::array<std::int16_t, kZoneCount> Recount(const ChannelMemory& memory) {
    std::array<std::int16_t, kZoneCount> counts{};
    for (int i = 1; i <= kLastRecord; ++i) {
        const ChannelRecord& r = memory.Rec(i);
        if (r.IsDefined() && !r.IsShadow()) {
            ++counts[static_cast<std::size_t>(ZoneOf(r.Scan))];
        }
    }
    return counts;
}

void ExpectReset(const ChannelMemory& memory) {
    const ChannelMemory reset = ResetMemory();
    for (int i = 0; i < kRecordSlots; ++i) {
        ASSERT_EQ(memory.Rec(i), reset.Rec(i)) << "record " << i;
    }
    EXPECT_EQ(memory.ZoneCounts, reset.ZoneCounts);
}

// A fixed-column text line: each piece of text put at its 1-based column, blanks between.
std::string Line(std::initializer_list<std::pair<int, std::string_view>> pieces,
                 std::string_view ending = "\r\n") {
    std::string line;
    for (const auto& [column, text] : pieces) {
        const std::size_t at = static_cast<std::size_t>(column - 1);
        line.resize(std::max(line.size(), at + text.size()), ' ');
        line.replace(at, text.size(), text);
    }
    return line.append(ending);
}

// The four lines that make a file a KVS-220 list, then the given lines.
std::string Kvs(const std::string& lines) {
    std::string file;
    for (const char* n : {"001", "002", "003", "004"}) {
        file += Line({{1, n}, {5, "CH"}, {15, "150.0000"}, {26, "150.0000"}, {44, "40"}});
    }
    return file + lines;
}

std::string ListingHead() {
    std::string head;
    for (std::string_view heading : kListingHeadings) {
        head += " " + std::string(heading) + "\r\n";
    }
    return head;
}

// The listing line of a defined narrowband channel, or of a shadow of `primary`.
std::string Listed(int index, int primary = 0, std::int16_t rxSquelch = kSqlNoise) {
    ChannelRecord r = TemplateRecord();
    r.Select = 0xA1;
    r.Prim = r.Chnl = static_cast<std::int16_t>(index);
    r.Scan = 0x40;
    r.Desc = "Chan";
    r.RSql = rxSquelch;
    if (primary != 0) {
        r.Shad = 1;
        r.Prim = static_cast<std::int16_t>(primary);
    }
    return " " + SummaryLine(r, index) + "\r\n";
}

TEST(GetLine, EndsAfterLfOrNulAndYieldsNulAtTheEnd) {
    struct Row {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;  // up to and including the first end line
    };
    using namespace std::string_literals;
    const Row rows[] = {
        {"empty file", "", {"\0"s, "\0"s}},
        {"CR LF lines", "ab\r\ncd\r\n", {"ab\r\n", "cd\r\n", "\0"s}},
        {"bare LF", "ab\ncd\n", {"ab\n", "cd\n", "\0"s}},
        {"last line without an ending", "ab\r\ncd", {"ab\r\n", "cd\0"s, "\0"s}},
        {"NUL inside a line", "ab\0cd\n"s, {"ab\0"s, "cd\n", "\0"s}},
        {"NUL starting a line", "ab\n\0cd\n"s, {"ab\n", "\0"s}},
        {"CR alone is no ending", "a\rb\n", {"a\rb\n", "\0"s}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LineSource source(Bytes(row.bytes));
        for (const std::string& expected : row.lines) {
            EXPECT_EQ(source.GetLine(), expected);
        }
    }
}

TEST(ImportNumbers, NumSkipsEveryBlankAndFrequenciesTakeTheirFormat) {
    const std::pair<const char*, double> numbers[] = {{" 58", 58}, {"1 2", 12}, {"-3", -3},
                                                      {"12a", 12}, {"abc", 0},  {"", 0}};
    for (const auto& [text, value] : numbers) {
        SCOPED_TRACE(text);
        EXPECT_EQ(import::Num(text), value);
    }
    const std::pair<const char*, const char*> frequencies[] = {
        {"155.34", "155.3400"},   {" 5 ", "005.0000"},   {"136.00625", "136.0063"},
        {"1234.5", "1234.5000"},  {"-1.5", "-001.5000"}, {"1.5e2", "150.0000"},
        {"155.34ab", "155.34ab"}, {"abc", "abc"},        {"", ""}};
    for (const auto& [text, stored] : frequencies) {
        SCOPED_TRACE(text);
        EXPECT_EQ(import::ImportedFrequency(text), stored);
    }
}

TEST(Recognition, KvsLinesFirstThenListingHeadingsAtTheirColumns) {
    const std::string listing = TextListing(ResetMemory());
    std::string shifted = listing;
    shifted.insert(0, " ");
    std::string secondShifted = listing;
    secondShifted.insert(listing.find("\r\n") + 2, " ");
    struct Row {
        const char* name;
        std::string bytes;
        OlderKind kind;
    };
    const Row rows[] = {
        {"KVS-220 list", Kvs(""), OlderKind::Kvs220List},
        {"KVS-220 list with bare LF", "001\n002\n003\n004", OlderKind::Kvs220List},
        {"three KVS lines only", "001\n002\n003\n", OlderKind::Unknown},
        {"KVS lines out of order", "001\n003\n002\n004\n", OlderKind::Unknown},
        {"listing the program wrote", listing, OlderKind::TextListing},
        {"heading line 1 shifted", shifted, OlderKind::Unknown},
        {"heading line 2 shifted", secondShifted, OlderKind::Unknown},
        {"both at once: KVS wins",
         "001  Basic Information          Rx Information\n002Ch# Scan  Desc\n003\n004\n",
         OlderKind::Kvs220List},
        {"empty", "", OlderKind::Unknown},
        {"NUL before the headings", std::string("\0", 1) + listing, OlderKind::Unknown},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RecogniseOlderFile(Bytes(row.bytes)), row.kind);
    }
}

TEST(Recognition, UnknownContentAsksAndNoKeepsTheResetMemory) {
    std::mt19937 random(540);
    std::string noise(3000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    for (const std::string& content : {std::string(), noise}) {
        ChannelMemory memory = ResetMemory();
        ScriptedOperator op;
        op.answers = {Answer::No};
        EXPECT_EQ(ImportOlderFile(Bytes(content), memory, op), OpenResult::Declined);
        ASSERT_EQ(op.shown.size(), 1u);
        EXPECT_EQ(op.shown[0].text,
                  "Unrecognised Format - Do you wish to try to import as old .540 file?");
        EXPECT_EQ(op.shown[0].icon, Icon::Warning);
        ExpectReset(memory);

        // Yes reads it as an old binary file, whatever it holds.
        op.answers = {Answer::Yes};
        EXPECT_EQ(ImportOlderFile(Bytes(content), memory, op), OpenResult::Loaded);
        EXPECT_EQ(memory.ZoneCounts, Recount(memory));
        CheckDatabase(memory, op);
        EXPECT_FALSE(TextListing(memory).empty());
        ChannelDump(memory);
    }
}

// A memory with every kind of line a listing can show.
ChannelMemory VariedMemory() {
    ChannelMemory m = ResetMemory();
    m.Rec(0).Scan = 0x20;
    const auto channel = [&m](int n, std::string_view desc, int zone) -> ChannelRecord& {
        ChannelRecord& r = m.Rec(n);
        r = m.Rec(0);
        r.Select = 0xA1;
        r.Prim = r.Chnl = static_cast<std::int16_t>(n);
        r.Scan = static_cast<std::int16_t>(zone * 16);
        r.Desc = desc;
        ++m.ZoneCounts[static_cast<std::size_t>(zone)];
        return r;
    };
    ChannelRecord& fire = channel(7, "Fire Stn", 3);
    fire.Mode = kModeNarrow;
    fire.RFrq = "155.3400";
    fire.TFrq = "136.0062";
    fire.RSql = kSqlCtcss;
    fire.TSql = kSqlDcs;
    fire.RCTCSS = 41;  // 254.8
    fire.TDCS = 82;    // 754
    fire.Shad = kShadScanMember | kShadPrimary;
    ChannelRecord& p25 = channel(9, "P25", 14);
    p25.Mode = kModeDigital;
    p25.RSql = kSqlNac;
    p25.TSql = kSqlTalkGroup;
    p25.RTG = "1A2B";
    p25.TTG = "FFFF";
    p25.RNAC = "F7E";
    p25.TNAC = "001";
    p25.Shad = kShadPrimary;
    channel(200, "Wide", 0).Mode = kModeWide;
    channel(30, "Gone", 1).Select |= kSelErased;
    m.Rec(231).Desc = "Guard A";
    // Shadows 12 and 13 of 7, 40 of 9; links as the shadow dialog makes them.
    using Link = std::tuple<int, int, int>;
    for (auto [shadow, primary, slot] :
         std::initializer_list<Link>{{12, 7, 0}, {13, 7, 1}, {40, 9, 0}}) {
        ChannelRecord& s = m.Rec(shadow);
        s = m.Rec(primary);
        s.Shad = static_cast<std::int16_t>(slot + 1);
        s.Prim = static_cast<std::int16_t>(primary);
        s.Chnl = static_cast<std::int16_t>(shadow);
        s.ShadList.fill(0);
        m.Rec(primary).ShadList[static_cast<std::size_t>(slot)] = static_cast<std::int16_t>(shadow);
    }
    return m;
}

TEST(TextListingImport, ListingTheProgramWroteReadsBack) {
    const ChannelMemory original = VariedMemory();
    const std::string listing = TextListing(original);
    ChannelMemory memory = ResetMemory();
    ScriptedOperator op;
    ASSERT_EQ(ImportOlderFile(Bytes(listing), memory, op), OpenResult::Loaded);
    EXPECT_TRUE(op.shown.empty());

    for (int i = 0; i <= kLastRecord; ++i) {
        SCOPED_TRACE(i);
        const ChannelRecord& before = original.Rec(i);
        const ChannelRecord& after = memory.Rec(i);
        if (before.IsDefined() && !before.IsErased()) {
            // Every column a line shows is restored, so the line itself comes back.
            EXPECT_EQ(SummaryLine(after, i), SummaryLine(before, i));
            EXPECT_EQ(after.Select, 161);
            EXPECT_EQ(after.IDCall, original.Rec(0).IDCall);
        } else if (i != kFirstChannel) {
            EXPECT_FALSE(after.IsDefined());
        }
    }
    EXPECT_EQ(memory.Rec(12).Shad, 1);
    EXPECT_EQ(memory.Rec(13).Shad, 2);
    EXPECT_EQ(memory.Rec(13).Scan, 0x30) << "a shadow lives in its primary's zone";
    EXPECT_EQ(memory.Rec(7).ShadList[1], 13);
    EXPECT_EQ(memory.Rec(9).ShadList[0], 40);
    EXPECT_EQ(memory.ZoneCounts, Recount(memory));
    EXPECT_EQ(memory.ZoneCounts[15], 2);
}

TEST(TextListingImport, UnlinkableShadowsAreDroppedWithOneMessage) {
    std::string file = ListingHead() + Listed(5);
    for (int shadow = 10; shadow <= 16; ++shadow) {
        file += Listed(shadow, 5);
    }
    struct Bad {
        const char* name;
        int index;
        int primary;
    };
    const Bad bad[] = {
        {"eighth shadow", 17, 5},       {"undefined primary", 20, 6},
        {"shadow of a shadow", 21, 10}, {"its own primary", 22, 22},
        {"guard as primary", 23, 231},  {"primary out of range", 24, 999},
        {"guard as shadow", 231, 5},    {"default as shadow", 0, 5},
    };
    for (const Bad& b : bad) {
        file += Listed(b.index, b.primary);
    }
    ChannelMemory memory = ResetMemory();
    ScriptedOperator op;
    ASSERT_EQ(ImportOlderFile(Bytes(file), memory, op), OpenResult::Loaded);
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0], (Message{"Format errors in file - Not all data was loaded",
                                    "Format Error", Icon::Warning, Buttons::Ok}));
    const ChannelMemory reset = ResetMemory();
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(memory.Rec(b.index), reset.Rec(b.index))
            << "dropped: the channel keeps its reset";
    }
    EXPECT_EQ(memory.Rec(16).Shad, 7);
    EXPECT_EQ(memory.Rec(5).Shad, kShadPrimary);
    EXPECT_EQ(memory.ZoneCounts, Recount(memory));
    EXPECT_EQ(memory.ZoneCounts[15], 2) << "both guards are still counted";

    // The memory check finds no shadow left half made.
    op.shown.clear();
    EXPECT_EQ(CheckDatabase(memory, op), 7);
    EXPECT_TRUE(op.shown.empty());
}

TEST(TextListingImport, OddLinesReadSafely) {
    using namespace std::string_literals;
    std::string full = Listed(8, 0, kSqlCtcss);
    full.resize(full.size() - 2);  // without its CR LF
    struct Row {
        const char* name;
        std::string body;
        bool loads;
        const char* desc;  // of channel 8 after a load
        std::int16_t rxSql;
    };
    const Row rows[] = {
        {"bare LF", full + "\n", true, "Chan", 't'},
        {"last line without an ending", full, true, "Chan", 't'},
        {"line cut after the description", full.substr(0, 18) + "\r\n", true, "Chan", 'x'},
        {"very long line", full + std::string(100000, 'Z') + "\r\n", true, "Chan", 't'},
        {"NUL in the description", full.substr(0, 15) + "\0   \r\n"s, true, "Ch", 'x'},
        {"non-ASCII bytes", full.substr(0, 13) + "\xe9\xff" + full.substr(15) + "\r\n", true,
         "\xe9\xff"
         "an",
         't'},
        {"blank line", "\r\n   \r\n" + full + "\r\n", true, "Chan", 't'},
        {"channel 999", Line({{4, "999"}, {14, "X"}}), false, "", 0},
        {"channel -01", Line({{4, "-01"}, {14, "X"}}), false, "", 0},
        {"channel 233", Line({{4, "233"}, {14, "X"}}), false, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // A default record line first: a failed read must not keep it.
        const std::string file = ListingHead() + Line({{4, "DEF"}, {14, "NewDef"}}) + row.body;
        ChannelMemory memory = ResetMemory();
        ScriptedOperator op;
        const OpenResult result = ImportTextListing(Bytes(file), memory, op);
        if (!row.loads) {
            EXPECT_EQ(result, OpenResult::Failed);
            ASSERT_EQ(op.shown.size(), 1u);
            EXPECT_EQ(op.shown[0].text, "Error reading file.");
            ExpectReset(memory);
            continue;
        }
        ASSERT_EQ(result, OpenResult::Loaded);
        const ChannelRecord& r = memory.Rec(8);
        EXPECT_EQ(r.Desc.Trimmed(), row.desc);
        EXPECT_EQ(r.RSql, row.rxSql);
        EXPECT_EQ(memory.Rec(0).Desc.Trimmed(), "NewDef");
        EXPECT_EQ(memory.ZoneCounts, Recount(memory));
        CheckDatabase(memory, op);
        EXPECT_EQ(SummaryLine(r, 8).size(), 86u);
    }
}

TEST(Kvs220Import, TonesCodesAndSquelch) {
    struct Row {
        const char* name;
        std::string line;
        std::int16_t rxTone, rxCode, rxSql, txTone, txCode, txSql, mode;
    };
    const Row rows[] = {
        {"tone 58", Line({{1, "010"}, {44, "58"}, {54, "023"}}), 35, 0, 't', 35, 0, 't', 0},
        {"tone 1 and 2", Line({{1, "010"}, {44, " 1"}, {46, "R"}, {49, " 2"}}), 0, 0, 't', 2, 0,
         't', 0},
        {"tone 40, no code", Line({{1, "010"}, {44, "40"}, {54, "999"}}), 0, 0, 'x', 0, 0, 'x', 0},
        {"tone 40, code 023", Line({{1, "010"}, {44, "40"}, {54, "023"}, {76, "N"}}), 0, 0, 'c', 0,
         0, 'c', 1},
        {"own Rx and Tx",
         Line({{1, "010"}, {44, "40"}, {46, "R"}, {49, "63"}, {59, "754"}, {65, "025"}}), 0, 82,
         'c', 40, 1, 't', 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelMemory memory = ResetMemory();
        ScriptedOperator op;
        ASSERT_EQ(ImportOlderFile(Bytes(Kvs(row.line)), memory, op), OpenResult::Loaded);
        const ChannelRecord& r = memory.Rec(10);
        EXPECT_EQ(std::tuple(r.RCTCSS, r.RDCS, r.RSql, r.TCTCSS, r.TDCS, r.TSql, r.Mode),
                  std::tuple(row.rxTone, row.rxCode, row.rxSql, row.txTone, row.txCode, row.txSql,
                             row.mode));
        EXPECT_EQ(r.Select, 161);
        EXPECT_EQ(r.RFRec, 0);
    }
}

TEST(Kvs220Import, NamesFrequenciesZonesAndGuards) {
    std::string lines =
        Line({{1, "005"}, {5, " Station 5X"}, {15, "155.34"}, {26, "abc"}, {44, "40"}, {71, "1"}});
    // Seventeen channels for scan lists 2 and 3: sixteen fill zone 1, the last goes to zone 2.
    for (int n = 20; n < 37; ++n) {
        lines += Line({{1, std::to_string(n)}, {44, "40"}, {71, " 23"}});
    }
    lines += Line({{1, "121"}, {5, "G1"}, {44, "40"}}) + Line({{1, "122"}, {5, "G2"}}) +
             Line({{1, "050"}, {44, "40"}}) + "\r\n";
    ChannelMemory memory = ResetMemory();
    ScriptedOperator op;
    ASSERT_EQ(ImportOlderFile(Bytes(Kvs(lines)), memory, op), OpenResult::Loaded);
    const ChannelRecord& five = memory.Rec(5);
    EXPECT_EQ(five.Desc.View(), "Station ");
    EXPECT_EQ(five.RFrq.View(), "155.3400  ");
    EXPECT_EQ(five.TFrq.View(), "abc       ");
    EXPECT_EQ(five.Scan, 0);
    EXPECT_EQ(five.Shad, kShadScanMember);
    EXPECT_EQ(memory.Rec(35).Scan, 0x10);
    EXPECT_EQ(memory.Rec(36).Scan, 0x20);
    EXPECT_EQ(memory.Rec(36).Shad, kShadScanMember);
    EXPECT_EQ(memory.Rec(50).Scan, 0x50) << "no scan list: the first free zone from 5";
    EXPECT_EQ(memory.Rec(50).Shad, 0);
    EXPECT_EQ(memory.Rec(231).Desc.Trimmed(), "G1");
    EXPECT_EQ(memory.Rec(231).Scan, 0xF0);
    EXPECT_EQ(memory.Rec(232).Scan, 0xF1);
    EXPECT_EQ(memory.Rec(0), TemplateRecord()) << "the blank last line names no channel";
    EXPECT_EQ(memory.ZoneCounts,
              (std::array<std::int16_t, 16>{1, 16, 1, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(memory.ZoneCounts, Recount(memory));
}

TEST(Kvs220Import, ChannelOutsideTheTableFailsTheRead) {
    for (const char* channel : {"999", "-01", "233"}) {
        SCOPED_TRACE(channel);
        ChannelMemory memory = ResetMemory();
        ScriptedOperator op;
        EXPECT_EQ(ImportOlderFile(Bytes(Kvs(Line({{1, "000"}, {5, "Def"}}) + Line({{1, channel}}))),
                                  memory, op),
                  OpenResult::Failed);
        ASSERT_EQ(op.shown.size(), 1u);
        EXPECT_EQ(op.shown[0].text, "Error reading file.");
        ExpectReset(memory);
    }
}

// The old binary file: 202 slots of 74 bytes.
struct OldSlot {
    std::int16_t mode = 0, rxKind = 1, rxTone = 3, rxCode = 4, txKind = 2, txTone = 5, txCode = 6,
                 inUse = 1;
    std::string name = "  Old  ", rxTg = "1A", rxNac = " F", rxFreq = "150.5", txTg = "12345",
                txNac = "", txFreq = "151";
};

std::string OldFile(const std::vector<std::pair<int, OldSlot>>& slots) {
    std::string file(202 * 74, '\0');
    const auto put = [&file](std::size_t at, std::string_view text, std::size_t width) {
        file.replace(at, width, (std::string(text) + std::string(width, ' ')).substr(0, width));
    };
    const auto putInt = [&file](std::size_t at, std::int16_t value) {
        file[at] = static_cast<char>(value & 0xFF);
        file[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    };
    for (const auto& [slot, s] : slots) {
        const std::size_t base = static_cast<std::size_t>(slot - 1) * 74;
        put(base + 4, s.name, 10);
        putInt(base + 14, s.mode);
        putInt(base + 16, s.rxKind);
        put(base + 18, s.rxTg, 6);
        putInt(base + 24, s.rxTone);
        putInt(base + 26, s.rxCode);
        put(base + 28, s.rxNac, 6);
        put(base + 34, s.rxFreq, 10);
        putInt(base + 44, s.txKind);
        put(base + 46, s.txTg, 6);
        putInt(base + 52, s.txTone);
        putInt(base + 54, s.txCode);
        put(base + 56, s.txNac, 6);
        put(base + 62, s.txFreq, 10);
        putInt(base + 72, s.inUse);
    }
    return file;
}

TEST(OldFileImport, FieldsModesAndSquelch) {
    OldSlot digital;
    digital.mode = 7;
    digital.rxKind = 2;
    OldSlot wide;
    wide.mode = 1;
    wide.rxKind = 9;
    wide.rxTone = 500;
    wide.txCode = -3;
    OldSlot unused;
    unused.inUse = 0;
    const std::string file =
        OldFile({{2, OldSlot{}}, {3, digital}, {4, wide}, {5, unused}, {202, OldSlot{}}});
    ChannelMemory memory = ResetMemory();
    ScriptedOperator op;
    op.answers = {Answer::Yes};
    ASSERT_EQ(ImportOlderFile(Bytes(file), memory, op), OpenResult::Loaded);

    const ChannelRecord& narrow = memory.Rec(2);
    EXPECT_EQ(narrow.Desc.View(), "Old     ");
    EXPECT_EQ(narrow.Mode, kModeNarrow);
    EXPECT_EQ(std::tuple(narrow.RSql, narrow.TSql), std::tuple(kSqlCtcss, kSqlDcs));
    EXPECT_EQ(narrow.RTG.View(), "001A  ");
    EXPECT_EQ(narrow.TTG.View(), "2345  ") << "the last four characters are kept";
    EXPECT_EQ(narrow.RNAC.View(), "00F   ");
    EXPECT_EQ(narrow.TNAC.View(), "000   ");
    EXPECT_EQ(narrow.RFrq.View(), "150.5000  ");
    EXPECT_EQ(narrow.TFrq.View(), "151.0000  ");
    EXPECT_EQ(std::tuple(narrow.RCTCSS, narrow.RDCS, narrow.TCTCSS, narrow.TDCS),
              std::tuple(3, 4, 5, 6));
    EXPECT_EQ(std::tuple(narrow.Prim, narrow.Chnl, narrow.Shad, narrow.Select),
              std::tuple(2, 2, 0, 161));

    EXPECT_EQ(memory.Rec(3).Mode, kModeDigital);
    EXPECT_EQ(std::tuple(memory.Rec(3).RSql, memory.Rec(3).TSql),
              std::tuple(kSqlMonitor, kSqlTalkGroup));
    const ChannelRecord& w = memory.Rec(4);
    EXPECT_EQ(w.Mode, kModeWide);
    EXPECT_EQ(std::tuple(w.RSql, w.TSql), std::tuple(kSqlNoise, kSqlDcs));
    EXPECT_EQ(std::tuple(w.RCTCSS, w.TDCS), std::tuple(500, -3)) << "kept as they stand";
    EXPECT_EQ(memory.Rec(5), ResetMemory().Rec(5)) << "a slot not in use is left alone";
    EXPECT_EQ(memory.Rec(232).Scan, 0xF1);
    EXPECT_EQ(memory.Rec(232).Desc.Trimmed(), "Old");

    // Positions outside their tables render blank and upset nothing downstream.
    EXPECT_EQ(SummaryLine(w, 4).substr(36, 6), "      ");
    op.shown.clear();
    CheckDatabase(memory, op);
    EXPECT_FALSE(TextListing(memory).empty());
    EXPECT_FALSE(ChannelDump(memory).empty());
}

TEST(OldFileImport, ZonesFillFromZeroAroundAKeptMain) {
    std::vector<std::pair<int, OldSlot>> slots;
    for (int slot = 2; slot <= 21; ++slot) {
        slots.push_back({slot, OldSlot{}});
    }
    ChannelMemory memory = ResetMemory();
    ScriptedOperator op;
    ASSERT_EQ(ImportOldChannelFile(Bytes(OldFile(slots)), memory, op), OpenResult::Loaded);
    // Slot 1 is empty, so Main stays in zone 0 and still counts there.
    EXPECT_TRUE(memory.Rec(1).IsDefined());
    EXPECT_EQ(memory.Rec(16).Scan, 0);
    EXPECT_EQ(memory.Rec(17).Scan, 0x10);
    EXPECT_EQ(memory.ZoneCounts,
              (std::array<std::int16_t, 16>{16, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(memory.ZoneCounts, Recount(memory));
    op.shown.clear();
    CheckDatabase(memory, op);
    EXPECT_TRUE(op.shown.empty()) << "no zone over its sixteen channels";
}

TEST(OlderFileOpen, OpenRunsTheImportAndTheCommonFinish) {
    test::TempDir dir;
    test::WriteBytes(dir / "radio.100",
                     Kvs(Line({{1, "012"}, {15, "150.0000"}, {26, "150.0000"}, {44, "40"}})));
    ChannelMemory memory = ResetMemory();
    ProgramState state;
    ScriptedOperator op;
    ASSERT_EQ(OpenChannelFile(dir / "radio.100", memory, state, op), OpenResult::Loaded);
    EXPECT_EQ(memory.Current, 1);
    EXPECT_TRUE(memory.Rec(12).IsDefined());
}

}  // namespace
}  // namespace kld
