#pragma once

#include <string>

#include "channel_memory.h"

namespace kld {

// The channel label of a record: "DEF", "GD1", "GD2" or the number as three digits.
std::string ChannelLabel(int index);

// The summary line of record `index`, exact to the column: the list shows it, the text listing
// writes it and the text import reads it back by position. 86 characters for a channel, 75 for
// an undefined one and 73 for an erased one, whatever numbers the record holds.
std::string SummaryLine(const ChannelRecord& record, int index);

}  // namespace kld
