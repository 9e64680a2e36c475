#include "verify.h"

#include <algorithm>

#include "codecs.h"
#include "field_rules.h"
#include "operator.h"
#include "shadows.h"
#include "tables.h"

namespace kld {

namespace {

namespace at = image_offset;

// How a field's bytes read for a technician.
enum class Shown { Number, Flags, Text, Squelch, TalkGroup, Tone, Code, Mode, Nac, IdCall };

struct WireField {
    std::string_view name;
    std::size_t at;
    std::size_t width;
    Shown shown;
};

// Every byte a record frame carries that the radio keeps, in frame order. The shadow slots and
// the bytes after the receive level go out as zero and are the radio's own business.
constexpr WireField kFields[] = {
    {"Shadow flags", at::Shad, 1, Shown::Flags},
    {"Primary", at::Prim, 1, Shown::Number},
    {"Channel number", at::Chnl, 1, Shown::Number},
    {"List", at::Scan, 1, Shown::Flags},
    {"Description", at::Desc, 8, Shown::Text},
    {"Extra flags", at::EFlags, 1, Shown::Flags},
    {"Mode", at::Mode, 1, Shown::Mode},
    {"Rx Frequency", at::RFrq, 8, Shown::Text},
    {"Rx Squelch", at::RSql, 1, Shown::Squelch},
    {"Rx Talk Group", at::RTG, 2, Shown::TalkGroup},
    {"Rx Tone", at::RCTCSS, 1, Shown::Tone},
    {"Rx Code", at::RDCS, 1, Shown::Code},
    {"Rx NAC", at::RNAC, 2, Shown::Nac},
    {"Tx Frequency", at::TFrq, 8, Shown::Text},
    {"Tx Squelch", at::TSql, 1, Shown::Squelch},
    {"Tx Talk Group", at::TTG, 2, Shown::TalkGroup},
    {"Tx Tone", at::TCTCSS, 1, Shown::Tone},
    {"Tx Code", at::TDCS, 1, Shown::Code},
    {"Tx NAC", at::TNAC, 2, Shown::Nac},
    {"ID Call", at::IDCall, 4, Shown::IdCall},
    {"Noise Squelch Level", at::RFRec, 1, Shown::Number},
};

std::string CodeText(std::uint8_t code) {
    return "code 0x" + HexPair(code);
}

std::string FieldText(const WireBuf& image, const WireField& field) {
    const std::uint8_t b = image[field.at];
    switch (field.shown) {
        case Shown::Number:
            return std::to_string(b);
        case Shown::Flags:
            return "0x" + HexPair(b);
        case Shown::Text: {
            std::string text;
            for (std::size_t i = 0; i < field.width; ++i) {
                const auto ch = image[field.at + i];
                text += ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '?';
            }
            text.erase(text.find_last_not_of(' ') + 1);
            return '"' + text + '"';
        }
        case Shown::Squelch:
            return b > 0x20 && b < 0x7F ? std::string(1, static_cast<char>(b)) : CodeText(b);
        case Shown::TalkGroup:
            return HexPair(b) + HexPair(image[field.at + 1]);
        case Shown::Tone: {
            const auto position = CtcssPositionOfCode(b);
            return position ? std::string(CtcssText(*position)) + " Hz" : CodeText(b);
        }
        case Shown::Code: {
            const auto position = DcsPositionOfCode(b);
            return position ? std::string(DcsText(*position)) : CodeText(b);
        }
        case Shown::Mode: {
            const auto position = ModePositionOfCode(b);
            return position ? std::string(ModeName(*position)) : CodeText(b);
        }
        case Shown::Nac:
            return ToHex(std::to_string(b), 1) + HexPair(image[field.at + 1]);
        case Shown::IdCall:
            return IdCallText({image[field.at], image[field.at + 1], image[field.at + 2],
                               image[field.at + 3], 0});
    }
    return {};
}

bool SameBytes(const WireBuf& a, const WireBuf& b, const WireField& field) {
    return std::equal(a.begin() + static_cast<long>(field.at),
                      a.begin() + static_cast<long>(field.at + field.width),
                      b.begin() + static_cast<long>(field.at));
}

// The line to the radio, passed through untouched, keeping a copy of every record frame the
// program will take once the receive has begun: what the radio sent, before the program's
// decoding puts defaults in place of codes its tables do not know.
class CapturingLine : public SerialDevice {
  public:
    explicit CapturingLine(SerialDevice& line) : line_(line) {}

    const RadioImages& Images() const { return images_; }

    void SelectPort(int number) override { line_.SelectPort(number); }
    bool SetLineSettings(std::string_view settings) override {
        return line_.SetLineSettings(settings);
    }
    void SetBufferSizes(int receive, int transmit) override {
        line_.SetBufferSizes(receive, transmit);
    }
    bool Open() override { return line_.Open(); }
    std::string OpenFailureDetail() const override { return line_.OpenFailureDetail(); }
    void Close() override { line_.Close(); }
    bool IsOpen() const override { return line_.IsOpen(); }
    void DiscardInput() override {
        line_.DiscardInput();
        pending_.clear();
    }
    bool Write(std::string_view bytes) override {
        if (bytes.starts_with(kFrameBeginReceive)) {
            receiving_ = true;
            images_ = {};
            pending_.clear();
        }
        return line_.Write(bytes);
    }
    bool Drain(std::chrono::milliseconds bound) override { return line_.Drain(bound); }
    std::string ReadAvailable() override {
        std::string bytes = line_.ReadAvailable();
        if (receiving_) {
            Take(bytes);
        }
        return bytes;
    }
    void WaitForData(std::chrono::milliseconds bound) override { line_.WaitForData(bound); }
    bool Failed() const override { return line_.Failed(); }

  private:
    void Take(std::string_view bytes) {
        for (const char ch : bytes) {
            if (ch != '\r') {
                // Beyond the longest frame nothing is a record; the line's end still counts.
                if (pending_.size() <= kMaxFrameChars + 2) {
                    pending_ += ch;
                }
                continue;
            }
            Store(pending_);
            pending_.clear();
        }
    }

    // Takes a line as the receive does: a frame with a good checksum whose address names a
    // record, its bytes read as the receive's frame buffer reads them.
    void Store(std::string_view line) {
        if (line.size() < 3 || line.front() != 'T') {
            return;
        }
        const std::string_view body = line.substr(0, line.size() - 2);
        if (HexValue(line.substr(line.size() - 2)) != FrameChecksum(body) ||
            !body.starts_with(kFrameKindData) || body.size() > kMaxFrameChars) {
            return;
        }
        const int address = RecordAddress(body);
        if (!IsRecordIndex(address)) {
            return;
        }
        WireBuf image{};
        image[0] = static_cast<std::uint8_t>(body[0]);
        image[1] = static_cast<std::uint8_t>(body[1]);
        for (std::size_t i = 2; i <= body.size() / 2 && i < kWireBufSize; ++i) {
            image[i] = static_cast<std::uint8_t>(HexValue(body.substr(2 * i - 2, 2)) & 0xFF);
        }
        images_[static_cast<std::size_t>(address)] = image;
    }

    SerialDevice& line_;
    RadioImages images_{};
    std::string pending_;
    bool receiving_ = false;
};

// The operator of the scratch memory's memory check: its remark stays unsaid, and its offer to
// change modes is declined, which also keeps the radio's modes in what is compared.
class DecliningOperator : public Operator {
  public:
    Answer Ask(const Message& message) override {
        return message.buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    void Beep() override {}
};

}  // namespace

std::vector<VerifyDifference> CompareWithRadio(const ChannelMemory& sent,
                                               const SendSelection& selection,
                                               const RadioImages& radio) {
    std::vector<VerifyDifference> differences;
    const auto held = [&](int index) -> const std::optional<WireBuf>& {
        return radio[static_cast<std::size_t>(index)];
    };
    std::vector<int> order = selection.written;
    order.insert(order.end(), selection.erased.begin(), selection.erased.end());
    std::sort(order.begin(), order.end());
    for (const int index : order) {
        const std::string label = ChannelBoxText(index);
        if (std::binary_search(selection.erased.begin(), selection.erased.end(), index)) {
            if (held(index)) {
                differences.push_back({label, "Channel", "erased", "still held"});
            }
            continue;
        }
        const auto image = SendImage(sent, index);
        if (!image) {
            differences.push_back(
                {label, "Channel", "cannot be sent", held(index) ? "held" : "not held"});
            continue;
        }
        if (!held(index)) {
            differences.push_back({label, "Channel", "sent", "missing"});
            continue;
        }
        const WireBuf& got = *held(index);
        const int chnl = (*image)[at::Chnl];
        for (const WireField& field : kFields) {
            // The program puts a guard in its own list whatever the radio says there.
            if (field.at == at::Scan && (chnl == kGuard1 || chnl == kGuard2)) {
                continue;
            }
            if (!SameBytes(*image, got, field)) {
                differences.push_back({label, std::string(field.name), FieldText(*image, field),
                                       FieldText(got, field)});
            }
        }
    }
    return differences;
}

TransferResult ReadRadioInto(ChannelMemory& scratch, ProgramState& scratchState,
                             const ChannelMemory& like, const ProgramState& state,
                             SerialDevice& device, TransferHost& host,
                             const std::filesystem::path& folder, const std::string& keepStamp) {
    // Only what the receive needs is taken over; the caller's memory is never touched.
    scratch = ChannelMemory{};
    scratch.EnabledModes = like.EnabledModes;
    scratch.NoiseSquelchLevel = like.NoiseSquelchLevel;
    scratch.PortNumber = like.PortNumber;
    scratchState = ProgramState{};
    scratchState.Version = state.Version;
    scratchState.DebugMode = state.DebugMode;
    DecliningOperator declining;
    TransferContext context{scratch, scratchState, device, host, declining, folder};
    return keepStamp.empty() ? RadioTransfer(Direction::Receive, context)
                             : ReceiveWithStamp(context, keepStamp);
}

VerifyResult VerifyRadio(const ChannelMemory& sent, const ProgramState& state, SerialDevice& device,
                         TransferHost& host, const std::filesystem::path& folder) {
    VerifyResult result;
    const SendSelection selection = SelectedForSending(sent);
    if (selection.Empty()) {
        result.transfer = {Outcome::NothingSelected, step::Opening,
                           TransferFailure(Outcome::NothingSelected, step::Opening, Direction::Send,
                                           sent.PortNumber)};
        return result;
    }

    ChannelMemory scratch;
    ProgramState scratchState;
    CapturingLine line(device);
    result.transfer = ReadRadioInto(scratch, scratchState, sent, state, line, host, folder, {});
    if (!result.transfer.Complete()) {
        return result;
    }
    result.radioStamp = scratchState.MemoryStamp;
    result.differences = CompareWithRadio(sent, selection, line.Images());
    result.recordsChecked = static_cast<int>(selection.written.size());
    result.erasesChecked = static_cast<int>(selection.erased.size());
    return result;
}

std::string VerifyReportText(const VerifyResult& result) {
    if (!result.transfer.Complete()) {
        const std::string detail = result.transfer.failure ? result.transfer.failure->detail : "";
        std::string text = "Verify failed: " + result.transfer.Message() + "\n";
        if (!detail.empty()) {
            text += detail + "\n";
        }
        return text;
    }
    if (result.differences.empty()) {
        return "Verify OK\n";
    }
    const std::size_t count = result.differences.size();
    std::string text = "Verify found " + std::to_string(count) +
                       (count == 1 ? " difference" : " differences") + ":\n";
    VerifyDifference heading{"Channel", "Field", "Sent", "In radio"};
    std::size_t widths[3] = {heading.channel.size(), heading.field.size(), heading.sent.size()};
    for (const VerifyDifference& d : result.differences) {
        widths[0] = std::max(widths[0], d.channel.size());
        widths[1] = std::max(widths[1], d.field.size());
        widths[2] = std::max(widths[2], d.sent.size());
    }
    const auto row = [&](const VerifyDifference& d) {
        const auto cell = [](const std::string& s, std::size_t width) {
            return s + std::string(width - s.size() + 2, ' ');
        };
        text += cell(d.channel, widths[0]) + cell(d.field, widths[1]) + cell(d.sent, widths[2]) +
                d.inRadio + "\n";
    };
    row(heading);
    for (const VerifyDifference& d : result.differences) {
        row(d);
    }
    return text;
}

}  // namespace kld
