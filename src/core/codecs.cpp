#include "codecs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "operator.h"

namespace kld {

namespace {

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(unsigned char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F');
}
unsigned char Upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

}  // namespace

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') {
            number += '-';
        }
        ++i;
    }
    const auto digits = [&] {
        std::size_t count = 0;
        while (i < text.size() && IsDigit(static_cast<unsigned char>(text[i]))) {
            number += text[i++];
            ++count;
        }
        return count;
    };
    std::size_t mantissaDigits = digits();
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) {
        return 0.0;
    }
    // An exponent counts only when digits follow it.
    if (i + 1 < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t j = i + 1;
        if (text[j] == '-' || text[j] == '+') {
            ++j;
        }
        if (j < text.size() && IsDigit(static_cast<unsigned char>(text[j]))) {
            number += 'e';
            number.append(text.substr(i + 1, j - i - 1));
            i = j;
            digits();
        }
    }
    double value = 0.0;
    const char* begin = number.data();
    if (*begin == '-') {
        ++begin;  // from_chars takes no sign of its own on some libraries; apply it below
    }
    std::from_chars(begin, number.data() + number.size(), value);
    return number.front() == '-' ? -value : value;
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
        const int digit = IsDigit(c) ? c - '0' : static_cast<int>(Upper(c)) - 55;
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

int IsHexString(std::string_view text, int length) {
    for (int pos = 0; pos < length; ++pos) {
        if (static_cast<std::size_t>(pos) >= text.size() ||
            !IsHexDigit(Upper(static_cast<unsigned char>(text[static_cast<std::size_t>(pos)])))) {
            return 1;
        }
    }
    return 0;
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
        return ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
    };
    if (digits.size() != 2 || digit(digits[0]) < 0 || digit(digits[1]) < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(digit(digits[0]) * 16 + digit(digits[1]));
}

bool IsHexDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char ch) { return IsHexDigit(Upper(static_cast<unsigned char>(ch))); });
}

int HexCheck(int& key, Operator& op) {
    if (key == kBackspace) {
        return kBackspace;
    }
    const int upper = (key >= 'a' && key <= 'z') ? key - ('a' - 'A') : key;
    if ((upper >= '0' && upper <= '9') || (upper >= 'A' && upper <= 'F')) {
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
    const bool digit = key >= '0' && key <= '9';
    return {digit ? key : 0, Trim(fieldText)};
}

bool CheckSx(const ChannelRecord& r) {
    return r.RNAC == r.TNAC && r.RTG == r.TTG && r.RFrq == r.TFrq && r.RDCS == r.TDCS &&
           r.RCTCSS == r.TCTCSS && r.RSql == r.TSql;
}

}  // namespace kld
