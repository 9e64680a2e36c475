// A KVS-220 channel list, whatever its lines hold.
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kld::fuzz::RunImport(kld::ImportKvs220List, data, size);
    return 0;
}
