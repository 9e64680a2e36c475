#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "channel_memory.h"
#include "characters.h"

namespace kld {

class Operator;

// The leading decimal number of a text, blanks before it skipped; 0 when the text does not
// start with a number. This is how frequencies and typed numbers are read throughout.
double LeadingNumber(std::string_view text);

// A number written with a fixed count of decimals ("0.0000" style), rounding half away from zero.
std::string FormatFixed(double value, int decimals);
// The same with at least three integer digits ("000.0000" style), as frequencies are shown. A
// value that rounds to zero has no sign.
std::string FormatThreeDigits(double value, int decimals);

// Hexadecimal digits of the decimal number in value, upper case, left-padded with "0" to
// finLen; never cut.
std::string ToHex(std::string_view value, int finLen);
// Decimal digits of the hexadecimal text value; "0" on any failure.
std::string ToDec(std::string_view value);
// True when the first `length` characters are hexadecimal digits.
bool IsHexText(std::string_view text, int length);
// The value of hexadecimal text as ToDec reads it, as a number (0 when ToDec gives "0").
long long HexValue(std::string_view value);

// The plain forms of one byte on the wire and in the radio's answers: two upper-case
// hexadecimal digits. HexPairValue takes exactly that form and nothing else.
std::string HexPair(std::uint8_t value);
std::optional<std::uint8_t> HexPairValue(std::string_view digits);

inline constexpr int kBackspace = 8;

// The hexadecimal key rule: the key to let through (upper case), or 0 after a beep.
int HexKeyRule(int& key, Operator& op);

// The digit key rule of the numeric fields. The field's text is trimmed on every key but
// backspace; a key that is not a digit is swallowed silently.
struct DigitKeyResult {
    int key;           // the key to insert, 0 when swallowed
    std::string text;  // the field's text before the key is inserted
};
DigitKeyResult DigitKeyRule(int key, std::string_view fieldText);

// True when the record's receive and transmit settings are identical.
bool IsSimplex(const ChannelRecord& record);

}  // namespace kld
