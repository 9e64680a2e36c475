// The built programs against each other: kvrx540-sim serves the radio on a pseudo-terminal
// linked into a ports folder, and kld540-cli talks to it the way a technician's script would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../files/temp_dir.h"
#include "../serial/pty.h"
#include "../test_memory.h"
#include "codecs.h"
#include "csv_text.h"
#include "data_file.h"
#include "port_names.h"
#include "program_state.h"
#include "qt_serial_device.h"
#include "record_layout.h"
#include "settings_file.h"

namespace kld {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::PlanMemory;
using test::ReadBytes;

struct Finished {
    int status = -1;  // the exit status; -1 when killed for outliving its limit
    std::string out, err;
};

// Waits for a program's end, calling `meanwhile` between looks; kills it once it outlives
// `limit`, so that a hang fails the test instead of stalling the run.
int Reap(pid_t pid, std::chrono::milliseconds limit, const std::function<void()>& meanwhile) {
    const auto deadline = Clock::now() + limit;
    int raw = 0;
    while (::waitpid(pid, &raw, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            return -1;
        }
        meanwhile();
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

void Nap() {
    std::this_thread::sleep_for(10ms);
}

ChannelMemory ReadPlan(const fs::path& path) {
    ChannelMemory memory;
    LoadNativeRecords(test::Bytes(ReadBytes(path)), memory);
    return memory;
}

// Same defined records, compared as the wire carries them: without the flags only the program
// keeps, the receive level a send puts in RFRec, and the slots no frame carries.
void ExpectSameRecords(const ChannelMemory& got, const ChannelMemory& want) {
    const auto onTheWire = [](ChannelRecord r) {
        r.Select = r.RFRec = r.IDCall[4] = r.ShadList[kShadowSlots] = 0;
        return r;
    };
    for (int index = 0; index <= kLastRecord; ++index) {
        SCOPED_TRACE("record " + std::to_string(index));
        ASSERT_EQ(got.Rec(index).IsDefined(), want.Rec(index).IsDefined());
        if (want.Rec(index).IsDefined()) {
            EXPECT_EQ(onTheWire(got.Rec(index)), onTheWire(want.Rec(index)));
        }
    }
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv(kPortsDirVariable, Link().parent_path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);      // backups stay in the test
        ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);  // and the window's size
    }
    void TearDown() override { StopSim(); }

    fs::path Link() const { return dir_ / "ports" / "COM7"; }
    fs::path Backups() const { return dir_ / "data" / "kld540" / "backups"; }
    void WritePlan(const char* name, const ChannelMemory& memory) const {
        test::WriteBytes(dir_ / name, EncodeDataFile(memory, ProgramState{}));
    }
    int Create(const char* name) const {
        return ::open((dir_ / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }

    // Starts a program in the test's folder, with stdout and stderr on the given descriptors.
    pid_t Spawn(const std::vector<std::string>& args, int out, int err) const {
        std::vector<char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir_.Path().c_str()) == 0 && ::dup2(out, 1) >= 0 && ::dup2(err, 2) >= 0) {
                ::execv(argv[0], argv.data());
            }
            _exit(127);
        }
        ::close(out);
        ::close(err);
        return pid;
    }

    // kld540-cli to its end. With a terminal, stderr is that terminal and `err` what was drawn.
    Finished Cli(std::vector<std::string> args, const test::Pty* tty = nullptr) {
        args.insert(args.begin(), KLD540_CLI);
        const int err =
            tty ? ::open(tty->SlavePath().c_str(), O_WRONLY | O_NOCTTY) : Create("cli.err");
        Finished run;
        run.status = Reap(Spawn(args, Create("cli.out"), err), 60s, [&] {
            tty ? void(run.err += tty->Receive(1 << 16, 10ms)) : Nap();  // a full terminal stalls
        });
        run.out = ReadBytes(dir_ / "cli.out");
        run.err += tty ? tty->Receive(1 << 16, 100ms) : ReadBytes(dir_ / "cli.err");
        return run;
    }

    // The simulated radio on COM`port` of the folder --ports-dir names, served once it says it
    // is ready. Its stderr (sim.err for COM7, sim<port>.err for the others) shows the traffic.
    bool StartSim(std::vector<std::string> options, int port = 7) {
        const std::string name = port == 7 ? "sim" : "sim" + std::to_string(port);
        const fs::path link = Link().parent_path() / ("COM" + std::to_string(port));
        options.insert(options.begin(), {KVRX540_SIM, "--port", std::to_string(port), "--ports-dir",
                                         link.parent_path().string()});
        ::unsetenv(kPortsDirVariable);  // so that only the option can name the folder
        sims_.push_back(
            Spawn(options, Create((name + ".out").c_str()), Create((name + ".err").c_str())));
        ::setenv(kPortsDirVariable, link.parent_path().c_str(), 1);
        std::string said;
        for (const auto end = Clock::now() + 10s; said.empty() && Clock::now() < end; Nap()) {
            said = ReadBytes(dir_ / (name + ".out"));
        }
        EXPECT_TRUE(said.starts_with("ready COM" + std::to_string(port) + " /dev/"))
            << said << ReadBytes(dir_ / (name + ".err"));
        return fs::is_symlink(link);
    }
    // SIGTERM ends each in order: the link goes, the memory is saved when asked for, and it
    // exits with 0. The last one's exit status.
    int StopSim() {
        int status = -1;
        for (const pid_t sim : std::exchange(sims_, {})) {
            ::kill(sim, SIGTERM);
            status = Reap(sim, 5s, Nap);
        }
        return status;
    }

    test::TempDir dir_;
    std::vector<pid_t> sims_;
};

// The desktop program on a display of its own (Xvfb), as a window manager sees it: its title
// reads exactly as the program sets it, with nothing appended, and it keeps its settings.
TEST_F(EndToEnd, DesktopProgramOnADisplayIsTitledAsSetAndKeepsItsSettings) {
    if (!fs::exists("/usr/bin/Xvfb") || !fs::exists("/usr/bin/xwininfo")) {
        GTEST_SKIP() << "needs Xvfb and xwininfo (scripts/setup installs them)";
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t xvfb = Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten",
                              "tcp", "-screen", "0", "1280x1024x24"},
                             Create("xvfb.out"), Create("xvfb.err"));
    ::close(ready[1]);
    char number[16] = {};
    const ssize_t got = ::read(ready[0], number, sizeof number - 1);  // "N\n" once it listens
    ::close(ready[0]);
    ASSERT_GT(got, 0) << ReadBytes(dir_ / "xvfb.err");
    ::setenv("DISPLAY", (":" + std::string(number, std::strcspn(number, "\n"))).c_str(), 1);
    ::unsetenv("QT_QPA_PLATFORM");

    const pid_t pid = Spawn({KLD540_GUI, "w", "n"}, Create("gui.out"), Create("gui.err"));
    const std::string title = "\"" + StartupCaption(ProgramVersion{}) + "\"";
    std::string windows;
    const std::string list = "/usr/bin/xwininfo -root -tree >'" + (dir_ / "windows").string() + "'";
    for (const auto end = Clock::now() + 15s;
         windows.find(title) == std::string::npos && Clock::now() < end; Nap()) {
        windows = std::system(list.c_str()) == 0 ? ReadBytes(dir_ / "windows") : "";
    }
    const bool running = ::waitpid(pid, nullptr, WNOHANG) == 0;
    Reap(pid, 0ms, Nap), ::kill(xvfb, SIGTERM), Reap(xvfb, 5s, Nap);
    ::unsetenv("DISPLAY");
    EXPECT_TRUE(running && windows.find(title + ":") != std::string::npos)
        << ReadBytes(dir_ / "gui.err") << windows;
    EXPECT_TRUE(ReadBytes(dir_ / "KLD540.ini").starts_with("KLD540  ") &&
                fs::file_size(dir_ / "KLD540.ini") == 138);
}

// One radio serves every verb, through the port KLD540.ini names. Ports the radio is not on or
// another program holds, and a file that cannot be saved, are refused before the radio hears
// anything. A receive saves the radio's memory; a send stops at the operating-mode warning, and
// one that erases the radio is refused, unless told --yes; each keeps a backup (an erasing send
// of the radio's memory too), and one that cannot be written is told in a line and changes
// nothing else. `ports` lists the radio's port while it serves.
TEST_F(EndToEnd, EveryVerbThroughThePortTheSettingsName) {
    WritePlan("radio.540", PlanMemory(4));
    ChannelMemory plan = PlanMemory();
    plan.Rec(8).Mode = kModeWide;  // not among the tool's default modes
    plan.Rec(8).TFrq = FormatFixed(150.0, 4);
    WritePlan("plan.540", plan);
    ChannelMemory channel2 = PlanMemory();  // channel 2 alone selected
    channel2.Rec(2).Select |= kSelSend;
    WritePlan("channel2.540", channel2);
    const std::string planBytes = ReadBytes(dir_ / "plan.540");
    ChannelRecord record0 = TemplateRecord();
    record0.RFRec = 7;  // the port
    ASSERT_FALSE(WriteSettingsFile(dir_ / "KLD540.ini", FreshHeader(ProgramVersion{}), record0));
    std::ofstream(dir_ / "lines.txt") << "0040 C1 42\n2000 0001 0002 C1 0D\n";
    // The window's tests meet the radio at protocol levels 2 and 0; this one at level 1.
    // It corrupts channel 14 as a send stores it, as a line fault the checksum missed would.
    ASSERT_TRUE(
        StartSim({"--load", "radio.540", "--save", "sent.540", "--debug-log", "lines.txt",
                  "--level", "1", "--corrupt-record", "14", "--stamp", std::string(kNoStamp)}));
    // The backup of the kind given that a run names.
    const auto backupOf = [this](const Finished& run, const std::string& kind) {
        const std::string said = "Backup: " + Backups().string() + "/";
        std::istringstream lines(run.err);
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with(said) && line.find(kind) != std::string::npos) {
                return Backups() / line.substr(said.size());
            }
        }
        ADD_FAILURE() << "no " << kind << " backup named: " << run.err;
        return Backups();
    };

    const std::string listed = "COM7\t" + fs::canonical(Link()).string() + "\n";
    const Finished ports = Cli({"ports"});
    EXPECT_NE(ports.out.find(listed), std::string::npos) << ports.out << ports.err;
    const Finished unsaved = Cli({"receive", "--port", "7", "-o", "no-such-folder/got.540"});
    EXPECT_EQ(unsaved.status, 1);
    EXPECT_TRUE(unsaved.err.starts_with("Error writing to file.\n") &&
                unsaved.err.find("no-such-folder") != std::string::npos)
        << unsaved.err;
    {
        QtSerialDevice holder;  // another program holding the radio's port
        holder.SelectPort(7);
        ASSERT_TRUE(holder.Open()) << holder.OpenFailureDetail();
        const std::string invalid = "Invalid COM Port (or Port in use)\n";
        // The port, the exit status, how stderr starts.
        const std::tuple<const char*, int, std::string> rows[] = {
            {"COM97", 1, invalid + "COM97 is not among the ports in "},
            {"7", 1, invalid + "COM7 (" + Link().string() + ") is held by another program"},
            {"COMX", 2, "kld540-cli: --port COMX: give the port as COM<n> or a number"},
        };
        for (const auto& [port, status, err] : rows) {
            const Finished run = Cli({"receive", "--port", port, "-o", "got.540"});
            EXPECT_EQ(std::tuple(run.status, run.err.substr(0, err.size()), run.out,
                                 fs::exists(dir_ / "got.540")),
                      std::tuple(status, err, "", false));
        }
    }
    EXPECT_EQ(ReadBytes(dir_ / "sim.err").find("program:"), std::string::npos)
        << "the radio was not contacted";

    // A send to a radio stamped as no radio has ever been read (as a file's memory is) erases
    // nothing, but stops at the operating-mode warning without --yes.
    const Finished declined = Cli({"send", "plan.540", "--select-all"});
    EXPECT_TRUE(declined.status == 1 && declined.out == "Transfer Complete.\n" &&
                declined.err.find("    Analog Wideband") != std::string::npos &&
                declined.err.find("Nothing was sent") != std::string::npos)
        << declined.out << declined.err;

    const Finished receive = Cli({"receive", "-o", "got.540"});
    ASSERT_EQ(receive.status, 0) << receive.err;
    // No progress drawn when stderr is not a terminal.
    EXPECT_EQ(std::pair(receive.out, std::count(receive.err.begin(), receive.err.end(), '\n')),
              std::pair(std::string("Transfer Complete.\n"), 1l));
    ExpectSameRecords(ReadPlan(dir_ / "got.540"), PlanMemory(4));
    EXPECT_EQ(ReadBytes(backupOf(receive, "-received")), ReadBytes(dir_ / "got.540"));

    // Without --yes one that erases the radio is refused outright, and the radio is left as
    // it was.
    const Finished refused = Cli({"send", "plan.540", "--select-all"});
    EXPECT_TRUE(refused.status == 1 && refused.out.empty() &&
                refused.err.find("erases everything in the radio first") != std::string::npos &&
                refused.err.find("then writes 11 channels") != std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(dir_ / "sent.540")) << "the radio saves only after a send";

    // With --yes it erases the radio, once its memory is in the backups folder.
    const Finished send = Cli({"send", "plan.540", "--select-all", "--yes"});
    ASSERT_EQ(send.status, 0) << send.err;
    ExpectSameRecords(ReadPlan(backupOf(send, "-before-send")), plan);
    ExpectSameRecords(ReadPlan(backupOf(send, "-radio-before-erase")), PlanMemory(4));
    const Finished uncopied =
        Cli({"send", "plan.540", "--select-all", "--yes", "--no-radio-backup"});
    EXPECT_EQ(std::pair(uncopied.status, uncopied.err.find("radio-before-erase")),
              std::pair(0, std::string::npos))
        << uncopied.err;
    for (const auto end = Clock::now() + 10s;
         !fs::exists(dir_ / "sent.540") && Clock::now() < end;) {
        Nap();  // the radio saves a moment after the program has finished
    }
    plan.Rec(14).Desc = "Dhan 14";
    ExpectSameRecords(ReadPlan(dir_ / "sent.540"), plan);
    // A verify names the corrupted channel, and leaves the file as it was.
    const Finished verify = Cli({"verify", "plan.540", "--select-all"});
    EXPECT_EQ(std::pair(verify.status, ReadBytes(dir_ / "plan.540")), std::pair(1, planBytes));
    test::ExpectGolden("verify.txt", verify.out);
    const Finished verified = Cli({"verify", "channel2.540"});
    EXPECT_EQ(std::pair(verified.status, verified.out), std::pair(0, std::string("Verify OK\n")));

    const Finished debugLog = Cli({"debug-log"});
    EXPECT_EQ(std::pair(debugLog.status, debugLog.out),
              std::pair(0, std::string("Transfer Complete.\n")))
        << debugLog.err;
    test::ExpectGolden("debug-log.txt", ReadBytes(dir_ / "KVRX-540_Dbg.log"));

    test::WriteBytes(dir_ / "blocker", "");
    ::setenv("XDG_DATA_HOME", (dir_ / "blocker").c_str(), 1);
    const Finished unkept = Cli({"receive", "-o", "again.540"});
    EXPECT_EQ(std::tuple(unkept.status, unkept.out, unkept.err.starts_with("Backup not written: "),
                         std::count(unkept.err.begin(), unkept.err.end(), '\n'),
                         ReadBytes(dir_ / "again.540").size()),
              std::tuple(0, "Transfer Complete.\n", true, 1l, kDataFileBytes))
        << unkept.err;

    EXPECT_EQ(StopSim(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Link())));
    EXPECT_EQ(Cli({"ports"}).out.find(listed), std::string::npos) << "the radio has gone";
}

// Against the simulated radio pacing its answers at the line rate, the progress bar on a terminal
// is redrawn in place, and its line ended before anything else is said: after a completed
// receive, and when the cable is pulled halfway, which must end the transfer at once. (How
// little the waits cost, and that the event loop keeps turning, bench/ measures.)
TEST_F(EndToEnd, PacedTransfersTheProgressBarOnATerminalAndAPulledCable) {
    WritePlan("radio.540", PlanMemory(1));
    ASSERT_TRUE(StartSim({"--load", "radio.540", "--pace"}));
    test::Pty tty;
    ASSERT_TRUE(tty.Ok());
    const Finished run = Cli({"receive", "--port", "7", "-o", "got.540"}, &tty);
    EXPECT_EQ(std::tuple(run.status, run.out, run.err.starts_with("\r["), run.err.back()),
              std::tuple(0, "Transfer Complete.\n", true, '\n'))
        << run.err;
    const std::string last = "\r[####################] 232/232  Transfer Complete.";
    const auto end = run.err.rfind(last);
    ASSERT_NE(end, std::string::npos) << run.err;
    const auto lineEnd = run.err.find_first_not_of(' ', end + last.size());
    EXPECT_EQ(run.err.substr(lineEnd, 9), "\nBackup: ") << "the bar's line ends first";
    ExpectSameRecords(ReadPlan(dir_ / "got.540"), PlanMemory(1));

    StopSim();
    ASSERT_TRUE(StartSim({"--load", "radio.540", "--vanish-after", "12"}));
    const auto before = Clock::now();
    const Finished pulled = Cli({"receive", "--port", "7", "-o", "pulled.540"}, &tty);
    EXPECT_LT(Clock::now() - before, 10s);
    EXPECT_EQ(std::tuple(pulled.status, pulled.err.starts_with("\r["),
                         pulled.err.find("\nCommunication Error") != std::string::npos,
                         fs::exists(dir_ / "pulled.540")),
              std::tuple(1, true, true, false))
        << pulled.err;
}

// find asks every port at once: it lists the radios, with what each said, and not the port where
// nothing answers; that silent port costs a few seconds, not the engine's thirty.
TEST_F(EndToEnd, FindListsThePortsWhereARadioAnswers) {
    ASSERT_TRUE(StartSim({"--quiet"}, 33));
    ASSERT_TRUE(StartSim({"--quiet", "--level", "0", "--version", "021234"}, 34));
    ASSERT_TRUE(StartSim({"--quiet", "--silent-after", "0"}, 35));
    const auto before = Clock::now();
    const Finished found = Cli({"find"});
    EXPECT_LT(Clock::now() - before, 15s);
    const auto device = [this](int port) {
        return fs::canonical(Link().parent_path() / ("COM" + std::to_string(port))).string();
    };
    EXPECT_EQ(std::tuple(found.status, found.err), std::tuple(0, "")) << found.out;
    EXPECT_EQ(found.out.substr(0, found.out.find(", memory stamp")),
              "COM33  " + device(33) + "  version 021100, protocol level 2");
    EXPECT_NE(found.out.find("\nCOM34  " + device(34) + "  version 021234, protocol level 0"),
              std::string::npos)
        << found.out;
    EXPECT_EQ(found.out.find("COM35"), std::string::npos);
    StopSim();
    ASSERT_TRUE(StartSim({"--quiet", "--silent-after", "0"}, 35));
    const Finished none = Cli({"find"});
    EXPECT_EQ(std::tuple(none.status, none.out, none.err.substr(0, 19)),
              std::tuple(1, "", "No radio answered.\n"));
}

// Four radios at once with one plan: one vanishes in the middle of the send, one corrupts a
// record as it stores it. The two good ones end OK and hold the plan, each with a copy of what it
// held before; the report has a row per radio with its outcome, and the plan file is untouched.
TEST_F(EndToEnd, AFleetOfFourWhereOneVanishesAndOneCorrupts) {
    WritePlan("old.540", PlanMemory(3));
    WritePlan("plan.540", PlanMemory());
    const std::string planBytes = ReadBytes(dir_ / "plan.540");
    const std::vector<std::pair<int, std::vector<std::string>>> radios = {
        {40, {}},
        {41, {"--vanish-after", "46"}},
        {42, {"--corrupt-record", "14"}},
        {43, {"--level", "0"}}};
    for (const auto& radio : radios) {
        std::vector<std::string> options = {"--quiet", "--load", "old.540", "--save",
                                            "sent" + std::to_string(radio.first) + ".540"};
        options.insert(options.end(), radio.second.begin(), radio.second.end());
        ASSERT_TRUE(StartSim(options, radio.first));
    }
    const Finished run = Cli({"fleet", "plan.540", "--ports", "COM40,COM41,COM42,COM43",
                              "--select-all", "--yes", "--verify", "--report", "report.csv"});
    EXPECT_EQ(std::pair(run.status, ReadBytes(dir_ / "plan.540")), std::pair(1, planBytes))
        << run.err;
    EXPECT_NE(run.out.find("2 of 4 radios programmed."), std::string::npos) << run.out;
    // Each row's port, verify and outcome; the device, stamp and seconds vary.
    using Row = std::tuple<std::string, std::string, std::string, bool>;
    std::vector<Row> rows;
    const std::string report = ReadBytes(dir_ / "report.csv");
    csv::CsvReader reader(report);
    for (csv::CsvRow row; reader.Next(row, 9);) {
        rows.emplace_back(row.fields.at(0), row.fields.at(5), row.fields.at(8).substr(0, 18),
                          row.fields.at(7).find("radio-before-erase") != std::string::npos);
    }
    EXPECT_EQ(rows, (std::vector<Row>{{"Port", "Verify", "Outcome", false},
                                      {"COM40", "Verify OK", "Transfer Complete.", true},
                                      {"COM41", "", "Communication Erro", true},
                                      {"COM42", "Channel 014 differs", "Transfer Complete.", true},
                                      {"COM43", "Verify OK", "Transfer Complete.", true}}))
        << report;
    StopSim();
    ExpectSameRecords(ReadPlan(dir_ / "sent40.540"), PlanMemory());
    ExpectSameRecords(ReadPlan(dir_ / "sent43.540"), PlanMemory());
}

// --watch programs each radio as it comes, here two started one after the other, and ends after
// the count given.
TEST_F(EndToEnd, AFleetWatchProgramsRadiosAsTheyCome) {
    WritePlan("plan.540", PlanMemory());
    const pid_t fleet = Spawn({KLD540_CLI, "fleet", "plan.540", "--select-all", "--yes", "--watch",
                               "--count", "2", "--report", "report.csv"},
                              Create("cli.out"), Create("cli.err"));
    ASSERT_TRUE(StartSim({"--quiet", "--save", "sent50.540"}, 50));
    for (const auto end = Clock::now() + 20s;
         !fs::exists(dir_ / "sent50.540") && Clock::now() < end;) {
        Nap();
    }
    ASSERT_TRUE(StartSim({"--quiet", "--save", "sent51.540"}, 51));
    EXPECT_EQ(Reap(fleet, 60s, Nap), 0) << ReadBytes(dir_ / "cli.err");
    const std::string report = ReadBytes(dir_ / "report.csv");
    EXPECT_TRUE(report.find("\nCOM50,") != std::string::npos &&
                report.find("\nCOM51,") != std::string::npos)
        << report << ReadBytes(dir_ / "cli.err");
    StopSim();
    ExpectSameRecords(ReadPlan(dir_ / "sent51.540"), PlanMemory());
}

}  // namespace
}  // namespace kld
