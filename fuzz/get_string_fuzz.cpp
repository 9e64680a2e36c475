// Text and debug-log lines from a radio, whatever their characters.
#include "debug_log.h"
#include "fuzz_support.h"
#include "wire_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = kld::fuzz::AsText(data, size);
    kld::DataLineText(text);
    kld::DebugLogRenderer renderer;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\r', start), text.size());
        renderer.Line(text.substr(start, end - start));
        kld::DebugLogRenderer::ProgressFor(text.substr(start, end - start), 232);
        start = end + 1;
    }
    renderer.Finish();
    return 0;
}
