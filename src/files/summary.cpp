#include "summary.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "field_rules.h"
#include "tables.h"

namespace kld {

namespace {

constexpr std::string_view kUndefinedTail =
    "       UNDEFINED              UNDEFINED                      UNDEFINED";
constexpr std::string_view kErasedTail =
    "       ERASED                  ERASED                         ERASED";

// A number as three digits. Anything a file can put into a field but that does not fit three
// digits shows as "???" so the columns behind it stay where the text import looks for them.
void AppendThreeDigits(std::string& line, int value) {
    if (value < 0 || value > 999) {
        line.append("???");
        return;
    }
    const char digits[] = {static_cast<char>('0' + value / 100),
                           static_cast<char>('0' + value / 10 % 10),
                           static_cast<char>('0' + value % 10)};
    line.append(digits, sizeof digits);
}

// The character whose code a squelch or mode field holds; "?" for a code that is no
// printable character.
char CodeChar(int code) {
    return (code >= 0x20 && code < 0x7F) ? static_cast<char>(code) : '?';
}

// How each byte of a text field shows. Control characters that a file or radio may have put
// into a text field show as "?", so a line never breaks or shifts in a list or a listing. A
// table rather than a test per character: the list and the listing show some fifty thousand.
struct ShownChars {
    char of[256];
};
constexpr ShownChars kShown = [] {
    ShownChars shown{};
    for (int code = 0; code < 256; ++code) {
        shown.of[code] = (code < 0x20 || code == 0x7F) ? '?' : static_cast<char>(code);
    }
    return shown;
}();

// Appends text cut or padded to Width, as it shows.
template <std::size_t Width>
void AppendPadded(std::string& line, std::string_view text) {
    char cells[Width];
    std::memset(cells, ' ', Width);
    const std::size_t shown = std::min(text.size(), Width);
    for (std::size_t i = 0; i < shown; ++i) {
        cells[i] = kShown.of[static_cast<unsigned char>(text[i])];
    }
    line.append(cells, Width);
}

// The first Width characters of a field at least that wide, as they show.
template <std::size_t Width, std::size_t N>
void AppendPadded(std::string& line, const FixedText<N>& text) {
    static_assert(Width <= N);
    char cells[Width];
    const char* chars = text.Bytes().data();
    for (std::size_t i = 0; i < Width; ++i) {
        cells[i] = kShown.of[static_cast<unsigned char>(chars[i])];
    }
    line.append(cells, Width);
}

// A text field without the blanks around it, as Trimmed() gives it but without a copy.
std::string_view Unpadded(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void AppendDirection(std::string& line, char direction, const Freq10& freq, int sql, int ctcss,
                     int dcs, const TalkGroup6& tg, const Nac6& nac) {
    AppendPadded<8>(line, freq);
    const char codes[] = {' ', direction, CodeChar(sql), ' '};
    line.append(codes, sizeof codes);
    AppendPadded<6>(line, CtcssText(ctcss));  // a position outside the table shows blank
    AppendPadded<4>(line, DcsText(dcs));
    AppendPadded<5>(line, Unpadded(tg.View()));
    AppendPadded<4>(line, Unpadded(nac.View()));
}

}  // namespace

void AppendSummaryLine(std::string& line, const ChannelRecord& r, int index) {
    // The labels are worked out once: a listing shows all of them, and the list repaints them.
    static const std::array<std::string, kLastRecord + 1> kLabels = [] {
        std::array<std::string, kLastRecord + 1> labels;
        for (int i = 0; i <= kLastRecord; ++i) {
            labels[static_cast<std::size_t>(i)] = "  " + ChannelBoxText(i);
        }
        return labels;
    }();
    if (IsRecordIndex(index)) {
        line.append(kLabels[static_cast<std::size_t>(index)]);
    } else {
        line.append("  " + ChannelBoxText(index));
    }
    if (!r.IsDefined()) {
        line.append(kUndefinedTail);
        return;
    }
    if (r.IsErased()) {
        line.append(kErasedTail);
        return;
    }

    if (r.IsShadow()) {
        line.append("S-");
        AppendThreeDigits(line, r.Prim);
        line.append("  ");
    } else if (index < kGuard1) {
        const int zone = ZoneOf(r.Scan) + 1;  // 1 to 16: always two digits
        const char columns[] = {r.HasShadows() ? 'P' : ' ',
                                ' ',
                                ' ',
                                r.IsScanMember() ? 'S' : ' ',
                                static_cast<char>('0' + zone / 10),
                                static_cast<char>('0' + zone % 10),
                                ' '};
        line.append(columns, sizeof columns);
    } else {
        line.append("       ");
    }
    AppendPadded<8>(line, r.Desc);
    const auto modeCode = ModeCode(r.Mode);
    const char mode[] = {' ', ' ', modeCode ? static_cast<char>(*modeCode) : '?', ' '};
    line.append(mode, sizeof mode);
    AppendDirection(line, 'R', r.RFrq, r.RSql, r.RCTCSS, r.RDCS, r.RTG, r.RNAC);
    AppendDirection(line, 'T', r.TFrq, r.TSql, r.TCTCSS, r.TDCS, r.TTG, r.TNAC);
}

std::string SummaryLine(const ChannelRecord& r, int index) {
    std::string line;
    line.reserve(kMaxSummaryLineChars);
    AppendSummaryLine(line, r, index);
    return line;
}

}  // namespace kld
