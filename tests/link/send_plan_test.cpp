#include "send_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sim_rig.h"

namespace kld {
namespace {

using Indices = std::vector<int>;
using test::Channel;
using M = ChannelMemory&;

// Which records a send writes and erases, and that a real send, with equal stamps, does exactly
// that, purging the radio only when shadows go out: the primaries first, shadows in a second
// pass, each record with the noise squelch level, each erase with the erase command for its own
// channel number.
TEST(SendSelection, FollowsTheSendsOwnChoice) {
    const std::tuple<const char*, void (*)(M), Indices, Indices> rows[] = {
        {"selected and defined only",
         [](M m) {
             Channel(m, 5, kSelDefined | kSelSend), Channel(m, 6, kSelDefined);
             Channel(m, 7, kSelSend), m.Rec(kDefaultRecord).Select = kSelDefined | kSelSend;
         },
         {kDefaultRecord, 5},
         {}},
        // Primary 10 with shadows 9 and 41; a wild shadow-list entry elsewhere must not matter.
        {"a shadow brings its family",
         [](M m) {
             Channel(m, 10, kSelDefined).Shad = kShadPrimary, m.Rec(10).ShadList = {9, 41};
             Channel(m, 9, kSelDefined).Prim = 10, m.Rec(9).Shad = 1;
             Channel(m, 41, kSelDefined | kSelSend).Prim = 10, m.Rec(41).Shad = 2;
             m.Rec(41).ShadList[3] = 999;
         },
         {9, 10, 41},
         {}},
        {"erased wins over the send box",
         [](M m) {
             Channel(m, 5, kSelDefined | kSelFromRadio | kSelErased | kSelSend);
             Channel(m, 7, kSelDefined | kSelFromRadio | kSelErased);
             m.Rec(kGuard2).Select |= kSelSend;
         },
         {kGuard2},
         {5, 7}},
        {"the last ordinary channel alone",
         [](M m) { Channel(m, kLastOrdinaryChannel, kSelDefined | kSelSend); },
         {kLastOrdinaryChannel},
         {}},
    };
    for (const auto& [name, make, written, erased] : rows) {
        SCOPED_TRACE(name);
        test::Rig rig;
        rig.StampsAlike();
        rig.memory.NoiseSquelchLevel = 7;
        make(rig.memory);
        const SendSelection selection = SelectedForSending(rig.memory);
        EXPECT_EQ(std::pair(selection.written, selection.erased), std::pair(written, erased));

        // The radio holds an older copy of every channel, which matches only once written.
        for (int i = 0; i <= kLastRecord; ++i) {
            if (rig.memory.Rec(i).IsDefined()) {
                rig.radio.Memory().Rec(i) = rig.memory.Rec(i);
                rig.radio.Memory().Rec(i).Select = kSelDefined,
                rig.radio.Memory().Rec(i).Desc = "old";
            }
        }
        ASSERT_TRUE(rig.Run(Direction::Send).Complete());
        EXPECT_EQ(rig.Sent("T204000011").empty(),
                  std::none_of(written.begin(), written.end(),
                               [&](int i) { return rig.memory.Rec(i).IsShadow(); }))
            << "a purge only as shadows go out";
        Indices sent;
        for (const std::string& frame : rig.Sent("T1")) {
            sent.push_back(std::stoi(frame.substr(4, 4), nullptr, 16));
            EXPECT_EQ(rig.radio.Memory().Rec(sent.back()).RFRec, 7);
        }
        EXPECT_TRUE(std::is_partitioned(sent.begin(), sent.end(),
                                        [&](int i) { return !rig.memory.Rec(i).IsShadow(); }));
        std::sort(sent.begin(), sent.end());
        EXPECT_EQ(sent, written);
        const VerifyResult result = rig.Verify();
        EXPECT_EQ(VerifyReportText(result), "Verify OK\n");
        EXPECT_EQ(result.recordsChecked, static_cast<int>(written.size()));
        for (int i : erased) {
            EXPECT_FALSE(rig.radio.Memory().Rec(i).IsDefined()) << i;
        }
    }
}

}  // namespace
}  // namespace kld
