#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kld {

// A text field of exactly N single-byte characters, as the radio and the data files hold it.
// Assignment cuts a longer value and pads a shorter one with spaces on the right, so a record
// always has its persisted shape and can be written out without conversion.
template <std::size_t N>
class FixedText {
  public:
    static constexpr std::size_t kWidth = N;

    FixedText() { chars_.fill(' '); }
    FixedText(std::string_view value) { Set(value); }  // NOLINT: implicit on purpose

    void Set(std::string_view value) {
        chars_.fill(' ');
        std::copy_n(value.begin(), std::min(value.size(), N), chars_.begin());
    }
    FixedText& operator=(std::string_view value) {
        Set(value);
        return *this;
    }

    std::string_view View() const { return {chars_.data(), N}; }
    std::string Str() const { return std::string(View()); }
    // The value without the padding (and without any leading blanks a file may carry).
    std::string Trimmed() const;

    std::array<char, N>& Bytes() { return chars_; }
    const std::array<char, N>& Bytes() const { return chars_; }

    friend bool operator==(const FixedText&, const FixedText&) = default;

  private:
    std::array<char, N> chars_;
};

// Leading and trailing blanks removed.
std::string Trim(std::string_view text);

template <std::size_t N>
std::string FixedText<N>::Trimmed() const {
    return Trim(View());
}

}  // namespace kld
