#include "tables.h"

#include "core_support.h"

namespace kld::test {
namespace {

// Lookups both ways agree for every entry, the late CTCSS codes are out of order, and the texts
// of cases/tables.txt.
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
    ExpectCases("tables.txt",
                {{"Texts", {1, [](const Cells& a) {
                                const int p = Int(a[0]);
                                const auto mode = ModeCode(p);
                                return std::string(CtcssText(p)) + "|" + std::string(DcsText(p)) +
                                       "|" + std::string(ModeText(p)) + "|" +
                                       (mode ? std::string(1, static_cast<char>(*mode)) : "none");
                            }}}});
    EXPECT_EQ(ModePositionOfCode('n'), 1);
    EXPECT_EQ(std::pair(ModeName(kModeDigital), ModeName(3)),
              std::pair("P25 Conventional"sv, ""sv));
    EXPECT_FALSE(CtcssCode(-32768) || CtcssCode(-1) || CtcssCode(42) || CtcssCode(32767) ||
                 DcsCode(-1) || DcsCode(83) || CtcssPositionOfCode(0) || CtcssPositionOfCode(43) ||
                 DcsPositionOfCode(84) || ModePositionOfCode('d') || CtcssPositionOfText("254.1"));
}

}  // namespace
}  // namespace kld::test
