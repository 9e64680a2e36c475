#include "field_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "characters.h"

namespace kld {

namespace {

Message PlainMessage(std::string text, std::string detail = {}) {
    return {std::move(text), "", Icon::None, Buttons::Ok, std::move(detail)};
}

constexpr double kBandLow = 136.0;
constexpr double kBandHigh = 174.0;

// A distance as a technician says it: kHz below 1 MHz, MHz above, without trailing zeros.
std::string Amount(double mhz) {
    const bool small = mhz < 1.0;
    std::string text = FormatFixed(small ? mhz * 1000.0 : mhz, small ? 2 : 5);
    while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.')) {
        text.pop_back();
    }
    return text + (small ? " kHz" : " MHz");
}

// A frequency in 10 Hz units (the box's last decimal) as the box shows it.
std::string UnitsText(long long units) {
    return FormatFixed(static_cast<double>(units) / 1e5, 5) + " MHz";
}

// The last `width` characters of `width` zeros followed by the trimmed text.
std::string ZeroPadRight(std::string_view text, std::size_t width) {
    const std::string padded = std::string(width, '0') + Trim(text);
    return padded.substr(padded.size() - width);
}

// A nibble of the packed ID call as the digit the box shows. The radio and the files only
// carry decimal digits; a nibble above 9 has no digit of its own and shows as the nearest, 9,
// so the box always holds seven digits.
char IdDigit(unsigned nibble) {
    return static_cast<char>('0' + (nibble > 9 ? 9 : nibble));
}

bool Validate(std::string& box, bool copyToTx, std::string* tx, const char* invalid, Operator& op) {
    bool cancel = true;
    const FrequencyVerdict verdict = JudgeFrequency(box);
    if (verdict.inRange) {
        box = verdict.text;
        cancel = !verdict.onRaster;
        if (copyToTx) {
            *tx = box;
        }
    }
    if (cancel) {
        op.Beep();
        op.Tell(PlainMessage(invalid, FrequencyAdvice(box)));
    }
    return cancel;
}

// The message of a store refused for a frequency, with the reason the leave rule gave again.
Message NotStoredMessage(const char* text, const char* box, std::string_view frequency) {
    return PlainMessage(text, "The channel was not stored: correct the " + std::string(box) +
                                  " frequency first.\n" + FrequencyAdvice(frequency));
}

}  // namespace

std::optional<int> ParseTyped16(std::string_view text) {
    const double whole = std::nearbyint(LeadingNumber(text));
    if (!(whole >= -32768.0 && whole <= 32767.0)) {
        return std::nullopt;
    }
    return static_cast<int>(whole);
}

std::string Format000(int value) {
    std::string digits = std::to_string(std::abs(static_cast<long long>(value)));
    if (digits.size() < 3) {
        digits.insert(0, 3 - digits.size(), '0');
    }
    return value < 0 ? "-" + digits : digits;
}

std::string ChannelBoxText(int index) {
    switch (index) {
        case kDefaultRecord:
            return "DEF";
        case kGuard1:
            return "GD1";
        case kGuard2:
            return "GD2";
        default:
            break;
    }
    return Format000(index);
}

DigitKeyResult ChannelKeyRule(int key, std::string_view fieldText) {
    if (key == kBackspace) {
        return {kBackspace, std::string(fieldText)};
    }
    const int upper = UpperCase(key);
    const bool passes = IsDigit(upper) || (upper >= 'D' && upper <= 'G');
    return {passes ? upper : 0, Trim(fieldText)};
}

std::optional<int> RecordOfName(std::string_view label) {
    if (label == "DEF") {
        return kDefaultRecord;
    }
    if (label == "GD1") {
        return kGuard1;
    }
    if (label == "GD2") {
        return kGuard2;
    }
    return std::nullopt;
}

std::optional<int> ChannelLeaveRule(std::string_view text, Operator& op) {
    if (const auto named = RecordOfName(text)) {
        return named;
    }
    if (const auto number = ParseTyped16(text); number && IsOrdinaryChannel(*number)) {
        return *number;
    }
    op.Beep();
    return std::nullopt;
}

int NextChannel(int current) {
    const int next = (current + 1) % (kLastRecord + 1);
    return next <= 0 ? kFirstChannel : next;
}

int FrequencyKeyRule(int key, int pos, Operator& op) {
    if (key == kBackspace) {
        return kBackspace;
    }
    bool accepted = false;
    switch (pos) {
        case 1:
            accepted = key == '1';
            break;
        case 2:
            accepted = key >= '3' && key <= '7';
            break;
        case 4:
            accepted = key == '.';
            break;
        default:
            accepted = IsDigit(key);
            break;
    }
    if (!accepted) {
        op.Beep();
        return 0;
    }
    return key;
}

FrequencyVerdict JudgeFrequency(std::string_view text) {
    // The band check reads the box as a single-precision number, as the radio's own tools
    // always have. The rewrite and the raster test use the full number, so the digits the
    // operator typed are the digits judged and shown, without single-precision noise.
    const double typed = LeadingNumber(text);
    const float mhz = static_cast<float>(typed);
    if (!(mhz >= kLowestMhz && mhz <= kHighestMhz)) {
        return {std::string(text), false, false};
    }
    std::string formatted = FormatFixed(typed, 5);  // "ddd.ddddd": three integer digits in band
    const char tenKhz = formatted[5];
    const char oneKhz = formatted[6];
    const auto tenIs = [tenKhz](char a, char b) { return tenKhz == a || tenKhz == b; };
    const char* exact = nullptr;  // the 100 Hz and 10 Hz digits of the raster point
    switch (oneKhz) {
        case '0':
        case '5':
            exact = "00";
            break;
        case '2':
        case '7':
            exact = "50";
            break;
        case '1':
            exact = tenIs('3', '8') ? "25" : nullptr;
            break;
        case '6':
            exact = tenIs('0', '5') ? "25" : nullptr;
            break;
        case '3':
            exact = tenIs('4', '9') ? "75" : nullptr;
            break;
        case '8':
            exact = tenIs('1', '6') ? "75" : nullptr;
            break;
        default:  // 4 and 9 kHz are on neither raster
            break;
    }
    if (exact == nullptr) {
        return {formatted, true, false};
    }
    formatted.replace(7, 2, exact);
    return {formatted, true, true};
}

std::string FrequencyAdvice(std::string_view text) {
    const FrequencyVerdict verdict = JudgeFrequency(text);
    if (verdict.onRaster) {
        return {};
    }
    const std::string typed = Trim(text);
    const std::string band = "136.00000 to 174.00000 MHz";
    if (typed.find_first_of("0123456789") == std::string::npos) {
        return "\"" + typed + "\" is no frequency. Type one from " + band +
               " on a 2.5 kHz or 6.25 kHz step, such as 150.00000.";
    }
    if (!verdict.inRange) {
        const double mhz = LeadingNumber(text);
        const bool below = mhz < kBandLow;
        return typed + " MHz is " + (below ? "below" : "above") + " the radio's band (" + band +
               ") by " + Amount(below ? kBandLow - mhz : mhz - kBandHigh) +
               ". Type a frequency within the band.";
    }
    // The raster points round it: the multiples of 2.5 kHz and of 6.25 kHz, in 10 Hz units.
    const long long units = std::llround(LeadingNumber(verdict.text) * 1e5);
    long long below = 0;
    long long above = 0;
    for (const long long step : {250LL, 625LL}) {
        below = std::max(below, units / step * step);
        const long long up = (units + step - 1) / step * step;
        above = above == 0 ? up : std::min(above, up);
    }
    const long long downBy = units - below;
    const long long upBy = above - units;
    const auto point = [](long long at, long long by, const char* side) {
        return Amount(static_cast<double>(by) / 1e5) + " " + side + " " + UnitsText(at);
    };
    const std::string nearest =
        upBy <= downBy ? point(above, upBy, "below") + " and " + point(below, downBy, "above")
                       : point(below, downBy, "above") + " and " + point(above, upBy, "below");
    return verdict.text + " MHz is off the channel raster (steps of 2.5 kHz and 6.25 kHz): it is " +
           nearest + ". Type one of those, or another frequency on the raster.";
}

bool LeaveRxFrequency(FrequencyFields& fields, Operator& op) {
    return Validate(fields.rx, fields.simplex, &fields.tx, "Invalid Rx Frequency", op);
}

bool LeaveTxFrequency(FrequencyFields& fields, Operator& op) {
    return Validate(fields.tx, false, nullptr, "Invalid Tx Frequency", op);
}

bool CheckFrequencies(FrequencyFields& fields, Operator& op) {
    bool result = true;
    if (LeaveRxFrequency(fields, op)) {
        op.Tell(NotStoredMessage("Rx Frequency not valid", "receive", fields.rx));
        result = false;
    }
    if (!fields.simplex && LeaveTxFrequency(fields, op)) {
        op.Tell(NotStoredMessage("Tx Frequency not valid", "transmit", fields.tx));
        result = false;
    }
    return result;
}

std::string DisplayFrequency(std::string_view stored) {
    std::string text = FormatThreeDigits(LeadingNumber(stored), 5);
    if (text.size() >= 8 && (text[7] == '2' || text[7] == '7')) {
        text = text.substr(0, 8) + "5";
    }
    return text;
}

std::string CompleteTalkGroup(std::string_view text) {
    return ZeroPadRight(text, 4);
}
std::string CompleteNac(std::string_view text) {
    return ZeroPadRight(text, 3);
}

std::string IdCallDigits(std::string_view text) {
    const std::string trimmed = Trim(text);
    std::size_t end = 0;
    while (end < trimmed.size() && IsDigit(trimmed[end])) {
        ++end;
    }
    std::string digits = trimmed.substr(0, end);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.size() < 7) {
        digits.insert(0, 7 - digits.size(), '0');
    }
    // The box takes seven digits; a longer number can only come from outside the editor, and
    // keeps its first seven as the digits d1 to d7.
    return digits.substr(0, 7);
}

void PackIdCall(std::string_view digits, std::array<std::int16_t, 5>& idCall) {
    const auto d = [digits](std::size_t i) -> std::int16_t {
        if (i >= digits.size() || !IsDigit(digits[i])) {
            return 0;  // a missing character counts as 0
        }
        return static_cast<std::int16_t>(digits[i] - '0');
    };
    idCall[0] = d(0);
    idCall[1] = static_cast<std::int16_t>(d(1) * 16 + d(2));
    idCall[2] = static_cast<std::int16_t>(d(3) * 16 + d(4));
    idCall[3] = static_cast<std::int16_t>(d(5) * 16 + d(6));
}

std::string IdCallText(const std::array<std::int16_t, 5>& idCall) {
    // Masking keeps whatever a file or a radio put into an element to two nibbles.
    const auto bits = [&idCall](std::size_t i) { return static_cast<std::uint16_t>(idCall[i]); };
    std::string text;
    text += IdDigit(bits(0) & 15u);
    for (std::size_t i = 1; i <= 3; ++i) {
        text += IdDigit((bits(i) >> 4) & 15u);
        text += IdDigit(bits(i) & 15u);
    }
    return text;
}

}  // namespace kld
