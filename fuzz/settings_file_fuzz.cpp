// The settings file's template record, whatever the file holds.
#include "fuzz_support.h"
#include "modes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kld::fuzz;
    const auto settings = kld::ParseSettings({data, size}, kld::ProgramVersion{});
    if (!settings) {
        return 0;
    }
    kld::ChannelMemory memory;
    memory.Rec(kld::kDefaultRecord) = settings->Template;
    kld::AdjustTemplateMode(memory.Rec(kld::kDefaultRecord).Mode, memory.EnabledModes);
    kld::ClearMemory(memory);
    CheckZoneCounts(memory);
    Exercise(memory);
    return 0;
}
