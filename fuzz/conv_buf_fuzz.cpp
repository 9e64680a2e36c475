// Record frames from a radio, whatever their text: stored safely, and sendable again.
#include "fuzz_support.h"
#include "wire_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kld::fuzz;
    const std::string_view text = AsText(data, size);
    if (text.size() > kld::kMaxFrameChars) {
        return 0;  // the transfer refuses longer frames before decoding them
    }
    kld::ChannelMemory memory = StartMemory();
    if (kld::StoreRecordFrame(text, memory) == 1) {
        // A stored record always keeps positions inside the tables, and its small integers
        // came in as bytes, so it can always be sent back.
        Require(kld::RecordImage(memory, memory.Current).has_value(),
                "a record stored from a frame can be sent again");
    }
    Exercise(memory);
    return 0;
}
