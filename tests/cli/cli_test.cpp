// The command line itself: usage, and how each verb's status and messages come out.
#include "cli.h"

#include <gtest/gtest.h>

#include "../test_memory.h"
#include "cli_run.h"
#include "compare.h"
#include "data_file.h"
#include "listings.h"

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
        SCOPED_TRACE(bad);
        const CliRun run = Cli(dir, bad);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("Usage: kld540-cli"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir / "KLD540.ini")) << "the tool never writes it";
}

// Exit 0 for success, 1 for a refusal or failure (its message on stderr, a detail on the next
// line, then an empty line); after `--` every word is a file name; diff says by its status
// whether the files differ, check whether it had anything to say.
TEST(Cli, StatusAndMessages) {
    test::TempDir dir;
    ChannelMemory b = ResetMemory(), tones = ResetMemory();
    b.Rec(kFirstChannel).Desc = "Harbour";
    b.Rec(9) = b.Rec(kFirstChannel);
    b.Rec(9).Chnl = b.Rec(9).Prim = 9;
    // Tones and codes outside the tables (an older file's): no send could write the channel.
    tones.Rec(7) = tones.Rec(1), tones.Rec(7).RCTCSS = 57, tones.Rec(7).TDCS = -3;
    for (const auto& [name, memory] : {std::pair{"a.540", ResetMemory()},
                                       {"b.540", b},
                                       {"-o", ResetMemory()},
                                       {"tones.540", tones}}) {
        test::WriteBytes(dir / name, EncodeDataFile(memory, ProgramState{}));
    }
    test::WriteBytes(dir / "a.txt", TextListing(ResetMemory()));
    test::WriteBytes(dir / "odd.540", "this is no channel file\r\n");
    const std::string unreadable = "Error reading file.\n\n";
    const std::string notOurs =
        "Unrecognised Format - Do you wish to try to import as old .540 file?\n\n";
    const std::string diff = DiffText(CompareMemories(ResetMemory(), b));
    const std::tuple<const char*, CliRun> rows[] = {
        {"listing missing.540", {1, "", unreadable}},
        {"listing -- -o", {0, TextListing(ResetMemory()), ""}},
        {"listing -- --help", {1, "", unreadable}},
        {"convert odd.540 -o out.540", {1, "", notOurs}},
        {"convert a.540 -o no-folder/out.540",
         {1, "",
          "Error writing to file.\nout.540: the folder " + fs::canonical(dir.Path()).string() +
              "/no-folder does not exist\n\n"}},
        {"import-csv missing.csv -o out.540", {1, "", unreadable}},
        {"check a.540", {0, "", ""}},
        {"check tones.540",
         {1, "",
          "These channels cannot be sent to the radio:\nChannel 007: Rx Tone: position 57 is not "
          "in its table; Tx Code: position -3 is not in its table\n\n"}},
        {"diff a.540 a.txt", {0, "", ""}},
        {"diff a.540 b.540", {1, diff, ""}},
        {"diff a.540 missing.540", {1, "", unreadable}},
        {"diff missing.540 a.540", {1, "", unreadable}},
        {"diff odd.540 a.540", {1, "", notOurs}},
    };
    for (const auto& [args, run] : rows) {
        EXPECT_EQ(Cli(dir, args), run) << args;
    }
    EXPECT_FALSE(fs::exists(dir / "out.540"));
    EXPECT_EQ(Cli(dir, "listing a.540", "/dev/full"),
              (CliRun{1, "",
                      "kld540-cli: standard output could not be written (a full disk, or a "
                      "closed pipe?)\n"}));
}

}  // namespace
}  // namespace kld
