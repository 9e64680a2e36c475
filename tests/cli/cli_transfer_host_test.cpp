#include "cli_transfer_host.h"

#include <gtest/gtest.h>

namespace kld::cli {
namespace {

// The window's status label grows a digit for every second an answer is awaited; a terminal
// line shows the seconds instead, so the count stays in view however long the wait. The bar
// stays 20 characters wide and counts from 0 to 232, whatever value it is given.
TEST(CliTransferHost, ProgressLineShowsTheSecondsWaited) {
    const std::string idle = "[....................] 0/232  ";
    const std::tuple<const char*, int, long, std::string> rows[] = {
        {"Receiving Memory Data....", 116, 0,
         "[##########..........] 116/232  Receiving Memory Data...."},
        {"Initializing Communication with Radio....12345678910111213", 0, 13,
         idle + "Initializing Communication with Radio....  13 s"},
        {"Purging Radio....1", 0, 1, idle + "Purging Radio....  1 s"},
        {"Purging Radio.....", 0, 3, idle + "Purging Radio....."},
        {"Transfer Complete.", 400, 0, "[####################] 232/232  Transfer Complete."},
        {"A status text far too long for one line of a terminal, which is cut at seventy-nine", -5,
         0, idle + "A status text far too long for one line of a term"},
    };
    for (const auto& [status, value, waited, line] : rows) {
        EXPECT_EQ(ProgressLine(status, value, waited), line) << status;
    }
}

}  // namespace
}  // namespace kld::cli
