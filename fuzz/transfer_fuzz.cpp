// The transfer engine talking to a radio that says whatever the input says, in every direction,
// with the program set up as the first two bytes of the input choose:
//
//   byte 0  bits 0-1  direction: send, receive, debug log (3 is a send too)
//           bit 2     debug mode: the transfer log is written
//           bit 3     a Logs folder for the radio's text log
//           bit 4     the radio's lines get correct checksums here; else they come as they are
//           bits 5-6  opening requests the radio refuses before it says anything else (its
//                     protocol level: the highest asks for the text log and a faster line)
//           bit 7     the operator's answer to the operating-mode warning: OK, else Cancel
//   byte 1  bits 0-1  the selection: channel 1 and guard 1; a shadow (its primary and the
//                     primary's other shadow go with it); a primary and its shadows; nothing
//           bit 2     channel 2 in wideband, selected; the radio has not enabled wideband
//           bit 3     purge the radio first
//
// The rest is what the radio says, a few bytes at a time, whatever it is asked.
#include <chrono>
#include <filesystem>

#include "fuzz_support.h"
#include "link/fake_host.h"
#include "shadows.h"
#include "transfer.h"
#include "wire_codec.h"

namespace {

using namespace kld;
using namespace kld::fuzz;

class ScriptedRadio : public SerialDevice {
  public:
    explicit ScriptedRadio(std::string bytes) : bytes_(std::move(bytes)) {}
    void SelectPort(int) override {}
    bool SetLineSettings(std::string_view) override { return true; }
    void SetBufferSizes(int, int) override {}
    bool Open() override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void DiscardInput() override {}
    bool Write(std::string_view) override { return true; }
    std::string ReadAvailable() override {
        const std::size_t rest = bytes_.size() - read_;
        const std::size_t n = std::min<std::size_t>(rest, 1 + rest % 97);
        std::string chunk = bytes_.substr(read_, n);
        read_ += n;
        return chunk;
    }
    void WaitForData(std::chrono::milliseconds) override {}

  private:
    std::string bytes_;
    std::size_t read_ = 0;
    bool open_ = false;
};

// What the radio says: its refusals of the opening request, then the input, line by line with
// a checksum added to each when `framed`. A last line without its CR stays as it is.
std::string RadioBytes(std::string_view input, int refusals, bool framed) {
    std::string bytes;
    for (int i = 0; i < refusals; ++i) {
        bytes += WithChecksum(kFrameRefused) + '\r';
    }
    if (!framed) {
        return bytes.append(input);
    }
    std::size_t start = 0;
    for (std::size_t cr; (cr = input.find('\r', start)) != std::string_view::npos; start = cr + 1) {
        bytes += WithChecksum(input.substr(start, cr - start)) + '\r';
    }
    return bytes.append(input.substr(start));
}

void Select(ChannelMemory& memory, int index) {
    memory.Rec(index).Select |= kSelSend;
}

// The start-up memory with channel 5 a primary of shadows 6 and 7, made as the shadow dialog
// makes them, and the selection the input chose.
ChannelMemory TransferMemory(std::uint8_t choice) {
    ChannelMemory memory = StartMemory();
    const auto define = [&memory](int index) -> ChannelRecord& {
        ChannelRecord& r = memory.Rec(index) = memory.Rec(kFirstChannel);
        r.Prim = r.Chnl = static_cast<std::int16_t>(index);
        r.Select = kSelDefined | kSelCreatedHere;
        ++memory.ZoneCounts[0];
        return r;
    };
    define(5).Desc = "Primary";
    CreateShadow(memory, "5", "6");
    CreateShadow(memory, "5", "7");
    for (ChannelRecord& r : memory.Records) {
        r.Select = static_cast<std::int16_t>(r.Select & ~kSelSend);
    }
    switch (choice & 3) {
        case 0:
            Select(memory, kFirstChannel);
            Select(memory, kGuard1);
            break;
        case 1:
            Select(memory, 6);
            break;
        case 2:
            Select(memory, 5);
            Select(memory, 6);
            Select(memory, 7);
            break;
        default:
            break;
    }
    if (choice & 4) {
        ChannelRecord& wide = define(2);
        wide.Mode = kModeWide;  // on 136 MHz: no marine-band exception
        Select(memory, 2);
    }
    memory.Current = kFirstChannel;
    return memory;
}

// Records equal but for their send flags.
bool SameButSendFlags(const ChannelMemory& a, const ChannelMemory& b) {
    for (std::size_t i = 0; i < a.Records.size(); ++i) {
        ChannelRecord r = a.Records[i];
        r.Select =
            static_cast<std::int16_t>((r.Select & ~kSelSend) | (b.Records[i].Select & kSelSend));
        if (!(r == b.Records[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t setup = data[0];
    const std::uint8_t choice = data[1];
    const auto direction = static_cast<Direction>((setup & 3) % 3);

    ChannelMemory memory = TransferMemory(choice);
    const ChannelMemory before = memory;
    ProgramState state;
    state.DebugMode = (setup & 0x04) != 0;
    state.PurgeMode = (choice & 0x08) != 0 ? 1 : 0;

    const std::filesystem::path& folder = ScratchFolder("transfer");
    std::error_code ec;
    std::filesystem::remove_all(folder / "Logs", ec);
    if (setup & 0x08) {
        std::filesystem::create_directory(folder / "Logs", ec);
    }

    ScriptedRadio radio(RadioBytes(AsText(data + 2, size - 2), (setup >> 5) & 3, setup & 0x10));
    test::FakeHost host;
    host.lingers = false;
    AnsweringOperator op((setup & 0x80) != 0);
    TransferContext context{memory, state, radio, host, op, folder};
    const TransferResult result = RadioTransfer(direction, context);

    // Only a receive changes what the views show; a send or a debug log may only mark records.
    switch (direction) {
        case Direction::Send:
            Require(SameButSendFlags(before, memory), "a send changes no record but send flags");
            break;
        case Direction::DebugLog:
            Require(SameRecords(before, memory), "reading the debug log changes no record");
            break;
        case Direction::Receive: {
            // A receive counts each list afresh with what the radio sends; the Main channel
            // and guards the reset made count only when the radio sends them too.
            std::array<std::int16_t, kZoneCount> counts{};
            bool received = false;
            for (int index = kDefaultRecord; index <= kLastRecord; ++index) {
                const ChannelRecord& r = memory.Rec(index);
                received = received || (r.Select & kSelFromRadio) != 0;
                if (index != kDefaultRecord && r.IsDefined() && (r.Select & kSelFromRadio) != 0 &&
                    !r.IsShadow()) {
                    ++counts[static_cast<std::size_t>(ZoneOf(r.Scan))];
                }
            }
            if (received) {
                Require(memory.ZoneCounts == counts, "list counts equal the records received");
            } else if (!result.Complete()) {
                Require(SameRecords(before, memory) && memory.ZoneCounts == before.ZoneCounts,
                        "a receive that stored nothing leaves the memory as it was");
            }
            if (result.Complete()) {
                CheckViews(memory);
            } else {
                Exercise(memory);
            }
            break;
        }
    }
    return 0;
}
