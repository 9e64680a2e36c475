#include "shadows.h"

#include "core_support.h"
#include "list_operations.h"

namespace kld::test {
namespace {

TEST(Shadows, ValidateCodesInTheirOrder) {
    using List = std::array<S, 8>;
    const List full{9, 9, 9, 9, 9, 9, 9, 0}, none{}, slot7{9, 9, 9, 9, 9, 9, 0, 9};
    // Record 5 as the row makes it. Each row also meets every later condition, so a check made
    // out of order shows.
    const auto code = [](const char* typed, S select, S shad, S mode, S tsql, const List& list) {
        ChannelMemory memory = CleanMemory();
        ChannelRecord& r = Define(memory, 5, select);
        r.Shad = shad, r.Mode = mode, r.TSql = tsql, r.ShadList = list;
        return ValidatePrimary(memory, typed);
    };
    ChannelMemory memory = CleanMemory();
    Define(memory, 6, 0xC0);
    const auto shadow = [&memory](const char* typed) { return ValidateShadow(memory, typed); };
    // clang-format off
    ExpectRows<int, const char*, S, S, S, S, List>(code, {
        {"0", 0xA1, 0, 1, 'x', none, kPrimaryOutOfRange},
        {"231", 0xA1, 0, 1, 'x', none, kPrimaryOutOfRange},
        {"65541", 0xA1, 0, 1, 'x', none, kPrimaryOutOfRange},  // would wrap to 5
        {"5", 0x00, 2, 2, 'i', full, kPrimaryUndefined},
        {"5", 0xA1, 2, 2, 'i', full, kPrimaryIsShadow},
        {"5", 0xA1, 0, 2, 'i', full, kPrimaryIdCall},
        {"5", 0xA1, 0, 1, 'i', none, kPrimaryOk},  // the ID call letter only counts in digital
        {"5", 0xA1, 0, 1, 'x', full, kPrimaryFull},
        {"5", 0xA1, 0, 1, 'x', slot7, kPrimaryOk}});  // slot 7 is no shadow slot
    ExpectRows<int, const char*>(shadow, {{"0", kShadowOutOfRange}, {"231", kShadowOutOfRange},
        {"65542", kShadowOutOfRange}, {"6", kShadowExists}, {"7", kShadowOk}});
    // clang-format on
}

TEST(Shadows, SlotsCopiesAndTheEighthShadow) {
    ChannelMemory memory = CleanMemory();
    ChannelRecord& primary = Define(memory, 5, 0xC1);
    primary.Shad = kShadScanMember;
    const auto counts = memory.ZoneCounts;
    ScriptedOperator op;
    for (int n = 0; n < kShadowSlots; ++n) {
        const std::string s = std::to_string(20 + n);
        ASSERT_EQ(JudgeShadowNumbers(memory, "005", s, op), ShadowDialogResult::Accepted);
        const CreatedShadow created = CreateShadow(memory, "005", s).value();
        ASSERT_EQ(std::pair(created.slot, created.primary), std::pair(n, 5));
        ChannelRecord expected = primary;
        expected.Select = 0xA1, expected.Shad = static_cast<S>(n + 1);  // no scan, no primary flag
        expected.Chnl = static_cast<S>(20 + n);
        EXPECT_EQ(memory.Rec(20 + n), expected);
        EXPECT_EQ(std::pair(int{memory.Current}, ProposedPrimary(memory)),
                  std::pair(20 + n, std::string("005")));  // it proposes its primary
    }
    EXPECT_EQ(std::tuple(primary.Shad, memory.ZoneCounts, memory.Saved),
              std::tuple(S{kShadScanMember | kShadPrimary}, counts, false));

    EXPECT_EQ(JudgeShadowNumbers(memory, "5", "40", op), ShadowDialogResult::PrimaryRefused);
    EXPECT_EQ(Texts(op.shown), "Primary channel has max number of shadows defined;");
    EXPECT_FALSE(CreateShadow(memory, "5", "40") || memory.Rec(40).IsDefined());

    // Erasing the shadow in slot 2 frees that slot, and only that one, for the next shadow.
    memory.Current = 22;
    EXPECT_EQ(EraseOrUneraseCurrent(memory, op), EraseResult::Removed);
    EXPECT_EQ(std::pair(primary.ShadList, memory.ZoneCounts),
              std::pair(std::array<S, 8>{20, 21, 0, 23, 24, 25, 26, 0}, counts));
    EXPECT_EQ(CreateShadow(memory, "5", "40")->slot, 2);
    EXPECT_EQ(memory.Rec(40).Shad, 3);

    Define(memory, 6, 0xA1);
    EXPECT_EQ(JudgeShadowNumbers(memory, "6", "21", op), ShadowDialogResult::ShadowRefused);
    EXPECT_EQ(Texts({op.shown.back()}), "Shadow channel already exists;");
}

}  // namespace
}  // namespace kld::test
