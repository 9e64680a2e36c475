#include "squelch_modes.h"

#include "core_support.h"

namespace kld::test {
namespace {

// The lists and levels of cases/squelch_modes.txt.
TEST(SquelchModes, ListsOfEachModeAndTheNoiseSquelchLevel) {
    const auto lists = [](const Cells& a) {
        const SquelchLists lists = SquelchListsFor(Int(a[0]), a[1] == "true");
        std::string text = lists.rx[0].text + lists.rx[1].text + lists.rx[2].text;
        for (const SquelchEntry& e : lists.tx) {
            text += static_cast<char>(e.code);
        }
        return text + lists.tx.back().text;
    };
    const auto level = [](const Cells& a) {
        ScriptedOperator op;
        const std::string level = AsText(AcceptNoiseSquelchLevel(a[0], op));
        return level + "|" + Texts(op.shown);
    };
    ExpectCases("squelch_modes.txt",
                {{"SquelchLists", {2, lists}}, {"NoiseSquelchLevel", {1, level}}});
    int shown = kModeDigital;
    EXPECT_FALSE(SquelchListsOnModeChange(shown, kModeDigital, false)) << "nothing to refill";
}

}  // namespace
}  // namespace kld::test
