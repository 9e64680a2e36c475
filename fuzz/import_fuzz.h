#pragma once

// Shared by the older-file import targets: run one reader on a start-up memory, check what no
// file may ever do to it, then check everything that reads a memory.

#include "fuzz_support.h"
#include "older_files.h"

namespace kld::fuzz {

using ImportFunction = std::optional<Failure> (*)(std::span<const std::uint8_t>, ChannelMemory&,
                                                  Operator&);

inline void RunImport(ImportFunction import, const std::uint8_t* data, std::size_t size) {
    const ChannelMemory start = StartMemory();
    ChannelMemory memory = start;
    AnsweringOperator op;
    const std::optional<Failure> failed = import({data, size}, memory, op);
    Require(memory.Rec(kRecordSlots - 1) == start.Rec(kRecordSlots - 1),
            "the spare record is nobody's to write");
    if (failed) {
        Require(SameRecords(memory, start) && memory.ZoneCounts == start.ZoneCounts,
                "a failed read leaves the start-up memory");
    }
    // The imports keep the counts right channel by channel, not only once at the end.
    CheckZoneCounts(memory);
    if (Exercise(memory) == 0) {
        CheckNoListOverfull(memory);
    }
}

}  // namespace kld::fuzz
