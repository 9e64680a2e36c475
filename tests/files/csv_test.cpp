#include "csv.h"

#include <algorithm>

#include "../cases.h"
#include "csv_cells.h"
#include "csv_chirp.h"
#include "csv_text.h"
#include "file_io.h"
#include "import_common.h"
#include "plans.h"
#include "tables.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

const std::string kHeader =
    "Channel,Description,List,Scan,Mode,RxFrequency,TxFrequency,RxSquelch,TxSquelch,RxTone,TxTone,"
    "RxDCS,TxDCS,RxTalkGroup,TxTalkGroup,RxNAC,TxNAC,IDCall,Primary\r\n";

// A record without what a plan does not carry: the status flags but "defined", the counters,
// the spare ID call element, a shadow's copy of its primary's slots.
ChannelRecord Carried(ChannelRecord r) {
    r.Select &= kSelDefined, r.EFlags = r.RFRec = r.IDCall[4] = 0;
    if (r.IsShadow()) {
        r.ShadList = {};
    }
    return r;
}

// Every defined channel but one waiting to be erased, a quoted UTF-8 row each (golden), reads
// back as the same channels and writes the same plan again; so does the plan as other tools leave
// it.
TEST(Csv, ExportThenImportGivesTheSameChannels) {
    const ChannelMemory source = VariedMemory();
    ChannelMemory erased = source;
    (erased.Rec(40) = erased.Rec(3)).Select |= kSelErased;
    const std::string csv = ExportCsv(erased);
    ExpectGolden("varied.csv", csv);
    const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
            text.replace(at, from.size(), to);
        }
        return text;
    };
    const std::string body = csv.substr(kHeader.size());
    std::vector<std::string> rows;
    for (std::size_t at = 0; at < body.size(); at = body.find("\r\n", at) + 2) {
        rows.push_back(body.substr(at, body.find("\r\n", at) + 2 - at));
    }
    std::string reversed = kHeader;
    std::for_each(rows.rbegin(), rows.rend(), [&](const std::string& r) { reversed += r; });
    std::string lower = kHeader;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    const std::vector<std::pair<const char*, std::string>> cases{
        {"as exported", csv},
        {"header in lower case", lower + body},
        {"trailing empty fields", replaced(csv, "\r\n", ",,,\r\n")},
        {"rows in reverse order", reversed},
        {"blank lines and blank rows", replaced(csv, "\r\n", "\r\n\r\n,,,\r\n")},
        {"blanks around cells",
         replaced(replaced(csv, ",Narrow,", ", Narrow ,"), ",No,", ",  No,")},
        {"numbers without leading zeros",
         replaced(replaced(replaced(csv, "\n003,", "\n3,"), ",051,", ",51,"), ",0000001,", ",1,")},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        ChannelMemory imported = ResetMemory();
        const Result<CsvImport> result = ImportCsv(Bytes(text), imported);
        ASSERT_TRUE(result) << result.Error().detail;
        EXPECT_EQ(std::tuple(result->chirp, result->channels, imported.Saved),
                  std::tuple(false, 1 + 3 + 3 + 3 + 16 + 2, false));
        for (int i = 0; i <= kLastRecord; ++i) {
            EXPECT_EQ(Carried(source.Rec(i)), Carried(imported.Rec(i))) << "record " << i;
        }
        EXPECT_EQ(imported.ZoneCounts, source.ZoneCounts);
        EXPECT_EQ(ExportCsv(imported), csv);
    }

    // A plan without Main or the guards leaves them as a reset makes them. A name longer than
    // the radio keeps is cut, and the cut listed.
    ChannelMemory plain = ResetMemory();
    const Result<CsvImport> cut = ImportCsv(
        Bytes(kHeader + "005,Five,2,No,Narrow,150.0000,,Noise,Noise,,,,,,,,,,\r\n"
                        "006,Green D\xC3\xB6t,3,No,Narrow,150.0000,,Noise,Noise,,,,,,,,,,\r\n"),
        plain);
    ASSERT_TRUE(cut.Ok());
    EXPECT_EQ(std::pair(cut->warnings, plain.Rec(6).Desc.Trimmed()),
              std::pair(std::vector<std::string>{"Line 3, column Description: \"Green D\xC3\xB6t\" "
                                                 "cut to \"Green D\xC3\xB6\""},
                        std::string("Green D\xF6")));
    for (const int i : {1, kGuard1, kGuard2}) {
        EXPECT_EQ(plain.Rec(i), ResetMemory().Rec(i)) << i;
    }
    // Blank cells take the template's values; a blank transmit frequency is simplex.
    const ChannelRecord& five = plain.Rec(5);
    EXPECT_EQ(std::tuple(five.TFrq.Trimmed(), five.RTG, five.IDCall, plain.ZoneCounts[0],
                         plain.ZoneCounts[1]),
              std::tuple("150.0000", TemplateRecord().RTG, TemplateRecord().IDCall, 1, 1));
}

// A refused plan changes nothing, and says everything that is wrong with it: each malformed file
// its one reason, and a plan with faults in nearly every kind of cell, and rows that clash, every
// refusal.
TEST(Csv, RefusedPlansChangeNothingAndListEveryRefusal) {
    const std::filesystem::path golden = KLD_GOLDEN_DIR;
    std::vector<std::vector<std::string>> cases = Cases("csv_malformed.txt");
    cases.push_back({"larger than any plan", std::string(kMaxInputBytes + 1, 'x'),
                     "Line 1: the file is larger than any channel plan (4 MiB at most)\n"});
    cases.push_back(
        {"faulty cells", ReadBytes(golden / "refused.csv"), ReadBytes(golden / "refused.txt")});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at(0));
        ChannelMemory memory = VariedMemory();
        memory.Saved = true;
        const ChannelMemory before = memory;
        const Result<CsvImport> result = ImportCsv(Bytes(c.at(1)), memory);
        ASSERT_FALSE(result);
        EXPECT_EQ(
            result.Error(),
            (Failure{"The plan was not imported: the details list every refused cell.", c.at(2)}));
        EXPECT_TRUE(memory.Records == before.Records && memory.ZoneCounts == before.ZoneCounts &&
                    memory.Current == before.Current && memory.Saved);
    }
}

// Skipping leaves out each row this radio cannot use, and a shadow of one, with every reason; a
// shadow refused only once linked goes too, and the rest is imported as it would be alone. By
// default the same plan is refused whole.
TEST(Csv, UnusableRowsAreLeftOutAndListedWhenAsked) {
    const std::string plan = kHeader +
                             "005,Five,2,No,Narrow,150.0000,,Noise,Noise,,,,,,,,,,\r\n"
                             "006,Far away!,2,No,Narrow,180.0000,,Noise,Noise,,,,,,,,,,\r\n"
                             "007,Odd,2,No,Narrow,150.0040,,Noise,Noise,,,,,,,,,,\r\n"
                             "008,Tone,2,No,Narrow,150.0000,,CTCSS,Noise,99.9,,,,,,,,,\r\n"
                             "009,,,,Narrow,,,Noise,Noise,,,,,,,,,,006\r\n"
                             "010,,,,Narrow,151.0000,,Noise,Noise,,,,,,,,,,005\r\n"
                             "011,,,,Narrow,,,Noise,Noise,,,,,,,,,,005\r\n";
    ChannelMemory memory = ResetMemory();
    ASSERT_FALSE(ImportCsv(Bytes(plan), memory));
    const Result<CsvImport> result = ImportCsv(Bytes(plan), memory, CsvRows::SkipUnusable);
    ASSERT_TRUE(result) << result.Error().detail;
    EXPECT_EQ(std::tuple(result->rows, result->channels, result->warnings.size()),
              std::tuple(7, 2, 0u));
    EXPECT_EQ(SkippedRowsText(*result),
              "Line 3, column RxFrequency: 180.0000 MHz is outside 136 to 174 MHz\n"
              "Line 4, column RxFrequency: 150.0040 MHz is not on the 2.5 kHz or 6.25 kHz raster\n"
              "Line 5, column RxTone: \"99.9\" is not a CTCSS tone of the radio\n"
              "Line 6: its primary, channel 006 on line 3, cannot be used\n"
              "Line 7, column RxFrequency: a shadow uses its primary's frequencies (150.00000, "
              "150.00000)\n");
    EXPECT_EQ(result->skipped.front().line, 3);
    ChannelMemory alone = ResetMemory();
    ASSERT_TRUE(ImportCsv(Bytes(kHeader + "005,Five,2,No,Narrow,150.0000,,Noise,Noise,,,,,,,,,,\r\n"
                                          "011,,,,Narrow,,,Noise,Noise,,,,,,,,,,005\r\n"),
                          alone));
    EXPECT_TRUE(memory.Records == alone.Records && memory.ZoneCounts == alone.ZoneCounts);
    EXPECT_EQ(memory.Rec(11).Prim, 5);
    // Nothing usable: refused as a whole plan is.
    ChannelMemory none = ResetMemory();
    const std::string bad = kHeader + "006,Far,2,No,Narrow,180.0000,,Noise,Noise,,,,,,,,,,\r\n";
    EXPECT_EQ(ImportCsv(Bytes(bad), none, CsvRows::SkipUnusable).Error(),
              ImportCsv(Bytes(bad), none).Error());
    EXPECT_EQ(none.Records, ResetMemory().Records);
}

// Every tone mode, duplex and mode CHIRP writes that this radio can store, a row each, and the
// channels they make, as this program's own plan lists them; rows the radio cannot hold, each
// refused for its one reason, import nothing.
TEST(Csv, ChirpRowsMapToThisRadiosChannelsOrAreReported) {
    const std::filesystem::path golden = KLD_GOLDEN_DIR;
    ChannelMemory memory = ResetMemory();
    const Result<CsvImport> refused =
        ImportCsv(Bytes(ReadBytes(golden / "chirp-refused.csv")), memory);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error().detail, ReadBytes(golden / "chirp-refused.txt"));
    EXPECT_TRUE(memory.Records == ResetMemory().Records);
    const Result<CsvImport> result = ImportCsv(Bytes(ReadBytes(golden / "chirp.csv")), memory);
    ASSERT_TRUE(result) << result.Error().detail;
    EXPECT_TRUE(result->chirp);
    ExpectGolden("chirp.export.csv", ExportCsv(memory));

    // Lists fill sixteen at a time in Location order, whatever order the rows are in, and every
    // location fits: fifteen lists of sixteen take 240 channels.
    std::string plan =
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
        "RxDtcsCode,CrossMode,Mode,TStep,Skip,Comment\r\n";
    for (int location = 230; location >= 1; --location) {
        plan += std::to_string(location) + ",,146.520000,,0,,88.5,88.5,023,NN,023,,FM,,,\n";
    }
    memory = ResetMemory();
    ASSERT_TRUE(ImportCsv(Bytes(plan), memory).Ok());
    EXPECT_EQ(std::tuple(memory.ZoneCounts[0], memory.ZoneCounts[1], memory.ZoneCounts[14]),
              std::tuple(16, 16, 230 - 14 * 16));
    EXPECT_EQ(std::tuple(ZoneOf(memory.Rec(16).Scan), ZoneOf(memory.Rec(17).Scan)),
              std::tuple(0, 1));
}

// Each cell of cases/csv_cells.txt as the editor judges its box.
TEST(CsvCells, EachCellIsJudgedAsTheEditorJudgesItsBox) {
    const auto judged = [](auto judge) {
        return CaseFn{1, [judge](const Cells& a) {
                          std::string why;
                          const auto value = judge(a[0], why);
                          return value ? AsText(*value) : "refused: " + why;
                      }};
    };
    ExpectCases(
        "csv_cells.txt",
        {{"Description", judged(csv::Description)},
         {"Frequency", judged(csv::Frequency)},
         {"Tone", judged(csv::Tone)},
         {"DcsCode", judged(csv::DcsCodeCell)},
         {"Record", {1, [](const Cells& a) { return AsText(csv::RecordOfCell(a[0])); }}},
         {"SmallNumber", {1, [](const Cells& a) { return AsText(csv::SmallNumber(a[0])); }}}});
}

TEST(ImportCommon, NumSkipsEveryBlankAndFrequenciesTakeTheirFormat) {
    ExpectCases(
        "import_common.txt",
        {{"Num", {1, [](const Cells& a) { return AsText(import::Num(a[0])); }}},
         {"Frequency", {1, [](const Cells& a) { return import::ImportedFrequency(a[0]); }}}});
}

// The rows each text splits into, each as its line, its fields and the first field past two;
// and the error that stopped the reading.
TEST(CsvText, RowsAndFieldsAsRfc4180Has) {
    const auto shown = [](std::string text) {
        for (std::size_t at = 0; (at = text.find_first_of("\r\n", at)) != std::string::npos;) {
            text.replace(at, 1, text[at] == '\r' ? "\\r" : "\\n");
        }
        return "[" + text + "]";
    };
    std::string out;
    for (const auto& c : Cases("csv_text.txt")) {
        out += c.at(0) + "\n";
        csv::CsvReader reader(c.at(1));
        for (csv::CsvRow row; reader.Next(row, 2);) {
            out += "  line " + std::to_string(row.line) + ":";
            for (const std::string& field : row.fields) {
                out += " " + shown(field);
            }
            out += row.firstExtra ? " then field " + std::to_string(row.firstExtra) + "\n" : "\n";
        }
        out += reader.Error().empty() ? "" : "  " + reader.Error() + "\n";
    }
    ExpectGolden("csv_text.rows.txt", out);
}

TEST(CsvText, WritingQuotesWhereNeededAndMarksAreDropped) {
    std::string out;
    csv::AppendRow(out, {"plain", "a,b", "say \"hi\"", "two\r\nlines", "cr\r", ""});
    EXPECT_EQ(out, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"cr\r\",\r\n");
    EXPECT_EQ(csv::WithoutByteOrderMark("\xEF\xBB\xBF"
                                        "Channel"),
              "Channel");
    EXPECT_EQ(csv::WithoutByteOrderMark("\xEF\xBB"), "\xEF\xBB");
    EXPECT_TRUE((csv::CsvRow{1, {" ", ""}, 0}).Blank());
    EXPECT_FALSE((csv::CsvRow{1, {" ", ""}, 3}).Blank());
}

}  // namespace
}  // namespace kld::test
