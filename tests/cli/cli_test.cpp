// The command line itself: usage, and how each verb's status and messages come out.
#include "cli.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "../cases.h"
#include "../test_memory.h"
#include "cli_run.h"
#include "cli_transfer_host.h"
#include "compare.h"
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
    for (const char* plan : {"bad.csv", "mixed.csv", "long.csv"}) {  // refused rows, a long name
        fs::copy_file(fs::path(KLD_CASES_DIR) / plan, dir / plan);
    }
    // The rows of cases/status_and_messages.txt, with the texts that depend on the run filled in.
    const std::map<std::string, std::string> filled = {
        {"{dir}", fs::canonical(dir.Path()).string()},
        {"{listing a.540}", TextListing(ResetMemory())},
        {"{listing wide.540}", TextListing(wide)},
        {"{diff}", DiffText(CompareMemories(ResetMemory(), b))}};
    for (test::Cells row : test::Cases("status_and_messages.txt")) {
        for (std::string& cell : row) {
            for (const auto& [name, text] : filled) {
                for (std::size_t at; (at = cell.find(name)) != std::string::npos;) {
                    cell.replace(at, name.size(), text);
                }
            }
        }
        EXPECT_EQ(Cli(dir, row.at(0)), (CliRun{std::stoi(row.at(1)), row.at(2), row.at(3)}))
            << row.at(0);
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
        // The plan scripts/run puts into the simulated radio is taken whole, without a word.
        {"import-csv '" KLD_DEMO_PLAN "' -o demo.540", "", ""},
        {"check demo.540", "", ""},
    };
    for (const auto& [args, file, text] : rows) {
        SCOPED_TRACE(args);
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(std::pair(run.status, run.err), std::pair(0, std::string()));
        EXPECT_TRUE((*file ? ReadBytes(dir / file) : run.out) == text);
    }
    EXPECT_EQ(ReadBytes(dir / "KLD540.ini"), before);
}

// The window's status label grows a digit for every second an answer is awaited; a terminal
// line shows the seconds instead, so the count stays in view however long the wait. The bar
// stays 20 characters wide and counts from 0 to 232, whatever value it is given.
TEST(CliTransferHost, ProgressLineShowsTheSecondsWaited) {
    for (const test::Cells& row : test::Cases("progress_lines.txt")) {
        EXPECT_EQ(cli::ProgressLine(row.at(0), std::stoi(row.at(1)), std::stol(row.at(2))),
                  row.at(3))
            << row.at(0);
    }
}

}  // namespace
}  // namespace kld
