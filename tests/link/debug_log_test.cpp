#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_log.h"

namespace kld {
namespace {

TEST(DebugLogTest, RendersReceivedTransmittedAndMessages) {
    struct Row {
        const char* name;
        std::vector<const char*> frames;
        const char* log;
    } rows[] = {
        {"block header",
         {"T1092000ABCD0123C1"},
         "\r\nError Code = $ABCD  Insert Ptr = $0123\r\nRx:2000: A\r\nTx:2000: \r\n"},
        {"transmitted character waits for the received one",
         {"T1050040C142"},
         "Rx:0040: A\r\nTx:0040:  B\r\n"},
        {"echo stays under the character sent",
         {"T1060040C142C2"},
         "Rx:0040: AB\r\nTx:0040:  B\r\n"},
        {"control character shown as its code", {"T10400400D"}, "Rx:0040: \r\nTx:0040: <0D>\r\n"},
        {"message on a line of its own",
         {"T1070040C102484903"},
         "Rx:0040: A\r\nTx:0040: \r\nMsg: HI\r\nRx:0040: \r\nTx:0040: \r\n"},
        {"message still open at the end of the log",
         {"T10500400248", "T1040041C9"},
         "Rx:0040: \r\nTx:0040: \r\nMsg: HI\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DebugLogRenderer renderer;
        std::string log;
        for (const char* frame : row.frames) {
            log += renderer.Line(frame);
        }
        log += renderer.Finish();
        EXPECT_EQ(log, row.log);
    }
}

TEST(DebugLogTest, ProgressRunsAcrossEachBlock) {
    struct Row {
        const char* name;
        const char* frame;
        int maximum;
        int progress;
    } rows[] = {
        {"block start", "T1030000", 232, 0},
        {"last step of a block", "T1031FE0", 232, 232},
        {"next block starts over", "T1032000", 232, 0},
        {"half way", "T1031000", 255, 128},
        {"no address", "T1", 232, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DebugLogRenderer::ProgressFor(row.frame, row.maximum), row.progress);
    }
}

}  // namespace
}  // namespace kld
