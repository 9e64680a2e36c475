#include "older_files.h"

#include "file_messages.h"

namespace kld {

OpenResult ImportOlderFile(std::span<const std::uint8_t> /*bytes*/, ChannelMemory& memory,
                           Operator& op) {
    if (op.Ask(UnrecognisedFormatMessage()) != Answer::Yes) {
        return OpenResult::Declined;
    }
    // No reader for the older kinds yet: report it as unreadable, with the reset memory.
    ClearMemory(memory);
    op.Tell(ReadErrorMessage());
    return OpenResult::Failed;
}

}  // namespace kld
