#include "csv_chirp.h"

#include "../test_memory.h"
#include "csv.h"
#include "tables.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

const std::filesystem::path kGolden = KLD_GOLDEN_DIR;

const std::string kChirpHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Comment\r\n";

// Every tone mode, duplex and mode CHIRP writes that this radio can store, a row each, and the
// channels they make, as this program's own plan lists them.
TEST(Csv, ChirpRowsMapToThisRadiosChannels) {
    ChannelMemory memory = ResetMemory();
    const Result<CsvImport> result = ImportCsv(Bytes(ReadBytes(kGolden / "chirp.csv")), memory);
    ASSERT_TRUE(result) << result.Error().detail;
    EXPECT_TRUE(result->chirp);
    ExpectGolden("chirp.export.csv", ExportCsv(memory));

    // Lists fill sixteen at a time in Location order, whatever order the rows are in, and every
    // location fits: fifteen lists of sixteen take 240 channels.
    std::string plan = kChirpHeader;
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

// Rows the radio cannot hold, each refused for its one reason; nothing is imported.
TEST(Csv, ChirpRowsThatCannotMapAreReported) {
    ChannelMemory memory = ResetMemory();
    const Result<CsvImport> result =
        ImportCsv(Bytes(ReadBytes(kGolden / "chirp-refused.csv")), memory);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.Error().detail, ReadBytes(kGolden / "chirp-refused.txt"));
    EXPECT_TRUE(memory.Records == ResetMemory().Records);
}

}  // namespace
}  // namespace kld::test
