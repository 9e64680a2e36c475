#pragma once
// Small helpers the test suites share.
#include <cstdint>
#include <span>
#include <string>

#include "channel_memory.h"
#include "settings_file.h"

namespace kld::test {

// The memory a fresh program holds: the template of a new settings file, then the reset.
inline ChannelMemory ResetMemory() {
    ChannelMemory memory;
    memory.Rec(0) = TemplateRecord();
    ClearMemory(memory);
    return memory;
}

// A text's bytes, as the file readers take them.
inline std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace kld::test
