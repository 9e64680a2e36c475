// Text listings written by "Print to File": three heading lines, then one space and the summary
// line of each record 0 to 232, so summary position p is column p + 1 here.

#include <array>

#include "codecs.h"
#include "field_rules.h"
#include "import_common.h"
#include "older_files.h"
#include "tables.h"

namespace kld {

namespace {

using import::ColumnChar;
using import::Columns;
using import::Num;

// The record a channel label names: DEF, GD1, GD2 or a number; -1 for a number outside the
// records files carry.
int RecordOfLabel(std::string_view label) {
    if (const auto named = RecordOfName(label)) {
        return *named;
    }
    const int index = import::WholeInt16(Num(label));
    return IsRecordIndex(index) ? index : -1;
}

// A squelch column sets the letter it shows; a line too short to have the column leaves the
// default record's letter in place rather than storing a code that is no letter at all.
void SetSquelchLetter(std::string_view text, int column, std::int16_t& squelch) {
    const std::string_view c = Columns(text, column, column);
    if (!c.empty()) {
        squelch = static_cast<unsigned char>(c.front());
    }
}

// The first free ShadList slot of a primary; kShadowSlots when it cannot take another shadow,
// being undefined, a shadow itself, or full.
int FreeShadowSlot(const ChannelRecord& primary) {
    if (!primary.IsDefined() || primary.IsShadow()) {
        return kShadowSlots;
    }
    int slot = 0;
    while (slot < kShadowSlots && primary.ShadList[static_cast<std::size_t>(slot)] != 0) {
        ++slot;
    }
    return slot;
}

// Links every shadow line to its primary once the whole file is in. Returns how many shadow
// lines could not be linked; those channels become undefined and stop being shadows (not
// reset: channel 1's reset is the defined channel Main, which a later line could then take
// as a primary and which would count in its list again).
int LinkShadows(import::ChannelImport& channels, const std::array<bool, kRecordSlots>& shadowLine) {
    ChannelMemory& memory = channels.Memory();
    int errors = 0;
    for (int index = 0; index <= kLastRecord; ++index) {
        ChannelRecord& shadow = memory.Rec(index);
        if (!shadowLine[static_cast<std::size_t>(index)] || !shadow.IsShadow()) {
            continue;  // no shadow line, or a later line for the same channel replaced it
        }
        const int primaryIndex = shadow.Prim;
        // The default record and the guards are never shadows: such a line is a format error
        // and the record keeps what the reset gave it (the guards stay counted in their list).
        if (!IsOrdinaryChannel(index)) {
            ++errors;
            channels.Restore(index);
            continue;
        }
        // A primary must be an ordinary channel that is defined and not a shadow itself. Its
        // scan flag is no obstacle: a scanning primary with shadows lists as "P  S".
        const bool numbersValid = IsOrdinaryChannel(primaryIndex) && primaryIndex != index;
        const int slot = numbersValid ? FreeShadowSlot(memory.Rec(primaryIndex)) : kShadowSlots;
        if (slot == kShadowSlots) {
            ++errors;
            // Undefined, and no longer a shadow, so nothing later takes it for one.
            shadow.Select = 0;
            shadow.Shad = static_cast<std::int16_t>(shadow.Shad & ~kShadSlotMask);
            continue;
        }
        ChannelRecord& primary = memory.Rec(primaryIndex);
        shadow.Scan = primary.Scan;
        shadow.RFrq = primary.RFrq;
        shadow.TFrq = primary.TFrq;
        primary.ShadList[static_cast<std::size_t>(slot)] = static_cast<std::int16_t>(index);
        primary.Shad |= kShadPrimary;
        shadow.Shad = static_cast<std::int16_t>((shadow.Shad & 0x60) + slot + 1);
    }
    return errors;
}

}  // namespace

std::optional<Failure> ImportTextListing(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                                         Operator& op) {
    import::ChannelImport channels(memory);
    std::array<bool, kRecordSlots> shadowLine{};
    LineSource source(bytes);
    for (int heading = 0; heading < 3; ++heading) {
        source.GetLine();
    }
    for (std::string line = source.GetLine(); !IsEndLine(line); line = source.GetLine()) {
        const std::string_view text = import::LineContent(line);
        if (import::IsBlankLine(text) || Columns(text, 37, 45) == "UNDEFINED" ||
            Columns(text, 38, 43) == "ERASED") {
            continue;  // the channel keeps its reset value
        }
        const int index = RecordOfLabel(Columns(text, 4, 6));
        if (index < 0) {
            return channels.Fail("A channel line of the listing names no channel: \"" +
                                 std::string(Columns(text, 4, 6)) +
                                 "\" (001 to 230, GD1 or GD2 in columns 4 to 6).");
        }

        ChannelRecord& r = channels.Begin(index);
        const bool shadow = ColumnChar(text, 7) == 'S';
        shadowLine[static_cast<std::size_t>(index)] = shadow;
        if (shadow) {
            r.Prim = import::WholeInt16(Num(Columns(text, 9, 11)));
            r.Shad = 1;
        } else {
            r.Prim = static_cast<std::int16_t>(index);
            r.Shad = 0;
        }
        r.Desc = Trim(Columns(text, 14, 21));
        const char mode = ColumnChar(text, 24);
        r.Mode = mode == 'D' ? kModeDigital : mode == 'n' ? kModeNarrow : kModeWide;
        r.RFrq = import::ImportedFrequency(Columns(text, 26, 33));
        r.TFrq = import::ImportedFrequency(Columns(text, 57, 64));
        r.RCTCSS =
            static_cast<std::int16_t>(CtcssPositionOfText(Trim(Columns(text, 38, 42))).value_or(0));
        r.RDCS = static_cast<std::int16_t>(DcsPositionOfText(Columns(text, 44, 46)).value_or(0));
        r.TCTCSS =
            static_cast<std::int16_t>(CtcssPositionOfText(Trim(Columns(text, 69, 73))).value_or(0));
        r.TDCS = static_cast<std::int16_t>(DcsPositionOfText(Columns(text, 75, 77)).value_or(0));
        r.RTG = Columns(text, 48, 51);
        r.RNAC = Columns(text, 53, 55);
        r.TTG = Columns(text, 79, 82);
        r.TNAC = Columns(text, 84, 86);
        SetSquelchLetter(text, 36, r.RSql);
        SetSquelchLetter(text, 67, r.TSql);

        // A shadow's zone is its primary's, taken when it is linked.
        if (shadow) {
            continue;
        }
        if (import::ChannelImport::IsGuard(index)) {
            channels.PlaceGuard(index);
            continue;
        }
        const int zone = import::WholeInt16(Num(Columns(text, 11, 12))) - 1;
        if (index == kDefaultRecord) {
            // The default record is in no zone's count; it just keeps the zone it shows.
            if (zone >= 0 && zone < kZoneCount) {
                r.Scan = ScanOfZone(zone);
            }
        } else if (!channels.PlaceInZone(index, zone)) {
            channels.PlaceInFirstFreeZone(index, 0);
        }
        if (ColumnChar(text, 10) == 'S') {
            r.Shad |= kShadScanMember;
        }
    }

    if (LinkShadows(channels, shadowLine) > 0) {
        // Said before the memory check that ends the open, whose questions come after it.
        op.Tell(FormatErrorMessage());
    }
    return std::nullopt;
}

}  // namespace kld
