#include "transfer.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "settings_file.h"
#include "sim_rig.h"
#include "wire_codec.h"

namespace kld {
namespace {

using namespace std::chrono_literals;
using sim::SimConfig;
using sim::SimRadio;
using test::Channel;
using test::FillRadio;
using test::Lines;
using test::Rig;
using Zones = std::array<std::int16_t, kZoneCount>;

using test::ResetMemory;

// The simulated radio's settings, as `change` makes them from the defaults.
SimConfig Config(const std::function<void(SimConfig&)>& change) {
    SimConfig config;
    change(config);
    return config;
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(TransferOpening, EachProtocolLevelTakesItsPath) {
    // The level, the first commands sent, the line settings asked for, the modes learnt.
    const std::tuple<int, Lines, Lines, std::uint8_t> rows[] = {
        {0, {"T007000020020600D0", "T204000022D9"}, {"9600,N,8,1"}, 0x70},
        {1, {"T007000020020600D0", "T007000021020600CF", "T204000033"}, {"9600,N,8,1"}, 0x30},
        {2,
         {"T007000020020600D0", "T007000021020600CF", "T007000022020600CE", "T2060000320480"},
         {"9600,N,8,1", "115200,N,8,1"},
         0x30},
    };
    for (const auto& [level, firstCommands, lineSettings, modes] : rows) {
        SCOPED_TRACE(level);
        SimConfig config;
        config.protocolLevel = level, config.enabledModes = 0x30;
        Rig rig(config);
        FillRadio(rig.radio);
        EXPECT_EQ(rig.Run(Direction::Receive).Message(), "Transfer Complete.");
        const Lines sent = rig.Sent();
        ASSERT_GE(sent.size(), firstCommands.size());
        for (std::size_t i = 0; i < firstCommands.size(); ++i) {
            EXPECT_EQ(sent[i].substr(0, firstCommands[i].size()), firstCommands[i]);
        }
        EXPECT_EQ(std::pair(rig.device.LineSettingsRequested(), rig.memory.EnabledModes),
                  std::pair(lineSettings, modes));
        EXPECT_FALSE(rig.device.IsOpen());
    }
}

// A receive, clean or through faults, ends with its message (a failure, unless it completed),
// the port closed and the progress hidden. One that fails before its first record leaves the
// memory as it was, a channel of its own (100) included; once records arrive, the memory is the
// radio's, and a completed one takes the radio's stamp and lists too.
TEST(TransferReceive, StoresWhatTheRadioSendsOrEndsWithTheFaultsMessage) {
    // The radio's fault, the message, whether the memory is kept.
    using Fault = void (*)(SimConfig&);
    const std::tuple<const char*, Fault, std::string, bool> rows[] = {
        {"no fault", [](SimConfig&) {}, "Transfer Complete.", false},
        {"one out-of-range record", [](SimConfig& c) { c.faults.outOfRangeRecords = 1; },
         "Transfer Complete.", false},
        {"endless out-of-range records",
         [](SimConfig& c) { c.faults.outOfRangeRecords = sim::kAlways; },
         "Too Many Communications Errors 0", true},
        {"one bad checksum", [](SimConfig& c) { c.faults.badChecksums = 1; }, "Transfer Complete.",
         false},
        {"bad checksums on every answer",
         [](SimConfig& c) { c.faults.badChecksums = sim::kAlways; }, "Checksum Error -10", true},
        {"garbage lines", [](SimConfig& c) { c.faults.garbageLines = 2; }, "Transfer Complete.",
         false},
        {"busy radio", [](SimConfig& c) { c.faults.busyAnswers = 3; }, "Transfer Complete.", false},
        {"silent radio", [](SimConfig& c) { c.faults.silentAfterLines = 0; }, "Timeout Error",
         true},
        {"silent after opening", [](SimConfig& c) { c.faults.silentAfterLines = 6; },
         "Timeout Error", true},
        {"device vanishes", [](SimConfig& c) { c.faults.vanishAfterLines = 9; },
         "Communication Error 0", true},
        // Lines 10 and 11 ask for records 1 and 5; then the cable is pulled.
        {"cable pulled after two records", [](SimConfig& c) { c.faults.vanishAfterLines = 11; },
         "Communication Error 2", false},
        {"endless refusals", [](SimConfig& c) { c.endlessRefusals = true; },
         "Too Many Communications Errors -10", true},
    };
    for (const auto& [name, fault, message, kept] : rows) {
        SCOPED_TRACE(name);
        Rig rig(Config(fault));
        FillRadio(rig.radio);
        Channel(rig.memory, 100, kSelDefined | kSelCreatedHere);
        ++rig.memory.ZoneCounts[0];
        const ChannelMemory before = rig.memory;

        const TransferResult result = rig.Run(Direction::Receive);
        EXPECT_EQ(result.Message(), message);
        EXPECT_EQ(result.failure ? result.failure->message : "none",
                  result.Complete() ? "none" : message);
        EXPECT_TRUE(rig.op.shown.empty()) << "the transfer tells nothing itself";
        if (kept) {
            EXPECT_EQ(std::pair(rig.memory.Records, rig.memory.ZoneCounts),
                      std::pair(before.Records, before.ZoneCounts));
        } else {
            EXPECT_FALSE(rig.memory.Rec(100).IsDefined()) << "cleared by the receive";
            EXPECT_EQ(std::tuple(rig.memory.Rec(5).Select, rig.memory.Rec(5).Desc.View(),
                                 rig.memory.Rec(5).RCTCSS),
                      std::tuple(std::int16_t{0xC0}, std::string_view("Fire    "), 33));
        }
        if (result.Complete()) {
            for (int i : {1, 231, 232}) {
                EXPECT_EQ(std::pair(rig.memory.Rec(i).Select, rig.memory.Rec(i).Desc),
                          std::pair(std::int16_t{0xC0}, rig.radio.Memory().Rec(i).Desc))
                    << i;
            }
            EXPECT_EQ(rig.memory.ZoneCounts,
                      (Zones{1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
            EXPECT_EQ(std::pair(rig.state.MemoryStamp, rig.state.RadioVersion),
                      std::pair(rig.radio.MemoryStamp(), std::string("021100")));
            EXPECT_EQ(std::pair(rig.host.statuses.back(), rig.host.shown),
                      std::pair(std::string("Transfer Complete."), std::vector<bool>{true, false}));
            EXPECT_GE(rig.host.now - std::chrono::steady_clock::time_point{}, 2s)
                << "the window keeps the completion on show a moment";
        }
        EXPECT_EQ(rig.memory.Current, 1);
        EXPECT_FALSE(rig.device.IsOpen());
        EXPECT_EQ(rig.host.shown.back(), false);
    }
}

TEST(TransferReceive, StatusLabelCountsSecondsAndShortensOnBusy) {
    const std::string label = "Initializing Communication with Radio....";
    Rig quiet(Config([](SimConfig& c) { c.faults.silentAfterLines = 0; }));
    quiet.Run(Direction::Receive);
    const auto waited = quiet.host.now - std::chrono::steady_clock::time_point{};
    EXPECT_TRUE(waited > 30s && waited < 32s);
    EXPECT_TRUE(Has(quiet.host.statuses, label + "123"));

    Rig busy(Config([](SimConfig& c) {
        c.protocolLevel = 0, c.faults.busyAnswers = 1, c.faults.busyFor = "T204000022";
    }));
    ASSERT_TRUE(busy.Run(Direction::Receive).Complete());
    EXPECT_TRUE(Has(busy.host.statuses, label + "."));
}

// A radio scripted line by line: `answer` gives the reply to each line the program writes.
class ScriptedLine : public SerialDevice {
  public:
    std::function<std::string(const std::string&)> answer = [](const std::string&) {
        return WithChecksum(kFrameAccepted) + "\r";
    };
    std::function<bool()> ready = [] { return true; };
    bool fastAllowed = true;

    void SelectPort(int) override {}
    bool SetLineSettings(std::string_view s) override { return fastAllowed || s[0] == '9'; }
    void SetBufferSizes(int, int) override {}
    bool Open() override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void DiscardInput() override {}
    bool Write(std::string_view bytes) override {
        pending_ += answer(std::string(bytes.substr(0, bytes.size() - 1)));
        return true;
    }
    std::string ReadAvailable() override { return ready() ? std::exchange(pending_, "") : ""; }
    void WaitForData(std::chrono::milliseconds) override {}

  private:
    std::string pending_;
    bool open_ = false;
};

// The program receiving from a ScriptedLine, on a fake clock.
struct ScriptedRig : Rig {
    ScriptedLine line;

    TransferResult Receive() {
        TransferContext context{memory, state, line, host, op, dir.Path()};
        return RadioTransfer(Direction::Receive, context);
    }
};

TEST(TransferLimits, EndlessRadiosLateAnswersAndFailedSpeedChange) {
    const std::tuple<const char*, std::function<void(ScriptedRig&)>, std::string> rows[] = {
        {"a radio that never ends", [](ScriptedRig&) {}, "Download Failure 0 32767"},
        {"an answer after thirty seconds",
         [](ScriptedRig& r) {
             r.line.ready = [&r] {
                 return r.host.now - std::chrono::steady_clock::time_point{} > 31s;
             };
         },
         "Timeout Error"},
        {"a port that will not go to 115200",
         [](ScriptedRig& r) {
             r.line.fastAllowed = false;
             r.line.answer = [](const std::string& line) {
                 const bool refuse = line.starts_with("T0070000") && line.substr(8, 2) != "22";
                 return WithChecksum(refuse ? "T204000001" : "T204000000") + "\r";
             };
         },
         "Download Failure 0 -9"},
        {"frames too short to carry anything are ignored",
         [](ScriptedRig& r) {
             r.line.answer = [](const std::string& line) {
                 return line.starts_with("T0") ? "TFF\rTFF\r" + WithChecksum("T204000000") + "\r"
                                               : WithChecksum("T9030000") + "\r";
             };
         },
         "Transfer Complete."},
    };
    for (const auto& [name, setUp, message] : rows) {
        SCOPED_TRACE(name);
        ScriptedRig rig;
        setUp(rig);
        EXPECT_EQ(rig.Receive().Message(), message);
    }
}

TEST(TransferReceive, ARecordSentTwiceIsCountedOnce) {
    ChannelMemory radio = ResetMemory();
    Channel(radio, 5, kSelDefined).Scan = 0x30;
    const std::string record = WithChecksum(RecordFrameText(*RecordImage(radio, 5))) + "\r";
    int requests = 0;
    ScriptedRig rig;
    rig.line.answer = [&](const std::string& sent) {
        if (sent.starts_with("T204000000") && ++requests > 1) {
            return requests <= 3 ? record : WithChecksum("T9030000") + "\r";
        }
        return WithChecksum("T204000000") + "\r";
    };
    ASSERT_TRUE(rig.Receive().Complete());
    EXPECT_EQ(rig.memory.ZoneCounts[3], 1);
}

TEST(TransferSend, OneSelectedChannelWithEqualStamps) {
    Rig rig;
    rig.StampsAlike();
    const ChannelRecord& twelve = Channel(rig.memory, 12, 0xA1);
    rig.memory.NoiseSquelchLevel = 7;
    const TransferResult result = rig.Run(Direction::Send);
    ASSERT_TRUE(result.Complete()) << result.Message();
    EXPECT_TRUE(rig.Sent("T204000011").empty()) << "no purge";
    auto image = RecordImage(rig.memory, 12);
    ASSERT_TRUE(image);
    (*image)[62] = 7;  // the noise squelch level travels in RFRec
    EXPECT_EQ(rig.Sent("T1"), Lines{WithChecksum(RecordFrameText(*image))});
    EXPECT_EQ(rig.Sent().back(), "T9030000FC");
    EXPECT_EQ(rig.radio.Memory().Rec(12).Desc, twelve.Desc);
}

TEST(TransferSend, ModeWarningOkGoesOnCancelStops) {
    for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
        SCOPED_TRACE(answer == Answer::Ok ? "OK" : "Cancel");
        Rig rig;
        rig.SelectMain();
        rig.memory.Rec(1).Mode = kModeWide, rig.memory.Rec(1).TFrq = "150.0000";
        rig.op.answers = {answer};
        const TransferResult result = rig.Run(Direction::Send);
        EXPECT_EQ(result.outcome,
                  answer == Answer::Ok ? Outcome::Complete : Outcome::WarningDeclined);
        EXPECT_EQ(result.failure, std::nullopt);
        EXPECT_EQ(rig.host.statuses.back(), "Transfer Complete.");
        EXPECT_EQ(rig.op.shown,
                  (std::vector<Message>{
                      {"The following operating modes are used in the memory data but not enabled "
                       "in the radio:\n\n    Analog Wideband\n\nThe radio will not transmit in "
                       "disabled modes (affected memories become receive only).\n\nPress OK to "
                       "continue or CANCEL to stop the transfer",
                       "Radio Operating Modes", Icon::Warning, Buttons::OkCancel}}));
        EXPECT_EQ(rig.Sent().back(), "T9030000FC");
        EXPECT_EQ(rig.Sent("T1").size(), answer == Answer::Ok ? 1u : 0u);
    }
}

TEST(TransferSend, NewStampPurgesAndWritesRadioRecordsBack) {
    Rig rig;
    FillRadio(rig.radio);
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    // The radio changed since (another program wrote it): stamps differ now.
    rig.radio.Memory().Rec(5).Desc = "Changed";
    rig.state.MemoryStamp = "11111111111111";
    rig.memory.Rec(5).Select |= kSelSend;
    rig.memory.Rec(5).Desc = "Mine";
    rig.state.DebugMode = true;
    const TransferResult result = rig.Run(Direction::Send);
    ASSERT_TRUE(result.Complete()) << result.Message();
    EXPECT_FALSE(rig.Sent("T204000011").empty());
    for (int i : {1, 5, 231, 232}) {
        EXPECT_TRUE(rig.radio.Memory().Rec(i).IsDefined()) << i << ": written back after the purge";
    }
    EXPECT_EQ(rig.radio.Memory().Rec(5).Desc.View(), "Mine    ");
    EXPECT_NE(test::ReadBytes(rig.dir / "KLD-540.log").find("Sending Shadow Memory Data...\r\n"),
              std::string::npos)
        << "a purge brings the second pass";
}

// A record that cannot go out is found before the radio is opened, so the radio keeps
// everything it held: one that is selected, and one a purge would have to write back.
TEST(TransferSend, RecordsThatCannotGoOutStopItBeforeTheRadioIsTouched) {
    Rig rig;
    FillRadio(rig.radio);
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    const ChannelMemory radioBefore = rig.radio.Memory();
    rig.state.MemoryStamp = "11111111111111";  // changed elsewhere: the send would purge
    Channel(rig.memory, 30, kSelDefined | kSelCreatedHere | kSelSend).RCTCSS = 57;
    rig.memory.Rec(5).IDCall[2] = 999;  // from the radio, not selected: written back
    rig.device.calls.clear();
    const TransferResult result = rig.Run(Direction::Send);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->message, "Download Failure 0 5");
    EXPECT_NE(result.failure->detail.find("Channel 005: ID Call: 999 does not fit"),
              std::string::npos);
    EXPECT_NE(result.failure->detail.find("Channel 030: Rx Tone: position 57 is not in its table"),
              std::string::npos);
    EXPECT_EQ(rig.device.calls, Lines{}) << "the port was never opened";
    EXPECT_EQ(rig.radio.Memory().Records, radioBefore.Records);
}

TEST(TransferSend, RefusedRecordIsResentOnceThenGivenUp) {
    for (int times : {1, 2}) {
        SCOPED_TRACE(times);
        Rig rig(Config([&](SimConfig& c) {
            c.faults.refuseRecordFrame = 1, c.faults.refuseRecordTimes = times;
        }));
        rig.SelectMain();
        EXPECT_EQ(rig.Run(Direction::Send).Message(),
                  times == 1 ? "Transfer Complete." : "Too Many Communications Errors 1");
        EXPECT_GE(rig.host.paused, 500ms);
    }
}

// Closing the port puts its earlier line settings back at once, and a speed change applies at
// once: whatever was written must have left the line first.
TEST(TransferEnd, EverythingWrittenLeavesTheLineBeforeTheSpeedChangesOrThePortCloses) {
    for (const Direction direction : {Direction::Send, Direction::Receive}) {
        SCOPED_TRACE(direction == Direction::Send ? "send" : "receive");
        Rig rig;
        FillRadio(rig.radio);
        rig.memory.Rec(1).Select |= kSelSend;
        ASSERT_TRUE(rig.Run(direction).Complete());
        const auto& calls = rig.device.calls;
        const auto fast = std::find(calls.begin(), calls.end(), "settings 115200,N,8,1");
        ASSERT_NE(fast, calls.end());
        EXPECT_EQ(*(fast - 1), "drain");
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls.back(), "close");
        EXPECT_EQ(calls[calls.size() - 2], "drain");
        if (direction == Direction::Send) {
            const auto end = std::find(calls.begin(), calls.end(), "write T9030000FC");
            ASSERT_NE(end, calls.end());
            EXPECT_EQ(*(end + 1), "drain");
            EXPECT_EQ(std::count_if(end, calls.end(),
                                    [](const std::string& c) { return c.starts_with("write"); }),
                      1)
                << "nothing is written after the end frame";
        }
    }
}

TEST(TransferCancel, EndFrameGoesOutPortClosesRecordsStay) {
    Rig rig;
    FillRadio(rig.radio);
    // The operator presses stop once record 5 is in.
    rig.host.cancelWhen = [&] { return rig.memory.Rec(5).Select == 0xC0; };
    const TransferResult cancelled = rig.Run(Direction::Receive);
    EXPECT_EQ(cancelled.outcome, Outcome::Cancelled);
    EXPECT_EQ(cancelled.failure, Failure{"Transfer Cancelled"});
    EXPECT_EQ(std::pair(rig.Sent().back(), rig.device.calls.back()),
              std::pair(std::string("T9030000FC"), std::string("close")));
    EXPECT_EQ(rig.memory.Rec(5).Desc.View(), "Fire    ");
    EXPECT_EQ(rig.host.shown.back(), false);

    Rig send;
    send.memory.Rec(1).Select |= kSelSend;
    send.host.cancelWhen = [] { return true; };
    EXPECT_EQ(send.Run(Direction::Send).outcome, Outcome::Cancelled);
    EXPECT_TRUE(send.Sent("T1").empty());
    EXPECT_EQ(send.Sent().back(), "T9030000FC");
    EXPECT_EQ(send.radio.CompletedSends(), 0);
}

// Each failure is told once, with its detail; the port is closed and nothing says complete.
TEST(TransferFailures, SayWhatFailed) {
    // How the rig is set up, the direction, the message, a piece of its detail.
    const std::tuple<const char*, std::function<void(Rig&)>, Direction, std::string, std::string>
        rows[] = {
            {"nothing selected", [](Rig&) {}, Direction::Send,
             "No data selected for transfer to Radio", ""},
            {"a port that will not open",
             [](Rig& r) { r.SelectMain(), r.device.FailOpen("add yourself to the dialout group"); },
             Direction::Send, "Invalid COM Port (or Port in use)", "dialout"},
            {"an end frame that cannot be written",
             [](Rig& r) { r.SelectMain(), r.device.refuseWriteOf = "T9030000"; }, Direction::Send,
             "Communication Error 233", ""},
            {"a record the radio cannot carry",
             [](Rig& r) { r.SelectMain(), r.memory.Rec(1).Prim = 300; }, Direction::Send,
             "Download Failure 0 1", "Channel 001: Primary: 300 does not fit"},
            {"an over-long line",
             [](Rig& r) {
                 r.radio = SimRadio(Config([](SimConfig& c) { c.faults.overLongFrame = true; }));
             },
             Direction::Receive, "Download Failure 0 0", "characters"},
            {"a transfer log that cannot be created",
             [](Rig& r) {
                 r.state.DebugMode = true;
                 std::filesystem::create_directories(r.dir / "KLD-540.log" / "in the way");
             },
             Direction::Receive, "Invalid COM Port (or Port in use)", "KLD-540.log"},
            {"a debug log that cannot be created",
             [](Rig& r) {
                 std::filesystem::create_directories(r.dir / "KVRX-540_Dbg.log" / "in the way");
             },
             Direction::DebugLog, "Download Failure 0 -10", "KVRX-540_Dbg.log"},
        };
    for (const auto& [name, setUp, direction, message, detail] : rows) {
        SCOPED_TRACE(name);
        Rig rig;
        setUp(rig);
        FillRadio(rig.radio);
        const TransferResult result = rig.Run(direction);
        ASSERT_TRUE(result.failure);
        EXPECT_EQ(result.failure->message, message);
        EXPECT_NE(result.failure->detail.find(detail), std::string::npos) << result.failure->detail;
        EXPECT_TRUE(rig.op.shown.empty());
        EXPECT_FALSE(Has(rig.host.statuses, "Transfer Complete."));
        EXPECT_FALSE(rig.device.IsOpen());
    }
}

TEST(TransferLogs, DebugModeLogsEveryLine) {
    Rig rig(Config([](SimConfig& c) { c.protocolLevel = 0; }));
    sim::BlankMemory(rig.radio.Memory());
    rig.state.DebugMode = true;
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    const auto w = [](std::string_view body) { return WithChecksum(body) + "\r\n"; };
    EXPECT_EQ(test::ReadBytes(rig.dir / "KLD-540.log"),
              "T007000020020600D0\r\n" + w("T204000000") + "T204000022D9\r\n" +
                  w("T207000023021100") + w("T20B00002120210305153012") + w("T204000000") +
                  w("T204000024") + w("T204000000") + "Receiving Memory Data....\r\n" +
                  w("T204000000") + "T9030000FC\r\nTransfer Complete.\n");
}

TEST(TransferLogs, DebugLogReplacesTheEarlierOneOnlyWhenComplete) {
    for (const bool complete : {false, true}) {
        SCOPED_TRACE(complete ? "complete" : "failed");
        SimConfig config;
        config.debugLog = {"0040C142", "0041C344"};
        if (!complete) {
            config.faults.silentAfterLines = 10;  // after the first log line
        }
        Rig rig(config);
        test::WriteBytes(rig.dir / "KVRX-540_Dbg.log", "the earlier log\r\n");
        const TransferResult result = rig.Run(Direction::DebugLog);
        EXPECT_EQ(result.Complete(), complete) << result.Message();
        EXPECT_EQ(test::ReadBytes(rig.dir / "KVRX-540_Dbg.log"),
                  complete ? "Rx:0040: A\r\nTx:0040:  B\r\nRx:0041: C\r\nTx:0041:  D\r\n"
                           : "the earlier log\r\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.dir.Path()),
                                std::filesystem::directory_iterator()),
                  1)
            << "no temporary file is left behind";
    }
}

TEST(TransferLogs, RadioTextLogStaysInsideLogs) {
    for (const auto& [name, written] : {std::pair{"unit-17", true}, std::pair{"../escape", false},
                                        std::pair{"a/b", false}, std::pair{"bad:name", false}}) {
        SCOPED_TRACE(name);
        SimConfig config;
        config.textLogName = name, config.textLogLines = {"Power on", "Battery 7.2V"};
        Rig rig(config);

        rig.state.DebugMode = true;
        std::filesystem::create_directory(rig.dir / "Logs");
        ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
        const auto path = rig.dir / "Logs" / (std::string(name) + ".txt");
        EXPECT_EQ(std::filesystem::exists(path), written);
        if (written) {
            EXPECT_EQ(test::ReadBytes(path),
                      "Date: 05-Mar-2021, 15:30:12\r\nPower on\r\nBattery 7.2V\r\n");
        }
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(rig.dir.Path())) {
            files += entry.is_regular_file();
        }
        EXPECT_EQ(files, written ? 2u : 1u) << "the transfer log and nothing else";
    }
}

}  // namespace
}  // namespace kld
