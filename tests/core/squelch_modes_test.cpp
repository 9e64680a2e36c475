#include "squelch_modes.h"

#include "core_support.h"

namespace kld::test {
namespace {

TEST(SquelchModes, ListsOfEachModeAndTheNoiseSquelchLevel) {
    // Receive texts, transmit codes and the last transmit text (ID Call not for shadows).
    const auto lists = [](int mode, bool shadow) {
        const SquelchLists lists = SquelchListsFor(mode, shadow);
        std::string text = lists.rx[0].text + lists.rx[1].text + lists.rx[2].text;
        for (const SquelchEntry& e : lists.tx) {
            text += static_cast<char>(e.code);
        }
        return text + lists.tx.back().text;
    };
    ScriptedOperator op;
    const auto level = [&op](const char* text) { return AcceptNoiseSquelchLevel(text, op); };
    // clang-format off
    ExpectRows<const char*, int, bool>(lists, {
        {kModeDigital, false, "Monitor       'm'NAC            'n'Talk Group  'g'gi-Tx Inhibit      '-'"},
        {kModeDigital, true, "Monitor       'm'NAC            'n'Talk Group  'g'g-Tx Inhibit      '-'"},
        {kModeWide, false, "Noise          'x'CTCSS        't'DCS            'c'xtc-Tx Inhibit     '-'"},
        {-1, false, "Noise          'x'CTCSS        't'DCS            'c'xtc-Tx Inhibit     '-'"}});
    ExpectRows<std::optional<std::uint8_t>, const char*>(level, {{"15", 15}, {"", 0},
        {"16", nullopt}, {"-1", nullopt}, {"65551", nullopt}});
    // clang-format on
    EXPECT_EQ(op.shown, std::vector<Message>(3, {"Value is out of range", "", Icon::None}));
    int shown = kModeDigital;
    EXPECT_FALSE(SquelchListsOnModeChange(shown, kModeDigital, false)) << "nothing to refill";
}

}  // namespace
}  // namespace kld::test
