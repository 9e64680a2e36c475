// KVS-220 channel lists (.100): one fixed-column line per channel, no heading.
//
// Columns: 1-3 channel (121 and 122 are the guards), 5-13 name, 15-22 Rx MHz, 26-33 Tx MHz,
// 44-45 tone number, 46 "R" when Rx and Tx differ, 49-50 Tx tone number (with R), 54-56 code
// (without R), 59-61 Rx code and 65-67 Tx code (with R), 71-75 scan list digits 1 to 5, 76 "N"
// for narrow.

#include "codecs.h"
#include "import_common.h"
#include "older_files.h"
#include "tables.h"

namespace kld {

namespace {

using import::ColumnChar;
using import::Columns;
using import::Num;

// The tone position standing for "no tone" while a line is converted.
constexpr std::int16_t kNoTone = 64;

// The KVS-220 numbered its tones without 69.3 Hz and added the high tones later as 56 to 63;
// anything else above 32 had no counterpart here.
std::int16_t TonePositionOfKvsNumber(std::int16_t number) {
    if (number == 1) {
        return 0;
    }
    if (number <= 32) {
        return number;
    }
    if (number >= 56 && number <= 63) {
        return static_cast<std::int16_t>(number - 23);
    }
    return kNoTone;
}

// One direction's tone, code and squelch letter: a tone wins; without one the code decides.
void SetSquelch(std::string_view toneColumns, std::string_view codeText, std::int16_t& tone,
                std::int16_t& code, std::int16_t& squelch) {
    tone = TonePositionOfKvsNumber(import::WholeInt16(Num(toneColumns)));
    const auto codePosition = DcsPositionOfText(codeText);
    code = static_cast<std::int16_t>(codePosition.value_or(0));
    if (tone != kNoTone) {
        squelch = kSqlCtcss;
        return;
    }
    tone = 0;
    // Code 023 sits at position 0, so whether a code matched is asked of the search itself,
    // not of the position it found.
    squelch = codePosition ? kSqlDcs : kSqlNoise;
}

}  // namespace

std::optional<Failure> ImportKvs220List(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                                        Operator& /*op*/) {
    import::ChannelImport channels(memory);
    LineSource source(bytes);
    for (std::string line = source.GetLine(); !IsEndLine(line); line = source.GetLine()) {
        const std::string_view text = import::LineContent(line);
        if (import::IsBlankLine(text)) {
            continue;
        }
        int index = import::WholeInt16(Num(Columns(text, 1, 3)));
        if (index == 121) {
            index = kGuard1;
        } else if (index == 122) {
            index = kGuard2;
        }
        if (!IsRecordIndex(index)) {
            return channels.Fail("A line of the KVS-220 list names no channel: \"" +
                                 std::string(Columns(text, 1, 3)) +
                                 "\" (a channel number belongs in columns 1 to 3).");
        }

        ChannelRecord& r = channels.Begin(index);
        r.Shad = 0;
        r.Prim = static_cast<std::int16_t>(index);
        r.Desc = Trim(Columns(text, 5, 13));
        r.Mode = ColumnChar(text, 76) == 'N' ? kModeNarrow : kModeWide;
        r.RFrq = import::ImportedFrequency(Columns(text, 15, 22));
        r.TFrq = import::ImportedFrequency(Columns(text, 26, 33));

        const bool split = ColumnChar(text, 46) == 'R';
        SetSquelch(Columns(text, 44, 45), split ? Columns(text, 59, 61) : Columns(text, 54, 56),
                   r.RCTCSS, r.RDCS, r.RSql);
        SetSquelch(split ? Columns(text, 49, 50) : Columns(text, 44, 45),
                   split ? Columns(text, 65, 67) : Columns(text, 54, 56), r.TCTCSS, r.TDCS, r.TSql);

        if (import::ChannelImport::IsGuard(index)) {
            channels.PlaceGuard(index);
            continue;
        }
        // Scan lists 1 to 5 are zones 0 to 4, taken in that order while they have room.
        const std::string_view scanLists = Columns(text, 71, 75);
        bool scanned = false;
        for (int list = 1; list <= 5 && !scanned; ++list) {
            scanned = ColumnChar(scanLists, list) == static_cast<char>('0' + list) &&
                      channels.PlaceInZone(index, list - 1);
        }
        if (scanned) {
            r.Shad |= kShadScanMember;
        } else {
            channels.PlaceInFirstFreeZone(index, 5);
        }
    }
    return std::nullopt;
}

}  // namespace kld
