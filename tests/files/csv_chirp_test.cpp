#include "csv_chirp.h"

#include <gtest/gtest.h>

#include <sstream>

#include "../test_memory.h"
#include "csv.h"
#include "tables.h"

namespace kld {
namespace {

using Lines = std::vector<std::string>;
using test::ResetMemory;

Result<CsvImport> Import(const std::string& text, ChannelMemory& memory) {
    return ImportCsv(test::Bytes(text), memory);
}

const std::string kChirpHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Comment\r\n";

// How one side of a channel listens or sends: its squelch letter, then the tone or code it uses.
std::string SideOf(std::int16_t squelch, int ctcss, int dcs) {
    std::string side(1, static_cast<char>(squelch));
    if (squelch == kSqlCtcss) {
        side += CtcssText(ctcss);
    } else if (squelch == kSqlDcs) {
        side += DcsText(dcs);
    }
    return side;
}

TEST(Csv, ChirpRowsMapToThisRadiosChannels) {
    // Location, name, frequency, duplex, offset, tone mode, rTone, cTone, code, polarity,
    // Rx code, cross mode, mode; then mode, Rx and Tx frequency, Rx and Tx squelch.
    const std::vector<std::pair<std::string, std::string>> cases{
        {"7,Simplex,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM",
         "Wide 146.5200 146.5200 x x Simplex"},
        {"7,Rpt-,146.940000,-,0.600000,Tone,100.0,88.5,023,NN,023,Tone->Tone,FM",
         "Wide 146.9400 146.3400 x t100.0 Rpt-"},
        {"7,Rpt+,146.940000,+,0.600000,Tone,100.0,88.5,023,NN,023,Tone->Tone,NFM",
         "Narrow 146.9400 147.5400 x t100.0 Rpt+"},
        {"7,,146.520000,,0.000000,TSQL,100.0,88.5,023,NN,023,Tone->Tone,FM",
         "Wide 146.5200 146.5200 t88.5 t88.5 "},
        {"7,,146.520000,,0.000000,DTCS,100.0,88.5,23,NN,754,Tone->Tone,FM",
         "Wide 146.5200 146.5200 c023 c023 "},
        {"7,,146.520000,,0.000000,Cross,100.0,88.5,023,NN,754,Tone->DTCS,FM",
         "Wide 146.5200 146.5200 c754 t100.0 "},
        {"7,,146.520000,,0.000000,Cross,100.0,88.5,023,NN,754,->Tone,FM",
         "Wide 146.5200 146.5200 t88.5 x "},
        {"7,,146.520000,,0.000000,Cross,100.0,88.5,025,NR,754,DTCS->,FM",
         "Wide 146.5200 146.5200 x c025 "},
        {"7,,146.520000,,0.000000,Cross,100.0,88.5,025,NN,754,DTCS->DTCS,FM",
         "Wide 146.5200 146.5200 c754 c025 "},
        {"7,Split,146.520000,split,151.100000,,88.5,88.5,023,NN,023,Tone->Tone,FM",
         "Wide 146.5200 151.1000 x x Split"},
        {"7,RxOnly,162.550000,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM",
         "Narrow 162.5500 162.5500 x - RxOnly"},
        // A tone the mode does not use is not judged: CHIRP writes its default there.
        {"7,,146.520000,,0.000000,,159.8,159.8,017,RR,017,,FM", "Wide 146.5200 146.5200 x x "},
    };
    for (const auto& [row, expected] : cases) {
        SCOPED_TRACE(row);
        ChannelMemory memory = ResetMemory();
        const Result<CsvImport> result = Import(kChirpHeader + row + ",5.00,,\r\n", memory);
        ASSERT_TRUE(result) << result.Error().detail;
        EXPECT_TRUE(result->chirp);
        const ChannelRecord& r = memory.Rec(7);
        std::ostringstream got;
        got << ModeText(r.Mode) << " " << r.RFrq.Trimmed() << " " << r.TFrq.Trimmed() << " "
            << SideOf(r.RSql, r.RCTCSS, r.RDCS) << " " << SideOf(r.TSql, r.TCTCSS, r.TDCS) << " "
            << r.Desc.Trimmed();
        EXPECT_EQ(got.str(), expected);
        EXPECT_EQ(r.Scan, ScanOfZone(0));
    }

    // Lists fill sixteen at a time in Location order, whatever order the rows are in, and every
    // location fits: fifteen lists of sixteen take 240 channels.
    std::string plan = kChirpHeader;
    for (int location = 230; location >= 1; --location) {
        plan += std::to_string(location) + ",,146.520000,,0,,88.5,88.5,023,NN,023,,FM,,,\n";
    }
    ChannelMemory memory = ResetMemory();
    ASSERT_TRUE(Import(plan, memory).Ok());
    EXPECT_EQ(std::tuple(memory.ZoneCounts[0], memory.ZoneCounts[1], memory.ZoneCounts[14]),
              std::tuple(16, 16, 230 - 14 * 16));
    EXPECT_EQ(std::tuple(ZoneOf(memory.Rec(16).Scan), ZoneOf(memory.Rec(17).Scan)),
              std::tuple(0, 1));
}

TEST(Csv, ChirpRowsThatCannotMapAreReported) {
    const std::vector<std::pair<std::string, Lines>> cases{
        {"3,DSTAR,145.670000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,DV",
         {"Line 2, column Mode: DV cannot be stored (FM or NFM)"}},
        {"0,,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM",
         {"Line 2, column Location: Location 0 has no channel here (1 to 230)"}},
        {"231,,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM",
         {"Line 2, column Location: Location 231 has no channel here (1 to 230)"}},
        {"3,,446.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM",
         {"Line 2, column Frequency: 446.000000 MHz is outside 136 to 174 MHz"}},
        {"3,,173.520000,+,5.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM",
         {"Line 2, column Offset: the transmit frequency 178.52000 MHz is outside 136 to 174 MHz"}},
        {"3,,146.520000,+,,,88.5,88.5,023,NN,023,Tone->Tone,FM",
         {"Line 2, column Offset: \"\" is not an offset in MHz"}},
        {"3,,146.520000,x,0.6,,88.5,88.5,023,NN,023,Tone->Tone,FM",
         {"Line 2, column Duplex: \"x\" is not a duplex (blank, +, -, split, off)"}},
        {"3,,146.520000,,0.000000,Tone,159.8,88.5,023,NN,023,Tone->Tone,FM",
         {"Line 2, column rToneFreq: \"159.8\" is not a CTCSS tone of the radio"}},
        {"3,,146.520000,,0.000000,TSQL,88.5,159.8,023,NN,023,Tone->Tone,FM",
         {"Line 2, column cToneFreq: \"159.8\" is not a CTCSS tone of the radio"}},
        {"3,,146.520000,,0.000000,DTCS,88.5,88.5,023,RN,023,Tone->Tone,FM",
         {"Line 2, column DtcsPolarity: reversed DCS polarity cannot be stored"}},
        {"3,,146.520000,,0.000000,DTCS,88.5,88.5,017,NN,023,Tone->Tone,FM",
         {"Line 2, column DtcsCode: \"017\" is not a DCS code of the radio"}},
        {"3,,146.520000,,0.000000,Cross,88.5,88.5,023,NN,023,Tone->Bogus,FM",
         {"Line 2, column CrossMode: \"Tone->Bogus\" cannot be stored"}},
        {"3,,146.520000,,0.000000,DCS,88.5,88.5,023,NN,023,Tone->Tone,FM",
         {"Line 2, column Tone: \"DCS\" cannot be stored"}},
        {"3,Very long name,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM",
         {"Line 2, column Name: \"Very long name\" is longer than 8 characters"}},
    };
    for (const auto& [row, refusals] : cases) {
        SCOPED_TRACE(row);
        ChannelMemory memory = ResetMemory();
        const Result<CsvImport> result = Import(kChirpHeader + row + ",5.00,,\r\n", memory);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.Error().detail, refusals.front() + "\n");
        EXPECT_TRUE(memory.Records == ResetMemory().Records);
    }
}

}  // namespace
}  // namespace kld
