#pragma once

#include <string>
#include <string_view>

#include "channel_memory.h"

namespace kld {

// The summary line of record `index`, exact to the column: the list shows it, the text listing
// writes it and the text import reads it back by position. 86 characters for a channel, 75 for
// an undefined one and 73 for an erased one, whatever numbers the record holds.
std::string SummaryLine(const ChannelRecord& record, int index);
inline constexpr std::size_t kMaxSummaryLineChars = 86;  // a channel's

// The heading label above the summary list in the window.
inline constexpr std::string_view kSummaryHeading =
    "Chan  Scan    Description    Mode   Freq          Sql   Tone    Code   T.G.   NAC       "
    "Freq         Sql   Tone    Code   T.G.   NAC";

// The same line appended to `out`, for a caller that writes many of them into one text.
void AppendSummaryLine(std::string& out, const ChannelRecord& record, int index);

}  // namespace kld
