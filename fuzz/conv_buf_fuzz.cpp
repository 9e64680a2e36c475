// Record frames from a radio, whatever their text: stored safely, and sendable again.
#include <cstdlib>

#include "fuzz_support.h"
#include "wire_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = kld::fuzz::AsText(data, size);
    if (text.size() > kld::kMaxFrameChars) {
        return 0;  // the transfer refuses longer frames before decoding them
    }
    kld::ChannelMemory memory = kld::fuzz::StartMemory();
    if (kld::ConvBuf(text, memory) == 1 && !kld::MakeBuf(memory, memory.Current)) {
        // A stored record always keeps positions inside the tables; its small integers may
        // still not fit a byte only if the radio sent them so, which it cannot.
        std::abort();
    }
    kld::fuzz::Exercise(memory);
    return 0;
}
