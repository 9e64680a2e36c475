#pragma once

// Shared by the older-file import targets: run one reader on a start-up memory, check what no
// file may ever do to it, then put the result through everything that reads a memory.

#include <cstdlib>

#include "fuzz_support.h"
#include "older_files.h"

namespace kld::fuzz {

using ImportFunction = OpenResult (*)(std::span<const std::uint8_t>, ChannelMemory&, Operator&);

inline void RunImport(ImportFunction import, const std::uint8_t* data, std::size_t size) {
    const ChannelMemory start = StartMemory();
    ChannelMemory memory = start;
    YesOperator op;
    const OpenResult result = import({data, size}, memory, op);
    // The spare record is nobody's to write, and a failed read leaves the start-up memory.
    if (!(memory.Rec(kRecordSlots - 1) == start.Rec(kRecordSlots - 1))) {
        std::abort();
    }
    if (result == OpenResult::Failed && !(memory.Records == start.Records)) {
        std::abort();
    }
    Exercise(memory);
}

}  // namespace kld::fuzz
