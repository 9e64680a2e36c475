#include "repeated_transfer.h"

#include <gtest/gtest.h>

#include <functional>

#include "sim_rig.h"

namespace kld {
namespace {

using test::Lines;

// A host that acts when the caption of the second send goes up.
struct Host : test::FakeHost {
    std::function<void()> atSecondSend = [] {};
    void SetProgressCaption(std::string_view caption) override {
        FakeHost::SetProgressCaption(caption);
        if (caption.starts_with("Data Transfer Progress (2 of")) {
            atSecondSend();
        }
    }
};

// The test receives, fills the memory with generated channels and sends it n times, changing
// every frequency between sends. A soak test goes on after a failed send, and says at the end
// which sends failed; stopping one send stops the test.
TEST(RepeatedTransfer, SendsGeneratedChannelsAndCountsFailedAndCancelledSends) {
    const Failure busy{"Invalid COM Port (or Port in use)", "held elsewhere"};
    const std::tuple<const char*, void (*)(test::Rig&, Host&), std::size_t, std::vector<Failure>,
                     std::string>
        rows[] = {
            {"every send completes", [](test::Rig&, Host&) {}, 3, {}, "3 of 3 sends completed."},
            {"the port is taken from the second send on",
             [](test::Rig& r, Host& h) {
                 h.atSecondSend = [&r] { r.device.FailOpen("held elsewhere"); };
             },
             3,
             {busy, busy},
             "1 of 3 sends completed.\n\nFailed:\n    2 of 3: Invalid COM Port (or Port in use)\n"
             "    3 of 3: Invalid COM Port (or Port in use)"},
            {"the second send is stopped",
             [](test::Rig&, Host& h) {
                 h.atSecondSend = [&h] { h.cancelWhen = [] { return true; }; };
             },
             2,
             {Failure{"Transfer Cancelled"}},
             "1 of 3 sends completed.\n\nThe test was stopped during send 2 of 3."},
        };
    for (const auto& [name, setUp, rounds, failures, summary] : rows) {
        SCOPED_TRACE(name);
        test::Rig rig;
        test::FillRadio(rig.radio);
        Host host;
        setUp(rig, host);
        TransferContext context = rig.Context(host);
        const TransferTestResult result = RunTransferTest(3, context);
        EXPECT_EQ(result.rounds.size(), rounds);
        EXPECT_EQ(result.Failures(), failures);
        EXPECT_EQ(TransferTestSummary(result, 3),
                  (Message{summary, "Repeated Transfer Test",
                           failures.empty() ? Icon::Information : Icon::Exclamation, Buttons::Ok}));
        EXPECT_TRUE(rig.op.shown.empty());
        EXPECT_EQ(host.captions.back(), "Data Transfer Progress");
        EXPECT_EQ(rig.state.PurgeMode, 0);
        if (failures.empty()) {
            EXPECT_EQ(host.captions,
                      (Lines{"Data Transfer Progress (syncing to radio)",
                             "Data Transfer Progress (1 of 3)", "Data Transfer Progress (2 of 3)",
                             "Data Transfer Progress (3 of 3)", "Data Transfer Progress"}));
            EXPECT_EQ(rig.radio.Memory().Rec(16).Desc.View(), "Z01/P16 ");
            EXPECT_EQ(rig.radio.Memory().Rec(1).RFrq.View(), "150.0100  ") << "the last send";
            EXPECT_EQ(rig.memory.Rec(1).RFrq.View(), "160.0100  ") << "the fill after it";
            EXPECT_EQ(rig.memory.Rec(17).Desc.View(), "Z02/P01 ");
        }
    }
}

}  // namespace
}  // namespace kld
