// Any file that failed the native header test, taken the way "Open File" takes it, with the
// old-file question answered Yes.
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kld::fuzz::RunImport(kld::ImportOlderFile, data, size);
    return 0;
}
