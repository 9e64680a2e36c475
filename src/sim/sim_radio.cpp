#include "sim_radio.h"

#include <algorithm>

#include "characters.h"
#include "codecs.h"
#include "data_file.h"
#include "operator.h"
#include "program_state.h"
#include "wire_codec.h"

namespace kld::sim {

namespace {

constexpr std::string_view kGarbage = "xyz\r";
constexpr std::size_t kStampDigits = 14;
// Data bytes a kind "1" line can carry after its length byte and address.
constexpr std::size_t kMaxLineData = (kMaxFrameChars - 8) / 2;

// Where byte `at` of a frame starts in its text.
constexpr std::size_t TextPosition(std::size_t at) {
    return 2 * at - 2;
}

bool Matches(const std::string& only, std::string_view line) {
    return only.empty() || line.starts_with(only);
}

// A kind "1" line carrying text, as the text log goes out.
std::string TextFrame(std::string_view text) {
    text = text.substr(0, std::min(text.size(), kMaxLineData));
    std::string frame =
        std::string(kFrameKindData) + HexPair(static_cast<std::uint8_t>(3 + text.size())) + "0000";
    for (const char ch : text) {
        frame += HexPair(static_cast<std::uint8_t>(ch));
    }
    return frame;
}

// The code byte of an opening request, right after its prefix.
std::string_view OpeningCode(std::string_view body) {
    return body.size() >= kFrameOpeningPrefix.size() + 2
               ? body.substr(kFrameOpeningPrefix.size(), 2)
               : std::string_view{};
}

// A record frame whose address left the table: StoreRecordFrame stores nothing for it.
std::string OutOfRange(std::string frame) {
    frame.replace(TextPosition(image_offset::AddrHigh), 4, "0100");
    return frame;
}

// A record frame padded past what the program's frame buffer holds.
std::string OverLong(std::string frame) {
    frame += std::string(kMaxFrameChars + 3 - frame.size(), '0');
    frame.replace(TextPosition(image_offset::Length), 2,
                  HexPair(static_cast<std::uint8_t>((frame.size() - 2) / 2)));
    return frame;
}

// The record frame with the first character of its description changed, still printable.
std::string Corrupted(std::string frame) {
    const std::size_t at = TextPosition(image_offset::Desc);
    const auto ch = HexPairValue(std::string_view(frame).substr(at, 2)).value_or(0);
    frame.replace(at, 2,
                  HexPair(static_cast<std::uint8_t>(ch >= 0x20 && ch < 0x7E ? ch + 1 : '!')));
    return frame;
}

// Answers every question the way a technician running the simulator would want: nothing is
// imported or repaired behind their back. Remembers the last thing said.
class QuietOperator : public Operator {
  public:
    std::string said;

    kld::Answer Ask(const Message& message) override {
        said = message.text;
        switch (message.buttons) {
            case Buttons::Ok:
                return kld::Answer::Ok;
            case Buttons::OkCancel:
                return kld::Answer::Cancel;
            case Buttons::YesNo:
            case Buttons::YesNoCancel:
            case Buttons::StoreDiscardCancel:
                break;
        }
        return kld::Answer::No;
    }
    void Beep() override {}
};

}  // namespace

void BlankMemory(ChannelMemory& memory) {
    memory.Records.fill(ChannelRecord{});
    memory.ZoneCounts.fill(0);
    memory.Current = 0;
}

SimRadio::SimRadio(SimConfig config)
    : config_(std::move(config)), faults_(config_.faults), stamp_(config_.memoryStamp) {
    BlankMemory(memory_);
    vanished_ = faults_.vanishAfterLines && *faults_.vanishAfterLines <= 0;
}

void SimRadio::Receive(std::string_view bytes) {
    for (const char ch : bytes) {
        if (vanished_) {
            return;
        }
        if (ch == '\n') {
            continue;
        }
        if (ch != '\r') {
            partial_ += ch;
            continue;
        }
        const std::string line = std::move(partial_);
        partial_.clear();
        if (!line.empty()) {
            HandleLine(line);
        }
    }
}

std::string SimRadio::TakeOutput() {
    std::string all;
    for (const Burst& burst : TakeBursts()) {
        all += burst.bytes;
    }
    return all;
}

std::vector<Burst> SimRadio::TakeBursts() {
    std::vector<Burst> taken;
    taken.swap(output_);
    return taken;
}

void SimRadio::HandleLine(const std::string& line) {
    ++linesReceived_;
    const bool silent = faults_.silentAfterLines && linesReceived_ > *faults_.silentAfterLines;

    bool checksumOk = false;
    std::string body;
    if (line.size() > 2 && line.front() == 'T') {
        body = line.substr(0, line.size() - 2);
        const auto sum = HexPairValue(std::string_view(line).substr(line.size() - 2));
        checksumOk = sum && *sum == FrameChecksum(body);
    }

    const std::optional<std::string> answer =
        checksumOk ? Command(body) : std::optional<std::string>(kFrameRefused);
    if (answer && !silent) {
        Emit(line, *answer);
    }
    // A speed change takes effect once its acceptance is out; the end of a receive goes out at
    // the speed the receive ran at.
    if (pendingRate_) {
        rate_ = *pendingRate_;
        pendingRate_.reset();
    }

    if (faults_.vanishAfterLines && linesReceived_ >= *faults_.vanishAfterLines) {
        vanished_ = true;
    }
}

std::optional<std::string> SimRadio::Command(const std::string& body) {
    if (body.starts_with(kFrameKindOpening)) {
        // A new conversation: whatever ran before is over, and it starts at 9600.
        stream_ = Stream::None;
        rate_ = kSlowRate;
        const auto code = HexPairValue(OpeningCode(body));
        if (config_.endlessRefusals || !code) {
            return std::string(kFrameRefused);
        }
        const int refusedSoFar = std::max(0, *code - kFirstOpeningCode);
        return std::string(refusedSoFar < config_.protocolLevel ? kFrameRefused : kFrameAccepted);
    }
    if (body.starts_with(kFrameKindData)) {
        return stream_ == Stream::Send ? StoreRecord(body) : std::string(kFrameRefused);
    }
    if (body == kFrameEnd) {
        if (stream_ == Stream::Send) {
            ++completedSends_;
        }
        stream_ = Stream::None;
        rate_ = kSlowRate;
        return std::nullopt;
    }
    if (body == kFrameSpeedChange) {
        pendingRate_ = kFastRate;
        return std::string(kFrameAccepted);
    }
    if (body.starts_with(kFrameStamp)) {
        const std::string stamp = body.substr(kFrameStamp.size());
        if (stamp.size() != kStampDigits || !IsDigits(stamp)) {
            return std::string(kFrameRefused);
        }
        stamp_ = stamp;
        return std::string(kFrameAccepted);
    }
    // Before the bare commands: erasing channel 0 reads like one of them.
    if (body.size() == kEraseFrameChars && body.starts_with(kFrameErasePrefix) &&
        body.ends_with(kFrameEraseSuffix)) {
        const auto channel =
            HexPairValue(std::string_view(body).substr(kFrameErasePrefix.size(), 2));
        if (!channel || !IsRecordIndex(*channel)) {
            return std::string(kFrameRefused);
        }
        memory_.Rec(*channel).Select = 0;
        return std::string(kFrameAccepted);
    }
    if (body == kFrameAccepted) {
        return Next();
    }
    if (body == kFrameRefused) {
        return Repeat();
    }
    if (body == kFrameModesQuestion) {
        return std::string(kFrameModesAnswer) + HexPair(config_.enabledModes);
    }
    if (body == kFrameVersionQuestion) {
        return std::string(kFrameVersionAnswer) + config_.version;
    }
    if (body == kFrameStampQuestion) {
        return std::string(kFrameStamp) + stamp_;
    }
    if (body == kFrameTextLogQuestion) {
        if (config_.textLogName.empty()) {
            stream_ = Stream::None;
            return std::string(kFrameEnd);
        }
        stream_ = Stream::TextLog;
        cursor_ = 0;
        return TextFrame(config_.textLogName);
    }
    if (body == kFrameBeginSend) {
        stream_ = Stream::Send;
        recordFrames_ = 0;
        lastFrameRefused_ = false;
        refusalsLeft_ = faults_.refuseRecordTimes;
        return std::string(kFrameAccepted);
    }
    if (body == kFramePurge) {
        BlankMemory(memory_);
        return std::string(kFrameAccepted);
    }
    if (body == kFrameBeginReceive || body == kFrameBeginDebugLog) {
        stream_ = body == kFrameBeginReceive ? Stream::Receive : Stream::DebugLog;
        cursor_ = 0;
        return std::string(kFrameAccepted);
    }
    return std::string(kFrameRefused);
}

std::optional<std::string> SimRadio::Next() {
    switch (stream_) {
        case Stream::TextLog:
            if (cursor_ < config_.textLogLines.size()) {
                return TextFrame(config_.textLogLines[cursor_++]);
            }
            stream_ = Stream::None;
            return std::string(kFrameEnd);
        case Stream::Receive:
            return NextRecord();
        case Stream::DebugLog:
            if (cursor_ < config_.debugLog.size()) {
                const std::string& line = config_.debugLog[cursor_++];
                return std::string(kFrameKindData) +
                       HexPair(static_cast<std::uint8_t>(1 + line.size() / 2)) + line;
            }
            EndStream();
            return std::string(kFrameEnd);
        case Stream::None:
        case Stream::Send:
            break;
    }
    return std::string(kFrameAccepted);
}

std::string SimRadio::NextRecord() {
    std::string frame;
    while (frame.empty() && IsRecordIndex(static_cast<int>(cursor_))) {
        const int index = static_cast<int>(cursor_++);
        if (!memory_.Rec(index).IsDefined()) {
            continue;
        }
        // A record the image cannot carry stays in the radio; the rest still go out.
        if (const auto image = RecordImage(memory_, index)) {
            frame = RecordFrameText(*image);
        }
    }
    if (frame.empty()) {
        EndStream();
        return std::string(kFrameEnd);
    }
    if (faults_.overLongFrame) {
        faults_.overLongFrame = false;
        repeatLine_ = frame;
        return OverLong(frame);
    }
    if (faults_.outOfRangeRecords != 0) {
        if (faults_.outOfRangeRecords > 0) {
            --faults_.outOfRangeRecords;
        }
        repeatLine_ = frame;
        return OutOfRange(frame);
    }
    return frame;
}

std::optional<std::string> SimRadio::Repeat() {
    if (lastLine_.empty()) {
        return std::string(kFrameRefused);
    }
    if (stream_ == Stream::Receive && lastLine_.starts_with(kFrameKindData) &&
        faults_.outOfRangeRecords != 0) {
        if (faults_.outOfRangeRecords > 0) {
            --faults_.outOfRangeRecords;
        }
        repeatLine_ = lastLine_;
        return OutOfRange(lastLine_);
    }
    return lastLine_;
}

std::string SimRadio::StoreRecord(const std::string& body) {
    if (!lastFrameRefused_) {
        ++recordFrames_;
    }
    lastFrameRefused_ = true;
    if (recordFrames_ == faults_.refuseRecordFrame && refusalsLeft_ > 0) {
        --refusalsLeft_;
        return std::string(kFrameRefused);
    }
    const bool corrupt = faults_.corruptRecord && RecordAddress(body) == *faults_.corruptRecord;
    if (body.size() != kRecordFrameChars ||
        body.substr(TextPosition(image_offset::Length), 2) != HexPair(kRecordLengthByte) ||
        StoreRecordFrame(corrupt ? Corrupted(body) : body, memory_) != 1) {
        return std::string(kFrameRefused);
    }
    lastFrameRefused_ = false;
    return std::string(kFrameAccepted);
}

void SimRadio::EndStream() {
    stream_ = Stream::None;
    pendingRate_ = kSlowRate;
}

void SimRadio::Emit(const std::string& line, const std::string& body) {
    if (faults_.garbageLines > 0 && Matches(faults_.garbageFor, line)) {
        for (int i = 0; i < faults_.garbageLines; ++i) {
            Put(kGarbage);
        }
    }
    if (faults_.busyAnswers > 0 && Matches(faults_.busyFor, line)) {
        for (int i = 0; i < faults_.busyAnswers; ++i) {
            Put(WithChecksum(kFrameBusy) + "\r");
        }
    }
    std::string text = WithChecksum(body);
    if (faults_.badChecksums != 0 && Matches(faults_.badChecksumFor, line)) {
        if (faults_.badChecksums > 0) {
            --faults_.badChecksums;
        }
        text.replace(text.size() - 2, 2,
                     HexPair(static_cast<std::uint8_t>(FrameChecksum(body) + 1)));
    }
    Put(text + "\r");
    lastLine_ = repeatLine_.value_or(body);
    repeatLine_.reset();
}

void SimRadio::Put(std::string_view bytes) {
    if (output_.empty() || output_.back().rate != rate_) {
        output_.push_back(Burst{{}, rate_});
    }
    output_.back().bytes += bytes;
}

bool SimRadio::LoadFile(const std::filesystem::path& path, std::string& error) {
    ProgramState state;
    QuietOperator op;
    const Result<Opened> opened = OpenChannelFile(path, memory_, state, op);
    if (!opened || *opened != Opened::Loaded) {
        BlankMemory(memory_);
        const std::string said = opened ? op.said : opened.Error().message;
        error = path.string() + ": " + (said.empty() ? "not a channel data file" : said);
        return false;
    }
    return true;
}

bool SimRadio::SaveFile(const std::filesystem::path& path) const {
    ProgramState state;
    state.RadioVersion = config_.version;
    ChannelMemory copy = memory_;
    return !SaveChannelFile(path, copy, state);
}

}  // namespace kld::sim
