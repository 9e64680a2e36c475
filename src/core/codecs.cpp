#include "codecs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "characters.h"
#include "operator.h"

namespace kld {

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Every frequency the memory check and the mode rule look at comes through here, so the number
// is read in place rather than copied out character by character.
double LeadingNumber(std::string_view text) {
    const char* at = text.data();
    const char* const end = at + text.size();
    const auto digits = [&at, end] {
        const char* const first = at;
        while (at != end && IsDigit(*at)) {
            ++at;
        }
        return at - first;
    };
    while (at != end && (*at == ' ' || *at == '\t')) {
        ++at;
    }
    bool negative = false;
    if (at != end && (*at == '-' || *at == '+')) {
        negative = *at == '-';
        ++at;
    }
    // from_chars takes no sign of its own on some libraries; the sign is applied below.
    const char* const mantissa = at;
    auto mantissaDigits = digits();
    if (at != end && *at == '.') {
        ++at;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) {
        return 0.0;
    }
    // An exponent counts only when digits follow it.
    if (end - at >= 2 && (*at == 'E' || *at == 'e')) {
        const char* sign = at + 1;
        const char* exponent = (*sign == '-' || *sign == '+') ? sign + 1 : sign;
        if (exponent != end && IsDigit(*exponent)) {
            at = exponent;
            digits();
        }
    }
    double value = 0.0;
    std::from_chars(mantissa, at, value);
    return negative ? -value : value;
}

std::string FormatFixed(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    // Nudge by a relative epsilon so that a decimal half written in text (136.00625) rounds
    // up as a person reading it expects, not down because of its binary neighbour.
    const double nudged = value + std::copysign(std::abs(value) * 1e-12, value);
    const double rounded = std::round(nudged * scale) / scale;
    // to_chars, unlike printf, writes a decimal point whatever the locale (a window program
    // runs in the user's locale, where it may be a comma).
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string FormatThreeDigits(double value, int decimals) {
    std::string text = FormatFixed(std::abs(value), decimals);
    const std::size_t point = text.find('.');
    const std::size_t integerDigits = point == std::string::npos ? text.size() : point;
    if (integerDigits < 3) {
        text.insert(0, 3 - integerDigits, '0');
    }
    if (value < 0 && text.find_first_of("123456789") != std::string::npos) {
        text.insert(0, 1, '-');
    }
    return text;
}

std::string ToHex(std::string_view value, int finLen) {
    double number = std::nearbyint(LeadingNumber(value));  // halves go to the even neighbour
    number = std::clamp(number, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                        static_cast<double>(std::numeric_limits<std::int32_t>::max()));
    // A negative number shows as its 32-bit pattern; callers only pass 0 and above.
    const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(number));
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", bits);
    std::string digits = buffer;
    if (static_cast<int>(digits.size()) < finLen) {
        digits.insert(0, static_cast<std::size_t>(finLen) - digits.size(), '0');
    }
    return digits;
}

std::string ToDec(std::string_view value) {
    double sum = 0.0;
    double place = 1.0;
    for (auto it = value.rbegin(); it != value.rend(); ++it) {
        const auto c = static_cast<unsigned char>(*it);
        const int digit = IsDigit(c) ? c - '0' : UpperCase(c) - 55;
        if (digit < 0) {
            return "0";
        }
        if (digit != 0) {
            sum += digit * place;
            if (sum > 2147483647.0) {
                return "0";
            }
        }
        place *= 16.0;
    }
    return std::to_string(static_cast<long long>(sum));
}

bool IsHexText(std::string_view text, int length) {
    if (length > 0 && text.size() < static_cast<std::size_t>(length)) {
        return false;
    }
    // Every position is looked at rather than stopping at the first failure: the answer is the
    // same, and the memory check asks this four times for each record.
    bool allHex = true;
    for (int pos = 0; pos < length; ++pos) {
        allHex &= IsHexDigit(text.data()[pos]);
    }
    return allHex;
}

long long HexValue(std::string_view value) {
    const std::string dec = ToDec(value);
    long long number = 0;
    std::from_chars(dec.data(), dec.data() + dec.size(), number);
    return number;
}

std::string HexPair(std::uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 0xF]};
}

std::optional<std::uint8_t> HexPairValue(std::string_view digits) {
    const auto digit = [](char ch) {
        const bool upper = IsHexDigit(ch) && UpperCase(ch) == ch;
        return IsDigit(ch) ? ch - '0' : upper ? ch - 'A' + 10 : -1;
    };
    if (digits.size() != 2 || digit(digits[0]) < 0 || digit(digits[1]) < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(digit(digits[0]) * 16 + digit(digits[1]));
}

int HexKeyRule(int& key, Operator& op) {
    if (key == kBackspace) {
        return kBackspace;
    }
    const int upper = UpperCase(key);
    if (IsHexDigit(upper)) {
        key = upper;
        return key;
    }
    op.Beep();
    key = 0;
    return 0;
}

DigitKeyResult DigitKeyRule(int key, std::string_view fieldText) {
    if (key == kBackspace) {
        return {kBackspace, std::string(fieldText)};
    }
    const bool digit = IsDigit(key);
    return {digit ? key : 0, Trim(fieldText)};
}

bool IsSimplex(const ChannelRecord& r) {
    return r.RNAC == r.TNAC && r.RTG == r.TTG && r.RFrq == r.TFrq && r.RDCS == r.TDCS &&
           r.RCTCSS == r.TCTCSS && r.RSql == r.TSql;
}

}  // namespace kld
