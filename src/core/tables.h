#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kld {

// An entry of a fixed list: the record stores its position, the operator sees its text and the
// radio gets its code.
struct TableEntry {
    std::string_view text;
    std::int16_t code;
};

// The 42 CTCSS tones, the 83 DCS codes and the three operating modes, in position order.
std::span<const TableEntry> CtcssTable();
std::span<const TableEntry> DcsTable();
std::span<const TableEntry> ModeTable();

// Lookups by position. A position a file or radio put into a record may lie outside its table:
// the text is then empty and there is no code, so nobody ever reads past a table.
std::string_view CtcssText(int position);
std::string_view DcsText(int position);
std::string_view ModeText(int position);
// A mode's long name, as the operating-mode messages list it ("Analog Wideband").
std::string_view ModeName(int position);
std::optional<std::int16_t> CtcssCode(int position);
std::optional<std::int16_t> DcsCode(int position);
std::optional<std::int16_t> ModeCode(int position);

// Lookups by the code the radio sends: the position of the entry that carries it.
std::optional<int> CtcssPositionOfCode(int code);
std::optional<int> DcsPositionOfCode(int code);
std::optional<int> ModePositionOfCode(int code);

// Lookup by the text the operator sees (used when reading listings back).
std::optional<int> CtcssPositionOfText(std::string_view text);
std::optional<int> DcsPositionOfText(std::string_view text);

}  // namespace kld
