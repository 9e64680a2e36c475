#pragma once

// How record contents show as text, shared by the summary line and the comparison of plans, so
// that both name a value the same way.

#include <string>
#include <string_view>

namespace kld {

// How each byte of a text field shows. Control characters that a file or radio may have put
// into a text field show as "?", so a line never breaks or shifts in a list or a listing. A
// table rather than a test per character: the list and the listing show some fifty thousand.
struct ShownChars {
    char of[256];
};
inline constexpr ShownChars kShown = [] {
    ShownChars shown{};
    for (int code = 0; code < 256; ++code) {
        shown.of[code] = (code < 0x20 || code == 0x7F) ? '?' : static_cast<char>(code);
    }
    return shown;
}();

// A text field without the blanks around it, as Trimmed() gives it but without a copy.
inline std::string_view Unpadded(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The character whose code a squelch or mode field holds; "?" for a code that is no printable
// character.
inline char ShownCode(int code) {
    return (code >= 0x20 && code < 0x7F) ? static_cast<char>(code) : '?';
}

// Text as it shows, every byte through kShown.
inline std::string ShownText(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        c = kShown.of[static_cast<unsigned char>(c)];
    }
    return shown;
}

}  // namespace kld
