#include "listings.h"

#include <cstdio>
#include <cstring>

#include "file_io.h"
#include "summary.h"

namespace kld {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append(kLineEnd);
}

// The dump has some six thousand lines and a hundred thousand digits. They are written in place
// into the text, and digits come from tables: building every number and line as a string of its
// own made the dump the slowest thing the program rendered.
constexpr char kHexDigits[] = "0123456789ABCDEF";

// "00 " to "FF ": a byte's two digits and the blank after them, one lookup and one copy per
// byte. A fourth character rounds each cell up to a size that is copied in one move.
struct ByteCells {
    char of[256][4];
};
constexpr ByteCells kByteCells = [] {
    ByteCells cells{};
    for (int byte = 0; byte < 256; ++byte) {
        cells.of[byte][0] = kHexDigits[byte >> 4];
        cells.of[byte][1] = kHexDigits[byte & 0xF];
        cells.of[byte][2] = ' ';
        cells.of[byte][3] = ' ';
    }
    return cells;
}();

constexpr std::size_t kLabelChars = 9;
using Label = char[kLabelChars + 1];

// The widest a record's part can be: the heading, fourteen numbers, a description, four talk
// groups and NACs, two frequencies, four ID call and seven shadow numbers, each line with CR LF.
constexpr std::size_t kChannelLineChars = 12;  // " Channel 232"
constexpr std::size_t kNumberLine = 1 + kLabelChars + 4 + 2;
constexpr std::size_t TextLine(std::size_t chars) {
    return 1 + kLabelChars + 3 * chars - 1 + 2;
}
constexpr std::size_t ValuesLine(std::size_t count) {
    return 1 + kLabelChars + 5 * count - 1 + 2;
}
// The head: three empty lines, the heading and four lines of four counts (" -32768" at most).
constexpr std::size_t kMaxZoneCountChars = 7;
constexpr std::size_t kMaxDumpHeadChars = 6 + 15 + 4 * (4 * kMaxZoneCountChars + 2);
constexpr std::size_t kMaxDumpRecordChars = 6 + kChannelLineChars + 2 + 84 + 14 * kNumberLine +
                                            TextLine(8) + 4 * TextLine(6) + 2 * TextLine(10) +
                                            ValuesLine(4) + ValuesLine(kShadowSlots);

char* Put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// The fixed pieces of every line are copied in sizes the compiler copies in one move each: a
// copy of any other size costs a call under the fuzzers' sanitizers.
char* PutLineEnd(char* at) {
    std::memcpy(at, "\r\n", 2);
    return at + 2;
}

char* PutLabel(char* at, const Label& label) {
    static_assert(kLabelChars == 9);
    *at = ' ';
    std::memcpy(at + 1, label, 8);
    at[9] = label[8];
    return at + 1 + kLabelChars;
}

// A number as ToHex writes it: upper-case hexadecimal, two digits at least. A negative field
// shows its 16-bit pattern rather than a 32-bit one, as it would come off the wire.
char* PutNumber(char* at, std::int16_t value) {
    const auto bits = static_cast<unsigned>(static_cast<std::uint16_t>(value));
    if (bits >= 0x1000) {
        *at++ = kHexDigits[bits >> 12];
    }
    if (bits >= 0x100) {
        *at++ = kHexDigits[(bits >> 8) & 0xF];
    }
    std::memcpy(at, kByteCells.of[bits & 0xFF], 2);
    return at + 2;
}

// One record's part of the dump, written in place from `at` on.
class DumpRecord {
  public:
    DumpRecord(char* at, int index) {
        static constexpr std::string_view kBlankLines = "\r\n\r\n\r\n";
        static constexpr std::string_view kRule =
            " ---------------------------------------------------------------------------------"
            "\r\n";
        at = Put(at, kBlankLines);
        at += std::snprintf(at, kChannelLineChars + 1, " Channel %d", index);
        at_ = Put(Put(at, "\r\n"), kRule);
    }

    void Field(const Label& label, std::int16_t value) {
        at_ = PutLineEnd(PutNumber(PutLabel(at_, label), value));
    }

    // Each character's code, separated by blanks.
    template <std::size_t N>
    void Field(const Label& label, const FixedText<N>& text) {
        char* at = PutLabel(at_, label);
        const char* chars = text.Bytes().data();
        for (std::size_t i = 0; i < N; ++i) {
            std::memcpy(at, kByteCells.of[static_cast<unsigned char>(chars[i])], 4);
            at += 3;
        }
        at_ = PutLineEnd(at - 1);  // over the blank after the last code
    }

    // The first Count numbers, separated by blanks.
    template <std::size_t Count, std::size_t N>
    void Values(const Label& label, const std::array<std::int16_t, N>& values) {
        static_assert(Count <= N);
        char* at = PutLabel(at_, label);
        for (std::size_t i = 0; i < Count; ++i) {
            if (i != 0) {
                *at++ = ' ';
            }
            at = PutNumber(at, values.data()[i]);
        }
        at_ = PutLineEnd(at);
    }

    char* End() const { return at_; }

  private:
    char* at_;
};

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
    // The text is written in place into room for every field at its widest, then cut to what
    // was written.
    const std::size_t start = out.size();
    out.resize(start + kMaxDumpHeadChars + (kLastRecord + 1) * kMaxDumpRecordChars);
    char* at = Put(out.data() + start, "\r\n\r\n\r\n Zone Counts:\r\n");
    for (std::size_t row = 0; row < 4; ++row) {
        for (std::size_t zone = row * 4; zone < row * 4 + 4; ++zone) {
            at += std::snprintf(at, kMaxZoneCountChars + 1, " %03d", memory.ZoneCounts[zone]);
        }
        at = Put(at, kLineEnd);
    }
    for (int index = 0; index <= kLastRecord; ++index) {
        const ChannelRecord& r = memory.Rec(index);
        DumpRecord dump(at, index);
        dump.Field("Select   ", r.Select);
        dump.Field("Shad     ", r.Shad);
        dump.Field("Prim     ", r.Prim);
        dump.Field("Chnl     ", r.Chnl);
        dump.Field("Scan     ", r.Scan);
        dump.Field("Desc     ", r.Desc);
        dump.Field("EFlags   ", r.EFlags);
        dump.Field("Mode     ", r.Mode);
        dump.Field("RSql     ", r.RSql);
        dump.Field("RTG      ", r.RTG);
        dump.Field("RCTCSS   ", r.RCTCSS);
        dump.Field("RDCS     ", r.RDCS);
        dump.Field("RNAC     ", r.RNAC);
        dump.Field("RFrq     ", r.RFrq);
        dump.Field("TSql     ", r.TSql);
        dump.Field("TTG      ", r.TTG);
        dump.Field("TCTCSS   ", r.TCTCSS);
        dump.Field("TDCS     ", r.TDCS);
        dump.Field("TNAC     ", r.TNAC);
        dump.Field("TFrq     ", r.TFrq);
        dump.Values<4>("IDCall   ", r.IDCall);
        dump.Values<kShadowSlots>("ShadList ", r.ShadList);
        dump.Field("RFRec    ", r.RFRec);
        at = dump.End();
    }
    out.resize(static_cast<std::size_t>(at - out.data()));
}

std::optional<Failure> WriteTextFile(const std::filesystem::path& path, std::string_view text) {
    return SaveFileSafely(path, text);
}

}  // namespace kld
