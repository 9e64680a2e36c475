// The command line itself: usage, and how each verb's status and messages come out.
#include "cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "../test_memory.h"
#include "cli_run.h"
#include "compare.h"
#include "data_file.h"
#include "listings.h"
#include "qt_serial_device.h"
#include "record_layout.h"

namespace kld {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CliRun;
using test::ResetMemory;

TEST(Cli, UsageHelpAndVersion) {
    test::TempDir dir;
    EXPECT_EQ(Cli(dir, "--version"), (CliRun{0, "kld540-cli 2.6.0\n", ""}));
    const CliRun help = Cli(dir, "--help");
    EXPECT_TRUE(help.status == 0 && help.out.find("listing FILE") != std::string::npos);
    for (const char* bad : {"", "frobnicate x", "convert a.540", "listing", "listing a b",
                            "dump a.540 --bogus", "--modes"}) {
        const CliRun run = Cli(dir, bad);
        EXPECT_TRUE(run.status == 2 && run.err.find("Usage: kld540-cli") != std::string::npos)
            << '"' << bad << "\": " << run.err;
    }
    // fleet's own words: the ports or --watch, a count only with --watch; a plan with nothing
    // selected is refused before any port is opened.
    for (const char* bad : {"fleet a.540", "fleet a.540 --ports COMX", "fleet a.540 --ports 3,,4",
                            "fleet a.540 --ports 3 --count 2", "fleet a.540 --watch --count 0"}) {
        const CliRun run = Cli(dir, bad);
        EXPECT_TRUE(run.status == 2 && run.err.starts_with("kld540-cli: ")) << bad << run.err;
    }
    test::WriteBytes(dir / "a.540", EncodeDataFile(ResetMemory(), ProgramState{}));
    const CliRun unselected = Cli(dir, "fleet a.540 --ports 3");
    EXPECT_TRUE(unselected.status == 1 &&
                unselected.err.starts_with("No data selected for transfer to Radio\n"))
        << unselected.err;
    EXPECT_FALSE(fs::exists(dir / "KLD540.ini")) << "the tool never writes it";
}

// Exit 0 for success, 1 for a refusal or failure (its message on stderr, a detail on the next
// line, then an empty line); after `--` every word is a file name; diff says by its status
// whether the files differ, check whether it had anything to say.
TEST(Cli, StatusAndMessages) {
    test::TempDir dir;
    ChannelMemory b = ResetMemory(), tones = ResetMemory(), wide = ResetMemory();
    b.Rec(kFirstChannel).Desc = "Harbour";
    b.Rec(9) = b.Rec(kFirstChannel), b.Rec(9).Chnl = b.Rec(9).Prim = 9;
    // Tones and codes outside the tables (an older file's): no send could write the channel.
    tones.Rec(7) = tones.Rec(1), tones.Rec(7).RCTCSS = 57, tones.Rec(7).TDCS = -3;
    // Channel 1 wideband, which the memory has not enabled; channel 2 besides out of band.
    wide.Rec(1).Mode = kModeWide, wide.Rec(1).TFrq = "150.0000";
    wide.Rec(2) = wide.Rec(1), wide.Rec(2).RFrq = "100.0000";
    const auto write = [&dir](const char* name, const ChannelMemory& memory) {
        test::WriteBytes(dir / name, EncodeDataFile(memory, ProgramState{}));
    };
    write("a.540", ResetMemory()), write("b.540", b), write("-o", ResetMemory());
    write("tones.540", tones), write("wide.540", wide);
    test::WriteBytes(dir / "a.txt", TextListing(ResetMemory()));
    test::WriteBytes(dir / "odd.540", "this is no channel file\r\n");
    test::WriteBytes(dir / "bad.csv",
                     "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "005,1,Narrow,150.0040,Noise,Noise\n006,1,FM,150.0000,Noise,Noise\n");
    test::WriteBytes(dir / "mixed.csv",
                     "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "005,1,Narrow,150.0000,Noise,Noise\n006,1,Narrow,180.0000,Noise,Noise\n");
    test::WriteBytes(dir / "long.csv",
                     "Channel,Description,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "005,Green Dot,1,Narrow,150.0000,Noise,Noise\n");
    const auto unreadable = [&dir](const std::string& name) {
        return "Error reading file.\n" + name + ": there is no such file in " +
               fs::canonical(dir.Path()).string() + "\n\n";
    };
    const std::string notOurs =
        "Unrecognised Format - Do you wish to try to import as old .540 file?\n\n";
    const std::string diff = DiffText(CompareMemories(ResetMemory(), b));
    // The check's messages, each followed by a blank line; the question about the modes declined.
    const std::string invalid = "Memory data contains invalid data\n\n";
    const std::string modes =
        "The following operating modes are used in the memory data but are currently disabled:\n\n"
        "    Analog Wideband\n\nDo you wish to update memory data to use a valid mode?\n\nPress OK "
        "to update data or CANCEL to leave data unchanged\n\n";
    const std::tuple<const char*, CliRun> rows[] = {
        {"listing missing.540", {1, "", unreadable("missing.540")}},
        {"listing -- -o", {0, TextListing(ResetMemory()), ""}},
        {"listing -- --help", {1, "", unreadable("--help")}},
        {"convert odd.540 -o out.540", {1, "", notOurs}},
        {"convert a.540 -o no-folder/out.540",
         {1, "",
          "Error writing to file.\nout.540: the folder " + fs::canonical(dir.Path()).string() +
              "/no-folder does not exist\n\n"}},
        {"import-csv missing.csv -o out.540", {1, "", unreadable("missing.csv")}},
        // A CSV plan with any refused cell is not imported: every reason on stderr.
        {"import-csv bad.csv -o out.540",
         {1, "",
          "bad.csv: Line 2, column RxFrequency: 150.0040 MHz is not on the 2.5 kHz or 6.25 kHz "
          "raster\nbad.csv: Line 3, column Mode: \"FM\" is no mode: Wide, Narrow or Digital\n"
          "kld540-cli: nothing was imported\n"}},
        // Asked to, the rows the radio cannot use are left out and said, the rest imported.
        {"import-csv mixed.csv -o part.540 --skip-bad-rows",
         {0, "",
          "mixed.csv: skipped: Line 3, column RxFrequency: 180.0000 MHz is outside 136 to 174 "
          "MHz\n"}},
        // A name longer than the radio keeps is cut and said, the plan imported.
        {"import-csv long.csv -o cut.540",
         {0, "",
          "long.csv: warning: Line 2, column Description: \"Green Dot\" cut to \"Green Do\"\n"}},
        {"check a.540", {0, "", ""}},
        {"check tones.540",
         {1, "",
          "These channels cannot be sent to the radio:\nChannel 007: Rx Tone: position 57 is not "
          "in its table; Tx Code: position -3 is not in its table\n\n"}},
        {"diff a.540 a.txt", {0, "", ""}},
        {"diff a.540 b.540", {1, diff, ""}},
        {"diff a.540 missing.540", {1, "", unreadable("missing.540")}},
        {"diff missing.540 a.540", {1, "", unreadable("missing.540")}},
        {"diff odd.540 a.540", {1, "", notOurs}},
        {"check wide.540 -o kept.540", {1, "", invalid + modes}},
        // The listing shows the messages but succeeds, and leaves the modes alone.
        {"listing wide.540", {0, TextListing(wide), invalid + modes}},
        // Allowing wideband on the command line silences the question.
        {"--modes 'w n d' check wide.540", {1, "", invalid}},
        {"check wide.540 --repair-modes -o fixed.540", {1, "", invalid + modes}},
    };
    for (const auto& [args, run] : rows) {
        EXPECT_EQ(Cli(dir, args), run) << args;
    }
    EXPECT_TRUE(!fs::exists(dir / "out.540") && fs::exists(dir / "cut.540") &&
                fs::exists(dir / "part.540"));
    EXPECT_EQ(test::ReadBytes(dir / "kept.540"), test::ReadBytes(dir / "wide.540"));
    const std::string fixed = test::ReadBytes(dir / "fixed.540");
    ASSERT_EQ(fixed.size(), kDataFileBytes);
    EXPECT_EQ(fixed[kHeaderBytes + kRecordBytes + record_offset::Mode], kModeNarrow);
    std::ostringstream out, err;  // no port to offer
    cli::Session session(out, err, "");
    EXPECT_EQ(cli::ListPorts(session, {}), cli::kExitFailed);
    EXPECT_TRUE(out.str().empty() && err.str().starts_with("No serial port can be opened."));
    EXPECT_EQ(Cli(dir, "listing a.540", "/dev/full"),
              (CliRun{1, "",
                      "kld540-cli: standard output could not be written (a full disk, or a "
                      "closed pipe?)\n"}));
}

}  // namespace
}  // namespace kld
