#include "cli_transfer_host.h"

#include <gtest/gtest.h>

#include "../cases.h"

namespace kld::cli {
namespace {

// The window's status label grows a digit for every second an answer is awaited; a terminal
// line shows the seconds instead, so the count stays in view however long the wait. The bar
// stays 20 characters wide and counts from 0 to 232, whatever value it is given.
TEST(CliTransferHost, ProgressLineShowsTheSecondsWaited) {
    for (const test::Cells& row : test::Cases("progress_lines.txt")) {
        EXPECT_EQ(ProgressLine(row.at(0), std::stoi(row.at(1)), std::stol(row.at(2))), row.at(3))
            << row.at(0);
    }
}

}  // namespace
}  // namespace kld::cli
