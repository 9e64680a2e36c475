#include "channel_memory.h"

#include "core_support.h"

namespace kld::test {
namespace {

TEST(ChannelMemory, ClearMemoryCopiesTheTemplateAndMakesMainAndTheGuards) {
    ChannelMemory memory;
    // A template with a value in every field, so that anything copied or left alone shows.
    // clang-format off
    const ChannelRecord t{.Select = 0x81, .Shad = 8, .Prim = 7, .Chnl = 8, .Scan = 0x35,
        .Desc = "Tmpl"sv, .EFlags = 5, .Mode = kModeWide, .RSql = 'c', .RTG = "00AB"sv, .RCTCSS = 3,
        .RDCS = 4, .RNAC = "1F1"sv, .RFrq = "141.0000"sv, .TSql = 'c', .TTG = "00CD"sv, .TCTCSS = 5,
        .TDCS = 6, .TNAC = "2F2"sv, .TFrq = "142.0000"sv, .IDCall = {1, 0x23, 0x45, 0x67, 9},
        .ShadList = {11, 12, 13, 14, 15, 16, 17, 18}, .RFRec = 3};
    // clang-format on
    memory.Rec(kDefaultRecord) = t;
    const ChannelRecord spare = memory.Rec(233);
    memory.ZoneCounts.fill(9), memory.Current = 77;
    ClearMemory(memory);

    EXPECT_EQ(std::pair(memory.Current, memory.ZoneCounts),
              std::pair(S{1}, std::array<S, 16>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(std::pair(memory.Rec(kDefaultRecord), memory.Rec(233)), std::pair(t, spare));
    ChannelRecord ordinary = t;
    ordinary.Select = 0, ordinary.RFRec = 10;
    for (int index = 2; index <= kLastOrdinaryChannel; ++index) {
        EXPECT_EQ(memory.Rec(index), ordinary) << index;
    }
    // Main and the guards keep nothing of the template but IDCall[4] and ShadList[7] (their own
    // values are pinned by the reset memory's saved bytes and its dump).
    ChannelMemory blank;
    ClearMemory(blank);
    for (int i : {1, 231, 232}) {
        ChannelRecord r = blank.Rec(i);
        r.IDCall[4] = 9, r.ShadList[7] = 18;
        EXPECT_EQ(memory.Rec(i), r) << i;
    }
}

}  // namespace
}  // namespace kld::test
