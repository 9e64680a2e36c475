#include "list_operations.h"

#include "core_support.h"

namespace kld::test {
namespace {

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
