#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kld {

// The EnabledModes flag of an operating mode; 0 for a number that is no mode.
std::uint8_t ModeFlag(int mode);

enum class WideException { Apply, Ignore };

// Whether a record in `mode` transmitting on txFreq may be used. Wideband is also allowed on
// 156.0 to below 163.0 MHz (the marine band) unless the exception is ignored.
bool IsModeAllowed(std::uint8_t enabledModes, int mode, std::string_view txFreq,
                   WideException exception = WideException::Apply);

// The long names of the modes whose EnabledModes flags are set, in the order wide, narrow,
// digital, one line each indented by four blanks: the list in the operating-mode messages.
std::string ModeNameLines(std::uint8_t flags);

// The first enabled mode in the order wide, narrow, digital; none when nothing is enabled.
std::optional<std::int16_t> FirstEnabledMode(std::uint8_t enabledModes);

// EnabledModes from the program's command line: "w", "n" and "d" pieces separated by single
// blanks; an empty line enables narrowband and digital.
std::uint8_t EnabledModesFromCommandLine(std::string_view commandLine);

// The template's mode moved to an enabled one at start-up (no wideband exception).
void AdjustTemplateMode(std::int16_t& mode, std::uint8_t enabledModes);

}  // namespace kld
