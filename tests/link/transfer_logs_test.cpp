#include "transfer_logs.h"

#include <gtest/gtest.h>

#include "sim_rig.h"
#include "wire_codec.h"

namespace kld {
namespace {

namespace fs = std::filesystem;
using test::Rig;

// Files and folders, all the way down.
std::ptrdiff_t EntriesIn(const fs::path& folder) {
    return std::distance(fs::recursive_directory_iterator(folder), {});
}

TEST(TransferLog, DebugModeLogsEveryLine) {
    Rig rig("--level 0");
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
    // clang-format off
    const std::pair<std::string, bool> names[] = {{"unit-17", true}, {"Unit 17 (spare)", true},
        {std::string(200, 'a'), true}, {std::string(201, 'a'), false}, {"", false}, {".", false},
        {"..", false}, {"a..b", false}, {"a/b", false}, {"a\\b", false}, {"bad:name", false},
        {"x*", false}, {"tab\t", false}, {"\x7F", false}, {"caf\xC3\xA9", false}};
    // clang-format on
    for (const auto& [name, safe] : names) {
        EXPECT_EQ(IsSafeLogName(name), safe) << '"' << name << '"';
    }
}

}  // namespace
}  // namespace kld
