// The whole open of a channel file, whatever the file holds: its kind recognised by content, a
// native file's records or an older file's import, then the memory check, the stamp rule and
// channel 1.
//
//   byte 0  bit 0  the operator's answers (import an unrecognised file as an old one; move
//                  channels out of disabled modes): Yes and OK, else No and Cancel
//           bit 1  a memory stamp from the radio is held
//           bit 2  the last receive brought shadows
//   then    the file
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kld;
    using namespace kld::fuzz;
    if (size == 0) {
        return 0;
    }
    const bool agree = (data[0] & 1) != 0;
    ChannelMemory memory = StartMemory();
    memory.Rec(9) = memory.Rec(kFirstChannel);  // something the open must reset
    ++memory.ZoneCounts[0];
    ProgramState state;
    if (data[0] & 2) {
        state.MemoryStamp = "20240229235959";
    }
    state.RxShadowCount = (data[0] & 4) != 0 ? 1 : 0;
    const std::string stamp = state.MemoryStamp;

    AnsweringOperator op(agree);
    const Result<Opened> result = OpenChannelData({data + 1, size - 1}, memory, state, op);
    if (result && *result == Opened::Loaded) {
        Require(memory.Current == kFirstChannel, "channel 1 is current after an open");
        CheckZoneCounts(memory);
        if (op.invalidData == 0) {
            CheckNoListOverfull(memory);
        }
        bool shadows = state.RxShadowCount != 0;
        for (int index = 0; index <= kLastRecord; ++index) {
            shadows = shadows || memory.Rec(index).IsShadow();
        }
        Require(state.MemoryStamp == (shadows ? std::string(kNoStamp) : stamp),
                "a memory stamp survives an open only without shadows");
    } else {
        const ChannelMemory start = StartMemory();
        Require(SameRecords(memory, start) && memory.ZoneCounts == start.ZoneCounts,
                "a file not loaded leaves the reset memory");
        Require(state.MemoryStamp == stamp, "a file not loaded leaves the stamp");
    }
    CheckViews(memory);  // the open ran the memory check
    return 0;
}
