#include "cli_transfer_host.h"

#include <gtest/gtest.h>

namespace kld::cli {
namespace {

// The window's status label grows a digit for every second an answer is awaited; a terminal
// line shows the seconds instead, so the count stays in view however long the wait.
TEST(CliTransferHost, ProgressLineShowsTheSecondsWaited) {
    const struct {
        const char* status;
        int value;
        long waited;
        std::string line;
    } rows[] = {
        {"Receiving Memory Data....", 116, 0,
         "[##########..........] 116/232  Receiving Memory Data...."},
        {"Initializing Communication with Radio....12345678910111213", 0, 13,
         "[....................] 0/232  Initializing Communication with Radio....  13 s"},
        {"Purging Radio....1", 0, 1, "[....................] 0/232  Purging Radio....  1 s"},
        {"Purging Radio.....", 0, 3, "[....................] 0/232  Purging Radio....."},
        {"Transfer Complete.", 400, 0, "[####################] 232/232  Transfer Complete."},
        {"A status text far too long for one line of a terminal, which is cut at seventy-nine", -5,
         0, "[....................] 0/232  A status text far too long for one line of a term"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        EXPECT_EQ(ProgressLine(row.status, row.value, row.waited), row.line);
    }
}

}  // namespace
}  // namespace kld::cli
