#include "older_files.h"

#include <algorithm>

#include "listings.h"
#include "memory_check.h"
#include "plans.h"
#include "settings_file.h"
#include "summary.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

// A file imported into a reset memory, Yes answering the old-file question.
struct Import {
    explicit Import(const std::string& bytes) {
        op.answers = {Answer::Yes};
        const Result<Opened> opened = ImportOlderFile(Bytes(bytes), memory, op);
        loaded = opened && *opened == Opened::Loaded;
        if (!opened) {
            failure = opened.Error();
        }
    }
    ChannelMemory memory = ResetMemory();
    ScriptedOperator op;
    bool loaded = false;
    std::optional<Failure> failure;
};

void ExpectReadFailure(const std::string& bytes) {
    const Import in(bytes);
    const Failure failure = in.failure.value_or(Failure{});
    EXPECT_EQ(std::tuple(failure.message,
                         failure.detail.find(" names no channel: \"") != std::string::npos,
                         in.op.shown.size()),
              std::tuple("Error reading file.", true, std::size_t{0}))
        << failure.detail;
    EXPECT_TRUE(in.memory.Records == ResetMemory().Records &&
                in.memory.ZoneCounts == ResetMemory().ZoneCounts);
}

// A fixed-column text line: each piece of text at its 1-based column, blanks between.
std::string Line(std::initializer_list<std::pair<int, std::string_view>> pieces) {
    std::string line;
    for (const auto& [column, text] : pieces) {
        const auto at = static_cast<std::size_t>(column - 1);
        line.resize(std::max(line.size(), at + text.size()), ' ');
        line.replace(at, text.size(), text);
    }
    return line + "\r\n";
}

// The four lines that make a file a KVS-220 list, then the given lines.
std::string Kvs(const std::string& lines) {
    std::string file;
    for (const char* n : {"001", "002", "003", "004"}) {
        file += Line({{1, n}, {5, "CH"}, {15, "150.0000"}, {26, "150.0000"}, {44, "40"}});
    }
    return file + lines;
}

// The listing line of a defined channel in list 4, or of a shadow of `primary`: narrowband on
// 155.34 MHz, tone 100.0 on transmit.
std::string Listed(int index, int primary = 0, std::int16_t rxSquelch = kSqlNoise) {
    ChannelRecord r = TemplateRecord();
    r.Select = 0xA1, r.Desc = "Chan", r.RFrq = r.TFrq = "155.3400", r.Scan = 0x40;
    r.RSql = rxSquelch, r.TSql = kSqlCtcss, r.RCTCSS = r.TCTCSS = 12, r.RDCS = r.TDCS = 0;
    r.Chnl = index, r.Prim = primary != 0 ? primary : index, r.Shad = primary != 0;
    return " " + SummaryLine(r, index) + "\r\n";
}

TEST(Recognition, KvsLinesFirstThenListingHeadingsAtTheirColumns) {
    const std::string listing = TextListing(ResetMemory());
    const std::pair<std::string, OlderKind> rows[] = {
        {"001\n002\n003\n004", OlderKind::Kvs220List},
        {"001\n002\n003\n", OlderKind::Unknown},
        {listing, OlderKind::TextListing},
        {" " + listing, OlderKind::Unknown},
        {std::string(listing).insert(listing.find("\r\n") + 2, " "), OlderKind::Unknown},
        {std::string(listing).replace(listing.find("Rx"), 2, "RX"), OlderKind::Unknown},
        {"001  Basic Information          Rx Information\n002Ch# Scan  Desc\n003\n004\n",
         OlderKind::Kvs220List},
        {"\0"s + listing, OlderKind::Unknown},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(RecogniseOlderFile(Bytes(rows[i].first)), rows[i].second) << "row " << i;
    }
}

// Every column a line shows comes back, so the line itself does; an erased channel is not read
// as a channel, and a shadow is linked into its primary's slot and list.
TEST(TextListingImport, ListingTheProgramWroteReadsBack) {
    ChannelMemory original = VariedMemory();
    (original.Rec(40) = original.Rec(3)).Select |= kSelErased;
    const Import in(TextListing(original));
    ASSERT_TRUE(in.loaded);
    EXPECT_TRUE(in.op.shown.empty());
    for (int i = 0; i <= kLastRecord; ++i) {
        const ChannelRecord& before = original.Rec(i);
        const ChannelRecord& after = in.memory.Rec(i);
        if (before.IsDefined() && !before.IsErased()) {
            EXPECT_EQ(std::pair(SummaryLine(after, i), after.Select),
                      std::pair(SummaryLine(before, i), std::int16_t{0xA1}));
        } else {
            EXPECT_FALSE(after.IsDefined()) << i;
        }
    }
    const ChannelMemory& m = in.memory;
    EXPECT_EQ(
        std::tuple(m.Rec(21).Shad, m.Rec(21).Scan, m.Rec(10).ShadList[1], m.Rec(2).ShadList[0]),
        std::tuple(2, original.Rec(10).Scan, 21, 30));
    EXPECT_EQ(m.ZoneCounts, original.ZoneCounts);
}

TEST(TextListingImport, UnlinkableShadowsAreDroppedWithOneMessage) {
    std::string file = ListingHead() + Listed(5);
    for (int shadow = 10; shadow <= 16; ++shadow) {
        file += Listed(shadow, 5);
    }
    // An eighth shadow, an undefined primary, a shadow of a shadow, a guard as primary, a primary
    // out of range, a guard and the default record as shadows.
    const std::pair<int, int> bad[] = {{17, 5},   {20, 6},  {21, 10}, {23, 231},
                                       {24, 999}, {231, 5}, {0, 5}};
    for (const auto& [index, primary] : bad) {
        file += Listed(index, primary);
    }
    Import in(file);
    ASSERT_TRUE(in.loaded);
    EXPECT_EQ(in.op.shown, (std::vector<Message>{{"Format errors in file - Not all data was loaded",
                                                  "Format Error", Icon::Warning, Buttons::Ok}}));
    for (const auto& [index, primary] : bad) {
        const ChannelRecord& r = in.memory.Rec(index);
        if (IsOrdinaryChannel(index)) {
            EXPECT_EQ(std::pair(r.Select, r.IsShadow()), std::pair(std::int16_t{0}, false))
                << index;
        } else {
            EXPECT_EQ(r, ResetMemory().Rec(index)) << index << " keeps its reset";
        }
    }
    // Main dropped as a shadow is not Main again for a later shadow line to link to.
    Import main(ListingHead() + Listed(1, 99) + Listed(50, 1));
    EXPECT_EQ(std::tuple(main.memory.Rec(1).IsDefined(), main.memory.Rec(50).IsDefined(),
                         main.memory.ZoneCounts[0]),
              std::tuple(false, false, 0));
    EXPECT_EQ(std::tuple(in.memory.Rec(16).Shad, in.memory.Rec(5).Shad),
              std::tuple(7, kShadPrimary));
    EXPECT_EQ(in.memory.ZoneCounts[15], 2) << "both guards are still counted";
    in.op.shown.clear();
    EXPECT_EQ(CheckMemory(in.memory, in.op), 7);
    EXPECT_TRUE(in.op.shown.empty()) << "no shadow is left half made";
}

TEST(TextListingImport, OddLinesReadSafely) {
    std::string full = Listed(8, 0, kSqlCtcss);
    full.resize(full.size() - 2);  // without its CR LF
    const std::tuple<std::string, std::string, std::int16_t> rows[] = {
        {full + "\n", "Chan", 't'},
        {full, "Chan", 't'},
        {full.substr(0, 18) + "\r\n", "Chan", 'x'},
        {full + std::string(100000, 'Z') + "\r\n", "Chan", 't'},
        {full.substr(0, 15) + "\0   \r\n"s, "Ch", 'x'},
        {full.substr(0, 13) + "\xe9\xff" + full.substr(15) + "\r\n", "\xe9\xff"s + "an", 't'},
        {"\r\n   \r\n" + full + "\r\n", "Chan", 't'},
    };
    // A default record line first; a failed read must not keep it.
    const std::string head = ListingHead() + Line({{4, "DEF"}, {11, "17"}, {14, "NewDef"}});
    for (const auto& [body, desc, rxSql] : rows) {
        const Import in(head + body);
        ASSERT_TRUE(in.loaded);
        const ChannelRecord& r = in.memory.Rec(8);
        EXPECT_EQ(std::tuple(r.Desc.Trimmed(), r.RSql), std::tuple(desc, rxSql));
        EXPECT_EQ(std::tuple(in.memory.Rec(0).Desc.Trimmed(), in.memory.Rec(0).Scan),
                  std::tuple("NewDef", 0));  // zone 17 is no zone
    }
    ExpectReadFailure(head + Line({{4, "233"}, {14, "X"}}));
}

// The channels of cases/kvs220-channels.txt: names, frequencies (text that is no number kept as it
// is), tones by their KVS numbers (56 to 63 the high ones), reversed squelch, codes, narrowband,
// seventeen channels for scan lists 2 and 3 (sixteen fill list 2, the last goes to list 3), no
// scan list the first free list from 5, 121 and 122 the guards, 000 the template (a blank last
// line names no channel): the listing of the result is golden.
TEST(Kvs220Import, ChannelsAsTheListHoldsThemAndWhereTheyStay) {
    const std::string lines =
        ReadBytes(std::filesystem::path(KLD_CASES_DIR) / "kvs220-channels.txt");
    const Import in(Kvs(lines));
    ASSERT_TRUE(in.loaded);
    ExpectGolden("kvs220.listing.txt", TextListing(in.memory));
    EXPECT_EQ(std::tuple(in.memory.Rec(10).Select, in.memory.Rec(10).RFRec), std::tuple(161, 0));
    EXPECT_EQ(in.memory.ZoneCounts, (Zones{1, 16, 1, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
    for (const char* channel : {"233", "-01"}) {  // outside the table: the read fails
        ExpectReadFailure(Kvs(Line({{1, "000"}, {5, "Def"}}) + Line({{1, channel}})));
    }
    // A list with more channels than lists 5 to 14 can take leaves the rest in the default
    // record's list, counted there, so the memory check finds that list too full instead of
    // missing it.
    std::string more;
    for (int n = 1; n <= 170; ++n) {
        more += Line({{1, std::to_string(n)}, {44, "40"}});
    }
    const Import many(Kvs(more));
    ASSERT_TRUE(many.loaded);
    EXPECT_EQ(std::tuple(many.memory.ZoneCounts[0], many.memory.Rec(170).Scan), std::tuple(8, 0))
        << "121 and 122 are the guards; of 168 channels 160 fill lists 5 to 14, eight stay";
}

// The old binary file of cases/old540.txt: each cell at its offset in its slot, a text padded
// with blanks to its width, a number (width 0) in two bytes, low byte first.
std::string OldFile() {
    constexpr std::pair<std::size_t, std::size_t> kFields[] = {
        {4, 10}, {14, 0}, {16, 0}, {18, 6}, {24, 0}, {26, 0},  {28, 6}, {34, 10},
        {44, 0}, {46, 6}, {52, 0}, {54, 0}, {56, 6}, {62, 10}, {72, 0}};
    std::string file(202 * 74, '\0');
    for (const Cells& row : Cases("old540.txt")) {
        const std::size_t base = (std::stoul(row.at(0)) - 1) * 74;
        for (std::size_t i = 0; i < std::size(kFields); ++i) {
            const std::size_t at = base + kFields[i].first, width = kFields[i].second;
            const std::string& cell = row.at(i + 1);
            if (width != 0) {
                file.replace(at, width, (cell + std::string(width, ' ')).substr(0, width));
            } else {
                file[at] = static_cast<char>(Int(cell) & 0xFF);
                file[at + 1] = static_cast<char>((Int(cell) >> 8) & 0xFF);
            }
        }
    }
    return file;
}

TEST(OldFileImport, FieldsModesSquelchAndZones) {
    const Import in(OldFile());
    ASSERT_TRUE(in.loaded);
    // Talk groups and NACs padded with zeros in front, their last four or three characters kept;
    // digital squelch from the receive kind; slot 5 not in use; slot 1 empty, so Main stays.
    ExpectGolden("old540.listing.txt", TextListing(in.memory));
    const ChannelRecord& n = in.memory.Rec(2);
    EXPECT_EQ(std::tuple(n.Prim, n.Chnl, n.Shad, n.Select), std::tuple(2, 2, 0, 161));
    const ChannelRecord& w = in.memory.Rec(4);
    EXPECT_EQ(std::tuple(w.RCTCSS, w.TDCS), std::tuple(500, -3)) << "kept as they stand";
    EXPECT_EQ(in.memory.ZoneCounts, (Zones{16, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
}

}  // namespace
}  // namespace kld::test
