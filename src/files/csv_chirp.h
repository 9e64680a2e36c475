#pragma once

// CHIRP's CSV columns for analog channels, read into this radio's channels where it can store
// them: FM is Wide, NFM Narrow, Duplex and Offset give the transmit frequency, the tone modes
// become CTCSS, DCS or noise squelch.

#include <array>
#include <string_view>

#include "csv_cells.h"

namespace kld::csv {

enum ChirpCol {
    kLocation,
    kName,
    kFrequency,
    kDuplex,
    kOffset,
    kToneMode,
    kRToneFreq,
    kCToneFreq,
    kDtcsCode,
    kDtcsPolarity,
    kRxDtcsCode,
    kCrossMode,
    kChirpMode,
};
inline constexpr std::array<std::string_view, 13> kChirpColumns{
    "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone", "rToneFreq",
    "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode"};
inline constexpr std::array<int, 3> kChirpRequired{kLocation, kFrequency, kChirpMode};

// A row of CHIRP's columns: an analog channel, mapped where this radio can store it, in the
// list the import places it in.
PlanRow ReadChirpRow(RowCells& cells, const ChannelRecord& templateRecord, SeenOn& seenOn);

}  // namespace kld::csv
