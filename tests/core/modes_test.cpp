#include "modes.h"

#include "core_support.h"

namespace kld::test {
namespace {

TEST(Modes, PermissionReplacementAndCommandLine) {
    const auto allowed = [](std::uint8_t enabled, int mode, const char* tx, bool exception) {
        return IsModeAllowed(enabled, mode, tx,
                             exception ? WideException::Apply : WideException::Ignore);
    };
    // The template at start-up: no wideband exception; nothing enabled leaves it as it is.
    const auto adjusted = [](S mode, std::uint8_t enabled) {
        AdjustTemplateMode(mode, enabled);
        return mode;
    };
    // clang-format off
    ExpectRows<bool, std::uint8_t, int, const char*, bool>(allowed, {
        {0x30, kModeNarrow, "150.0000", true, true}, {0x40, kModeWide, "140.0000", true, true},
        {0x10, kModeNarrow, "160.0000", true, false}, {0x70, 7, "160.0000", true, false},
        {0x30, kModeWide, "156.0000", true, true}, {0x30, kModeWide, "162.9999", true, true},
        {0x30, kModeWide, "163.0000", true, false}, {0x30, kModeWide, "155.9999", true, false},
        {0x30, kModeWide, "160.0000", false, false}});
    ExpectRows<std::optional<S>, std::uint8_t>(FirstEnabledMode, {{0x30, kModeNarrow},
        {0x10, kModeDigital}, {0x70, kModeWide}, {0x00, nullopt}, {0x8F, nullopt}});
    ExpectRows<S, S, std::uint8_t>(adjusted, {{kModeWide, 0x30, kModeNarrow},
        {kModeNarrow, 0x40, kModeWide}, {kModeNarrow, 0x00, kModeNarrow},
        {kModeDigital, 0x30, kModeDigital}});
    ExpectRows<std::uint8_t, const char*>(EnabledModesFromCommandLine, {{"", 0x30}, {"   ", 0x30},
        {"W", 0x40}, {"x", 0x00}, {"n  d", 0x30}, {"wn", 0x00}, {" w n d ", 0x70}, {"N D", 0x30}});
    // clang-format on
}

}  // namespace
}  // namespace kld::test
