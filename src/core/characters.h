#pragma once

// Character classes of the plain ASCII the radio and its files speak, whatever the locale. Each
// takes a character's code or a key code: a char holding a byte above 0x7F is negative and
// belongs to no class, as does a key beyond any character.

#include <algorithm>
#include <string>
#include <string_view>

namespace kld {

constexpr bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// Either case.
constexpr bool IsHexDigit(int c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// 'a' to 'z' as 'A' to 'Z'; anything else as it is.
constexpr int UpperCase(int c) {
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}

inline std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(UpperCase(c));
    }
    return upper;
}

// True when every character is a decimal digit; true for "".
inline bool IsDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c); });
}

// True when every character is a hexadecimal digit of either case; true for "".
inline bool IsHexDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsHexDigit(c); });
}

}  // namespace kld
