#include "transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <utility>

#include "../cases.h"
#include "repeated_transfer.h"
#include "send_plan.h"
#include "sim_rig.h"
#include "tables.h"
#include "transfer_logs.h"
#include "verify.h"
#include "wire_codec.h"

namespace kld {

// Lets GoogleTest show a difference readably.
void PrintTo(const VerifyDifference& d, std::ostream* os) {
    *os << "{" << d.channel << ", " << d.field << ", " << d.sent << ", " << d.inRadio << "}";
}

namespace {

using namespace std::chrono_literals;
using test::Channel;
using test::FillRadio;
using test::Lines;
using test::Rig;
using Zones = std::array<std::int16_t, kZoneCount>;
namespace fs = std::filesystem;

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Each protocol level takes its own path: the line settings asked for, the modes learnt.
TEST(TransferOpening, EachProtocolLevelTakesItsPath) {
    const std::tuple<const char*, Lines, std::uint8_t> rows[] = {
        {"0", {"9600,N,8,1"}, 0x70},
        {"1", {"9600,N,8,1"}, 0x30},
        {"2", {"9600,N,8,1", "115200,N,8,1"}, 0x30},
    };
    for (const auto& [level, lineSettings, modes] : rows) {
        Rig rig(std::string("--modes 30 --level ") + level);
        EXPECT_EQ(rig.Run(Direction::Receive).Message(), "Transfer Complete.") << level;
        EXPECT_EQ(std::pair(rig.device.LineSettingsRequested(), rig.memory.EnabledModes),
                  std::pair(lineSettings, modes))
            << level;
    }
}

// Every way a transfer ends: its message (and the failure's detail), nothing told (the caller
// tells), "Transfer Complete." shown only when it completed, the progress hidden, and the port
// closed once everything written has left it, with nothing written after the end frame. A receive
// that fails before its first record leaves the memory as it was, a channel of its own (100)
// included; once records arrive, the memory is the radio's, and a completed one takes the radio's
// stamp and lists too.
TEST(TransferOutcome, EachEndsWithItsMessage) {
    const std::map<std::string, void (*)(Rig&)> setUps = {
        {"a port that will not go to 115200",
         [](Rig& r) { r.device.refuseSettings = "115200,N,8,1"; }},
        {"a transfer log that cannot be created",
         [](Rig& r) {
             r.state.DebugMode = true;
             fs::create_directories(r.dir / "KLD-540.log" / "in the way");
         }},
        {"a port that will not open", [](Rig& r) { r.device.FailOpen("join the dialout group"); }},
        {"an end frame that cannot be written",
         [](Rig& r) { r.device.refuseWriteOf = "T9030000"; }},
        {"a debug log that cannot be created",
         [](Rig& r) { fs::create_directories(r.dir / "KVRX-540_Dbg.log" / "x"); }},
        {"stopped once record 5 is in",
         [](Rig& r) { r.host.cancelWhen = [&r] { return r.memory.Rec(5).Select == 0xC0; }; }},
        {"stopped before the first record goes",
         [](Rig& r) { r.host.cancelWhen = [] { return true; }; }},
    };
    const std::map<std::string, Direction> directions = {{"receive", Direction::Receive},
                                                         {"send", Direction::Send},
                                                         {"send main", Direction::Send},
                                                         {"debug log", Direction::DebugLog}};
    for (auto row : test::Cases("transfer_outcomes.txt")) {
        row.resize(6);
        const std::string &name = row[0], &message = row[3], &memory = row[4], &detail = row[5];
        const Direction direction = directions.at(row[2]);
        SCOPED_TRACE(name);
        Rig rig(row[1]);
        FillRadio(rig.radio);
        if (row[2] == "send main") {
            rig.SelectMain();
        }
        if (setUps.contains(name)) {
            setUps.at(name)(rig);
        }
        Channel(rig.memory, 100, kSelDefined | kSelCreatedHere);
        ++rig.memory.ZoneCounts[0];
        const ChannelMemory before = rig.memory;

        const TransferResult result = rig.Run(direction);
        EXPECT_EQ(result.Message(), message);
        EXPECT_EQ(result.failure.value_or(Failure{"none"}).message,
                  result.Complete() ? "none" : message);
        EXPECT_NE(result.failure.value_or(Failure{}).detail.find(detail), std::string::npos)
            << result.failure.value_or(Failure{}).detail;
        EXPECT_TRUE(rig.op.shown.empty()) << "the transfer tells nothing itself";
        EXPECT_EQ(Has(rig.host.statuses, "Transfer Complete."), result.Complete());
        if (memory == "kept") {
            EXPECT_EQ(std::pair(rig.memory.Records, rig.memory.ZoneCounts),
                      std::pair(before.Records, before.ZoneCounts));
        } else if (memory == "radio's") {
            EXPECT_FALSE(rig.memory.Rec(100).IsDefined()) << "cleared by the receive";
            EXPECT_EQ(rig.memory.Rec(5).Desc.View(), "Fire    ");
        }
        if (result.Complete()) {
            EXPECT_EQ(std::pair(rig.host.statuses.back(), rig.host.shown),
                      std::pair(std::string("Transfer Complete."), std::vector<bool>{true, false}));
            EXPECT_GE(rig.host.now.time_since_epoch(), 2s)
                << "the window keeps the completion on show a moment";
            EXPECT_GE(rig.host.paused, direction == Direction::Send ? 500ms : 0ms)
                << "a refused record waits before it goes again";
        }
        if (result.Complete() && memory == "radio's") {
            EXPECT_EQ(rig.memory.ZoneCounts,
                      (Zones{1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
            EXPECT_EQ(std::pair(rig.state.MemoryStamp, rig.state.RadioVersion),
                      std::pair(rig.radio.MemoryStamp(), std::string("021100")));
        }
        EXPECT_EQ(std::pair(int{rig.memory.Current}, bool{rig.host.shown.back()}),
                  std::pair(1, false));
        if (result.outcome == Outcome::Cancelled) {
            EXPECT_EQ(std::pair(rig.Sent().back(), rig.Sent("T1").size()),
                      std::pair(std::string("T9030000FC"), 0ul));
        }

        // The port: whatever was written leaves the line before the speed changes under it or the
        // port closes (which puts the earlier line settings back at once).
        const Lines& calls = rig.device.calls;
        EXPECT_FALSE(rig.device.IsOpen());
        const auto fast = std::find(calls.begin(), calls.end(), "settings 115200,N,8,1");
        EXPECT_TRUE(fast == calls.end() || *(fast - 1) == "drain");
        if (rig.device.OpenCount() > 0) {
            EXPECT_EQ(Lines(calls.end() - 2, calls.end()), (Lines{"drain", "close"}));
        }
        const auto end = std::find(calls.begin(), calls.end(), "write T9030000FC");
        EXPECT_EQ(std::count_if(end, calls.end(), [](auto& c) { return c.starts_with("write"); }),
                  end == calls.end() ? 0 : 1)
            << "nothing is written after the end frame";
    }
}

TEST(TransferReceive, StatusLabelCountsSecondsAndShortensOnBusy) {
    const std::string label = "Initializing Communication with Radio....";
    Rig quiet("--silent-after 0");
    quiet.Run(Direction::Receive);
    const auto waited = quiet.host.now.time_since_epoch();
    EXPECT_TRUE(waited > 30s && waited < 32s) << "the radio's thirty seconds, and no more";
    EXPECT_TRUE(Has(quiet.host.statuses, label + "123"));

    Rig busy("--level 0 --busy 1 --busy-for T204000022");
    ASSERT_TRUE(busy.Run(Direction::Receive).Complete());
    EXPECT_TRUE(Has(busy.host.statuses, label + "."));
}

// Radios no simulated fault makes: scripted line by line.
TEST(TransferReceive, ScriptedRadiosAtTheLimits) {
    ChannelMemory radio = test::ResetMemory();
    Channel(radio, 5, kSelDefined).Scan = 0x30;
    const std::string record = WithChecksum(RecordFrameText(*RecordImage(radio, 5))) + "\r";
    const std::string accepted = WithChecksum(kFrameAccepted) + "\r";
    const std::string end = WithChecksum(kFrameEnd) + "\r";
    // The script, and the message and list 3's count it ends with.
    using Script = std::function<std::string(const std::string&)>;
    const std::tuple<const char*, Script, std::string, int> rows[] = {
        {"a radio that never ends", [&](const std::string&) { return accepted; },
         "Download Failure 0 32767", 0},
        {"frames too short to carry anything are ignored",
         [&](const std::string& line) {
             return line.starts_with("T0") ? "TFF\rTFF\r" + accepted : end;
         },
         "Transfer Complete.", 0},
        {"a record sent twice is counted once",
         [&, requests = 0](const std::string& sent) mutable {
             if (sent.starts_with("T204000000") && ++requests > 1) {
                 return requests <= 3 ? record : end;
             }
             return accepted;
         },
         "Transfer Complete.", 1},
    };
    for (const auto& [name, script, message, listThree] : rows) {
        Rig rig;
        rig.device.script = script;
        EXPECT_EQ(rig.Run(Direction::Receive).Message(), message) << name;
        EXPECT_EQ(rig.memory.ZoneCounts[3], listThree) << name;
    }
}

TEST(TransferSend, ModeWarningOkGoesOnCancelStops) {
    for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
        Rig rig;
        rig.SelectMain();
        rig.memory.Rec(1).Mode = kModeWide, rig.memory.Rec(1).TFrq = "150.0000";
        rig.op.answers = {answer};
        const TransferResult result = rig.Run(Direction::Send);
        EXPECT_EQ(std::pair(result.outcome, result.failure),
                  std::pair(answer == Answer::Ok ? Outcome::Complete : Outcome::WarningDeclined,
                            std::optional<Failure>()));
        EXPECT_EQ(rig.op.shown,
                  (std::vector<Message>{
                      {"The following operating modes are used in the memory data but not enabled "
                       "in the radio:\n\n    Analog Wideband\n\nThe radio will not transmit in "
                       "disabled modes (affected memories become receive only).\n\nPress OK to "
                       "continue or CANCEL to stop the transfer",
                       "Radio Operating Modes", Icon::Warning, Buttons::OkCancel}}));
        EXPECT_EQ(std::pair(rig.Sent().back(), rig.host.statuses.back()),
                  std::pair(std::string("T9030000FC"), std::string("Transfer Complete.")));
        EXPECT_EQ(rig.Sent("T1").size(), answer == Answer::Ok ? 1u : 0u);
    }
}

// The radio was written elsewhere since the receive: the stamps differ, so a send purges it and
// writes back what it held. A record that cannot go out (one selected, or one the purge would
// write back) is found before the radio is opened, so the radio keeps everything it held.
TEST(TransferSend, NewStampPurgesAndWritesRadioRecordsBackUnlessOneCannotGo) {
    Rig rig;
    FillRadio(rig.radio);
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    rig.radio.Memory().Rec(5).Desc = "Changed";
    rig.state.MemoryStamp = "11111111111111";
    const ChannelMemory radioBefore = rig.radio.Memory();
    const ChannelMemory received = rig.memory;
    Channel(rig.memory, 30, kSelDefined | kSelCreatedHere | kSelSend).RCTCSS = 57;
    rig.memory.Rec(5).IDCall[2] = 999;  // from the radio, not selected: written back
    rig.device.calls.clear();
    const TransferResult refused = rig.Run(Direction::Send);
    ASSERT_TRUE(refused.failure);
    EXPECT_EQ(refused.failure->message, "Download Failure 0 5");
    EXPECT_NE(refused.failure->detail.find("Channel 005: ID Call: 999 does not fit"),
              std::string::npos);
    EXPECT_NE(refused.failure->detail.find("Channel 030: Rx Tone: position 57 is not in its table"),
              std::string::npos);
    EXPECT_EQ(rig.device.calls, Lines{}) << "the port was never opened";
    EXPECT_EQ(rig.radio.Memory().Records, radioBefore.Records);

    rig.memory = received;
    rig.memory.Rec(5).Select |= kSelSend;
    rig.memory.Rec(5).Desc = "Mine";
    rig.state.DebugMode = true;
    ASSERT_TRUE(rig.Run(Direction::Send).Complete());
    EXPECT_FALSE(rig.Sent("T204000011").empty());
    for (int i : {1, 5, 231, 232}) {
        EXPECT_TRUE(rig.radio.Memory().Rec(i).IsDefined()) << i << ": written back after the purge";
    }
    EXPECT_EQ(rig.radio.Memory().Rec(5).Desc.View(), "Mine    ");
    EXPECT_NE(test::ReadBytes(rig.dir / "KLD-540.log").find("Sending Shadow Memory Data...\r\n"),
              std::string::npos)
        << "a purge brings the second pass";
}

// A host that acts when the caption of the second send goes up.
struct Host : test::FakeHost {
    std::function<void()> atSecondSend = [] {};
    void SetProgressCaption(std::string_view caption) override {
        FakeHost::SetProgressCaption(caption);
        if (caption.starts_with("Data Transfer Progress (2 of")) {
            atSecondSend();
        }
    }
};

// The test receives, fills the memory with generated channels and sends it n times, changing
// every frequency between sends. A soak test goes on after a failed send, and says at the end
// which sends failed; stopping one send stops the test.
TEST(RepeatedTransfer, SendsGeneratedChannelsAndCountsFailedAndCancelledSends) {
    const Failure busy{"Invalid COM Port (or Port in use)", "held elsewhere"};
    const std::tuple<const char*, void (*)(test::Rig&, Host&), std::size_t, std::vector<Failure>,
                     std::string>
        rows[] = {
            {"every send completes", [](test::Rig&, Host&) {}, 3, {}, "3 of 3 sends completed."},
            {"the port is taken from the second send on",
             [](test::Rig& r, Host& h) {
                 h.atSecondSend = [&r] { r.device.FailOpen("held elsewhere"); };
             },
             3,
             {busy, busy},
             "1 of 3 sends completed.\n\nFailed:\n    2 of 3: Invalid COM Port (or Port in use)\n"
             "    3 of 3: Invalid COM Port (or Port in use)"},
            {"the second send is stopped",
             [](test::Rig&, Host& h) {
                 h.atSecondSend = [&h] { h.cancelWhen = [] { return true; }; };
             },
             2,
             {Failure{"Transfer Cancelled",
                      "You stopped the transfer at step -10, calling the radio (the opening "
                      "request)."}},
             "1 of 3 sends completed.\n\nThe test was stopped during send 2 of 3."},
        };
    for (const auto& [name, setUp, rounds, failures, summary] : rows) {
        SCOPED_TRACE(name);
        test::Rig rig;
        test::FillRadio(rig.radio);
        Host host;
        setUp(rig, host);
        TransferContext context = rig.Context(host);
        const TransferTestResult result = RunTransferTest(3, context);
        EXPECT_EQ(result.rounds.size(), rounds);
        EXPECT_EQ(result.Failures(), failures);
        EXPECT_EQ(TransferTestSummary(result, 3),
                  (Message{summary, "Repeated Transfer Test",
                           failures.empty() ? Icon::Information : Icon::Exclamation, Buttons::Ok}));
        EXPECT_TRUE(rig.op.shown.empty());
        EXPECT_EQ(host.captions.back(), "Data Transfer Progress");
        EXPECT_EQ(rig.state.PurgeMode, 0);
        if (failures.empty()) {
            EXPECT_EQ(host.captions,
                      (Lines{"Data Transfer Progress (syncing to radio)",
                             "Data Transfer Progress (1 of 3)", "Data Transfer Progress (2 of 3)",
                             "Data Transfer Progress (3 of 3)", "Data Transfer Progress"}));
            EXPECT_EQ(rig.radio.Memory().Rec(16).Desc.View(), "Z01/P16 ");
            EXPECT_EQ(rig.radio.Memory().Rec(1).RFrq.View(), "150.0100  ") << "the last send";
            EXPECT_EQ(rig.memory.Rec(1).RFrq.View(), "160.0100  ") << "the fill after it";
            EXPECT_EQ(rig.memory.Rec(17).Desc.View(), "Z02/P01 ");
        }
    }
}

// Files and folders, all the way down.
std::ptrdiff_t EntriesIn(const fs::path& folder) {
    return std::distance(fs::recursive_directory_iterator(folder), {});
}

TEST(TransferLog, DebugModeLogsEveryLine) {
    Rig rig("--level 0");
    sim::BlankMemory(rig.radio.Memory());
    rig.state.DebugMode = true;
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    test::ExpectGolden("receive.log", test::ReadBytes(rig.dir / "KLD-540.log"));
}

TEST(TransferLog, DebugLogReplacesTheEarlierOneOnlyWhenComplete) {
    for (const bool complete : {false, true}) {
        SCOPED_TRACE(complete ? "complete" : "failed");
        sim::SimConfig config;
        config.debugLog = {"0040C142", "0041C344"};
        if (!complete) {
            config.faults.silentAfterLines = 10;  // after the first log line
        }
        Rig rig(config);
        test::WriteBytes(rig.dir / "KVRX-540_Dbg.log", "the earlier log\r\n");
        EXPECT_EQ(rig.Run(Direction::DebugLog).Complete(), complete);
        EXPECT_EQ(test::ReadBytes(rig.dir / "KVRX-540_Dbg.log"),
                  complete ? "Rx:0040: A\r\nTx:0040:  B\r\nRx:0041: C\r\nTx:0041:  D\r\n"
                           : "the earlier log\r\n");
        EXPECT_EQ(EntriesIn(rig.dir.Path()), 1) << "no temporary file is left behind";
    }
}

// The radio names its text log; the name must never lead out of Logs.
TEST(RadioTextLog, StaysInsideLogs) {
    for (const auto& [name, written] :
         {std::pair{"unit-17", true}, std::pair{"../escape", false}}) {
        SCOPED_TRACE(name);
        sim::SimConfig config;
        config.textLogName = name, config.textLogLines = {"Power on", "Battery 7.2V"};
        Rig rig(config);
        rig.state.DebugMode = true;
        fs::create_directory(rig.dir / "Logs");
        ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
        if (written) {
            EXPECT_EQ(test::ReadBytes(rig.dir / "Logs" / "unit-17.txt"),
                      "Date: 05-Mar-2021, 15:30:12\r\nPower on\r\nBattery 7.2V\r\n");
        }
        EXPECT_EQ(EntriesIn(rig.dir.Path()), written ? 3 : 2)
            << "Logs, the transfer log and no other";
    }
    for (const auto& row : test::Cases("log_names.txt")) {
        EXPECT_EQ(IsSafeLogName(row[0]), row[1] == "yes") << '"' << row[0] << '"';
    }
}

using Diffs = std::vector<VerifyDifference>;

// Each byte field is named and shown readably; flags only the program keeps never count.
TEST(VerifyCompare, NamesEachFieldThatDiffers) {
    ChannelMemory sent = test::ResetMemory();
    Channel(sent, 5, kSelDefined | kSelSend).RCTCSS = 33;
    Channel(sent, 6, kSelDefined | kSelErased);
    sent.Rec(kGuard1).Select |= kSelSend;
    sent.NoiseSquelchLevel = 7;
    const SendSelection selection = SelectedForSending(sent);
    RadioImages clean{};
    for (int i : selection.written) {
        clean[static_cast<std::size_t>(i)] = RecordImage(sent, i);
        (*clean[static_cast<std::size_t>(i)])[image_offset::RFRec] = 7;
    }
    namespace at = image_offset;
    using Bytes = std::vector<std::tuple<int, std::size_t, int>>;  // record, offset, value
    // Bytes the radio holds otherwise, and what the comparison says of them.
    const std::tuple<const char*, Bytes, Diffs> rows[] = {
        {"the same", {}, {}},
        {"description", {{5, at::Desc, 'X'}}, {{"005", "Description", "\"Ch 5\"", "\"Xh 5\""}}},
        {"a tone the tables lack",
         {{5, at::RCTCSS, 0xEE}},
         {{"005", "Rx Tone", "206.5 Hz", "code 0xEE"}}},
        {"mode and level",
         {{5, at::Mode, *ModeCode(kModeNarrow)}, {5, at::RFRec, 9}},
         {{"005", "Mode", "P25 Conventional", "Analog Narrowband"},
          {"005", "Noise Squelch Level", "7", "9"}}},
        {"a guard's list is the program's own", {{kGuard1, at::Scan, 0}}, {}},
    };
    ChannelMemory memory = sent;
    memory.Rec(5).Select |= kSelCreatedHere;  // a flag only the program keeps
    for (const auto& [name, bytes, want] : rows) {
        RadioImages radio = clean;
        for (const auto& [index, offset, value] : bytes) {
            (*radio[static_cast<std::size_t>(index)])[offset] = static_cast<std::uint8_t>(value);
        }
        EXPECT_EQ(CompareWithRadio(memory, selection, radio), want) << name;
    }
    RadioImages radio = clean;
    radio[5].reset(), radio[6] = radio[kGuard1];  // 5 missing, the erased 6 still held
    EXPECT_EQ(
        CompareWithRadio(memory, selection, radio),
        (Diffs{{"005", "Channel", "sent", "missing"}, {"006", "Channel", "erased", "still held"}}));
}

// Against the simulated radio (a clean one is in the send selection's test): a corrupted record, a
// radio answering rubbish, nothing to check. The program's own memory and state never change.
TEST(VerifyRadio, ReportsOkTheCorruptedChannelOrTheTransfersFailure) {
    for (const test::Cells& row : test::Cases("verify_radio.txt")) {
        const std::string &radio = row.at(0), &report = row.at(3);
        const bool select = row.at(1) == "yes";
        const auto outcome = static_cast<Outcome>(std::stoi(row.at(2)));
        SCOPED_TRACE(radio);
        Rig rig(radio);
        rig.StampsAlike();
        Channel(rig.memory, 12, kSelDefined | (select ? kSelSend : 0));
        if (select) {
            ASSERT_TRUE(rig.Run(Direction::Send).Complete());
        }
        const ChannelMemory before = rig.memory;
        const ProgramState state = rig.state;
        const int opens = rig.device.OpenCount();
        rig.op.shown.clear();

        const VerifyResult result = rig.Verify();
        const std::string text = VerifyReportText(result);
        EXPECT_EQ(std::pair(result.transfer.outcome, text.substr(0, report.size())),
                  std::pair(outcome, report));
        EXPECT_TRUE(rig.memory.Records == before.Records);
        EXPECT_EQ(rig.state.MemoryStamp, state.MemoryStamp);
        EXPECT_TRUE(rig.op.shown.empty()) << "a verify tells nothing itself";
        EXPECT_EQ(result.transfer.failure.has_value(), outcome != Outcome::Complete);
        EXPECT_EQ(result.radioStamp, outcome == Outcome::Complete ? rig.radio.MemoryStamp() : "");
        EXPECT_EQ(rig.device.OpenCount() - opens, select ? 1 : 0);
    }
}

using Indices = std::vector<int>;
using M = ChannelMemory&;

// Which records a send writes and erases, and that a real send, with equal stamps, does exactly
// that, purging the radio only when shadows go out: the primaries first, shadows in a second
// pass, each record with the noise squelch level, each erase with the erase command for its own
// channel number.
TEST(SendSelection, FollowsTheSendsOwnChoice) {
    const std::tuple<const char*, void (*)(M), Indices, Indices> rows[] = {
        {"selected and defined only",
         [](M m) {
             Channel(m, 5, kSelDefined | kSelSend), Channel(m, 6, kSelDefined);
             Channel(m, 7, kSelSend), m.Rec(kDefaultRecord).Select = kSelDefined | kSelSend;
         },
         {kDefaultRecord, 5},
         {}},
        // Primary 10 with shadows 9 and 41; a wild shadow-list entry elsewhere must not matter.
        {"a shadow brings its family",
         [](M m) {
             Channel(m, 10, kSelDefined).Shad = kShadPrimary, m.Rec(10).ShadList = {9, 41};
             Channel(m, 9, kSelDefined).Prim = 10, m.Rec(9).Shad = 1;
             Channel(m, 41, kSelDefined | kSelSend).Prim = 10, m.Rec(41).Shad = 2;
             m.Rec(41).ShadList[3] = 999;
         },
         {9, 10, 41},
         {}},
        {"erased wins over the send box",
         [](M m) {
             Channel(m, 5, kSelDefined | kSelFromRadio | kSelErased | kSelSend);
             Channel(m, 7, kSelDefined | kSelFromRadio | kSelErased);
             m.Rec(kGuard2).Select |= kSelSend;
         },
         {kGuard2},
         {5, 7}},
        {"the last ordinary channel alone",
         [](M m) { Channel(m, kLastOrdinaryChannel, kSelDefined | kSelSend); },
         {kLastOrdinaryChannel},
         {}},
    };
    for (const auto& [name, make, written, erased] : rows) {
        SCOPED_TRACE(name);
        test::Rig rig;
        rig.StampsAlike();
        rig.memory.NoiseSquelchLevel = 7;
        make(rig.memory);
        const SendSelection selection = SelectedForSending(rig.memory);
        EXPECT_EQ(std::pair(selection.written, selection.erased), std::pair(written, erased));

        // The radio holds an older copy of every channel, which matches only once written.
        for (int i = 0; i <= kLastRecord; ++i) {
            if (rig.memory.Rec(i).IsDefined()) {
                ChannelRecord& old = rig.radio.Memory().Rec(i) = rig.memory.Rec(i);
                old.Select = kSelDefined, old.Desc = "old";
            }
        }
        ASSERT_TRUE(rig.Run(Direction::Send).Complete());
        EXPECT_EQ(rig.Sent("T204000011").empty(),
                  std::none_of(written.begin(), written.end(),
                               [&](int i) { return rig.memory.Rec(i).IsShadow(); }))
            << "a purge only as shadows go out";
        Indices sent;
        for (const std::string& frame : rig.Sent("T1")) {
            sent.push_back(std::stoi(frame.substr(4, 4), nullptr, 16));
            EXPECT_EQ(rig.radio.Memory().Rec(sent.back()).RFRec, 7);
        }
        EXPECT_TRUE(std::is_partitioned(sent.begin(), sent.end(),
                                        [&](int i) { return !rig.memory.Rec(i).IsShadow(); }));
        std::sort(sent.begin(), sent.end());
        EXPECT_EQ(sent, written);
        const VerifyResult result = rig.Verify();
        EXPECT_EQ(VerifyReportText(result), "Verify OK\n");
        EXPECT_EQ(result.recordsChecked, static_cast<int>(written.size()));
        for (int i : erased) {
            EXPECT_FALSE(rig.radio.Memory().Rec(i).IsDefined()) << i;
        }
    }
}

}  // namespace
}  // namespace kld
