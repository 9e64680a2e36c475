#include "summary.h"

#include <algorithm>
#include <cstdio>

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
std::string ThreeDigits(int value) {
    if (value < 0 || value > 999) {
        return "???";
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%03d", value);
    return buffer;
}

// The character whose code a squelch or mode field holds; "?" for a code that is no
// printable character.
char CodeChar(int code) {
    return (code >= 0x20 && code < 0x7F) ? static_cast<char>(code) : '?';
}

// Appends text cut or padded to width. Control characters that a file or radio may have put
// into a text field show as "?", so a line never breaks or shifts in a list or a listing.
void AppendPadded(std::string& line, std::string_view text, std::size_t width) {
    const std::string_view shown = text.substr(0, width);
    for (char c : shown) {
        const auto code = static_cast<unsigned char>(c);
        line += (code < 0x20 || code == 0x7F) ? '?' : c;
    }
    line.append(width - shown.size(), ' ');
}

void AppendDirection(std::string& line, char direction, const Freq10& freq, int sql, int ctcss,
                     int dcs, const TalkGroup6& tg, const Nac6& nac) {
    AppendPadded(line, freq.View(), 8);
    line += ' ';
    line += direction;
    line += CodeChar(sql);
    line += ' ';
    AppendPadded(line, CtcssText(ctcss), 6);  // a position outside the table shows blank
    AppendPadded(line, DcsText(dcs), 4);
    AppendPadded(line, tg.Trimmed(), 5);
    AppendPadded(line, nac.Trimmed(), 4);
}

}  // namespace

std::string SummaryLine(const ChannelRecord& r, int index) {
    std::string line = "  " + ChannelBoxText(index);
    if (!r.IsDefined()) {
        return line.append(kUndefinedTail);
    }
    if (r.IsErased()) {
        return line.append(kErasedTail);
    }

    if (r.IsShadow()) {
        line += "S-" + ThreeDigits(r.Prim) + "  ";
    } else if (index < kGuard1) {
        line += r.HasShadows() ? 'P' : ' ';
        line += r.IsScanMember() ? "  S" : "   ";
        char zone[8];
        std::snprintf(zone, sizeof zone, "%02d ", ZoneOf(r.Scan) + 1);
        line += zone;
    } else {
        line += "       ";
    }
    AppendPadded(line, r.Desc.View(), 8);
    line += "  ";
    const auto modeCode = ModeCode(r.Mode);
    line += modeCode ? static_cast<char>(*modeCode) : '?';
    line += ' ';
    AppendDirection(line, 'R', r.RFrq, r.RSql, r.RCTCSS, r.RDCS, r.RTG, r.RNAC);
    AppendDirection(line, 'T', r.TFrq, r.TSql, r.TCTCSS, r.TDCS, r.TTG, r.TNAC);
    return line;
}

}  // namespace kld
