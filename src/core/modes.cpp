#include "modes.h"

#include "channel_memory.h"
#include "codecs.h"
#include "tables.h"

namespace kld {

std::uint8_t ModeFlag(int mode) {
    switch (mode) {
        case kModeWide:
            return kEnableWide;
        case kModeNarrow:
            return kEnableNarrow;
        case kModeDigital:
            return kEnableDigital;
        default:
            return 0;
    }
}

bool IsModeAllowed(std::uint8_t enabledModes, int mode, std::string_view txFreq,
                   WideException exception) {
    if ((enabledModes & ModeFlag(mode)) != 0) {
        return true;
    }
    if (mode == kModeWide && exception == WideException::Apply) {
        const double mhz = LeadingNumber(txFreq);
        return mhz >= 156.0 && mhz < 163.0;
    }
    return false;
}

std::string ModeNameLines(std::uint8_t flags) {
    std::string lines;
    for (std::int16_t mode : {kModeWide, kModeNarrow, kModeDigital}) {
        if ((flags & ModeFlag(mode)) != 0) {
            lines += "    ";
            lines += ModeName(mode);
            lines += '\n';
        }
    }
    return lines;
}

std::optional<std::int16_t> FirstEnabledMode(std::uint8_t enabledModes) {
    for (std::int16_t mode : {kModeWide, kModeNarrow, kModeDigital}) {
        if ((enabledModes & ModeFlag(mode)) != 0) {
            return mode;
        }
    }
    return std::nullopt;
}

std::uint8_t EnabledModesFromCommandLine(std::string_view commandLine) {
    const std::string line = Trim(commandLine);
    if (line.empty()) {
        return kEnableNarrow | kEnableDigital;
    }
    std::uint8_t modes = 0;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t blank = line.find(' ', start);
        const std::size_t end = blank == std::string::npos ? line.size() : blank;
        if (end - start == 1) {
            switch (line[start]) {
                case 'w':
                case 'W':
                    modes |= kEnableWide;
                    break;
                case 'n':
                case 'N':
                    modes |= kEnableNarrow;
                    break;
                case 'd':
                case 'D':
                    modes |= kEnableDigital;
                    break;
                default:
                    break;
            }
        }
        start = end + 1;
    }
    return modes;
}

void AdjustTemplateMode(std::int16_t& mode, std::uint8_t enabledModes) {
    if ((enabledModes & ModeFlag(mode)) != 0) {
        return;
    }
    if (const auto replacement = FirstEnabledMode(enabledModes)) {
        mode = *replacement;
    }
}

}  // namespace kld
