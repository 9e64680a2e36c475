// A native channel data file's records, whatever their bytes.
#include "data_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kld::ChannelMemory memory = kld::fuzz::StartMemory();
    kld::LoadNativeRecords({data, size}, memory);
    kld::fuzz::Exercise(memory);
    return 0;
}
