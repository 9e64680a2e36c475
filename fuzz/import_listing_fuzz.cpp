// A text listing, whatever its lines hold.
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kld::fuzz::RunImport(kld::ImportTextListing, data, size);
    return 0;
}
