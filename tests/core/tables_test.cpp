#include "tables.h"

#include "core_support.h"

namespace kld::test {
namespace {

// Lookups both ways agree for every entry, the late CTCSS codes are out of order, and a
// position outside a table has no text and no code.
TEST(Tables, LookupsBothWaysAndPositionsOutside) {
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
    const auto texts = [](int p) {
        const auto mode = ModeCode(p);
        return std::string(CtcssText(p)) + "|" + std::string(DcsText(p)) + "|" +
               std::string(ModeText(p)) + (mode ? static_cast<char>(*mode) : '-');
    };
    // clang-format off
    ExpectRows<const char*, int>(texts, {{0, "67.0|023|Widew"}, {2, "71.9|026|DigitalD"},
        {3, "74.4|031|-"}, {33, "206.5|244|-"}, {41, "254.8|311|-"}, {82, "|754|-"},
        {-32768, "||-"}, {-1, "||-"}, {83, "||-"}, {32767, "||-"}});
    // clang-format on
    EXPECT_EQ(ModePositionOfCode('n'), 1);
    EXPECT_EQ(std::pair(ModeName(kModeDigital), ModeName(3)),
              std::pair("P25 Conventional"sv, ""sv));
    EXPECT_FALSE(CtcssCode(-32768) || CtcssCode(-1) || CtcssCode(42) || CtcssCode(32767) ||
                 DcsCode(-1) || DcsCode(83) || CtcssPositionOfCode(0) || CtcssPositionOfCode(43) ||
                 DcsPositionOfCode(84) || ModePositionOfCode('d') || CtcssPositionOfText("254.1"));
}

}  // namespace
}  // namespace kld::test
