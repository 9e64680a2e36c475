#pragma once

// The repeated-transfer test: a soak test of the line and the radio, for service staff.

#include <vector>

#include "failure.h"
#include "operator.h"
#include "transfer.h"

namespace kld {

// The repeated-transfer test's account: the receive that syncs the stamps, then each send.
struct TransferTestResult {
    TransferResult sync;
    std::vector<TransferResult> rounds;  // one per send, in order; fewer when cancelled

    int Completed() const;
    std::vector<int> FailedRounds() const;  // 1-based
    // What each transfer of the test failed with, in order: the operator hears of every one.
    std::vector<Failure> Failures() const;
};

// The repeated-transfer test: receive, fill the memory with generated channels, and send it n
// times, changing every frequency between sends. A failed send does not stop the test (it is a
// soak test); a cancelled one does.
TransferTestResult RunTransferTest(int n, TransferContext& context);

// What the operator is told at the end of the repeated-transfer test: how many sends completed.
Message TransferTestSummary(const TransferTestResult& result, int n);

}  // namespace kld
