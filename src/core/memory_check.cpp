#include "memory_check.h"

#include <array>

#include "codecs.h"
#include "modes.h"

namespace kld {

namespace {

bool FrequencyOutOfRange(const Freq10& freq) {
    const double mhz = LeadingNumber(freq.View());
    return mhz < 136.0 || mhz > 174.0;
}

}  // namespace

Message InvalidDataMessage() {
    return {"Memory data contains invalid data", "Invalid Data", Icon::Exclamation, Buttons::Ok};
}

Message DisabledModesMessage(std::uint8_t disabledFlags) {
    std::string text =
        "The following operating modes are used in the memory data but are currently "
        "disabled:\n\n";
    text += ModeNameLines(disabledFlags);
    text += "\nDo you wish to update memory data to use a valid mode?\n";
    text += "\nPress OK to update data or CANCEL to leave data unchanged";
    return {text, "Radio Operating Modes", Icon::Exclamation, Buttons::OkCancel};
}

std::int16_t CheckMemory(ChannelMemory& memory, Operator& op) {
    int invalid = 0;
    std::int16_t shadows = 0;
    std::uint8_t disabled = 0;
    std::array<int, kZoneCount> zoneCounts{};

    for (int index = 0; index <= kLastRecord; ++index) {
        const ChannelRecord& r = memory.Rec(index);
        if (r.IsShadow()) {
            ++shadows;
            if (r.Prim == r.Chnl) {
                ++invalid;
            }
        } else if (index != kDefaultRecord && r.IsDefined()) {
            ++zoneCounts[static_cast<std::size_t>(ZoneOf(r.Scan))];
        }
        invalid += FrequencyOutOfRange(r.RFrq);
        invalid += !IsHexText(r.RNAC.View(), 3) + !IsHexText(r.RTG.View(), 4);
        invalid += FrequencyOutOfRange(r.TFrq);
        invalid += !IsHexText(r.TNAC.View(), 3) + !IsHexText(r.TTG.View(), 4);
        if (ModeFlag(r.Mode) == 0) {
            // A number that is no mode at all cannot be sent; call it invalid data.
            ++invalid;
        } else if (!IsModeAllowed(memory.EnabledModes, r.Mode, r.TFrq.View())) {
            disabled |= ModeFlag(r.Mode);
        }
    }
    for (int count : zoneCounts) {
        invalid += count > kMaxChannelsPerZone;
    }

    if (invalid != 0) {
        op.Tell(InvalidDataMessage());
    }
    if (disabled != 0 && op.Ask(DisabledModesMessage(disabled)) == Answer::Ok) {
        const auto replacement = FirstEnabledMode(memory.EnabledModes);
        for (int index = 0; index <= kLastRecord && replacement; ++index) {
            ChannelRecord& r = memory.Rec(index);
            // The repair has no wideband exception, and moves a number that is no mode too.
            if ((memory.EnabledModes & ModeFlag(r.Mode)) == 0) {
                r.Mode = *replacement;
            }
        }
    }
    memory.Current = kLastRecord + 1;
    return shadows;
}

}  // namespace kld
