// Runs the built kld540-cli as a process, the way a technician or a script would.
#include "cli.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "../files/temp_dir.h"
#include "../test_memory.h"
#include "channel_memory.h"
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
using namespace std::chrono_literals;
using test::ReadBytes;
using test::ResetMemory;  // what the tool starts with when there is no KLD540.ini
using test::TempDir;
using test::WriteBytes;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool in `dir` with the given arguments (already quoted for the shell), its standard
// output going to `out`.
CliRun Cli(const TempDir& dir, const std::string& args, const std::string& out = "stdout.txt") {
    const std::string command = "cd '" + dir.Path().string() + "' && '" KLD540_CLI "' " + args +
                                " >" + out + " 2>stderr.txt";
    const int raw = std::system(command.c_str());
    CliRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(dir / "stdout.txt"),
               ReadBytes(dir / "stderr.txt")};
    fs::remove(dir / "stdout.txt");
    fs::remove(dir / "stderr.txt");
    return run;
}

const char* const kNotOurFormat =
    "Unrecognised Format - Do you wish to try to import as old .540 file?\n\n";

TEST(Cli, UsageHelpAndVersion) {
    TempDir dir;
    const CliRun version = Cli(dir, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kld540-cli 2.6.0\n");
    const CliRun help = Cli(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("listing FILE"), std::string::npos);
    for (const char* bad : {"", "frobnicate x", "convert a.540", "listing", "listing a b",
                            "dump a.540 --bogus", "--modes"}) {
        SCOPED_TRACE(bad);
        const CliRun run = Cli(dir, bad);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("Usage: kld540-cli"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir / "KLD540.ini")) << "the tool never writes it";
}

// The verbs that render a file write what the program renders, to standard output, through a
// link (which stays) or to /dev/stdout; after `--` every word is a file name.
TEST(Cli, NewListingDumpConvertAndWhereOutputGoes) {
    TempDir dir;
    const ChannelMemory reset = ResetMemory();
    ASSERT_EQ(Cli(dir, "new -o fresh.540").status, 0);
    EXPECT_EQ(ReadBytes(dir / "fresh.540"), EncodeDataFile(reset, ProgramState{}));
    const CliRun listing = Cli(dir, "listing fresh.540");
    EXPECT_EQ(std::tuple(listing.status, listing.out, listing.err),
              std::tuple(0, TextListing(reset), ""));
    const CliRun dump = Cli(dir, "dump fresh.540");
    EXPECT_EQ(std::pair(dump.status, dump.out), std::pair(0, ChannelDump(reset)));
    ASSERT_EQ(Cli(dir, "convert fresh.540 -o copy.540").status, 0);
    EXPECT_EQ(ReadBytes(dir / "copy.540"), ReadBytes(dir / "fresh.540"));

    fs::create_directory(dir / "lists");
    fs::create_symlink("lists/real.txt", dir / "link.txt");
    ASSERT_EQ(Cli(dir, "listing fresh.540 -o link.txt").status, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(ReadBytes(dir / "lists/real.txt"), listing.out);
    const CliRun toStdout = Cli(dir, "listing fresh.540 -o /dev/stdout");
    EXPECT_EQ(std::tuple(toStdout.status, toStdout.out, toStdout.err),
              std::tuple(0, listing.out, ""));

    fs::copy_file(dir / "fresh.540", dir / "-o");
    EXPECT_EQ(Cli(dir, "listing -- -o").out, listing.out);
    EXPECT_EQ(Cli(dir, "listing -- --help").err, "Error reading file.\n\n");
    // A full disk behind stdout is a failure, and says so.
    const CliRun full = Cli(dir, "listing fresh.540", "/dev/full");
    EXPECT_EQ(std::pair(full.status, full.err),
              std::pair(1, std::string("kld540-cli: standard output could not be written (a full "
                                       "disk, or a closed pipe?)\n")));
}

TEST(Cli, FailuresSayWhatHappened) {
    TempDir dir;
    const CliRun missing = Cli(dir, "listing missing.540");
    EXPECT_EQ(std::tuple(missing.status, missing.out, missing.err),
              std::tuple(1, "", "Error reading file.\n\n"));

    WriteBytes(dir / "odd.540", "this is no channel file\r\n");
    const CliRun odd = Cli(dir, "convert odd.540 -o out.540");
    EXPECT_EQ(std::pair(odd.status, odd.err), std::pair(1, std::string(kNotOurFormat)));
    EXPECT_FALSE(fs::exists(dir / "out.540"));

    ASSERT_EQ(Cli(dir, "new -o fresh.540").status, 0);
    const CliRun unwritable = Cli(dir, "convert fresh.540 -o no-folder/out.540");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "Error writing to file.\nout.540: the folder " +
                                  fs::canonical(dir.Path()).string() +
                                  "/no-folder does not exist\n\n");

    // A FIFO as input fails at once. Should the tool wait for a writer, one comes after 5 s.
    ::mkfifo((dir / "in.540").c_str(), 0600);
    std::atomic<bool> done = false;
    std::thread writer([&] {
        for (int i = 0; i < 50 && !done; ++i) {
            std::this_thread::sleep_for(100ms);
        }
        ::close(::open((dir / "in.540").c_str(), O_WRONLY | O_NONBLOCK));
    });
    const auto start = std::chrono::steady_clock::now();
    const CliRun fifo = Cli(dir, "listing in.540");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    done = true;
    writer.join();
    EXPECT_EQ(std::tuple(fifo.status, fifo.err), std::tuple(1, "Error reading file.\n\n"));
}

TEST(Cli, CheckReportsAndRepairs) {
    TempDir dir;
    ASSERT_EQ(Cli(dir, "new -o clean.540").status, 0);
    EXPECT_EQ(Cli(dir, "check clean.540").status, 0);

    ChannelMemory wide = ResetMemory();
    wide.Rec(1).Mode = kModeWide, wide.Rec(1).TFrq = "150.0000";
    wide.Rec(2) = wide.Rec(1), wide.Rec(2).RFrq = "100.0000";
    WriteBytes(dir / "wide.540", EncodeDataFile(wide, ProgramState{}));

    // The mode question, declined: each message on stderr, followed by a blank line.
    const CliRun cancelled = Cli(dir, "check wide.540 -o kept.540");
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_TRUE(cancelled.err.starts_with("Memory data contains invalid data\n\nThe following") &&
                cancelled.err.ends_with("leave data unchanged\n\n"))
        << cancelled.err;
    EXPECT_EQ(ReadBytes(dir / "kept.540"), ReadBytes(dir / "wide.540"));

    // The listing shows the messages but succeeds, and leaves the modes alone.
    const CliRun listing = Cli(dir, "listing wide.540");
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.err, cancelled.err);

    // Allowing wideband on the command line silences the mode question.
    EXPECT_EQ(Cli(dir, "--modes 'w n d' check wide.540").err,
              "Memory data contains invalid data\n\n");

    const CliRun repaired = Cli(dir, "check wide.540 --repair-modes -o fixed.540");
    EXPECT_EQ(repaired.status, 1);
    const std::string fixed = ReadBytes(dir / "fixed.540");
    ASSERT_EQ(fixed.size(), kDataFileBytes);
    EXPECT_EQ(fixed[kHeaderBytes + kRecordBytes + record_offset::Mode], kModeNarrow);

    // Tones and codes outside the tables (an older file's): no send could write the channel.
    ChannelMemory tones = ResetMemory();
    tones.Rec(7) = tones.Rec(1), tones.Rec(7).RCTCSS = 57, tones.Rec(7).TDCS = -3;
    WriteBytes(dir / "tones.540", EncodeDataFile(tones, ProgramState{}));
    EXPECT_EQ(Cli(dir, "check tones.540").err,
              "These channels cannot be sent to the radio:\nChannel 007: Rx Tone: position 57 is "
              "not in its table; Tx Code: position -3 is not in its table\n\n");
}

TEST(Cli, SettingsFileInTheWorkingDirectoryIsTheTemplate) {
    TempDir dir;
    ChannelRecord record0 = TemplateRecord();
    record0.Desc = "Station";
    ASSERT_FALSE(WriteSettingsFile(dir / "KLD540.ini", FreshHeader(ProgramVersion{}), record0));
    const std::string before = ReadBytes(dir / "KLD540.ini");
    ASSERT_EQ(Cli(dir, "new -o fresh.540").status, 0);
    const CliRun listing = Cli(dir, "listing fresh.540");
    EXPECT_NE(listing.out.find("   DEF    01 Station   n 141.0000"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir / "KLD540.ini"), before);
}

// diff opens both files as the other verbs do, whatever their kind, and prints the rows the
// comparison gives; its status says whether there were any.
TEST(Cli, DiffListsTheChangedFields) {
    TempDir dir;
    const ChannelMemory a = ResetMemory();
    ChannelMemory b = a;
    b.Rec(kFirstChannel).Desc = "Harbour";
    b.Rec(9) = b.Rec(kFirstChannel);
    b.Rec(9).Chnl = b.Rec(9).Prim = 9;
    WriteBytes(dir / "a.540", EncodeDataFile(a, ProgramState{}));
    WriteBytes(dir / "b.540", EncodeDataFile(b, ProgramState{}));
    WriteBytes(dir / "a.txt", TextListing(a));
    WriteBytes(dir / "odd.540", "this is no channel file\r\n");

    const CliRun same = Cli(dir, "diff a.540 a.txt");
    EXPECT_EQ(std::tuple(same.status, same.out, same.err), std::tuple(0, "", ""));
    const CliRun changed = Cli(dir, "diff a.540 b.540");
    EXPECT_EQ(changed.status, 1) << changed.err;
    EXPECT_EQ(changed.out, DiffText(CompareMemories(a, b)));
    EXPECT_EQ(std::count(changed.out.begin(), changed.out.end(), '\n'), 3) << "a heading, two rows";

    const std::pair<const char*, std::string> unreadable[] = {
        {"diff a.540 missing.540", "Error reading file.\n\n"},
        {"diff missing.540 a.540", "Error reading file.\n\n"},
        {"diff odd.540 a.540", kNotOurFormat},
    };
    for (const auto& [args, err] : unreadable) {
        SCOPED_TRACE(args);
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(std::tuple(run.status, run.out, run.err), std::tuple(1, "", err));
    }
}

TEST(Cli, CsvPlansOutAndIn) {
    TempDir dir;
    ASSERT_EQ(Cli(dir, "new -o fresh.540").status, 0);
    ASSERT_EQ(Cli(dir, "export-csv fresh.540 -o plan.csv").status, 0);
    EXPECT_EQ(ReadBytes(dir / "plan.csv"), ExportCsv(ResetMemory()));
    const CliRun in = Cli(dir, "import-csv plan.csv -o back.540");
    EXPECT_EQ(std::tuple(in.status, in.err), std::tuple(0, ""));
    EXPECT_EQ(Cli(dir, "listing back.540").out, Cli(dir, "listing fresh.540").out);

    // A refused plan: every reason on stderr, exit 1, and no file written.
    WriteBytes(dir / "bad.csv",
               "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
               "005,1,Narrow,150.0040,Noise,Noise\n"
               "006,1,FM,150.0000,Noise,Noise\n");
    const CliRun bad = Cli(dir, "import-csv bad.csv -o bad.540");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err,
              "bad.csv: Line 2, column RxFrequency: 150.0040 MHz is not on the 2.5 kHz or 6.25 kHz "
              "raster\n"
              "bad.csv: Line 3, column Mode: \"FM\" is no mode: Wide, Narrow or Digital\n"
              "kld540-cli: nothing was imported\n");
    EXPECT_FALSE(fs::exists(dir / "bad.540"));
    const CliRun missing = Cli(dir, "import-csv missing.csv -o out.540");
    EXPECT_EQ(std::tuple(missing.status, missing.err), std::tuple(1, "Error reading file.\n\n"));
}

TEST(Cli, NoPortIsSaidOnStderr) {
    std::ostringstream out, err;
    cli::Session session(out, err, "");
    EXPECT_EQ(cli::ListPorts(session, {}), cli::kExitFailed);
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(err.str().starts_with("No serial port can be opened.")) << err.str();
}

}  // namespace
}  // namespace kld
