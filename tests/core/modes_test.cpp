#include "modes.h"

#include "core_support.h"

namespace kld::test {
namespace {

// The functions of cases/modes.txt.
TEST(Modes, PermissionReplacementAndCommandLine) {
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
    ExpectCases("modes.txt",
                {{"IsModeAllowed", {4, allowed}},
                 {"FirstEnabledMode",
                  {1, [](const Cells& a) { return AsText(FirstEnabledMode(Int(a[0]))); }}},
                 {"AdjustTemplateMode", {2, adjusted}},
                 {"EnabledModesFromCommandLine", {1, commandLine}}});
}

}  // namespace
}  // namespace kld::test
