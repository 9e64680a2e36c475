#pragma once

// Shared by the fuzz targets: a memory as the program starts with it, an operator that answers
// every question with Yes or OK, and the views every loaded memory must survive.

#include <cstdint>
#include <string_view>

#include "channel_memory.h"
#include "listings.h"
#include "memory_check.h"
#include "operator.h"
#include "settings_file.h"
#include "summary.h"

namespace kld::fuzz {

class YesOperator : public Operator {
  public:
    Answer Ask(const Message& m) override {
        return m.buttons == Buttons::YesNo || m.buttons == Buttons::YesNoCancel ? Answer::Yes
                                                                                : Answer::Ok;
    }
    void Beep() override {}
};

inline ChannelMemory StartMemory() {
    ChannelMemory memory;
    memory.Rec(kDefaultRecord) = TemplateRecord();
    ClearMemory(memory);
    return memory;
}

// Everything that reads a memory: the check (with its repair), every summary line, the listing
// and the dump.
inline void Exercise(ChannelMemory& memory) {
    YesOperator op;
    CheckDatabase(memory, op);
    for (int i = 0; i <= kLastRecord; ++i) {
        SummaryLine(memory.Rec(i), i);
    }
    TextListing(memory);
    ChannelDump(memory);
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace kld::fuzz
