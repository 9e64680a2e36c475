// Any file that failed the native header test, taken the way "Open File" takes it, with the
// old-file question answered Yes.
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kld;
    const auto import = [](std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                           Operator& op) -> std::optional<Failure> {
        const Result<Opened> opened = ImportOlderFile(bytes, memory, op);
        return !opened                     ? opened.Error()
               : *opened == Opened::Loaded ? std::optional<Failure>()
                                           : Failure{"declined"};
    };
    fuzz::RunImport(import, data, size);
    return 0;
}
