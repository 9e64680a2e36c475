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

// Shadow 12 in list 2 names `primary`; channel 10's slot 0 and the template's name others.
void StaleShadow(M& memory, S primary) {
    Define(memory, 10, 0xA1).ShadList[0] = 11, memory.Rec(kDefaultRecord).ShadList[0] = 13;
    Define(memory, 12, 0xA1).Shad = 1, memory.Rec(12).Prim = primary;
}

// "Un/Erase Current" pressed on the row's channel, with primary 5 (made here) holding shadow 20
// in slot 0 unless the row changes that. The summary: the messages, each press's result, the
// records that changed with their Select after, and the lists whose counts changed.
TEST(ListOperations, EraseOrUnerase) {
    const std::string refused = "Contents of this Memory may\n be Altered but not Erased!;refused";
    const std::string primary = "This channel is the primary of shadow channel";
    const std::string first = ".\n\nErase its shadows first.|Un/Erase Current!shadows";
    const struct {
        const char* name;
        void (*setup)(M&);
        int current;
        int presses;
        std::string summary;
    } rows[] = {
        // clang-format off
        {"Main", [](M&) {}, 1, 1, refused},
        {"a guard", [](M&) {}, 231, 1, refused},
        {"no record", [](M&) {}, -4, 1, refused},
        {"undefined", [](M&) {}, 2, 1, "undefined"},
        {"from the radio: marked", [](M& m) { Define(m, 230, 0xC1); }, 230, 1, "marked 230:C3"},
        {"from the radio: unmarked again", [](M& m) { Define(m, 230, 0xC1); }, 230, 2, "marked marked"},
        {"made here: gone, out of its list", [](M& m) { Define(m, 8, 0xA1); }, 8, 2, "removed undefined 8:00 2-1"},
        {"a shadow frees its slot", [](M&) {}, 20, 1, "removed 5:A1 20:00"},
        {"a shadow of a negative primary", [](M& m) { StaleShadow(m, -7); }, 12, 1, "removed 12:00"},
        {"a shadow of the template", [](M& m) { StaleShadow(m, 0); }, 12, 1, "removed 12:00"},
        {"a shadow of no record", [](M& m) { StaleShadow(m, 500); }, 12, 1, "removed 12:00"},
        {"a shadow its primary does not name", [](M& m) { StaleShadow(m, 10); }, 12, 1, "removed 12:00"},
        // A primary made here may not leave its shadows stranded while one still names it.
        {"two shadows", [](M& m) { Define(m, 12, 0xA1).Shad = 2, m.Rec(12).Prim = 5, m.Rec(5).ShadList[1] = 12; },
         5, 1, primary + "s 012, 020" + first},
        {"one in two slots, no 0x10", [](M& m) { m.Rec(5).ShadList[6] = 20, m.Rec(5).Shad = 0; },
         5, 1, primary + " 020" + first},
        {"a primary from the radio", [](M& m) { m.Rec(5).Select = 0xC1; }, 5, 1, "marked 5:C3"},
        {"slot 7 is no shadow slot", [](M& m) { m.Rec(5).ShadList = {0, 0, 0, 0, 0, 0, 0, 20}; }, 5, 1, "removed 5:00 2-1"},
        {"an undefined shadow", [](M& m) { m.Rec(20).Select = 0; }, 5, 1, "removed 5:00 2-1"},
        {"another primary's shadow", [](M& m) { m.Rec(20).Prim = 6; }, 5, 1, "removed 5:00 2-1"},
        {"no shadow", [](M& m) { m.Rec(20).Shad = kShadScanMember; }, 5, 1, "removed 5:00 2-1"},
        {"slots naming no channel", [](M& m) { m.Rec(5).ShadList = {-3, 500, 233, 0, 0, 0, 0, 0},
                                               m.Rec(0).Shad = 1, m.Rec(0).Prim = 5; }, 5, 1, "removed 5:00 2-1"},
        {"itself", [](M& m) { m.Rec(5).ShadList[0] = 5, m.Rec(5).Shad = kShadPrimary | 1; }, 5, 1, "removed 5:00"},
        // clang-format on
    };
    const char* results[] = {"refused", "undefined", "shadows", "removed", "marked"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        M memory = CleanMemory();
        Define(memory, 5, 0xA1).Shad = kShadPrimary, memory.Rec(5).ShadList[0] = 20;
        Define(memory, 20, 0xA1).Shad = 1, memory.Rec(20).Prim = 5, --memory.ZoneCounts[2];
        row.setup(memory);
        const M before = memory;
        ScriptedOperator op;
        std::string pressed;
        for (int press = 0; press < row.presses; ++press) {
            memory.Current = static_cast<S>(row.current);
            pressed +=
                (press ? " " : "") + std::string(results[int(EraseOrUneraseCurrent(memory, op))]);
        }
        std::string summary = Texts(op.shown) + pressed;
        for (int index = 0; index < kRecordSlots; ++index) {
            if (memory.Rec(index) != before.Rec(index)) {
                char text[16];
                std::snprintf(text, sizeof text, " %d:%02X", index, memory.Rec(index).Select);
                summary += text;
            }
        }
        summary += CountChanges(before, memory);
        EXPECT_EQ(summary, row.summary);
    }
}

// The boxes of lines 229 to 234: a marked channel shows grey, select all and clear all touch
// defined records only (guard 2 too), and ticking the grey box replaces the mark.
TEST(ListOperations, SelectionBoxes) {
    M memory = CleanMemory();
    Define(memory, 230, 0xC3);
    SelectAllDefined(memory);
    EXPECT_EQ(SelectionBoxStates(memory, 229), (std::array<int, 6>{0, 2, 1, 1, 0, 0}));
    ClearAllSelections(memory);
    EXPECT_EQ(SelectionBoxStates(memory, 229), (std::array<int, 6>{0, 2, 0, 0, 0, 0}));
    EXPECT_TRUE(SetSelectionFromBox(memory, 227, 3, kBoxTicked));
    EXPECT_FALSE(SetSelectionFromBox(memory, 230, 5, kBoxTicked));  // line 235 holds no channel
    EXPECT_EQ(std::pair(memory.Current, memory.Rec(230).Select), std::pair(S{230}, S{0xC1}));
}

}  // namespace
}  // namespace kld::test
