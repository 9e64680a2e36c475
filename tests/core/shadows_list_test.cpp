#include <gtest/gtest.h>

#include "channel_memory.h"
#include "fake_operator.h"
#include "list_operations.h"
#include "shadows.h"

namespace kld {
namespace {

ChannelMemory CleanMemory() {
    ChannelMemory memory;
    ChannelRecord& t = memory.Rec(kDefaultRecord);
    t.Select = kSelDefined;
    t.Mode = kModeNarrow;
    t.RFrq = t.TFrq = "141.0000";
    t.RSql = t.TSql = kSqlNoise;
    ClearMemory(memory);
    return memory;
}

ChannelRecord& Define(ChannelMemory& memory, int index, std::int16_t select, int list = 2) {
    ChannelRecord& r = memory.Rec(index);
    r = memory.Rec(kDefaultRecord);
    r.Select = select;
    r.Prim = r.Chnl = static_cast<std::int16_t>(index);
    r.Scan = static_cast<std::int16_t>(list * 16);
    ++memory.ZoneCounts[static_cast<std::size_t>(list)];
    return r;
}

TEST(ValidatePrimaryTest, CodesInTheirOrder) {
    // Each row also meets every later condition, so a check made out of order shows.
    struct Row {
        const char* name;
        const char* typed;
        std::int16_t select, shad, mode, tsql;
        std::array<std::int16_t, 8> shadList;
        int code;
    } rows[] = {
        // clang-format off
        {"zero", "0", 0xA1, 0, 1, 'x', {}, kPrimaryOutOfRange},
        {"guard", "231", 0xA1, 0, 1, 'x', {}, kPrimaryOutOfRange},
        {"no number", "", 0xA1, 0, 1, 'x', {}, kPrimaryOutOfRange},
        {"wraps to 5 in 16 bits", "65541", 0xA1, 0, 1, 'x', {}, kPrimaryOutOfRange},
        {"undefined before shadow", "5", 0x00, 2, 2, 'i', {9, 9, 9, 9, 9, 9, 9}, kPrimaryUndefined},
        {"shadow before ID call", "5", 0xA1, 2, 2, 'i', {9, 9, 9, 9, 9, 9, 9}, kPrimaryIsShadow},
        {"ID call before full", "5", 0xA1, 0, 2, 'i', {9, 9, 9, 9, 9, 9, 9}, kPrimaryIdCall},
        {"ID call letter in analog is fine", "5", 0xA1, 0, 1, 'i', {}, kPrimaryOk},
        {"full", "5", 0xA1, 0, 1, 'x', {9, 9, 9, 9, 9, 9, 9}, kPrimaryFull},
        {"slot 7 is no shadow slot", "5", 0xA1, 0, 1, 'x', {9, 9, 9, 9, 9, 9, 0, 9}, kPrimaryOk},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelMemory memory = CleanMemory();
        ChannelRecord& r = Define(memory, 5, row.select);
        r.Shad = row.shad;
        r.Mode = row.mode;
        r.TSql = row.tsql;
        r.ShadList = row.shadList;
        EXPECT_EQ(ValidatePrimary(memory, row.typed), row.code);
    }

    ChannelMemory memory = CleanMemory();
    Define(memory, 6, 0xC0);
    EXPECT_EQ(ValidateShadow(memory, "0"), kShadowOutOfRange);
    EXPECT_EQ(ValidateShadow(memory, "232"), kShadowOutOfRange);
    EXPECT_EQ(ValidateShadow(memory, "65542"), kShadowOutOfRange);
    EXPECT_EQ(ValidateShadow(memory, "6"), kShadowExists);
    EXPECT_EQ(ValidateShadow(memory, "7"), kShadowOk);
}

TEST(CreateShadowTest, SlotsCopiesAndTheEighthShadow) {
    ChannelMemory memory = CleanMemory();
    ChannelRecord& primary = Define(memory, 5, 0xC1);
    primary.Shad = kShadScanMember;
    const auto counts = memory.ZoneCounts;
    for (int n = 0; n < kShadowSlots; ++n) {
        const std::string s = std::to_string(20 + n);
        test::ScriptedOperator op;
        ASSERT_EQ(ShadowDialogOk(memory, "005", s, op), ShadowDialogResult::Accepted);
        const auto created = CreateShadow(memory, "005", s);
        ASSERT_TRUE(created);
        EXPECT_EQ(created->slot, n);
        const ChannelRecord& shadow = memory.Rec(20 + n);
        EXPECT_EQ(shadow.Shad, n + 1);  // neither scan flag nor primary flag copied
        EXPECT_EQ(shadow.Prim, 5);
        EXPECT_EQ(shadow.Chnl, 20 + n);
        EXPECT_EQ(shadow.Select, 0xA1);
        EXPECT_EQ(shadow.Scan, primary.Scan);
        EXPECT_EQ(memory.Current, 20 + n);
        EXPECT_EQ(ProposedPrimary(memory), "005");  // a shadow proposes its primary
    }
    EXPECT_EQ(primary.Shad, kShadScanMember | kShadPrimary);
    EXPECT_EQ(memory.ZoneCounts, counts);
    EXPECT_FALSE(memory.Saved);

    test::ScriptedOperator op;
    EXPECT_EQ(ShadowDialogOk(memory, "5", "40", op), ShadowDialogResult::PrimaryRefused);
    EXPECT_EQ(op.shown, (std::vector<Message>{{"Primary channel has max number of shadows defined",
                                               "", Icon::None, Buttons::Ok}}));
    EXPECT_FALSE(CreateShadow(memory, "5", "40"));
    EXPECT_FALSE(memory.Rec(40).IsDefined());

    // Erasing the shadow in slot 2 frees that slot, and only that one, for the next shadow.
    memory.Current = 22;
    EXPECT_EQ(EraseCurr_Click(memory, op), EraseResult::Removed);
    EXPECT_EQ(primary.ShadList, (std::array<std::int16_t, 8>{20, 21, 0, 23, 24, 25, 26, 0}));
    EXPECT_EQ(CreateShadow(memory, "5", "40")->slot, 2);
    EXPECT_EQ(memory.Rec(40).Shad, 3);

    Define(memory, 6, 0xA1);
    EXPECT_EQ(ShadowDialogOk(memory, "6", "21", op), ShadowDialogResult::ShadowRefused);
    EXPECT_EQ(op.shown.back().text, "Shadow channel already exists");
}

TEST(EraseTest, RefusesKeepsTogglesAndRemoves) {
    const Message refusal{"Contents of this Memory may\n be Altered but not Erased!", "",
                          Icon::None, Buttons::Ok};
    for (int c : {0, 1, 231, 232, 233, -4}) {
        SCOPED_TRACE(c);
        ChannelMemory memory = CleanMemory();
        memory.Current = static_cast<std::int16_t>(c);
        const ChannelMemory before = memory;
        test::ScriptedOperator op;
        EXPECT_EQ(EraseCurr_Click(memory, op), EraseResult::Refused);
        EXPECT_EQ(op.shown, std::vector<Message>{refusal});
        EXPECT_EQ(memory.Records, before.Records);
    }

    ChannelMemory memory = CleanMemory();
    test::ScriptedOperator op;
    memory.Current = 9;
    EXPECT_EQ(EraseCurr_Click(memory, op), EraseResult::Undefined);

    // From the radio: the mark goes on and comes off again; the count stays.
    const ChannelRecord received = Define(memory, 7, 0xC1);
    const auto counts = memory.ZoneCounts;
    memory.Current = 7;
    EXPECT_EQ(EraseCurr_Click(memory, op), EraseResult::MarkToggled);
    EXPECT_EQ(BoxState(memory.Rec(7)), kBoxGrey);
    EXPECT_EQ(EraseCurr_Click(memory, op), EraseResult::MarkToggled);
    EXPECT_EQ(memory.Rec(7), received);
    EXPECT_EQ(memory.ZoneCounts, counts);

    // Made here: gone at once, out of its list; a second press finds nothing.
    Define(memory, 8, 0xA1);
    memory.Current = 8;
    EXPECT_EQ(EraseCurr_Click(memory, op), EraseResult::Removed);
    EXPECT_FALSE(memory.Rec(8).IsDefined());
    EXPECT_EQ(memory.ZoneCounts, counts);
    EXPECT_EQ(EraseCurr_Click(memory, op), EraseResult::Undefined);

    // A shadow whose Prim or slot names something else leaves every other record alone.
    Define(memory, 10, 0xA1).ShadList = {11, 0, 0, 0, 0, 0, 0, 0};
    for (std::int16_t prim : {std::int16_t{-7}, std::int16_t{500}, std::int16_t{10}}) {
        ChannelRecord& shadow = Define(memory, 12, 0xA1);
        shadow.Shad = 1;
        shadow.Prim = prim;
        memory.Current = 12;
        EXPECT_EQ(EraseCurr_Click(memory, op), EraseResult::Removed);
        EXPECT_EQ(memory.Rec(10).ShadList[0], 11);
    }
    EXPECT_EQ(op.shown.size(), 0u);
}

TEST(SelectionTest, BoxesSelectAllClearAllAndPurge) {
    ChannelMemory memory = CleanMemory();
    Define(memory, 3, 0xC0);
    Define(memory, 4, 0xC2);  // marked erased
    SelAll_Click(memory);
    EXPECT_EQ(SyncSelectBoxes(memory, 0), (std::array<int, 6>{1, 1, 0, 1, 2, 0}));
    EXPECT_EQ(memory.Rec(2).Select, 0);  // undefined records stay unticked
    ClearAll_Click(memory);
    EXPECT_EQ(SyncSelectBoxes(memory, 0), (std::array<int, 6>{0, 0, 0, 0, 2, 0}));
    EXPECT_EQ(SyncSelectBoxes(memory, 229), (std::array<int, 6>{0, 0, 0, 0, 0, 0}));

    // Ticking the grey box of channel 4 replaces the erase mark.
    ASSERT_TRUE(SelectBox_Click(memory, 1, 3, kBoxTicked));
    EXPECT_EQ(memory.Current, 4);
    EXPECT_EQ(memory.Rec(4).Select, 0xC1);
    EXPECT_FALSE(SelectBox_Click(memory, 230, 5, kBoxTicked));  // line 235 holds no channel
    EXPECT_EQ(memory.Current, 4);

    ProgramState state;
    EXPECT_EQ(EraseAll_Click(state), "UnPurge");
    EXPECT_EQ(state.PurgeMode, 1);
    EXPECT_EQ(EraseAll_Click(state), "Purge");
    EXPECT_EQ(state.PurgeMode, 0);
}

}  // namespace
}  // namespace kld
