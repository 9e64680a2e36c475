#include "listings.h"

#include <cstdio>
#include <cstring>

#include "file_io.h"
#include "file_messages.h"
#include "summary.h"

namespace kld {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append(kLineEnd);
}

// The dump has some six thousand lines and a hundred thousand digits. Each line is put together
// in a buffer on the stack and appended once, and digits come from a table: building every
// number and line as a string of its own made the dump the slowest thing the program rendered.
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kLabelChars = 9;
using Label = char[kLabelChars + 1];

// A byte as two upper-case hexadecimal digits.
char* PutByte(char* p, unsigned byte) {
    p[0] = kHexDigits[(byte >> 4) & 0xF];
    p[1] = kHexDigits[byte & 0xF];
    return p + 2;
}

// A number as ToHex writes it: upper-case hexadecimal, two digits at least. A negative field
// shows its 16-bit pattern rather than a 32-bit one, as it would come off the wire.
char* PutNumber(char* p, std::int16_t value) {
    const auto bits = static_cast<unsigned>(static_cast<std::uint16_t>(value));
    if (bits >= 0x1000) {
        *p++ = kHexDigits[bits >> 12];
    }
    if (bits >= 0x100) {
        *p++ = kHexDigits[(bits >> 8) & 0xF];
    }
    return PutByte(p, bits & 0xFF);
}

char* PutLabel(char* p, const Label& label) {
    *p++ = ' ';
    std::memcpy(p, label, kLabelChars);
    return p + kLabelChars;
}

void AppendDumpLine(std::string& out, const char* line, char* end) {
    *end++ = '\r';
    *end++ = '\n';
    out.append(line, static_cast<std::size_t>(end - line));
}

void AppendField(std::string& out, const Label& label, std::int16_t value) {
    char line[1 + kLabelChars + 4 + 2];
    AppendDumpLine(out, line, PutNumber(PutLabel(line, label), value));
}

// Each character's code, separated by blanks.
template <std::size_t N>
void AppendField(std::string& out, const Label& label, const FixedText<N>& text) {
    char line[1 + kLabelChars + 3 * N - 1 + 2];
    char* p = PutLabel(line, label);
    for (std::size_t i = 0; i < N; ++i) {
        if (i != 0) {
            *p++ = ' ';
        }
        p = PutByte(p, static_cast<unsigned char>(text.Bytes()[i]));
    }
    AppendDumpLine(out, line, p);
}

// The first Count numbers, separated by blanks.
template <std::size_t Count, std::size_t N>
void AppendValues(std::string& out, const Label& label, const std::array<std::int16_t, N>& values) {
    static_assert(Count <= N);
    char line[1 + kLabelChars + 5 * Count - 1 + 2];
    char* p = PutLabel(line, label);
    for (std::size_t i = 0; i < Count; ++i) {
        if (i != 0) {
            *p++ = ' ';
        }
        p = PutNumber(p, values[i]);
    }
    AppendDumpLine(out, line, p);
}

// The blank lines and the heading above each channel's fields.
void AppendChannelHeading(std::string& out, int index) {
    static constexpr std::string_view kBlankLines = "\r\n\r\n\r\n";
    static constexpr std::string_view kRule =
        " ---------------------------------------------------------------------------------\r\n";
    out.append(kBlankLines);
    char heading[32];
    const int length = std::snprintf(heading, sizeof heading, " Channel %d\r\n", index);
    out.append(heading, static_cast<std::size_t>(length));
    out.append(kRule);
}

}  // namespace

std::string TextListing(const ChannelMemory& memory) {
    std::string out;
    out.reserve(kListingHeadings.size() * 90 + (kLastRecord + 1) * (kMaxSummaryLineChars + 3));
    for (std::string_view heading : kListingHeadings) {
        out += ' ';
        AppendLine(out, heading);
    }
    for (int index = 0; index <= kLastRecord; ++index) {
        out += ' ';
        AppendSummaryLine(out, memory.Rec(index), index);
        out.append(kLineEnd);
    }
    return out;
}

std::string ChannelDump(const ChannelMemory& memory) {
    std::string out;
    AppendChannelDump(out, memory);
    return out;
}

void AppendChannelDump(std::string& out, const ChannelMemory& memory) {
    // Enough for every field at its widest, so the text is never moved while it grows.
    out.reserve(out.size() + 256 + (kLastRecord + 1) * 640);
    for (int i = 0; i < 3; ++i) {
        AppendLine(out, "");
    }
    AppendLine(out, " Zone Counts:");
    for (std::size_t row = 0; row < 4; ++row) {
        char line[64];
        int length = 0;
        for (std::size_t zone = row * 4; zone < row * 4 + 4; ++zone) {
            length += std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length),
                                    " %03d", memory.ZoneCounts[zone]);
        }
        out.append(line, static_cast<std::size_t>(length));
        out.append(kLineEnd);
    }
    for (int index = 0; index <= kLastRecord; ++index) {
        const ChannelRecord& r = memory.Rec(index);
        AppendChannelHeading(out, index);
        AppendField(out, "Select   ", r.Select);
        AppendField(out, "Shad     ", r.Shad);
        AppendField(out, "Prim     ", r.Prim);
        AppendField(out, "Chnl     ", r.Chnl);
        AppendField(out, "Scan     ", r.Scan);
        AppendField(out, "Desc     ", r.Desc);
        AppendField(out, "EFlags   ", r.EFlags);
        AppendField(out, "Mode     ", r.Mode);
        AppendField(out, "RSql     ", r.RSql);
        AppendField(out, "RTG      ", r.RTG);
        AppendField(out, "RCTCSS   ", r.RCTCSS);
        AppendField(out, "RDCS     ", r.RDCS);
        AppendField(out, "RNAC     ", r.RNAC);
        AppendField(out, "RFrq     ", r.RFrq);
        AppendField(out, "TSql     ", r.TSql);
        AppendField(out, "TTG      ", r.TTG);
        AppendField(out, "TCTCSS   ", r.TCTCSS);
        AppendField(out, "TDCS     ", r.TDCS);
        AppendField(out, "TNAC     ", r.TNAC);
        AppendField(out, "TFrq     ", r.TFrq);
        AppendValues<4>(out, "IDCall   ", r.IDCall);
        AppendValues<kShadowSlots>(out, "ShadList ", r.ShadList);
        AppendField(out, "RFRec    ", r.RFRec);
    }
}

bool WriteTextFile(const std::filesystem::path& path, std::string_view text, Operator& op) {
    if (!WriteFileAtomically(path, text)) {
        op.Tell(WriteErrorMessage());
        return false;
    }
    return true;
}

}  // namespace kld
