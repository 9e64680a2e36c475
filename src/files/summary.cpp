#include "summary.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "field_rules.h"
#include "shown_text.h"
#include "tables.h"

namespace kld {

namespace {

constexpr std::string_view kUndefinedTail =
    "       UNDEFINED              UNDEFINED                      UNDEFINED";
constexpr std::string_view kErasedTail =
    "       ERASED                  ERASED                         ERASED";

// The line is put together in a buffer and appended whole: a listing has 233 of them, the list
// repaints them, and appending each column on its own was most of what a line cost.
class Line {
  public:
    void Put(std::string_view text) {
        std::memcpy(at_, text.data(), text.size());
        at_ += text.size();
    }
    void Put(char c) { *at_++ = c; }

    // A number as three digits. Anything a file can put into a field but that does not fit
    // three digits shows as "???" so the columns behind it stay where the text import looks
    // for them.
    void ThreeDigits(int value) {
        if (value < 0 || value > 999) {
            Put("???");
            return;
        }
        Put(static_cast<char>('0' + value / 100));
        Put(static_cast<char>('0' + value / 10 % 10));
        Put(static_cast<char>('0' + value % 10));
    }

    // The character whose code a squelch or mode field holds; "?" for a code that is no
    // printable character.
    void Code(int code) { Put(ShownCode(code)); }

    // Text cut or padded to Width, as it shows.
    template <std::size_t Width>
    void Padded(std::string_view text) {
        const std::size_t shown = std::min(text.size(), Width);
        for (std::size_t i = 0; i < shown; ++i) {
            at_[i] = kShown.of[static_cast<unsigned char>(text[i])];
        }
        std::memset(at_ + shown, ' ', Width - shown);
        at_ += Width;
    }

    // The first Width characters of a field at least that wide, as they show.
    template <std::size_t Width, std::size_t N>
    void Padded(const FixedText<N>& text) {
        static_assert(Width <= N);
        const char* chars = text.Bytes().data();
        for (std::size_t i = 0; i < Width; ++i) {
            at_[i] = kShown.of[static_cast<unsigned char>(chars[i])];
        }
        at_ += Width;
    }

    void Direction(char direction, const Freq10& freq, int sql, int ctcss, int dcs,
                   const TalkGroup6& tg, const Nac6& nac) {
        Padded<8>(freq);
        Put(' ');
        Put(direction);
        Code(sql);
        Put(' ');
        Padded<6>(CtcssText(ctcss));  // a position outside the table shows blank
        Padded<4>(DcsText(dcs));
        Padded<5>(Unpadded(tg.View()));
        Padded<4>(Unpadded(nac.View()));
    }

    void AppendTo(std::string& out) const {
        out.append(chars_, static_cast<std::size_t>(at_ - chars_));
    }

  private:
    // The widest line, with room for the label of any number at all.
    char chars_[kMaxSummaryLineChars + 16];
    char* at_ = chars_;
};

}  // namespace

void AppendSummaryLine(std::string& out, const ChannelRecord& r, int index) {
    // The labels are worked out once: a listing shows all of them, and the list repaints them.
    static const std::array<std::string, kLastRecord + 1> kLabels = [] {
        std::array<std::string, kLastRecord + 1> labels;
        for (int i = 0; i <= kLastRecord; ++i) {
            labels[static_cast<std::size_t>(i)] = ChannelBoxText(i);
        }
        return labels;
    }();
    Line line;
    line.Put("  ");
    if (IsRecordIndex(index)) {
        line.Put(kLabels[static_cast<std::size_t>(index)]);
    } else {
        const std::string label = ChannelBoxText(index);
        line.Put(std::string_view(label).substr(0, 16 - 3));
    }
    if (!r.IsDefined()) {
        line.Put(kUndefinedTail);
    } else if (r.IsErased()) {
        line.Put(kErasedTail);
    } else {
        if (r.IsShadow()) {
            line.Put("S-");
            line.ThreeDigits(r.Prim);
            line.Put("  ");
        } else if (index < kGuard1) {
            const int zone = ZoneOf(r.Scan) + 1;  // 1 to 16: always two digits
            line.Put(r.HasShadows() ? 'P' : ' ');
            line.Put("  ");
            line.Put(r.IsScanMember() ? 'S' : ' ');
            line.Put(static_cast<char>('0' + zone / 10));
            line.Put(static_cast<char>('0' + zone % 10));
            line.Put(' ');
        } else {
            line.Put("       ");
        }
        line.Padded<8>(r.Desc);
        line.Put("  ");
        const auto modeCode = ModeCode(r.Mode);
        line.Put(modeCode ? static_cast<char>(*modeCode) : '?');
        line.Put(' ');
        line.Direction('R', r.RFrq, r.RSql, r.RCTCSS, r.RDCS, r.RTG, r.RNAC);
        line.Direction('T', r.TFrq, r.TSql, r.TCTCSS, r.TDCS, r.TTG, r.TNAC);
    }
    line.AppendTo(out);
}

std::string SummaryLine(const ChannelRecord& r, int index) {
    std::string line;
    line.reserve(kMaxSummaryLineChars);
    AppendSummaryLine(line, r, index);
    return line;
}

}  // namespace kld
