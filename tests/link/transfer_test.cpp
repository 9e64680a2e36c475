#include "transfer.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "../core/fake_operator.h"
#include "../files/temp_dir.h"
#include "fake_host.h"
#include "settings_file.h"
#include "sim_radio.h"
#include "sim_serial_device.h"
#include "wire_codec.h"

namespace kld {
namespace {

using namespace std::chrono_literals;
using sim::SimConfig;
using sim::SimRadio;
using sim::SimSerialDevice;

ChannelMemory ResetMemory() {
    ChannelMemory memory;
    memory.Rec(0) = TemplateRecord();
    ClearMemory(memory);
    return memory;
}

// A program and a simulated radio on one in-process line, on a fake clock.
struct Rig {
    test::TempDir dir;
    ChannelMemory memory = ResetMemory();
    ProgramState state;
    SimRadio radio;
    SimSerialDevice device{radio};
    test::FakeHost host;
    test::ScriptedOperator op;

    explicit Rig(SimConfig config = {}) : radio(std::move(config)) {}

    TransferResult Run(Direction direction) {
        TransferContext context{memory, state, device, host, op, dir.Path()};
        return RadioTransfer(direction, context);
    }

    // The lines the program sent, without their CR.
    std::vector<std::string> Sent() const {
        std::vector<std::string> lines;
        std::string line;
        for (char c : device.Written()) {
            if (c == '\r') {
                lines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        return lines;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const Message& m : op.shown) {
            texts.push_back(m.text);
        }
        return texts;
    }
};

// A radio memory with channels 1, 5, 231 and 232 defined; 5 in list 3.
void FillRadio(SimRadio& radio) {
    ChannelMemory& m = radio.Memory();
    m = ResetMemory();
    sim::BlankMemory(m);
    const ChannelMemory reset = ResetMemory();
    for (int i : {1, 231, 232}) {
        m.Rec(i) = reset.Rec(i);
    }
    m.Rec(5) = reset.Rec(1);
    m.Rec(5).Prim = m.Rec(5).Chnl = 5;
    m.Rec(5).Scan = 0x30;
    m.Rec(5).Desc = "Fire";
    m.Rec(5).RCTCSS = 33;  // 206.5 Hz travels as code 40
}

TEST(TransferOpening, EachProtocolLevelTakesItsPath) {
    struct Row {
        int level;
        std::vector<std::string> firstCommands;
        std::vector<std::string> lineSettings;
        std::uint8_t modes;
    };
    const Row rows[] = {
        {0, {"T007000020020600D0", "T204000022D9"}, {"9600,N,8,1"}, 0x70},
        {1, {"T007000020020600D0", "T007000021020600CF", "T204000033"}, {"9600,N,8,1"}, 0x30},
        {2,
         {"T007000020020600D0", "T007000021020600CF", "T007000022020600CE", "T2060000320480"},
         {"9600,N,8,1", "115200,N,8,1"},
         0x30},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.level);
        SimConfig config;
        config.protocolLevel = row.level;
        config.enabledModes = 0x30;
        Rig rig(config);
        FillRadio(rig.radio);
        const TransferResult result = rig.Run(Direction::Receive);
        EXPECT_EQ(result.message, "Transfer Complete.");
        const auto sent = rig.Sent();
        ASSERT_GE(sent.size(), row.firstCommands.size());
        for (std::size_t i = 0; i < row.firstCommands.size(); ++i) {
            EXPECT_EQ(sent[i].substr(0, row.firstCommands[i].size()), row.firstCommands[i]);
        }
        EXPECT_EQ(rig.device.LineSettingsRequested(), row.lineSettings);
        EXPECT_EQ(rig.memory.EnabledModes, row.modes);
        EXPECT_FALSE(rig.device.IsOpen());
    }
}

TEST(TransferReceive, StoresWhatTheRadioSends) {
    Rig rig;
    FillRadio(rig.radio);
    rig.memory.Rec(100).Select = 0x81;  // whatever was here goes
    const TransferResult result = rig.Run(Direction::Receive);
    ASSERT_TRUE(result.Complete()) << result.message;
    EXPECT_TRUE(rig.op.shown.empty());
    for (int i : {1, 5, 231, 232}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rig.memory.Rec(i).Select, 0xC0);
        EXPECT_EQ(rig.memory.Rec(i).Desc, rig.radio.Memory().Rec(i).Desc);
    }
    EXPECT_EQ(rig.memory.Rec(5).RCTCSS, 33);
    EXPECT_EQ(rig.memory.Rec(100).Select, 0);
    std::array<std::int16_t, 16> zones{};
    zones[0] = 1;
    zones[3] = 1;
    zones[15] = 2;
    EXPECT_EQ(rig.memory.ZoneCounts, zones);
    EXPECT_EQ(rig.state.MemoryStamp, "20210305153012");
    EXPECT_EQ(rig.radio.MemoryStamp(), "20210305153012");
    EXPECT_EQ(rig.state.RadioVersion, "021100");
    EXPECT_EQ(rig.memory.Current, 1);
    EXPECT_EQ(rig.host.statuses.back(), "Transfer Complete.");
    EXPECT_GE(rig.host.now - std::chrono::steady_clock::time_point{}, 2s)
        << "the window keeps the completion on show a moment";
    EXPECT_EQ(rig.host.shown, (std::vector<bool>{true, false}));
}

TEST(TransferReceive, FaultsEndWithTheirMessage) {
    struct Row {
        const char* name;
        void (*fault)(SimConfig&);
        std::string message;
    };
    const Row rows[] = {
        {"one out-of-range record", [](SimConfig& c) { c.faults.outOfRangeRecords = 1; },
         "Transfer Complete."},
        {"endless out-of-range records",
         [](SimConfig& c) { c.faults.outOfRangeRecords = sim::kAlways; },
         "Too Many Communications Errors 0"},
        {"one bad checksum", [](SimConfig& c) { c.faults.badChecksums = 1; }, "Transfer Complete."},
        {"bad checksums on every answer",
         [](SimConfig& c) { c.faults.badChecksums = sim::kAlways; }, "Checksum Error -10"},
        {"garbage lines", [](SimConfig& c) { c.faults.garbageLines = 2; }, "Transfer Complete."},
        {"busy radio", [](SimConfig& c) { c.faults.busyAnswers = 3; }, "Transfer Complete."},
        {"silent radio", [](SimConfig& c) { c.faults.silentAfterLines = 0; }, "Timeout Error"},
        {"silent after opening", [](SimConfig& c) { c.faults.silentAfterLines = 6; },
         "Timeout Error"},
        {"device vanishes", [](SimConfig& c) { c.faults.vanishAfterLines = 9; },
         "Communication Error 0"},
        {"over-long frame", [](SimConfig& c) { c.faults.overLongFrame = true; },
         "Download Failure 0 0"},
        {"endless refusals", [](SimConfig& c) { c.endlessRefusals = true; },
         "Too Many Communications Errors -10"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimConfig config;
        row.fault(config);
        Rig rig(config);
        FillRadio(rig.radio);
        const TransferResult result = rig.Run(Direction::Receive);
        EXPECT_EQ(result.message, row.message);
        if (!result.Complete()) {
            EXPECT_EQ(rig.Messages(), std::vector<std::string>{row.message});
        }
        EXPECT_FALSE(rig.device.IsOpen());
        EXPECT_EQ(rig.host.shown.back(), false);
    }
}

TEST(TransferReceive, StatusLabelCountsSecondsAndShortensOnBusy) {
    SimConfig silent;
    silent.faults.silentAfterLines = 0;
    Rig quiet(silent);
    quiet.Run(Direction::Receive);
    const auto waited = quiet.host.now - std::chrono::steady_clock::time_point{};
    EXPECT_GT(waited, 30s);
    EXPECT_LT(waited, 32s);
    const std::string label = "Initializing Communication with Radio....";
    const auto& seen = quiet.host.statuses;
    EXPECT_NE(std::find(seen.begin(), seen.end(), label + "123"), seen.end());

    SimConfig busy;
    busy.protocolLevel = 0;
    busy.faults.busyAnswers = 1;
    busy.faults.busyFor = "T204000022";
    Rig rig(busy);
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    const auto& shown = rig.host.statuses;
    EXPECT_NE(std::find(shown.begin(), shown.end(), label + "."), shown.end());
}

// A radio scripted line by line: `answer` gives the reply to each line the program writes.
class ScriptedLine : public SerialDevice {
  public:
    std::function<std::string(const std::string&)> answer;
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

TEST(TransferLimits, EndlessRadiosLateAnswersAndFailedSpeedChange) {
    const auto accepted = WithChecksum("T204000000") + "\r";
    struct Row {
        const char* name;
        std::function<void(ScriptedLine&, test::FakeHost&)> setUp;
        std::string message;
    };
    const Row rows[] = {
        {"a radio that never ends",
         [&](ScriptedLine& l, test::FakeHost&) { l.answer = [&](auto&) { return accepted; }; },
         "Download Failure 0 32767"},
        {"an answer after thirty seconds",
         [&](ScriptedLine& l, test::FakeHost& h) {
             l.answer = [&](auto&) { return accepted; };
             l.ready = [&h] { return h.now - std::chrono::steady_clock::time_point{} > 31s; };
         },
         "Timeout Error"},
        {"a port that will not go to 115200",
         [&](ScriptedLine& l, test::FakeHost&) {
             l.fastAllowed = false;
             l.answer = [&](const std::string& line) {
                 const bool refuse = line.starts_with("T0070000") && line.substr(8, 2) != "22";
                 return refuse ? WithChecksum("T204000001") + "\r" : accepted;
             };
         },
         "Download Failure 0 -9"},
        {"frames too short to carry anything are ignored",
         [&](ScriptedLine& l, test::FakeHost&) {
             l.answer = [&](const std::string& line) {
                 return line.starts_with("T0") ? "TFF\rTFF\r" + accepted
                                               : WithChecksum("T9030000") + "\r";
             };
         },
         "Transfer Complete."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelMemory memory = ResetMemory();
        ProgramState state;
        ScriptedLine line;
        test::FakeHost host;
        test::ScriptedOperator op;
        test::TempDir dir;
        row.setUp(line, host);
        TransferContext context{memory, state, line, host, op, dir.Path()};
        EXPECT_EQ(RadioTransfer(Direction::Receive, context).message, row.message);
    }
}

TEST(TransferSend, NothingSelectedOrAPortThatWillNotOpen) {
    Rig nothing;
    EXPECT_EQ(nothing.Run(Direction::Send).errCode, kErrNothingSelected);
    EXPECT_EQ(nothing.Messages(),
              std::vector<std::string>{"No data selected for transfer to Radio"});
    EXPECT_EQ(nothing.device.OpenCount(), 0);

    Rig rig;
    rig.memory.Rec(1).Select |= kSelSend;
    rig.memory.PortNumber = 7;
    rig.device.FailOpen("Permission denied: add yourself to the dialout group.");
    EXPECT_EQ(rig.Run(Direction::Send).detail,
              "Permission denied: add yourself to the dialout group.");
    EXPECT_EQ(rig.Messages(), std::vector<std::string>{"Invalid COM Port (or Port in use)"});
    EXPECT_EQ(rig.device.SelectedPort(), 7);
}

TEST(TransferSend, OneSelectedChannelWithEqualStamps) {
    Rig rig;
    rig.state.MemoryStamp = rig.radio.MemoryStamp();
    ChannelRecord& twelve = rig.memory.Rec(12);
    twelve = rig.memory.Rec(1);
    twelve.Prim = twelve.Chnl = 12;
    twelve.Select = 0xA1;
    rig.memory.NoiseSquelchLevel = 7;
    const TransferResult result = rig.Run(Direction::Send);
    ASSERT_TRUE(result.Complete()) << result.message;
    const auto sent = rig.Sent();
    std::vector<std::string> records;
    for (const auto& line : sent) {
        EXPECT_NE(line.substr(0, 10), "T204000011") << "no purge";
        if (line.substr(0, 2) == "T1") {
            records.push_back(line);
        }
    }
    ASSERT_EQ(records.size(), 1u);
    auto image = MakeBuf(rig.memory, 12);
    ASSERT_TRUE(image);
    (*image)[62] = 7;
    EXPECT_EQ(records[0], WithChecksum(RecordFrameText(*image)));
    EXPECT_EQ(records[0].substr(0, 8), "T143000C");
    EXPECT_EQ(sent.back(), "T9030000FC");
    EXPECT_EQ(rig.radio.Memory().Rec(12).Desc, twelve.Desc);
}

TEST(TransferSend, ModeWarningOkGoesOnCancelStops) {
    for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
        SCOPED_TRACE(answer == Answer::Ok ? "OK" : "Cancel");
        Rig rig;
        rig.state.MemoryStamp = rig.radio.MemoryStamp();
        rig.memory.Rec(1).Mode = kModeWide;
        rig.memory.Rec(1).TFrq = "150.0000";
        rig.memory.Rec(1).Select |= kSelSend;
        rig.op.answers = {answer};
        const TransferResult result = rig.Run(Direction::Send);
        EXPECT_TRUE(result.Complete());
        ASSERT_EQ(rig.op.shown.size(), 1u);
        EXPECT_EQ(rig.op.shown[0],
                  (Message{"The following operating modes are used in the memory data but not "
                           "enabled in the radio:\n\n    Analog Wideband\n\nThe radio will not "
                           "transmit in disabled modes (affected memories become receive "
                           "only).\n\nPress OK to continue or CANCEL to stop the transfer",
                           "Radio Operating Modes", Icon::Warning, Buttons::OkCancel}));
        const auto sent = rig.Sent();
        EXPECT_EQ(sent.back(), "T9030000FC");
        const bool recordSent = std::any_of(
            sent.begin(), sent.end(), [](const std::string& l) { return l.substr(0, 2) == "T1"; });
        EXPECT_EQ(recordSent, answer == Answer::Ok);
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
    ASSERT_TRUE(result.Complete()) << result.message;
    const auto sent = rig.Sent();
    EXPECT_NE(std::find_if(sent.begin(), sent.end(),
                           [](const std::string& l) { return l.substr(0, 10) == "T204000011"; }),
              sent.end());
    for (int i : {1, 5, 231, 232}) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(rig.radio.Memory().Rec(i).IsDefined()) << "written back after the purge";
    }
    EXPECT_EQ(rig.radio.Memory().Rec(5).Desc.View(), "Mine    ");
    EXPECT_NE(test::ReadBytes(rig.dir / "KLD-540.log").find("Sending Shadow Memory Data...\r\n"),
              std::string::npos)
        << "a purge brings the second pass";
}

TEST(TransferSend, ShadowTakesItsPrimaryAndGoesInTheSecondPass) {
    Rig rig;
    rig.state.MemoryStamp = rig.radio.MemoryStamp();
    ChannelRecord& ten = rig.memory.Rec(10);
    ten = rig.memory.Rec(1);
    ten.Prim = ten.Chnl = 10;
    ten.Select = 0xA0;
    ten.Shad = kShadPrimary;
    ten.ShadList[0] = 40;
    ten.ShadList[1] = 41;
    for (int s : {40, 41}) {
        ChannelRecord& shadow = rig.memory.Rec(s);
        shadow = ten;
        shadow.Chnl = static_cast<std::int16_t>(s);
        shadow.Shad = static_cast<std::int16_t>(s - 39);
        shadow.ShadList = {};
    }
    rig.memory.Rec(40).Select = 0xA1;
    rig.memory.Rec(41).ShadList[3] = 999;  // a wild entry elsewhere must not matter
    ASSERT_TRUE(rig.Run(Direction::Send).Complete());
    EXPECT_EQ(rig.memory.Rec(10).Select & kSelSend, kSelSend);
    EXPECT_EQ(rig.memory.Rec(41).Select & kSelSend, kSelSend);
    std::vector<int> order;
    for (const auto& line : rig.Sent()) {
        if (line.substr(0, 2) == "T1") {
            order.push_back(std::stoi(line.substr(4, 4), nullptr, 16));
        }
    }
    EXPECT_EQ(order, (std::vector<int>{10, 40, 41}));
}

TEST(TransferSend, ErasedChannelFromTheRadioIsErasedThere) {
    Rig rig;
    FillRadio(rig.radio);
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    rig.memory.Rec(5).Select |= kSelErased;
    ASSERT_TRUE(rig.Run(Direction::Send).Complete());
    const auto sent = rig.Sent();
    EXPECT_NE(std::find(sent.begin(), sent.end(),
                        WithChecksum("T2040005"
                                     "10")),
              sent.end());
    EXPECT_FALSE(rig.radio.Memory().Rec(5).IsDefined());
}

TEST(TransferSend, RefusedRecordIsResentOnceThenGivenUp) {
    for (int times : {1, 2}) {
        SCOPED_TRACE(times);
        SimConfig config;
        config.faults.refuseRecordFrame = 1;
        config.faults.refuseRecordTimes = times;
        Rig rig(config);
        rig.state.MemoryStamp = rig.radio.MemoryStamp();
        rig.memory.Rec(1).Select |= kSelSend;
        const TransferResult result = rig.Run(Direction::Send);
        EXPECT_EQ(result.message,
                  times == 1 ? "Transfer Complete." : "Too Many Communications Errors 1");
        EXPECT_GE(rig.host.paused, 500ms);
    }
}

TEST(TransferLogs, DebugModeLogsEveryLine) {
    SimConfig config;
    config.protocolLevel = 0;
    Rig rig(config);
    sim::BlankMemory(rig.radio.Memory());
    rig.state.DebugMode = true;
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    const std::string log = test::ReadBytes(rig.dir / "KLD-540.log");
    const std::string expected =
        "T007000020020600D0\r\n" + WithChecksum("T204000000") + "\r\n" + "T204000022D9\r\n" +
        WithChecksum("T207000023021100") + "\r\n" + WithChecksum("T20B00002120210305153012") +
        "\r\n" + WithChecksum("T204000000") + "\r\n" + WithChecksum("T204000024") + "\r\n" +
        WithChecksum("T204000000") + "\r\n" + "Receiving Memory Data....\r\n" +
        WithChecksum("T204000000") + "\r\n" + "T9030000FC\r\nTransfer Complete.\n";
    EXPECT_EQ(log, expected);
}

TEST(TransferLogs, RadioTextLogStaysInsideLogs) {
    struct Row {
        const char* name;
        bool written;
    };
    for (const Row& row : {Row{"unit-17", true}, Row{"../escape", false}, Row{"a/b", false},
                           Row{"bad:name", false}}) {
        SCOPED_TRACE(row.name);
        SimConfig config;
        config.textLogName = row.name;
        config.textLogLines = {"Power on", "Battery 7.2V"};
        Rig rig(config);
        rig.state.DebugMode = true;
        std::filesystem::create_directory(rig.dir / "Logs");
        ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
        const auto path = rig.dir / "Logs" / (std::string(row.name) + ".txt");
        EXPECT_EQ(std::filesystem::exists(path), row.written);
        if (row.written) {
            EXPECT_EQ(test::ReadBytes(path),
                      "Date: 05-Mar-2021, 15:30:12\r\nPower on\r\nBattery 7.2V\r\n");
        }
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(rig.dir.Path())) {
            files += entry.is_regular_file();
        }
        EXPECT_EQ(files, row.written ? 2u : 1u) << "the transfer log and nothing else";
    }
}

TEST(TransferTest, TestSwapReceivesThenSendsGeneratedChannels) {
    Rig rig;
    FillRadio(rig.radio);
    TransferContext context{rig.memory, rig.state, rig.device, rig.host, rig.op, rig.dir.Path()};
    TestSwap(2, context);
    EXPECT_TRUE(rig.op.shown.empty());
    EXPECT_EQ(rig.host.captions,
              (std::vector<std::string>{
                  "Data Transfer Progress (syncing to radio)", "Data Transfer Progress (1 of 2)",
                  "Data Transfer Progress (2 of 2)", "Data Transfer Progress"}));
    EXPECT_EQ(rig.radio.Memory().Rec(16).Desc.View(), "Z01/P16 ");
    EXPECT_EQ(rig.radio.Memory().Rec(1).RFrq.View(), "160.0100  ") << "the last send";
    EXPECT_EQ(rig.memory.Rec(1).RFrq.View(), "150.0100  ") << "the fill after it";
    EXPECT_EQ(rig.memory.Rec(17).Desc.View(), "Z02/P01 ");
    EXPECT_EQ(rig.state.PurgeMode, 0);
}

// A radio purged and written back with some channels only holds no Main and no guards. The
// memory keeps the ones the reset made, and its list counts must say so.
TEST(TransferReceive, ListCountsMatchTheRecordsWhenTheRadioLacksMainAndTheGuards) {
    Rig rig;
    FillRadio(rig.radio);
    for (int i : {1, 231, 232}) {
        rig.radio.Memory().Rec(i) = ChannelRecord{};
    }
    ASSERT_TRUE(rig.Run(Direction::Receive).Complete());
    EXPECT_TRUE(rig.memory.Rec(1).IsDefined() && rig.memory.Rec(231).IsDefined());
    std::array<std::int16_t, kZoneCount> zones{};
    zones[0] = 1;
    zones[3] = 1;
    zones[15] = 2;
    EXPECT_EQ(rig.memory.ZoneCounts, zones);
}

}  // namespace
}  // namespace kld
