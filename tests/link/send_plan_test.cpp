#include "send_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "sim_rig.h"
#include "verify.h"

namespace kld {
namespace {

using Indices = std::vector<int>;
using test::Channel;

// Primary 10 with shadows 9 and 41, nothing selected.
void ShadowFamily(ChannelMemory& m) {
    ChannelRecord& ten = Channel(m, 10, kSelDefined);
    ten.Shad = kShadPrimary, ten.ShadList[0] = 9, ten.ShadList[1] = 41;
    for (int s : {9, 41}) {
        ChannelRecord& shadow = Channel(m, s, kSelDefined);
        shadow.Prim = 10, shadow.Shad = s == 9 ? 1 : 2;
    }
    m.Rec(41).ShadList[3] = 999;  // a wild entry elsewhere must not matter
}

using test::Rig;

// Which records count, and that they are exactly the ones a real send writes (primaries first,
// shadows in a second pass) and erases.
TEST(SendSelection, FollowsTheSendsOwnChoice) {
    const struct {
        const char* name;
        std::function<void(ChannelMemory&)> make;
        Indices written, erased;
    } rows[] = {
        {"selected and defined only",
         [](ChannelMemory& m) {
             Channel(m, 5, kSelDefined | kSelSend), Channel(m, 6, kSelDefined);
             Channel(m, 7, kSelSend), m.Rec(kDefaultRecord).Select = kSelDefined | kSelSend;
         },
         {kDefaultRecord, 5},
         {}},
        {"a shadow brings its family",
         [](ChannelMemory& m) { ShadowFamily(m), m.Rec(41).Select |= kSelSend; },
         {9, 10, 41},
         {}},
        {"erased wins over the send box",
         [](ChannelMemory& m) {
             Channel(m, 5, kSelDefined | kSelFromRadio | kSelErased | kSelSend);
             Channel(m, 7, kSelDefined | kSelFromRadio | kSelErased);
             m.Rec(kGuard2).Select |= kSelSend;
         },
         {kGuard2},
         {5, 7}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        rig.StampsAlike();
        row.make(rig.memory);
        const SendSelection selection = SelectedForSending(rig.memory);
        EXPECT_EQ(selection.written, row.written);
        EXPECT_EQ(selection.erased, row.erased);

        // The send itself, on a radio holding an older copy of every channel: the radio must
        // end up with the written records as sent and without the erased ones.
        for (int i = 0; i <= kLastRecord; ++i) {
            if (rig.memory.Rec(i).IsDefined()) {
                rig.radio.Memory().Rec(i) = rig.memory.Rec(i);
                rig.radio.Memory().Rec(i).Select = kSelDefined;
                rig.radio.Memory().Rec(i).Desc = "old";  // matches only once written
            }
        }
        ASSERT_TRUE(rig.Run(Direction::Send).Complete());
        Indices sent;
        for (const std::string& frame : rig.Sent("T1")) {
            sent.push_back(std::stoi(frame.substr(4, 4), nullptr, 16));
        }
        EXPECT_TRUE(std::is_partitioned(sent.begin(), sent.end(),
                                        [&](int i) { return !rig.memory.Rec(i).IsShadow(); }));
        std::sort(sent.begin(), sent.end());
        EXPECT_EQ(sent, row.written);
        const VerifyResult result = rig.Verify();
        EXPECT_TRUE(result.Ok()) << VerifyReportText(result);
        EXPECT_EQ(result.recordsChecked, static_cast<int>(row.written.size()));
        for (int i : row.erased) {
            EXPECT_FALSE(rig.radio.Memory().Rec(i).IsDefined()) << i;
        }
    }
}

}  // namespace
}  // namespace kld
