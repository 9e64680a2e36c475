#include "tables.h"

#include "codecs.h"
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

// The readers and writers of cases/codecs.txt, and every byte through the wire's hex pair.
TEST(Codecs, NumbersHexadecimalTextKeyRulesAndSimplex) {
    const auto hexKey = [](const Cells& a) {
        ScriptedOperator op;
        int key = Key(a[0]);
        const int result = HexKeyRule(key, op);
        EXPECT_EQ(key, result);
        return KeyText(result) + "|" + AsText(op.beeps);
    };
    const auto digitKey = [](const Cells& a) {
        const DigitKeyResult r = DigitKeyRule(Key(a[0]), a[1]);
        return KeyText(r.key) + "|" + r.text;
    };
    ExpectCases(
        "codecs.txt",
        {{"LeadingNumber", {1, [](const Cells& a) { return AsText(LeadingNumber(a[0])); }}},
         {"ToHex", {2, [](const Cells& a) { return ToHex(a[0], Int(a[1])); }}},
         {"ToDec", {1, [](const Cells& a) { return ToDec(a[0]); }}},
         {"IsHexText", {2, [](const Cells& a) { return AsText(IsHexText(a[0], Int(a[1]))); }}},
         {"HexValue", {1, [](const Cells& a) { return AsText(HexValue(a[0])); }}},
         {"HexPairValue", {1, [](const Cells& a) { return AsText(HexPairValue(a[0])); }}},
         {"HexKeyRule", {1, hexKey}},
         {"DigitKeyRule", {2, digitKey}}});
    for (int value = 0; value <= 255; ++value) {
        const auto byte = static_cast<std::uint8_t>(value);
        EXPECT_EQ(HexPairValue(HexPair(byte)), value);
        EXPECT_EQ(HexPair(byte), ToHex(std::to_string(value), 2));
    }
    // IsSimplex compares the six receive/transmit pairs and nothing else.
    using R = ChannelRecord&;
    using Change = void (*)(R);
    const auto simplex = [](Change change) {
        ChannelRecord r = CleanMemory().Rec(kDefaultRecord);
        change(r);
        return IsSimplex(r);
    };
    // clang-format off
    ExpectRows<bool, Change>(simplex, {
        {[](R r) { r.Mode = 2, r.Desc = "x", r.IDCall[3] = 9, r.RFRec = 4; }, true},
        {[](R r) { r.TCTCSS = 6; }, false}, {[](R r) { r.TFrq = "1"; }, false},
        {[](R r) { r.TNAC = "294"; }, false}, {[](R r) { r.RTG = "2"; }, false},
        {[](R r) { r.TDCS = 9; }, false}, {[](R r) { r.TSql = '-'; }, false}});
    // clang-format on
}

}  // namespace
}  // namespace kld::test
