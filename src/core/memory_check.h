#pragma once

#include <cstdint>

#include "channel_memory.h"
#include "operator.h"

namespace kld {

// The two messages of the memory check, exactly as the operator sees them.
Message InvalidDataMessage();
Message DisabledModesMessage(std::uint8_t disabledFlags);

// Walks records 0 to 232 once after a load or a receive: tells the operator about invalid data,
// offers to move channels out of disabled modes, and returns the number of shadow records.
// Current is left at 233, one past the last record visited.
std::int16_t CheckMemory(ChannelMemory& memory, Operator& op);

}  // namespace kld
