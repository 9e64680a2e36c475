#include "tables.h"

#include <array>

namespace kld {

namespace {

// clang-format off
// Codes 1 to 33 follow the position; the tones added later to the radio got the codes 34 to 42
// but kept their place in frequency order.
constexpr std::array<TableEntry, 42> kCtcss{{
    {"67.0", 1},   {"69.3", 2},   {"71.9", 3},   {"74.4", 4},   {"77.0", 5},   {"79.7", 6},
    {"82.5", 7},   {"85.4", 8},   {"88.5", 9},   {"91.5", 10},  {"94.8", 11},  {"97.4", 12},
    {"100.0", 13}, {"103.5", 14}, {"107.2", 15}, {"110.9", 16}, {"114.8", 17}, {"118.8", 18},
    {"123.0", 19}, {"127.3", 20}, {"131.8", 21}, {"136.5", 22}, {"141.3", 23}, {"146.2", 24},
    {"151.4", 25}, {"156.7", 26}, {"162.2", 27}, {"167.9", 28}, {"173.8", 29}, {"179.9", 30},
    {"186.2", 31}, {"192.8", 32}, {"203.5", 33}, {"206.5", 40}, {"210.7", 34}, {"218.1", 35},
    {"225.7", 36}, {"229.1", 41}, {"233.6", 37}, {"241.8", 38}, {"250.3", 39}, {"254.8", 42},
}};

constexpr std::array<std::string_view, 83> kDcsTexts{
    "023", "025", "026", "031", "032", "043", "047", "051", "054", "065", "071", "072", "073",
    "074", "114", "115", "116", "125", "131", "132", "134", "143", "152", "155", "156", "162",
    "165", "172", "174", "205", "223", "226", "243", "244", "245", "251", "261", "263", "265",
    "271", "306", "311", "315", "331", "343", "346", "351", "364", "365", "371", "411", "412",
    "413", "423", "431", "432", "445", "464", "465", "466", "503", "506", "516", "532", "546",
    "565", "606", "612", "624", "627", "631", "632", "654", "662", "664", "703", "712", "723",
    "731", "732", "734", "743", "754",
};
// clang-format on

constexpr auto kDcs = [] {
    std::array<TableEntry, kDcsTexts.size()> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = {kDcsTexts[i], static_cast<std::int16_t>(i + 1)};
    }
    return table;
}();

constexpr std::array<TableEntry, 3> kModes{{{"Wide", 'w'}, {"Narrow", 'n'}, {"Digital", 'D'}}};
// The long names, by the same positions.
constexpr std::array<std::string_view, kModes.size()> kModeNames{
    "Analog Wideband", "Analog Narrowband", "P25 Conventional"};

template <typename Table>
const TableEntry* At(const Table& table, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= table.size()) {
        return nullptr;
    }
    return &table[static_cast<std::size_t>(position)];
}

template <typename Table>
std::string_view TextAt(const Table& table, int position) {
    const TableEntry* entry = At(table, position);
    return entry ? entry->text : std::string_view{};
}

template <typename Table>
std::optional<std::int16_t> CodeAt(const Table& table, int position) {
    const TableEntry* entry = At(table, position);
    return entry ? std::optional<std::int16_t>(entry->code) : std::nullopt;
}

template <typename Table>
std::optional<int> FindCode(const Table& table, int code) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].code == code) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

template <typename Table>
std::optional<int> FindText(const Table& table, std::string_view text) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].text == text) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

}  // namespace

std::span<const TableEntry> CtcssTable() {
    return kCtcss;
}
std::span<const TableEntry> DcsTable() {
    return kDcs;
}
std::span<const TableEntry> ModeTable() {
    return kModes;
}

std::string_view CtcssText(int position) {
    return TextAt(kCtcss, position);
}
std::string_view DcsText(int position) {
    return TextAt(kDcs, position);
}
std::string_view ModeText(int position) {
    return TextAt(kModes, position);
}
std::string_view ModeName(int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= kModeNames.size()) {
        return {};
    }
    return kModeNames[static_cast<std::size_t>(position)];
}
std::optional<std::int16_t> CtcssCode(int position) {
    return CodeAt(kCtcss, position);
}
std::optional<std::int16_t> DcsCode(int position) {
    return CodeAt(kDcs, position);
}
std::optional<std::int16_t> ModeCode(int position) {
    return CodeAt(kModes, position);
}

std::optional<int> CtcssPositionOfCode(int code) {
    return FindCode(kCtcss, code);
}
std::optional<int> DcsPositionOfCode(int code) {
    return FindCode(kDcs, code);
}
std::optional<int> ModePositionOfCode(int code) {
    return FindCode(kModes, code);
}

std::optional<int> CtcssPositionOfText(std::string_view text) {
    return FindText(kCtcss, text);
}
std::optional<int> DcsPositionOfText(std::string_view text) {
    return FindText(kDcs, text);
}

}  // namespace kld
