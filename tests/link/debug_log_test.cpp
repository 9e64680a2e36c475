#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "debug_log.h"

namespace kld {
namespace {

// The block header, a transmitted character under the received one and a control character are
// in the logs the debug-log transfers write (here and end to end).
TEST(DebugLogTest, RendersReceivedTransmittedAndMessages) {
    // clang-format off
    const std::tuple<const char*, std::vector<const char*>, const char*> rows[] = {
        {"echo stays under the character sent", {"T1060040C142C2"}, "Rx:0040: AB\r\nTx:0040:  B\r\n"},
        {"message on a line of its own", {"T1070040C102484903"},
         "Rx:0040: A\r\nTx:0040: \r\nMsg: HI\r\nRx:0040: \r\nTx:0040: \r\n"},
        {"message still open at the end of the log", {"T10500400248", "T1040041C9"},
         "Rx:0040: \r\nTx:0040: \r\nMsg: HI\r\n"},
    };
    // clang-format on
    for (const auto& [name, frames, log] : rows) {
        SCOPED_TRACE(name);
        DebugLogRenderer renderer;
        std::string rendered;
        for (const char* frame : frames) {
            rendered += renderer.Line(frame);
        }
        EXPECT_EQ(rendered + renderer.Finish(), log);
    }
}

TEST(DebugLogTest, ProgressRunsAcrossEachBlock) {
    // Block start, the last step of a block, the next block starting over, half way, no address.
    // clang-format off
    const std::tuple<const char*, int, int> rows[] = {{"T1030000", 232, 0},
        {"T1031FE0", 232, 232}, {"T1032000", 232, 0}, {"T1031000", 255, 128}, {"T1", 232, 0}};
    // clang-format on
    for (const auto& [frame, maximum, progress] : rows) {
        EXPECT_EQ(DebugLogRenderer::ProgressFor(frame, maximum), progress) << frame;
    }
}

}  // namespace
}  // namespace kld
