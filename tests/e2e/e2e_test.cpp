// The built programs against each other: kvrx540-sim serves the radio on a pseudo-terminal
// linked into a ports folder, and kld540-cli talks to it the way a technician's script would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../files/temp_dir.h"
#include "../serial/pty.h"
#include "channel_memory.h"
#include "codecs.h"
#include "data_file.h"
#include "port_names.h"
#include "program_state.h"
#include "qt_serial_device.h"
#include "settings_file.h"

namespace kld {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ReadBytes;
using test::ScopedEnv;
using test::TempDir;
using test::WriteBytes;

constexpr int kSimPort = 7;

struct Outcome {
    int status = -1;  // exit status; -1 when it did not exit by itself in time
    std::string out;
    std::string err;
};

// Starts a program in `folder` with KLD540_PORTS_DIR pointing at `ports`.
pid_t Spawn(const std::vector<std::string>& args, const fs::path& folder, const fs::path& ports,
            int out, int err) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        if (out < 0 || err < 0 || ::chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::setenv(kPortsDirVariable, ports.c_str(), 1);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(out);
    ::close(err);
    return pid;
}

// Waits for a program's end, calling `meanwhile` between looks, and kills it when it outlives
// `limit` (a hang is a failure, not a stuck test run). Its exit status, or -1.
template <typename Meanwhile>
int Reap(pid_t pid, std::chrono::milliseconds limit, Meanwhile meanwhile) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int raw = 0;
    while (::waitpid(pid, &raw, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            return -1;
        }
        meanwhile();
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

int CreateFile(const fs::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
}

// Runs a program to its end. With a terminal, stderr goes to it and what the program drew
// there comes back as `err`.
Outcome RunProgram(const std::vector<std::string>& args, const fs::path& folder,
                   const fs::path& ports, std::chrono::seconds limit = 60s,
                   const test::Pty* terminal = nullptr) {
    const fs::path outPath = folder / ".run-stdout";
    const fs::path errPath = folder / ".run-stderr";
    const int err = terminal ? ::open(terminal->SlavePath().c_str(), O_WRONLY | O_NOCTTY)
                             : CreateFile(errPath);
    const pid_t pid = Spawn(args, folder, ports, CreateFile(outPath), err);
    Outcome run;
    std::string drawn;
    run.status = Reap(pid, limit, [&] {
        if (terminal) {
            drawn += terminal->Receive(1 << 16, 10ms);  // a full terminal would stall it
        } else {
            std::this_thread::sleep_for(10ms);
        }
    });
    run.out = ReadBytes(outPath);
    run.err = terminal ? drawn + terminal->Receive(1 << 16, 100ms) : ReadBytes(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return run;
}

// One simulated radio, served until the object goes away.
class Sim {
public:
    Sim(const fs::path& folder, const fs::path& ports, std::vector<std::string> options) {
        int said[2];
        if (::pipe(said) != 0) {
            return;
        }
        std::vector<std::string> args{KVRX540_SIM, "--port", std::to_string(kSimPort), "--quiet"};
        args.insert(args.end(), options.begin(), options.end());
        const fs::path errPath = folder / "sim-stderr.txt";
        pid_ = Spawn(args, folder, ports, said[1], CreateFile(errPath));
        // It says "ready COM<n> <device>" once the link is in place.
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (said_.find('\n') == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{said[0], POLLIN, 0};
            char buffer[256];
            ssize_t n = 0;
            if (::poll(&pfd, 1, 100) > 0 && (n = ::read(said[0], buffer, sizeof buffer)) <= 0) {
                break;
            }
            said_.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(said[0]);
        ready_ = said_.rfind("ready COM" + std::to_string(kSimPort) + " ", 0) == 0;
        said_ += ReadBytes(errPath);
    }
    ~Sim() {
        // SIGTERM ends it in order: the link goes, and the memory is saved when asked for.
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            Reap(pid_, 5s, [] { std::this_thread::sleep_for(10ms); });
        }
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Said() const { return said_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string said_;
};

// A memory with some channels of its own besides Main and the guards.
ChannelMemory PlanMemory() {
    ChannelMemory memory;
    memory.Rec(kDefaultRecord) = TemplateRecord();
    ClearMemory(memory);
    for (int index = 2; index <= 40; index += 6) {
        ChannelRecord r = memory.Rec(kFirstChannel);
        r.Select = kSelDefined | kSelCreatedHere;
        r.Prim = r.Chnl = static_cast<std::int16_t>(index);
        r.Desc = "Chan " + std::to_string(index);
        r.Scan = static_cast<std::int16_t>((index % 3 + 1) << 4);
        r.Mode = index % 2 == 0 ? kModeNarrow : kModeDigital;
        r.RFrq = FormatFixed(150.0 + index * 0.0125, 4);
        r.TFrq = FormatFixed(155.0 + index * 0.025, 4);
        memory.Rec(index) = r;
        ++memory.ZoneCounts[static_cast<std::size_t>(ZoneOf(r.Scan))];
    }
    return memory;
}

void WritePlan(const fs::path& path, const ChannelMemory& memory) {
    WriteBytes(path, EncodeDataFile(memory, ProgramState{}));
}

ChannelMemory ReadPlan(const fs::path& path) {
    const std::string bytes = ReadBytes(path);
    ChannelMemory memory;
    LoadNativeRecords(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                      memory);
    return memory;
}

// A record as it travels the wire: the flags kept only by the program, the receive level that
// a send puts in RFRec, and the slots no frame carries are left out.
ChannelRecord OnTheWire(ChannelRecord r) {
    r.Select = 0;
    r.RFRec = 0;
    r.IDCall[4] = 0;
    r.ShadList[kShadowSlots] = 0;
    return r;
}

void ExpectSameRecords(const ChannelMemory& got, const ChannelMemory& want) {
    int defined = 0;
    for (int index = 0; index <= kLastRecord; ++index) {
        SCOPED_TRACE("record " + std::to_string(index));
        const ChannelRecord& g = got.Rec(index);
        const ChannelRecord& w = want.Rec(index);
        ASSERT_EQ(g.IsDefined(), w.IsDefined());
        if (w.IsDefined()) {
            ++defined;
            EXPECT_EQ(OnTheWire(g), OnTheWire(w));
        }
    }
    EXPECT_GT(defined, 4);
}

class EndToEnd : public ::testing::Test {
protected:
    fs::path Ports() const { return dir_ / "ports"; }

    Outcome Cli(std::vector<std::string> args, std::chrono::seconds limit = 60s) {
        args.insert(args.begin(), KLD540_CLI);
        return RunProgram(args, dir_.Path(), Ports(), limit);
    }

    TempDir dir_;
};

TEST_F(EndToEnd, PortsListsTheRadiosPort) {
    const std::string line =
        "COM" + std::to_string(kSimPort) + "\t" + (Ports() / "COM7").string() + "\n";
    {
        Sim sim(dir_.Path(), Ports(), {});
        ASSERT_TRUE(sim.Ready()) << sim.Said();
        const Outcome run = Cli({"ports"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
    }
    const Outcome gone = Cli({"ports"});
    EXPECT_EQ(gone.status, 0);
    EXPECT_EQ(gone.out.find(line), std::string::npos) << "the radio has gone: " << gone.out;
}

TEST_F(EndToEnd, ReceiveSavesTheRadiosMemoryAtEveryProtocolLevel) {
    const ChannelMemory plan = PlanMemory();
    WritePlan(dir_ / "radio.540", plan);
    for (const char* level : {"2", "1", "0"}) {
        SCOPED_TRACE(std::string("level ") + level);
        Sim sim(dir_.Path(), Ports(), {"--load", "radio.540", "--level", level});
        ASSERT_TRUE(sim.Ready()) << sim.Said();
        fs::remove(dir_ / "got.540");
        const Outcome run = Cli({"receive", "--port", "com7", "-o", "got.540"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "Transfer Complete.\n");
        EXPECT_EQ(run.err, "") << "no progress drawn when stderr is not a terminal";
        ASSERT_TRUE(fs::exists(dir_ / "got.540"));
        ExpectSameRecords(ReadPlan(dir_ / "got.540"), plan);
    }
}

TEST_F(EndToEnd, SentMemoryComesBack) {
    const ChannelMemory plan = PlanMemory();
    WritePlan(dir_ / "plan.540", plan);
    Sim sim(dir_.Path(), Ports(), {"--save", "radio.540"});
    ASSERT_TRUE(sim.Ready()) << sim.Said();

    // Nothing in the file is marked for sending, and the port is never opened for nothing.
    const Outcome nothing = Cli({"send", "plan.540", "--port", "7"});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_NE(nothing.err.find("No data selected for transfer to Radio"), std::string::npos)
        << nothing.err;
    EXPECT_EQ(nothing.out, "");

    const Outcome send = Cli({"send", "plan.540", "--port", "7", "--select-all"});
    EXPECT_EQ(send.status, 0) << send.err;
    EXPECT_EQ(send.out, "Transfer Complete.\n");
    ASSERT_TRUE(fs::exists(dir_ / "radio.540")) << "the radio saves after a completed send";
    ExpectSameRecords(ReadPlan(dir_ / "radio.540"), plan);

    const Outcome receive = Cli({"receive", "--port", "COM7", "-o", "back.540"});
    EXPECT_EQ(receive.status, 0) << receive.err;
    ExpectSameRecords(ReadPlan(dir_ / "back.540"), plan);
}

TEST_F(EndToEnd, PurgeLeavesOnlyWhatIsSent) {
    WritePlan(dir_ / "radio.540", PlanMemory());
    Sim sim(dir_.Path(), Ports(), {"--load", "radio.540", "--save", "saved.540"});
    ASSERT_TRUE(sim.Ready()) << sim.Said();
    ASSERT_EQ(Cli({"receive", "--port", "7", "-o", "got.540"}).status, 0);
    // The radio's own memory with one channel marked for sending.
    ChannelMemory one = ReadPlan(dir_ / "got.540");
    one.Rec(8).Select |= kSelSend;
    WritePlan(dir_ / "one.540", one);

    // A new run's first send purges the radio anyway (it knows no stamp yet) and writes back
    // what came from the radio; asked to purge, it writes back nothing but the selection.
    const struct {
        const char* name;
        bool purge;
        bool othersKept;
    } rows[] = {{"without --purge", false, true}, {"with --purge", true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> args{"send", "one.540", "--port", "7"};
        if (row.purge) {
            args.push_back("--purge");
        }
        const Outcome send = Cli(args);
        EXPECT_EQ(send.status, 0) << send.err;
        const ChannelMemory radio = ReadPlan(dir_ / "saved.540");
        EXPECT_TRUE(radio.Rec(8).IsDefined());
        EXPECT_EQ(radio.Rec(14).IsDefined(), row.othersKept);
        EXPECT_EQ(radio.Rec(kGuard1).IsDefined(), row.othersKept);
    }
}

TEST_F(EndToEnd, ModeWarningNeedsYes) {
    ChannelMemory plan = PlanMemory();
    ChannelRecord& wide = plan.Rec(8);
    wide.Mode = kModeWide;  // not allowed by the tool's default modes
    wide.TFrq = FormatFixed(150.0, 4);
    WritePlan(dir_ / "plan.540", plan);
    Sim sim(dir_.Path(), Ports(), {"--save", "radio.540"});
    ASSERT_TRUE(sim.Ready()) << sim.Said();

    const Outcome declined = Cli({"send", "plan.540", "--port", "7", "--select-all"});
    EXPECT_EQ(declined.status, 0) << "the operator's own choice, not a failure";
    EXPECT_EQ(declined.out, "Transfer Complete.\n");
    EXPECT_NE(declined.err.find("    Analog Wideband"), std::string::npos) << declined.err;
    EXPECT_NE(declined.err.find("Nothing was sent"), std::string::npos) << declined.err;
    EXPECT_FALSE(fs::exists(dir_ / "radio.540")) << "nothing was sent";

    const Outcome accepted = Cli({"send", "plan.540", "--port", "7", "--select-all", "--yes"});
    EXPECT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_EQ(accepted.out, "Transfer Complete.\n");
    ASSERT_TRUE(fs::exists(dir_ / "radio.540"));
    EXPECT_EQ(ReadPlan(dir_ / "radio.540").Rec(8).Mode, kModeWide);
}

TEST_F(EndToEnd, PortComesFromTheSettingsFile) {
    WritePlan(dir_ / "radio.540", PlanMemory());
    ChannelRecord record0 = TemplateRecord();
    record0.RFRec = kSimPort;
    ASSERT_TRUE(WriteSettingsFile(dir_ / "KLD540.ini", FreshHeader(ProgramVersion{}), record0));
    Sim sim(dir_.Path(), Ports(), {"--load", "radio.540"});
    ASSERT_TRUE(sim.Ready()) << sim.Said();

    const Outcome run = Cli({"receive", "-o", "got.540"});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectSameRecords(ReadPlan(dir_ / "got.540"), PlanMemory());
}

TEST_F(EndToEnd, DebugLogWritesTheFile) {
    std::ofstream(dir_ / "lines.txt") << "0040 C1 42\n2000 0001 0002 C1 0D\n";
    Sim sim(dir_.Path(), Ports(), {"--debug-log", "lines.txt"});
    ASSERT_TRUE(sim.Ready()) << sim.Said();

    const Outcome run = Cli({"debug-log", "--port", "COM7"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Transfer Complete.\n");
    EXPECT_EQ(ReadBytes(dir_ / "KVRX-540_Dbg.log"),
              "Rx:0040: A\r\nTx:0040:  B\r\n"
              "\r\nError Code = $0001  Insert Ptr = $0002\r\n"
              "Rx:2000: A\r\nTx:2000:  <0D>\r\n");
}

TEST_F(EndToEnd, PortProblems) {
    Sim sim(dir_.Path(), Ports(), {});
    ASSERT_TRUE(sim.Ready()) << sim.Said();
    // Another program holding the radio's port.
    const ScopedEnv env(kPortsDirVariable, Ports().string());
    QtSerialDevice holder;
    holder.SelectPort(kSimPort);
    ASSERT_TRUE(holder.Open()) << holder.OpenFailureDetail();

    const struct {
        const char* name;
        const char* port;
        int status;
        const char* says;
    } rows[] = {
        {"no device for the number", "COM97", 1, "COM97 is not a port of this computer"},
        {"held by another program", "7", 1, "is held by another program"},
        {"not a port name", "COMX", 2, "give the port as COM<n> or a number"},
        {"port zero", "0", 2, "give the port as COM<n> or a number"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome run = Cli({"receive", "--port", row.port, "-o", "got.540"});
        EXPECT_EQ(run.status, row.status);
        EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Invalid COM Port (or Port in use)") != std::string::npos,
                  row.status == 1)
            << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(fs::exists(dir_ / "got.540"));
    }
}

TEST_F(EndToEnd, ProgressBarOnlyOnATerminal) {
    WritePlan(dir_ / "radio.540", PlanMemory());
    Sim sim(dir_.Path(), Ports(), {"--load", "radio.540"});
    ASSERT_TRUE(sim.Ready()) << sim.Said();
    test::Pty terminal;
    ASSERT_TRUE(terminal.Ok());

    const Outcome run = RunProgram({KLD540_CLI, "receive", "--port", "7", "-o", "got.540"},
                                   dir_.Path(), Ports(), 60s, &terminal);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Transfer Complete.\n");
    // Redrawn in place, and ended with a line end once the transfer is over.
    EXPECT_EQ(run.err.rfind("\r[", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("Receiving Memory Data...."), std::string::npos);
    const std::string last = "\r[####################] 232/232  Transfer Complete.";
    const auto end = run.err.rfind(last);
    ASSERT_NE(end, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find_first_not_of(' ', end + last.size()), run.err.size() - 1);
    EXPECT_EQ(run.err.back(), '\n');

    // A message starts on a line of its own, not after the bar.
    const Outcome failed =
        RunProgram({KLD540_CLI, "receive", "--port", "COM97", "-o", "got.540"}, dir_.Path(),
                   Ports(), 60s, &terminal);
    EXPECT_EQ(failed.status, 1);
    const auto message = failed.err.find("Invalid COM Port (or Port in use)");
    ASSERT_NE(message, std::string::npos) << failed.err;
    EXPECT_NE(failed.err.rfind('\r', message), std::string::npos) << "the bar was drawn first";
    EXPECT_EQ(failed.err[message - 1], '\n') << failed.err;
}

TEST_F(EndToEnd, VanishingRadioEndsTheTransferAtOnce) {
    WritePlan(dir_ / "radio.540", PlanMemory());
    Sim sim(dir_.Path(), Ports(), {"--load", "radio.540", "--vanish-after", "12"});
    ASSERT_TRUE(sim.Ready()) << sim.Said();

    const auto before = std::chrono::steady_clock::now();
    const Outcome run = Cli({"receive", "--port", "7", "-o", "got.540"}, 20s);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("Communication Error"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir_ / "got.540"));
}

}  // namespace
}  // namespace kld
