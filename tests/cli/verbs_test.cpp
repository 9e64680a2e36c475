// The verbs that work on files, run as a technician's script would run them.
#include <gtest/gtest.h>

#include <sstream>

#include "../test_memory.h"
#include "cli.h"
#include "cli_run.h"
#include "csv.h"
#include "data_file.h"
#include "listings.h"
#include "qt_serial_device.h"
#include "record_layout.h"
#include "settings_file.h"

namespace kld {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CliRun;
using test::ReadBytes;
using test::ResetMemory;
using test::WriteBytes;

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

// A CSV plan with any refused cell is not imported: every reason on stderr, and no file written.
TEST(Verbs, RefusedPlanIsNotImportedAndNoPortIsSaid) {
    test::TempDir dir;
    WriteBytes(dir / "bad.csv",
               "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
               "005,1,Narrow,150.0040,Noise,Noise\n006,1,FM,150.0000,Noise,Noise\n");
    EXPECT_EQ(Cli(dir, "import-csv bad.csv -o bad.540"),
              (CliRun{1, "",
                      "bad.csv: Line 2, column RxFrequency: 150.0040 MHz is not on the 2.5 kHz or "
                      "6.25 kHz raster\nbad.csv: Line 3, column Mode: \"FM\" is no mode: Wide, "
                      "Narrow or Digital\nkld540-cli: nothing was imported\n"}));
    EXPECT_FALSE(fs::exists(dir / "bad.540"));

    std::ostringstream out, err;
    cli::Session session(out, err, "");
    EXPECT_EQ(cli::ListPorts(session, {}), cli::kExitFailed);
    EXPECT_TRUE(out.str().empty() && err.str().starts_with("No serial port can be opened."));
}

// Channels in a mode the memory has not enabled: the check asks to move them.
TEST(Verbs, CheckOffersToRepairModes) {
    test::TempDir dir;
    ChannelMemory wide = ResetMemory();
    wide.Rec(1).Mode = kModeWide, wide.Rec(1).TFrq = "150.0000";
    wide.Rec(2) = wide.Rec(1), wide.Rec(2).RFrq = "100.0000";
    WriteBytes(dir / "wide.540", EncodeDataFile(wide, ProgramState{}));
    // The question, declined: each message on stderr, followed by a blank line.
    const CliRun declined = Cli(dir, "check wide.540 -o kept.540");
    EXPECT_EQ(declined.status, 1);
    EXPECT_TRUE(declined.err.starts_with("Memory data contains invalid data\n\nThe following") &&
                declined.err.ends_with("leave data unchanged\n\n"))
        << declined.err;
    EXPECT_EQ(ReadBytes(dir / "kept.540"), ReadBytes(dir / "wide.540"));
    // The listing shows the messages but succeeds, and leaves the modes alone.
    EXPECT_EQ(Cli(dir, "listing wide.540"), (CliRun{0, TextListing(wide), declined.err}));
    // Allowing wideband on the command line silences the question.
    EXPECT_EQ(Cli(dir, "--modes 'w n d' check wide.540"),
              (CliRun{1, "", "Memory data contains invalid data\n\n"}));
    EXPECT_EQ(Cli(dir, "check wide.540 --repair-modes -o fixed.540").status, 1);
    const std::string fixed = ReadBytes(dir / "fixed.540");
    ASSERT_EQ(fixed.size(), kDataFileBytes);
    EXPECT_EQ(fixed[kHeaderBytes + kRecordBytes + record_offset::Mode], kModeNarrow);
}

}  // namespace
}  // namespace kld
