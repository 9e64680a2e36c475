#include "codecs.h"

#include <cmath>

#include "core_support.h"

namespace kld::test {
namespace {

// The program's own number readers are lenient, the same for frequencies and typed numbers
// everywhere; the wire's byte form is strict, and writes the digits ToHex writes.
TEST(Codecs, NumbersAndHexadecimalText) {
    // clang-format off
    ExpectRows<double, const char*>(LeadingNumber, {{"", 0}, {" \t-3.5x", -3.5}, {"+7", 7},
        {"- 7", 0}, {".5", 0.5}, {"5.", 5}, {"-.", 0}, {"1.2.3", 1.2}, {"12abc", 12},
        {"1E+3", 1000}, {"25e-1z", 2.5}, {"1e", 1}, {"1e+", 1}, {"2e 3", 2}, {"1e999", 0},
        {"000000000000000000000000000000007", 7}});
    ExpectRows<const char*, const char*, int>(ToHex, {{"", 2, "00"}, {"300", 2, "12C"},
        {"  255", 1, "FF"}, {"2147483647", 1, "7FFFFFFF"}, {"2.5", 1, "2"}, {"3.5", 1, "4"}});
    ExpectRows<const char*, const char*>(ToDec, {{"ff", "255"}, {"10", "16"}, {"", "0"},
        {"1 2", "0"}, {"G", "16"}, {"80000000", "0"}, {"7FFFFFFF", "2147483647"},
        {"00000000000000000001", "1"}});
    ExpectRows<bool, const char*, int>(IsHexText, {{"1a2", 3, true}, {"1G2", 3, false},
        {"12", 3, false}, {"29 ", 3, false}, {"1A2G", 3, true}, {"", 0, true}});
    ExpectRows<long long, std::string_view>(HexValue, {{"ff", 255}, {"ZZ", 595}, {"1 2", 0}});
    ExpectRows<std::optional<std::uint8_t>, std::string_view>(HexPairValue, {{"0A", 10},
        {"ff", nullopt}, {"0G", nullopt}, {"A", nullopt}, {"0A0", nullopt}, {" A", nullopt}});
    // clang-format on
    EXPECT_TRUE(std::signbit(LeadingNumber("-0")));
    for (int value = 0; value <= 255; ++value) {
        const auto byte = static_cast<std::uint8_t>(value);
        EXPECT_EQ(HexPairValue(HexPair(byte)), value);
        EXPECT_EQ(HexPair(byte), ToHex(std::to_string(value), 2));
    }
}

TEST(Codecs, KeyRulesAndSimplex) {
    using Beeped = std::pair<int, int>;  // the key let through and the beeps made
    const auto hex = [](int key) {
        ScriptedOperator op;
        const int result = HexKeyRule(key, op);
        EXPECT_EQ(key, result);
        return Beeped{result, op.beeps};
    };
    using KeyText = std::pair<int, std::string>;
    const auto digit = [](int key, const char* text) {
        const DigitKeyResult r = DigitKeyRule(key, text);
        return KeyText{r.key, r.text};
    };
    // IsSimplex compares the six receive/transmit pairs and nothing else.
    using R = ChannelRecord&;
    using Change = void (*)(R);
    const auto simplex = [](Change change) {
        ChannelRecord r = CleanMemory().Rec(kDefaultRecord);
        change(r);
        return IsSimplex(r);
    };
    // clang-format off
    ExpectRows<Beeped, int>(hex, {{'b', {'B', 0}}, {'7', {'7', 0}}, {kBackspace, {kBackspace, 0}},
        {'G', {0, 1}}, {'g', {0, 1}}});
    ExpectRows<KeyText, int, const char*>(digit, {{'5', "  3 ", {'5', "3"}},
        {'-', " 12 ", {0, "12"}}, {kBackspace, " 12 ", {kBackspace, " 12 "}}});
    ExpectRows<bool, Change>(simplex, {
        {[](R r) { r.Mode = 2, r.Desc = "x", r.IDCall[3] = 9, r.RFRec = 4; }, true},
        {[](R r) { r.TCTCSS = 6; }, false}, {[](R r) { r.TFrq = "1"; }, false},
        {[](R r) { r.TNAC = "294"; }, false}, {[](R r) { r.RTG = "2"; }, false},
        {[](R r) { r.TDCS = 9; }, false}, {[](R r) { r.TSql = '-'; }, false}});
    // clang-format on
}

}  // namespace
}  // namespace kld::test
