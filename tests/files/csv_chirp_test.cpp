#include "csv_chirp.h"

#include "../test_memory.h"
#include "csv.h"
#include "tables.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

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

}  // namespace
}  // namespace kld::test
