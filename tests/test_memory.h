#pragma once
// Small helpers the test suites share.
#include <cstdint>
#include <span>
#include <string>

#include "channel_memory.h"
#include "codecs.h"
#include "settings_file.h"

namespace kld::test {

// The memory a fresh program holds: the template of a new settings file, then the reset.
inline ChannelMemory ResetMemory() {
    ChannelMemory memory;
    memory.Rec(0) = TemplateRecord();
    ClearMemory(memory);
    return memory;
}

// A radio's memory: Main, the guards and channels of their own from 2 on, every `step`-th up to
// 40, even ones Narrow (noise squelch) and odd ones Digital, in lists 1 to 3; with step 1 every
// channel, so that a transfer moves the whole table.
inline ChannelMemory PlanMemory(int step = 6) {
    ChannelMemory memory = ResetMemory();
    for (int index = 2; index <= (step == 1 ? kLastOrdinaryChannel : 40); index += step) {
        ChannelRecord& r = memory.Rec(index) = memory.Rec(kFirstChannel);
        r.Select = kSelDefined | kSelCreatedHere,
        r.Prim = r.Chnl = static_cast<std::int16_t>(index);
        r.Desc = "Chan " + std::to_string(index);
        r.Scan = ScanOfZone(step == 1 ? index / 16 : index % 3 + 1);  // at most sixteen to a list
        const bool narrow = index % 2 == 0;
        r.Mode = narrow ? kModeNarrow : kModeDigital;
        r.RSql = r.TSql = narrow ? kSqlNoise : r.RSql;  // as the editor stores a Narrow channel
        r.RFrq = FormatFixed(150.0 + index * 0.0125, 4);
        r.TFrq = FormatFixed(155.0 + index * 0.025, 4);
        ++memory.ZoneCounts[static_cast<std::size_t>(ZoneOf(r.Scan))];
    }
    return memory;
}

// A text's bytes, as the file readers take them.
inline std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace kld::test
