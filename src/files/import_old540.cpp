// The old headerless channel file: 202 slots of 74 bytes from offset 0. Slots 1 to 200 are
// channels 1 to 200, slots 201 and 202 the two guards.

#include <array>
#include <string_view>

#include "codecs.h"
#include "import_common.h"
#include "older_files.h"
#include "record_layout.h"

namespace kld {

namespace {

constexpr int kOldSlots = 202;
constexpr int kOldGuardSlot1 = 201;
constexpr std::size_t kOldSlotBytes = 74;

// One 74-byte slot, read in its field order; integers are 16-bit little-endian, texts are
// space-padded single bytes, seen where they lie in the slot.
struct OldChannel {
    std::string_view name;         // offset 4, 10 chars
    std::int16_t mode = 0;         // 14: 0 narrow, 1 wide, other digital
    std::int16_t rxKind = 0;       // 16: squelch kind 1 tone, 2 code, other none
    std::string_view rxTalkGroup;  // 18, 6 chars
    std::int16_t rxTone = 0;       // 24
    std::int16_t rxCode = 0;       // 26
    std::string_view rxNac;        // 28, 6 chars
    std::string_view rxFreq;       // 34, 10 chars
    std::int16_t txKind = 0;       // 44
    std::string_view txTalkGroup;  // 46, 6 chars
    std::int16_t txTone = 0;       // 52
    std::int16_t txCode = 0;       // 54
    std::string_view txNac;        // 56, 6 chars
    std::string_view txFreq;       // 62, 10 chars
    std::int16_t inUse = 0;        // 72: not 0 when the slot holds a channel
};

// Reads a slot's fields in order. The slot is read whole first (a short file's missing bytes as
// zeros), so the fields need no test of the end of the data each.
class SlotReader {
  public:
    explicit SlotReader(const std::array<std::uint8_t, kOldSlotBytes>& slot) : slot_(slot) {}
    std::int16_t Int16() {
        const auto value = static_cast<std::int16_t>(slot_[at_] | (slot_[at_ + 1] << 8));
        at_ += 2;
        return value;
    }
    std::string_view Text(std::size_t width) {
        const std::string_view text(reinterpret_cast<const char*>(slot_.data() + at_), width);
        at_ += width;
        return text;
    }

  private:
    const std::array<std::uint8_t, kOldSlotBytes>& slot_;
    std::size_t at_ = 0;
};

OldChannel ReadOldChannel(const std::array<std::uint8_t, kOldSlotBytes>& slot) {
    SlotReader in(slot);
    OldChannel c;
    in.Int16();  // two integers nobody used
    in.Int16();
    c.name = in.Text(10);
    c.mode = in.Int16();
    c.rxKind = in.Int16();
    c.rxTalkGroup = in.Text(6);
    c.rxTone = in.Int16();
    c.rxCode = in.Int16();
    c.rxNac = in.Text(6);
    c.rxFreq = in.Text(10);
    c.txKind = in.Int16();
    c.txTalkGroup = in.Text(6);
    c.txTone = in.Int16();
    c.txCode = in.Int16();
    c.txNac = in.Text(6);
    c.txFreq = in.Text(10);
    c.inUse = in.Int16();
    return c;
}

// A hexadecimal field the old file kept unpadded: zeros in front, the last `width` kept.
std::string ZeroFilled(std::string_view text, std::size_t width) {
    const std::string filled = std::string(width, '0') + Trim(text);
    return filled.substr(filled.size() - width);
}

std::int16_t AnalogSquelch(std::int16_t kind) {
    return kind == 1 ? kSqlCtcss : kind == 2 ? kSqlDcs : kSqlNoise;
}

}  // namespace

std::optional<Failure> ImportOldChannelFile(std::span<const std::uint8_t> bytes,
                                            ChannelMemory& memory, Operator& /*op*/) {
    import::ChannelImport channels(memory);
    ByteSource in(bytes);
    for (int slot = 1; slot <= kOldSlots; ++slot) {
        std::array<std::uint8_t, kOldSlotBytes> bytes;
        in.Read(bytes);
        const OldChannel c = ReadOldChannel(bytes);
        if (c.inUse == 0) {
            continue;
        }
        const int index = slot < kOldGuardSlot1 ? slot : slot - kOldGuardSlot1 + kGuard1;
        ChannelRecord& r = channels.Begin(index);
        r.Shad = 0;
        r.Prim = static_cast<std::int16_t>(index);
        r.Desc = Trim(c.name);
        r.Mode = c.mode == 0 ? kModeNarrow : c.mode == 1 ? kModeWide : kModeDigital;
        r.RFrq = import::ImportedFrequency(c.rxFreq);
        r.TFrq = import::ImportedFrequency(c.txFreq);
        r.RTG = ZeroFilled(c.rxTalkGroup, 4);
        r.TTG = ZeroFilled(c.txTalkGroup, 4);
        r.RNAC = ZeroFilled(c.rxNac, 3);
        r.TNAC = ZeroFilled(c.txNac, 3);
        // Positions as the file has them; every reader of a position copes with one outside
        // its table.
        r.RCTCSS = c.rxTone;
        r.RDCS = c.rxCode;
        r.TCTCSS = c.txTone;
        r.TDCS = c.txCode;
        if (r.Mode == kModeDigital) {
            r.RSql = c.rxKind == 1 ? kSqlTalkGroup : kSqlMonitor;
            r.TSql = kSqlTalkGroup;
        } else {
            r.RSql = AnalogSquelch(c.rxKind);
            r.TSql = AnalogSquelch(c.txKind);
        }
        if (import::ChannelImport::IsGuard(index)) {
            channels.PlaceGuard(index);
        } else {
            channels.PlaceInFirstFreeZone(index, 0);
        }
    }
    return std::nullopt;
}

}  // namespace kld
