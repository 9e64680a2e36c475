// Lines from a radio, whatever their text: rendered as text and debug-log lines; as a record
// frame stored safely and sendable again, and a record frame of hexadecimal pairs imaged again
// as it came, where the record can carry its bytes.
#include "codecs.h"
#include "debug_log.h"
#include "fuzz_support.h"
#include "tables.h"
#include "wire_codec.h"

namespace {

using namespace kld;
namespace at = image_offset;

// Whether a record stored from `frame` gives byte `i` back in its image. The length, the two
// direction letters and the bytes from the shadow slots on but the receive level are the
// program's own; a guard keeps its own list; a mode, tone or code the tables lack leaves the
// field as it was; a NAC's first digit travels alone in its byte; a text loses leading blanks.
bool Carried(const WireBuf& frame, std::size_t i) {
    if (i == at::Length || i == at::RLetter || i == at::TLetter ||
        (i >= at::ShadList && i != at::RFRec)) {
        return false;
    }
    if (i == at::Scan) {
        return frame[at::Chnl] != kGuard1 && frame[at::Chnl] != kGuard2;
    }
    if (i == at::Mode) {
        return ModePositionOfCode(frame[i]).has_value();
    }
    for (const std::size_t text : {at::Desc, at::RFrq, at::TFrq}) {
        if (i >= text && i < text + 8) {
            return frame[text] != ' ';
        }
    }
    for (const std::size_t half : {std::size_t{0}, at::TFrq - at::RFrq}) {
        if (i == at::RCTCSS + half) {
            return CtcssPositionOfCode(frame[i]).has_value();
        }
        if (i == at::RDCS + half) {
            return DcsPositionOfCode(frame[i]).has_value();
        }
        if (i == at::RNAC + half || i == at::RNAC + half + 1) {
            return frame[at::RNAC + half] < 16;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kld::fuzz;
    const std::string_view text = AsText(data, size);
    DataLineText(text);
    DebugLogRenderer renderer;
    for (std::size_t start = 0, end = 0; start <= text.size(); start = end + 1) {
        end = std::min(text.find('\r', start), text.size());
        renderer.Line(text.substr(start, end - start));
        DebugLogRenderer::ProgressFor(text.substr(start, end - start), kLastRecord);
    }
    renderer.Finish();
    ChannelMemory memory = StartMemory();
    // The transfer refuses frames longer than its buffer before decoding them.
    if (text.size() > kMaxFrameChars || StoreRecordFrame(text, memory) != 1) {
        return 0;
    }
    // A stored record always keeps positions inside the tables, and its small integers came in
    // as bytes, so it can always be sent back.
    const auto image = RecordImage(memory, memory.Current);
    Require(image.has_value(), "a record stored from a frame can be sent again");
    WireBuf frame{'T', '1'};
    bool pairs = text.size() == kRecordFrameChars && text.starts_with(kFrameKindData);
    for (std::size_t i = 2; pairs && i < kRecordImageBytes; ++i) {
        const auto byte = HexPairValue(text.substr(2 * i - 2, 2));
        pairs = byte.has_value();
        frame[i] = byte.value_or(0);
    }
    for (std::size_t i = 2; pairs && i < kRecordImageBytes; ++i) {
        Require(!Carried(frame, i) || (*image)[i] == frame[i],
                "a record frame stored and imaged again keeps the bytes its record carries");
    }
    CheckSummaryLine(memory, memory.Current);
    return 0;
}
