// An old headerless channel file, whatever its slots hold.
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kld::fuzz::RunImport(kld::ImportOldChannelFile, data, size);
    return 0;
}
