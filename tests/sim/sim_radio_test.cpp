#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "sim_radio.h"
#include "sim_test_support.h"

namespace kld::sim {
namespace {

using test::Channel;
using test::RecordFrame;
using test::Say;
using test::Wire;

const std::string kAccepted = Wire("T204000000");
const std::string kRefused = Wire("T204000001");
const std::string kEnd = Wire("T9030000");

std::string Opening(int code) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("T0070000") + kDigits[code >> 4] + kDigits[code & 0xF] + "020600";
}

TEST(SimOpeningTest, RefusesAsOftenAsItsProtocolLevel) {
    for (int level = 0; level <= 2; ++level) {
        SCOPED_TRACE(level);
        SimConfig config;
        config.protocolLevel = level;
        SimRadio radio(config);
        int code = 0x20;
        while (Say(radio, Opening(code)) == kRefused && code < 0x30) {
            ++code;
        }
        EXPECT_EQ(code - 0x20, level);
        // The same request again (after a bad checksum) gets the same answer.
        EXPECT_EQ(Say(radio, Opening(code)), kAccepted);
        EXPECT_EQ(radio.LineRate(), kSlowRate);
    }

    SimConfig stubborn;
    stubborn.protocolLevel = 0;
    stubborn.endlessRefusals = true;
    SimRadio radio(stubborn);
    for (int code = 0x20; code < 0x40; ++code) {
        ASSERT_EQ(Say(radio, Opening(code)), kRefused) << code;
    }
}

TEST(SimConversationTest, AnswersEachCommandItKnows) {
    SimConfig config;
    config.enabledModes = 0x30;
    config.version = "021234";
    config.memoryStamp = "20240102030405";
    SimRadio radio(config);

    struct Row {
        const char* name;
        std::string sent;  // a frame body, or raw bytes when it ends in CR
        std::string answer;
        int rateAfter;
    } rows[] = {
        {"opening at the top level", Opening(0x22), kAccepted, kSlowRate},
        {"speed change accepted at the old rate", "T2060000320480", kAccepted, kFastRate},
        {"enabled modes", "T204000033", Wire("T20500003330"), kFastRate},
        {"version", "T204000022", Wire("T207000023021234"), kFastRate},
        {"memory stamp", "T204000020", Wire("T20B00002120240102030405"), kFastRate},
        {"new stamp taken", "T20B00002120250607080910", kAccepted, kFastRate},
        {"new stamp reported", "T204000020", Wire("T20B00002120250607080910"), kFastRate},
        {"repeat request", "T204000001", Wire("T20B00002120250607080910"), kFastRate},
        {"stamp that is no stamp", "T20B0000212025", kRefused, kFastRate},
        {"unknown command", "T204000077", kRefused, kFastRate},
        {"record frame outside a send", "T14300010000", kRefused, kFastRate},
        {"bad checksum", "T204000022D8\r", kRefused, kFastRate},
        {"lower-case checksum", "T204000022d9\r", kRefused, kFastRate},
        {"line that is no frame", "hello\r", kRefused, kFastRate},
        {"empty line and line feed ignored", "\n\r", "", kFastRate},
        {"speed change of another speed", "T2060000320060", kRefused, kFastRate},
        {"new opening back at 9600", Opening(0x20), kRefused, kSlowRate},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.sent.ends_with('\r')) {
            radio.Receive(row.sent);
            EXPECT_EQ(radio.TakeOutput(), row.answer);
        } else {
            EXPECT_EQ(Say(radio, row.sent), row.answer);
        }
        EXPECT_EQ(radio.LineRate(), row.rateAfter);
    }
    EXPECT_EQ(radio.MemoryStamp(), "20250607080910");
}

TEST(SimConversationTest, PartialLinesWaitForTheirCarriageReturn) {
    SimRadio radio;
    const std::string line = Wire("T204000022");
    radio.Receive(line.substr(0, 5));
    EXPECT_FALSE(radio.HasOutput());
    radio.Receive(line.substr(5) + line.substr(0, 3));
    EXPECT_EQ(radio.TakeOutput(), Wire("T207000023021100"));
    EXPECT_EQ(radio.LinesReceived(), 1);
}

TEST(SimReceiveTest, SendsItsDefinedRecordsInIndexOrderThenEnds) {
    SimRadio radio;
    ChannelMemory& memory = radio.Memory();
    for (int index : {kGuard1, 5, 1}) {
        memory.Rec(index) = Channel(index, "CH", "155.0000");
    }
    memory.Rec(9) = Channel(9, "UNSENT", "155.0000");
    memory.Rec(9).Select = 0;

    Say(radio, Opening(0x22));
    Say(radio, "T2060000320480");
    EXPECT_EQ(Say(radio, "T204000024"), kAccepted);
    ChannelMemory received;
    for (int index : {1, 5, kGuard1}) {
        SCOPED_TRACE(index);
        const std::string answer = Say(radio, "T204000000");
        EXPECT_EQ(answer, Wire(RecordFrame(memory, index)));
        ASSERT_EQ(ConvBuf(answer.substr(0, answer.size() - 3), received), 1);
        EXPECT_EQ(received.Current, index);
        EXPECT_EQ(received.Rec(index).Desc, memory.Rec(index).Desc);
    }
    EXPECT_EQ(radio.LineRate(), kFastRate);
    EXPECT_EQ(Say(radio, "T204000000"), kEnd);
    EXPECT_EQ(radio.LineRate(), kSlowRate);
    EXPECT_EQ(Say(radio, "T204000001"), kEnd) << "the last line again";
}

TEST(SimSendTest, StoresErasesAndPurges) {
    SimRadio radio;
    radio.Memory().Rec(4) = Channel(4, "OLD", "150.0000");
    ChannelMemory program;
    program.Rec(12) = Channel(12, "NEW", "156.8000");

    EXPECT_EQ(Say(radio, "T204000025"), kAccepted);
    EXPECT_EQ(Say(radio, RecordFrame(program, 12)), kAccepted);
    EXPECT_EQ(radio.Memory().Rec(12).Desc, program.Rec(12).Desc);
    EXPECT_EQ(radio.Memory().Rec(12).Select, kSelDefined | kSelFromRadio);

    EXPECT_EQ(Say(radio, "T204000410"), kAccepted);
    EXPECT_FALSE(radio.Memory().Rec(4).IsDefined());
    EXPECT_EQ(Say(radio, "T20400FF10"), kRefused) << "no channel 255";

    std::string shortFrame = RecordFrame(program, 12);
    shortFrame.resize(100);
    EXPECT_EQ(Say(radio, shortFrame), kRefused);

    EXPECT_EQ(Say(radio, "T9030000"), "");
    EXPECT_EQ(radio.CompletedSends(), 1);
    EXPECT_EQ(Say(radio, RecordFrame(program, 12)), kRefused) << "the send is over";

    EXPECT_EQ(Say(radio, "T204000011"), kAccepted);
    for (int index = 0; index <= kLastRecord; ++index) {
        ASSERT_FALSE(radio.Memory().Rec(index).IsDefined()) << index;
    }
}

TEST(SimLogTest, TextLogAndDebugLogLines) {
    SimConfig config;
    config.textLogName = "KV-1";
    config.textLogLines = {"AB", ""};
    config.debugLog = {"2000000100020102", "0040C142"};
    SimRadio radio(config);

    const std::string name = Say(radio, "T204000031");
    EXPECT_EQ(name, Wire("T1070000"
                         "4B562D31"));
    EXPECT_EQ(GetString(name.substr(0, name.size() - 3)), "KV-1");
    EXPECT_EQ(Say(radio, "T204000000"), Wire("T1050000"
                                             "4142"));
    EXPECT_EQ(Say(radio, "T204000000"), Wire("T1030000"));
    EXPECT_EQ(Say(radio, "T204000000"), kEnd);

    EXPECT_EQ(Say(radio, "T204000030"), kAccepted);
    EXPECT_EQ(Say(radio, "T204000000"), Wire("T1092000000100020102"));
    EXPECT_EQ(Say(radio, "T204000000"), Wire("T1050040C142"));
    EXPECT_EQ(Say(radio, "T204000000"), kEnd);

    SimRadio plain;
    EXPECT_EQ(Say(plain, "T204000031"), kEnd) << "no text log kept";
}

TEST(SimMemoryFileTest, SavedMemoryLoadsBack) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("kvrx540-sim-test-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);

    SimRadio radio;
    radio.Memory().Rec(7) = Channel(7, "SEVEN", "151.2500");
    radio.Memory().Rec(7).Select = kSelDefined | kSelFromRadio;
    ASSERT_TRUE(radio.SaveFile(folder / "radio.540"));

    SimRadio loaded;
    std::string error;
    ASSERT_TRUE(loaded.LoadFile(folder / "radio.540", error)) << error;
    EXPECT_EQ(loaded.Memory().Rec(7), radio.Memory().Rec(7));

    std::ofstream(folder / "junk.540") << "not a channel file";
    EXPECT_FALSE(loaded.LoadFile(folder / "junk.540", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(loaded.Memory().Rec(7).IsDefined()) << "a failed load leaves a blank radio";
    EXPECT_FALSE(loaded.LoadFile(folder / "missing.540", error));

    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kld::sim
