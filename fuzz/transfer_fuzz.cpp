// The transfer engine talking to a radio that says whatever the input says, over a line that
// may fail part way, in every direction, from a memory read from the input:
//
//   byte 0  bits 0-1  direction: send, receive, debug log, verify
//           bit 2     debug mode: the transfer log is written
//           bit 3     a Logs folder for the radio's text log
//           bit 4     the radio's lines get correct checksums here; else they come as they are
//           bits 5-6  opening requests the radio refuses before it says anything else (its
//                     protocol level: the highest asks for the text log and a faster line)
//           bit 7     the operator's answers (the operating-mode warning, the memory check)
//   byte 1  bits 0-1  the line: sound; refusing every write from write N on; failed for good
//                     from write N on; silent for 29 s after write N (with bit 2 for good)
//           bit 3     purge the radio first
//           bits 4-7  N / 2
//   then    the memory (LoadedMemory), then what the radio says, whatever it is asked
#include <chrono>
#include <climits>
#include <filesystem>

#include "codecs.h"
#include "fake_host.h"
#include "fuzz_support.h"
#include "send_plan.h"
#include "transfer.h"
#include "verify.h"
#include "wire_codec.h"

namespace {

using namespace kld;
using namespace kld::fuzz;

enum Line { kSound, kRefusing, kFailing, kSilent };

class ScriptedRadio : public SerialDevice {
  public:
    ScriptedRadio(std::string bytes, std::uint8_t line)
        : bytes_(std::move(bytes)),
          line_(line & 3),
          faultAt_((line >> 4) * 2),
          silence_(line & 4 ? INT_MAX : 290) {}
    void SelectPort(int) override {}
    bool SetLineSettings(std::string_view) override { return true; }
    void SetBufferSizes(int, int) override {}
    bool Open() override { return opened = open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void DiscardInput() override {}
    bool Write(std::string_view bytes) override {
        const bool faulty = line_ != kSound && ++writes_ > faultAt_;
        if (faulty && line_ == kRefusing) {
            return false;
        }
        failed_ = faulty && line_ == kFailing;
        silent_ += faulty && line_ == kSilent && writes_ == faultAt_ + 1 ? silence_ : 0;
        const std::string_view frame = bytes.substr(0, bytes.size() - 3);  // no checksum, no CR
        begins += frame == kFrameBeginSend;
        if (frame == kFramePurge) {
            held = {};
        } else if (frame.size() == kRecordFrameChars && frame.starts_with(kFrameKindData)) {
            WireBuf image{'T', '1'};
            for (std::size_t i = 2; i < kRecordImageBytes; ++i) {
                image[i] = static_cast<std::uint8_t>(HexValue(frame.substr(2 * i - 2, 2)));
            }
            held[image[image_offset::AddrLow]] = image;
        }
        return true;
    }
    bool Drain(std::chrono::milliseconds) override { return open_ && !failed_; }
    // A few bytes at a time, never past a line end: a radio does not answer before it is asked.
    std::string ReadAvailable() override {
        if (silent_ > 0 || failed_ || read_ == bytes_.size()) {
            silent_ -= silent_ > 0;  // each empty read is a 100 ms wait on the host's clock
            return {};
        }
        const std::size_t rest = bytes_.size() - read_;
        const std::size_t line = std::min(bytes_.find('\r', read_), bytes_.size() - 1) + 1 - read_;
        std::string chunk = bytes_.substr(read_, std::min(line, 1 + rest % 97));
        read_ += chunk.size();
        return chunk;
    }
    void WaitForData(std::chrono::milliseconds) override {}
    bool Failed() const override { return failed_; }
    bool opened = false;
    int begins = 0;  // the sends begun
    // The records the radio holds after what it was sent: it started empty, and a send erases
    // none it writes.
    RadioImages held{};

  private:
    std::string bytes_;
    std::size_t read_ = 0;
    int line_, faultAt_, silence_, writes_ = 0, silent_ = 0;
    bool open_ = false, failed_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t setup = data[0];
    const bool agree = (setup & 0x80) != 0;
    Input in(data + 2, size - 2);
    ChannelMemory memory = LoadedMemory(in, agree);
    const ChannelMemory before = memory;
    ProgramState state;
    state.DebugMode = (setup & 0x04) != 0;
    state.PurgeMode = (data[1] >> 3) & 1;
    const std::filesystem::path& folder = ScratchFolder("transfer");
    std::error_code ec;
    std::filesystem::remove_all(folder / "Logs", ec);
    if (setup & 0x08) {
        std::filesystem::create_directory(folder / "Logs", ec);
    }
    // What the radio says: its refusals of the opening request, then the input, line by line with
    // a checksum added to each when bit 4 says so. A last line without its CR stays as it is.
    std::string said;
    for (int i = 0; i < ((setup >> 5) & 3); ++i) {
        said += WithChecksum(kFrameRefused) + '\r';
    }
    std::string_view rest = in.Rest();
    for (std::size_t cr; (setup & 0x10) && (cr = rest.find('\r')) != rest.npos;) {
        said += WithChecksum(rest.substr(0, cr)) + '\r';
        rest.remove_prefix(cr + 1);
    }
    ScriptedRadio radio(said.append(rest), data[1]);
    test::FakeHost host;
    if ((setup & 3) == 3) {
        const VerifyResult verified = VerifyRadio(memory, state, radio, host, folder);
        Require(VerifyReportText(verified).ends_with('\n'), "a verify report ends its last line");
        return 0;
    }
    const auto direction = static_cast<Direction>(setup & 3);
    AnsweringOperator op(agree);
    TransferContext context{memory, state, radio, host, op, folder};
    const TransferResult result = RadioTransfer(direction, context);
    // Only a receive changes what the views show; a send or a debug log may only mark records.
    if (direction == Direction::Send) {
        ChannelMemory flagsAsSent = before;
        for (std::size_t i = 0; i < before.Records.size(); ++i) {
            flagsAsSent.Records[i].Select =
                (before.Records[i].Select & ~kSelSend) | (memory.Records[i].Select & kSelSend);
        }
        Require(SameRecords(flagsAsSent, memory), "a send changes no record but send flags");
        if (const auto blocked = CheckBeforeSending(before, state.PurgeMode)) {
            Require(
                !radio.opened && !result.EndedNormally() &&
                    (result.outcome == Outcome::NothingSelected || result.step == blocked->index),
                "a send with a channel that cannot be sent ends before the port opens");
        }
        // The radio took every record frame as it came: a verify would find it as sent. (A
        // modes answer to any later command takes a send back to its version question,
        // and a second purge then wipes what the first pass wrote: not held to this.)
        Require(!result.Complete() || radio.begins != 1 ||
                    CompareWithRadio(before, SelectedForSending(before), radio.held).empty(),
                "a completed send leaves the radio holding every selected record as sent");
    } else if (direction == Direction::DebugLog) {
        Require(SameRecords(before, memory), "reading the debug log changes no record");
    } else {
        // A receive counts each list afresh with the records the radio sends (Main and the
        // guards the reset made count only when the radio sends them too); one that fails
        // before the first record leaves the memory as it was.
        Require(memory.ZoneCounts == Recount(memory, kSelFromRadio) ||
                    (SameRecords(before, memory) && memory.ZoneCounts == before.ZoneCounts),
                "a receive counts the records it received, or leaves the memory as it was");
        CheckViews(memory);
    }
    return 0;
}
