#include "codecs.h"

#include "core_support.h"

namespace kld::test {
namespace {

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
