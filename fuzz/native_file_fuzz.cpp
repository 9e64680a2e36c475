// A native channel data file's records, whatever their bytes.
#include "fuzz_support.h"
#include "record_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kld;
    using namespace kld::fuzz;
    ChannelMemory memory = StartMemory();
    LoadNativeRecords({data, size}, memory);

    // Saved again, the records are the file's bytes, the bytes of a short file's missing end as
    // zeros, and the bytes after record 232 left behind.
    static const std::string zeros(kDataFileBytes, '\0');
    const std::string saved = EncodeDataFile(memory, ProgramState{});
    const std::size_t fromFile = std::clamp(size, kHeaderBytes, kDataFileBytes) - kHeaderBytes;
    Require((fromFile == 0 ||
             std::memcmp(saved.data() + kHeaderBytes, data + kHeaderBytes, fromFile) == 0) &&
                std::memcmp(saved.data() + kHeaderBytes + fromFile, zeros.data(),
                            kDataFileBytes - kHeaderBytes - fromFile) == 0,
            "a loaded file saved again gives back its records byte for byte");

    CheckZoneCounts(memory);
    if (Exercise(memory) == 0) {
        CheckNoListOverfull(memory);
    }
    return 0;
}
