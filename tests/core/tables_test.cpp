#include "tables.h"

#include "core_support.h"
#include "modes.h"
#include "squelch_modes.h"

namespace kld::test {
namespace {

// Lookups both ways agree for every entry and the late CTCSS codes are out of order; the texts,
// modes and squelch lists of cases/tables.txt.
TEST(Tables, LookupsModesAndSquelchLists) {
    const S late[] = {40, 34, 35, 36, 41, 37, 38, 39, 42};  // the codes of positions 33 to 41
    for (int p = 0; p < 42; ++p) {
        const int code = p < 33 ? p + 1 : late[p - 33];
        EXPECT_EQ(
            std::tuple(CtcssCode(p), CtcssPositionOfCode(code), CtcssPositionOfText(CtcssText(p))),
            std::tuple(code, p, p));
    }
    for (int p = 0; p < 83; ++p) {
        EXPECT_EQ(std::tuple(DcsCode(p), DcsPositionOfCode(p + 1), DcsPositionOfText(DcsText(p))),
                  std::tuple(p + 1, p, p));
    }
    const auto texts = [](const Cells& a) {
        const int p = Int(a[0]);
        const auto mode = ModeCode(p);
        return std::string(CtcssText(p)) + "|" + std::string(DcsText(p)) + "|" +
               std::string(ModeText(p)) + "|" +
               (mode ? std::string(1, static_cast<char>(*mode)) : "none");
    };
    const auto allowed = [](const Cells& a) {
        const auto exception = a[3] == "true" ? WideException::Apply : WideException::Ignore;
        return AsText(IsModeAllowed(Int(a[0]), Int(a[1]), a[2], exception));
    };
    const auto adjusted = [](const Cells& a) {
        auto mode = static_cast<S>(Int(a[0]));
        AdjustTemplateMode(mode, Int(a[1]));
        return AsText(mode);
    };
    const auto commandLine = [](const Cells& a) {
        char text[8];
        std::snprintf(text, sizeof text, "0x%02X", EnabledModesFromCommandLine(a[0]));
        return std::string(text);
    };
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
    ExpectCases("tables.txt",
                {{"Texts", {1, texts}},
                 {"IsModeAllowed", {4, allowed}},
                 {"FirstEnabledMode",
                  {1, [](const Cells& a) { return AsText(FirstEnabledMode(Int(a[0]))); }}},
                 {"AdjustTemplateMode", {2, adjusted}},
                 {"EnabledModesFromCommandLine", {1, commandLine}},
                 {"SquelchLists", {2, lists}},
                 {"NoiseSquelchLevel", {1, level}}});
    EXPECT_EQ(ModePositionOfCode('n'), 1);
    EXPECT_EQ(std::pair(ModeName(kModeDigital), ModeName(3)),
              std::pair("P25 Conventional"sv, ""sv));
    EXPECT_FALSE(CtcssCode(-32768) || CtcssCode(-1) || CtcssCode(42) || CtcssCode(32767) ||
                 DcsCode(-1) || DcsCode(83) || CtcssPositionOfCode(0) || CtcssPositionOfCode(43) ||
                 DcsPositionOfCode(84) || ModePositionOfCode('d') || CtcssPositionOfText("254.1"));
    int shown = kModeDigital;
    EXPECT_FALSE(SquelchListsOnModeChange(shown, kModeDigital, false)) << "nothing to refill";
}

}  // namespace
}  // namespace kld::test
