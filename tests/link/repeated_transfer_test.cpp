#include "repeated_transfer.h"

#include <gtest/gtest.h>

#include <functional>

#include "sim_rig.h"

namespace kld {
namespace {

using test::FillRadio;
using test::Lines;
using test::Rig;

TEST(RepeatedTransfer, ReceivesThenSendsGeneratedChannels) {
    Rig rig;
    FillRadio(rig.radio);
    TransferContext context = rig.Context(rig.host);
    const TransferTestResult result = RunTransferTest(2, context);
    EXPECT_EQ(result.Completed(), 2);
    EXPECT_EQ(TransferTestSummary(result, 2),
              (Message{"2 of 2 sends completed.", "Repeated Transfer Test", Icon::Information,
                       Buttons::Ok}));
    EXPECT_TRUE(result.Failures().empty() && rig.op.shown.empty());
    EXPECT_EQ(rig.host.captions,
              (Lines{"Data Transfer Progress (syncing to radio)", "Data Transfer Progress (1 of 2)",
                     "Data Transfer Progress (2 of 2)", "Data Transfer Progress"}));
    EXPECT_EQ(rig.radio.Memory().Rec(16).Desc.View(), "Z01/P16 ");
    EXPECT_EQ(rig.radio.Memory().Rec(1).RFrq.View(), "160.0100  ") << "the last send";
    EXPECT_EQ(rig.memory.Rec(1).RFrq.View(), "150.0100  ") << "the fill after it";
    EXPECT_EQ(rig.memory.Rec(17).Desc.View(), "Z02/P01 ");
    EXPECT_EQ(rig.state.PurgeMode, 0);
}

// A soak test goes on after a failed send, and says at the end which sends failed; stopping one
// send stops the test.
TEST(RepeatedTransfer, CountsFailedAndCancelledSends) {
    // A host that acts when the caption of the second of three sends goes up.
    struct Host : test::FakeHost {
        std::function<void()> atSecondSend;
        void SetProgressCaption(std::string_view caption) override {
            FakeHost::SetProgressCaption(caption);
            if (caption.ends_with("(2 of 3)")) {
                atSecondSend();
            }
        }
    };
    {
        Rig rig;
        Host host;
        host.atSecondSend = [&] { rig.device.FailOpen("held elsewhere"); };  // taken elsewhere
        TransferContext context = rig.Context(host);
        const TransferTestResult result = RunTransferTest(3, context);
        EXPECT_EQ(result.rounds.size(), 3u) << "a failed send does not stop the test";
        EXPECT_EQ(std::pair(result.Completed(), result.FailedRounds()),
                  std::pair(1, std::vector<int>{2, 3}));
        const Failure busy{"Invalid COM Port (or Port in use)", "held elsewhere"};
        EXPECT_EQ(result.Failures(), (std::vector<Failure>{busy, busy}));
        EXPECT_EQ(TransferTestSummary(result, 3),
                  (Message{"1 of 3 sends completed.\n\nFailed:\n    2 of 3: Invalid COM Port (or "
                           "Port in use)\n    3 of 3: Invalid COM Port (or Port in use)",
                           "Repeated Transfer Test", Icon::Exclamation, Buttons::Ok}));
    }
    Rig rig;
    Host host;
    bool stop = false;
    host.atSecondSend = [&] { stop = true; };
    host.cancelWhen = [&] { return stop; };
    TransferContext context = rig.Context(host);
    const TransferTestResult stopped = RunTransferTest(3, context);
    EXPECT_EQ(stopped.rounds.size(), 2u);
    EXPECT_EQ(TransferTestSummary(stopped, 3).text,
              "1 of 3 sends completed.\n\nThe test was stopped during send 2 of 3.");
    EXPECT_EQ(host.captions.back(), "Data Transfer Progress");
}

}  // namespace
}  // namespace kld
