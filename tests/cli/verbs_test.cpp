// The verbs that work on files, run as a technician's script would run them.
#include <gtest/gtest.h>

#include "../test_memory.h"
#include "cli_run.h"
#include "csv.h"
#include "data_file.h"
#include "listings.h"
#include "settings_file.h"

namespace kld {
namespace {

using test::Cli;
using test::CliRun;
using test::ReadBytes;

// Each verb writes what the program makes of the file, to -o or to standard output; a plan goes
// out to CSV and back unchanged. A new file starts from the template in the working folder's
// KLD540.ini, which the tool never writes.
TEST(Verbs, WriteWhatTheProgramRenders) {
    test::TempDir dir;
    ChannelMemory reset;
    reset.Rec(kDefaultRecord) = TemplateRecord(), reset.Rec(kDefaultRecord).Desc = "Station";
    ClearMemory(reset);
    ASSERT_FALSE(WriteSettingsFile(dir / "KLD540.ini", FreshHeader(ProgramVersion{}),
                                   reset.Rec(kDefaultRecord)));
    const std::string before = ReadBytes(dir / "KLD540.ini");
    // The command, the file it writes (standard output when empty), and what must be in it.
    const std::tuple<const char*, const char*, std::string> rows[] = {
        {"new -o fresh.540", "fresh.540", EncodeDataFile(reset, ProgramState{})},
        {"listing fresh.540", "", TextListing(reset)},
        {"dump fresh.540", "", ChannelDump(reset)},
        {"convert fresh.540 -o copy.540", "copy.540", EncodeDataFile(reset, ProgramState{})},
        {"export-csv fresh.540 -o plan.csv", "plan.csv", ExportCsv(reset)},
        {"import-csv plan.csv -o back.540", "", ""},
        {"listing back.540", "", TextListing(reset)},
    };
    for (const auto& [args, file, text] : rows) {
        SCOPED_TRACE(args);
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(std::pair(run.status, run.err), std::pair(0, std::string()));
        EXPECT_TRUE((*file ? ReadBytes(dir / file) : run.out) == text);
    }
    EXPECT_EQ(ReadBytes(dir / "KLD540.ini"), before);
}

}  // namespace
}  // namespace kld
