#include "wire_codec.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "characters.h"
#include "codecs.h"
#include "tables.h"

namespace kld {

namespace {

// The receive and transmit halves share one shape.
constexpr std::size_t kIdCallSent = 4;  // element 4 stays at home
constexpr std::size_t kTextSent = 8;    // frequencies lose their two pad blanks on the wire

struct Half {
    std::size_t frqAt;
    std::size_t letterAt;
    char letter;
    std::size_t sqlAt;
    std::size_t tgAt;
    std::size_t ctcssAt;
    std::size_t dcsAt;
    std::size_t nacAt;
    Freq10 ChannelRecord::*frq;
    std::int16_t ChannelRecord::*sql;
    TalkGroup6 ChannelRecord::*tg;
    std::int16_t ChannelRecord::*ctcss;
    std::int16_t ChannelRecord::*dcs;
    Nac6 ChannelRecord::*nac;
};

namespace at = image_offset;

constexpr Half kHalves[] = {
    {at::RFrq, at::RLetter, 'R', at::RSql, at::RTG, at::RCTCSS, at::RDCS, at::RNAC,
     &ChannelRecord::RFrq, &ChannelRecord::RSql, &ChannelRecord::RTG, &ChannelRecord::RCTCSS,
     &ChannelRecord::RDCS, &ChannelRecord::RNAC},
    {at::TFrq, at::TLetter, 'T', at::TSql, at::TTG, at::TCTCSS, at::TDCS, at::TNAC,
     &ChannelRecord::TFrq, &ChannelRecord::TSql, &ChannelRecord::TTG, &ChannelRecord::TCTCSS,
     &ChannelRecord::TDCS, &ChannelRecord::TNAC},
};

// Characters first..first+count-1 (1-based) of text, as far as the text reaches.
std::string_view Chars(std::string_view text, std::size_t first, std::size_t count) {
    if (first == 0 || first > text.size()) {
        return {};
    }
    return text.substr(first - 1, count);
}

// Collects the image and notes every value that does not fit its byte, by the field's name.
class ImageWriter {
  public:
    explicit ImageWriter(std::vector<std::string>* faults) : faults_(faults) {}

    void Put(std::size_t at, long long value, std::string_view field = {}) {
        if (value < 0 || value > 255) {
            Fault(field, std::to_string(value) + " does not fit the record (0 to 255)");
            return;
        }
        image_[at] = static_cast<std::uint8_t>(value);
    }
    void PutCode(std::size_t at, std::optional<std::int16_t> code, std::string_view field,
                 int position) {
        if (!code) {
            Fault(field, "position " + std::to_string(position) + " is not in its table");
            return;
        }
        Put(at, *code, field);
    }
    template <std::size_t N>
    void PutText(std::size_t at, const FixedText<N>& text) {
        for (std::size_t i = 0; i < kTextSent && i < N; ++i) {
            image_[at + i] = static_cast<std::uint8_t>(text.Bytes()[i]);
        }
    }
    void Fault(std::string_view field, const std::string& why) {
        fits_ = false;
        if (faults_ != nullptr) {
            faults_->push_back(std::string(field) + ": " + why);
        }
    }
    std::optional<WireBuf> Result() const {
        return fits_ ? std::optional<WireBuf>(image_) : std::nullopt;
    }

  private:
    WireBuf image_{};
    bool fits_ = true;
    std::vector<std::string>* faults_;
};

// A talk group or NAC goes out as hexadecimal pairs; text that is no such pair cannot.
void PutHexDigits(ImageWriter& w, std::size_t at, std::string_view digits, std::string_view field,
                  std::string_view whole) {
    const long long value = HexValue(digits);
    if (value < 0 || value > 255) {
        w.Fault(field, "\"" + Trim(whole) + "\" is not hexadecimal");
        return;
    }
    w.Put(at, value, field);
}

std::string TextAt(const WireBuf& buf, std::size_t at) {
    std::string text(kTextSent, ' ');
    for (std::size_t i = 0; i < kTextSent; ++i) {
        text[i] = static_cast<char>(buf[at + i]);
    }
    return Trim(text);
}

}  // namespace

int FrameChecksum(std::string_view text) {
    // Halves go to the even neighbour, so an odd length sometimes drops and sometimes keeps its
    // last character; the radio computes it the same way.
    const auto n = static_cast<std::size_t>(std::nearbyint(static_cast<double>(text.size()) / 2));
    long long sum = 0;
    for (std::size_t i = 2; i <= n; ++i) {
        sum += HexValue(Chars(text, 2 * i - 1, 2));
    }
    return 255 - static_cast<int>(sum % 256);
}

std::string WithChecksum(std::string_view text) {
    // The sum is never negative, so the checksum is always a byte.
    return std::string(text) + HexPair(static_cast<std::uint8_t>(FrameChecksum(text)));
}

namespace {

std::optional<WireBuf> BuildImage(const ChannelMemory& memory, int index,
                                  std::optional<std::uint8_t> level,
                                  std::vector<std::string>* faults) {
    if (!IsRecordIndex(index)) {
        if (faults != nullptr) {
            faults->push_back("no such record");
        }
        return std::nullopt;
    }
    const ChannelRecord& r = memory.Rec(index);
    ImageWriter w(faults);
    w.Put(0, kFrameKindData[0]);
    w.Put(1, kFrameKindData[1]);
    w.Put(at::Length, kRecordLengthByte);
    w.Put(at::AddrHigh, 0);
    w.Put(at::AddrLow, index);
    w.Put(at::Shad, r.Shad, "Shadow flags");
    w.Put(at::Prim, r.Prim, "Primary");
    w.Put(at::Chnl, r.Chnl, "Channel number");
    w.Put(at::Scan, r.Scan, "List");
    w.PutText(at::Desc, r.Desc);
    w.Put(at::EFlags, r.EFlags, "Extra flags");
    w.PutCode(at::Mode, ModeCode(r.Mode), "Operating Mode", r.Mode);
    for (const Half& h : kHalves) {
        const std::string side = h.letter == 'R' ? "Rx " : "Tx ";
        w.PutText(h.frqAt, r.*h.frq);
        w.Put(h.letterAt, h.letter);
        w.Put(h.sqlAt, r.*h.sql, side + "Squelch Mode");
        const std::string_view tg = (r.*h.tg).View();
        PutHexDigits(w, h.tgAt, tg.substr(0, 2), side + "Talk Group", tg);
        PutHexDigits(w, h.tgAt + 1, tg.substr(2, 2), side + "Talk Group", tg);
        w.PutCode(h.ctcssAt, CtcssCode(r.*h.ctcss), side + "Tone", r.*h.ctcss);
        w.PutCode(h.dcsAt, DcsCode(r.*h.dcs), side + "Code", r.*h.dcs);
        const std::string_view nac = (r.*h.nac).View();
        PutHexDigits(w, h.nacAt, nac.substr(0, 1), side + "NAC", nac);
        PutHexDigits(w, h.nacAt + 1, nac.substr(1, 2), side + "NAC", nac);
    }
    for (std::size_t i = 0; i < kIdCallSent; ++i) {
        w.Put(at::IDCall + i, r.IDCall[i], "ID Call");
    }
    // The shadow slots and bytes 63 to 68 go out as 0: the image starts zeroed.
    if (level) {
        w.Put(at::RFRec, *level);
    } else {
        w.Put(at::RFRec, r.RFRec, "RFRec");
    }
    return w.Result();
}

}  // namespace

std::optional<WireBuf> RecordImage(const ChannelMemory& memory, int index,
                                   std::vector<std::string>* faults) {
    return BuildImage(memory, index, std::nullopt, faults);
}

std::optional<WireBuf> SendImage(const ChannelMemory& memory, int index,
                                 std::vector<std::string>* faults) {
    return BuildImage(memory, index, memory.NoiseSquelchLevel, faults);
}

std::string OpeningRequestFrame(int code, const ProgramVersion& version) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%02d%02d%02d", version.Major, version.Minor, version.Rev);
    return std::string(kFrameOpeningPrefix) + HexPair(static_cast<std::uint8_t>(code)) + digits;
}

std::string EraseFrame(std::uint8_t channel) {
    return std::string(kFrameErasePrefix) + HexPair(channel) + std::string(kFrameEraseSuffix);
}

std::string RecordFrameText(const WireBuf& image) {
    std::string text(kFrameKindData);
    for (std::size_t i = 2; i < kRecordImageBytes; ++i) {
        text += HexPair(image[i]);
    }
    return text;
}

namespace {

// Byte i (2 and up) of a frame text as the frame buffer takes it: 0 where the text does not
// reach, and junk such as "ZZ", which reads above 255, only by its low byte.
std::uint8_t FrameByte(std::string_view text, std::size_t i) {
    return i <= text.size() / 2
               ? static_cast<std::uint8_t>(HexValue(Chars(text, 2 * i - 1, 2)) & 0xFF)
               : 0;
}

}  // namespace

int RecordAddress(std::string_view text) {
    return FrameByte(text, at::AddrHigh) * 256 + FrameByte(text, at::AddrLow);
}

int StoreRecordFrame(std::string_view text, ChannelMemory& memory) {
    // Bytes beyond the buffer are not read at all.
    WireBuf buf{};
    for (std::size_t i = 0; i < 2 && i < text.size(); ++i) {
        buf[i] = static_cast<std::uint8_t>(text[i]);
    }
    for (std::size_t i = 2; i <= text.size() / 2 && i < kWireBufSize; ++i) {
        buf[i] = FrameByte(text, i);
    }

    const int address = RecordAddress(text);
    if (address > kLastRecord) {
        return 0;
    }
    ChannelRecord& r = memory.Rec(address);
    r.Shad = buf[at::Shad];
    r.Prim = buf[at::Prim];
    r.Chnl = buf[at::Chnl];
    // The radio's own list bits of the guards are not trusted: they always sit in their list.
    if (buf[at::Chnl] == kGuard1) {
        r.Scan = kGuard1Scan;
    } else if (buf[at::Chnl] == kGuard2) {
        r.Scan = kGuard2Scan;
    } else {
        r.Scan = buf[at::Scan];
    }
    if (address > 0 && !r.IsShadow()) {
        ++memory.ZoneCounts[static_cast<std::size_t>(ZoneOf(r.Scan))];
    }

    r.Desc = TextAt(buf, at::Desc);
    r.EFlags = buf[at::EFlags];
    // A mode, tone or code the tables do not know keeps the old value, so every position in the
    // record stays one that the tables can look up.
    if (const auto mode = ModePositionOfCode(buf[at::Mode])) {
        r.Mode = static_cast<std::int16_t>(*mode);
    }
    for (const Half& h : kHalves) {
        r.*h.frq = TextAt(buf, h.frqAt);
        r.*h.sql = buf[h.sqlAt];
        r.*h.tg = HexPair(buf[h.tgAt]) + HexPair(buf[h.tgAt + 1]);
        if (const auto tone = CtcssPositionOfCode(buf[h.ctcssAt])) {
            r.*h.ctcss = static_cast<std::int16_t>(*tone);
        }
        if (const auto code = DcsPositionOfCode(buf[h.dcsAt])) {
            r.*h.dcs = static_cast<std::int16_t>(*code);
        }
        // The first NAC digit travels alone in its byte: one digit unless the radio sent more.
        r.*h.nac = ToHex(std::to_string(buf[h.nacAt]), 1) + HexPair(buf[h.nacAt + 1]);
    }
    for (std::size_t i = 0; i < kIdCallSent; ++i) {
        r.IDCall[i] = buf[at::IDCall + i];
    }
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(kShadowSlots); ++slot) {
        r.ShadList[slot] = buf[at::ShadList + slot];
    }
    r.RFRec = buf[at::RFRec];
    r.Select = kSelDefined | kSelFromRadio;
    memory.Current = static_cast<std::int16_t>(address);
    return 1;
}

std::string DataLineText(std::string_view asciiHexString) {
    const auto digit = [](char ch) {
        const int c = static_cast<unsigned char>(ch);
        return IsDigit(c) ? c - '0' : UpperCase(c) - 55;
    };
    std::string result;
    for (std::size_t i = 8; i < asciiHexString.size(); i += 2) {
        if (i + 1 >= asciiHexString.size()) {
            return {};
        }
        const int code = 16 * digit(asciiHexString[i]) + digit(asciiHexString[i + 1]);
        if (code < 0 || code > 255) {
            return {};
        }
        result += static_cast<char>(code);
    }
    return result;
}

std::string MemoryStampFor(const std::tm& localTime) {
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%04lld%02lld%02d%02d%02d%02d", localTime.tm_year + 1900LL,
                  localTime.tm_mon + 1LL, localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                  localTime.tm_sec);
    return buffer;
}

}  // namespace kld
