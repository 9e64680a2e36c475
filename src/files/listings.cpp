#include "listings.h"

#include <cstdio>

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

// A number in the dump: upper-case hexadecimal, two digits at least, as ToHex writes it. A
// negative field shows its 16-bit pattern rather than a 32-bit one, as it would come off the
// wire. Written out here because a dump formats some sixteen thousand of them.
std::string DumpHex(unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (digits.size() < 2) {
        digits.insert(digits.begin(), '0');
    }
    return digits;
}

std::string DumpHex(std::int16_t value) {
    return DumpHex(static_cast<unsigned>(static_cast<std::uint16_t>(value)));
}

template <std::size_t N>
std::string DumpText(const FixedText<N>& text) {
    std::string shown;
    for (char c : text.View()) {
        if (!shown.empty()) {
            shown += ' ';
        }
        shown += DumpHex(static_cast<unsigned>(static_cast<unsigned char>(c)));
    }
    return shown;
}

template <std::size_t N>
std::string DumpValues(const std::array<std::int16_t, N>& values, std::size_t count) {
    std::string shown;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            shown += ' ';
        }
        shown += DumpHex(values[i]);
    }
    return shown;
}

void AppendField(std::string& out, std::string_view label, const std::string& values) {
    std::string line = " ";
    line.append(label);
    line.append(values);
    AppendLine(out, line);
}

}  // namespace

std::string TextListing(const ChannelMemory& memory) {
    std::string out;
    for (std::string_view heading : kListingHeadings) {
        AppendLine(out, " " + std::string(heading));
    }
    for (int index = 0; index <= kLastRecord; ++index) {
        AppendLine(out, " " + SummaryLine(memory.Rec(index), index));
    }
    return out;
}

std::string ChannelDump(const ChannelMemory& memory) {
    std::string out;
    for (int i = 0; i < 3; ++i) {
        AppendLine(out, "");
    }
    AppendLine(out, " Zone Counts:");
    for (std::size_t row = 0; row < 4; ++row) {
        std::string line;
        for (std::size_t zone = row * 4; zone < row * 4 + 4; ++zone) {
            char count[16];
            std::snprintf(count, sizeof count, " %03d", memory.ZoneCounts[zone]);
            line += count;
        }
        AppendLine(out, line);
    }
    for (int index = 0; index <= kLastRecord; ++index) {
        const ChannelRecord& r = memory.Rec(index);
        for (int i = 0; i < 3; ++i) {
            AppendLine(out, "");
        }
        AppendLine(out, " Channel " + std::to_string(index));
        AppendLine(out, " " + std::string(81, '-'));
        AppendField(out, "Select   ", DumpHex(r.Select));
        AppendField(out, "Shad     ", DumpHex(r.Shad));
        AppendField(out, "Prim     ", DumpHex(r.Prim));
        AppendField(out, "Chnl     ", DumpHex(r.Chnl));
        AppendField(out, "Scan     ", DumpHex(r.Scan));
        AppendField(out, "Desc     ", DumpText(r.Desc));
        AppendField(out, "EFlags   ", DumpHex(r.EFlags));
        AppendField(out, "Mode     ", DumpHex(r.Mode));
        AppendField(out, "RSql     ", DumpHex(r.RSql));
        AppendField(out, "RTG      ", DumpText(r.RTG));
        AppendField(out, "RCTCSS   ", DumpHex(r.RCTCSS));
        AppendField(out, "RDCS     ", DumpHex(r.RDCS));
        AppendField(out, "RNAC     ", DumpText(r.RNAC));
        AppendField(out, "RFrq     ", DumpText(r.RFrq));
        AppendField(out, "TSql     ", DumpHex(r.TSql));
        AppendField(out, "TTG      ", DumpText(r.TTG));
        AppendField(out, "TCTCSS   ", DumpHex(r.TCTCSS));
        AppendField(out, "TDCS     ", DumpHex(r.TDCS));
        AppendField(out, "TNAC     ", DumpText(r.TNAC));
        AppendField(out, "TFrq     ", DumpText(r.TFrq));
        AppendField(out, "IDCall   ", DumpValues(r.IDCall, 4));
        AppendField(out, "ShadList ", DumpValues(r.ShadList, kShadowSlots));
        AppendField(out, "RFRec    ", DumpHex(r.RFRec));
    }
    return out;
}

bool WriteTextFile(const std::filesystem::path& path, std::string_view text, Operator& op) {
    std::string why;
    if (!SaveFileSafely(path, text, &why)) {
        op.Tell(WriteErrorMessage(why));
        return false;
    }
    return true;
}

}  // namespace kld
