#pragma once

#include <cstdint>
#include <span>

#include "channel_memory.h"
#include "data_file.h"
#include "operator.h"

namespace kld {

// Reads a file that failed the native header test into a reset memory, recognising its kind by
// content. Unrecognised content asks the operator whether to try it as an old headerless file.
OpenResult ImportOlderFile(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                           Operator& op);

}  // namespace kld
