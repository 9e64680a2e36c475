#include "csv_cells.h"

#include <gtest/gtest.h>

namespace kld::csv {
namespace {

// A judge's verdict as one text: the value, or "refused: " and the reason.
template <typename T>
std::string Verdict(std::optional<T> (*judge)(std::string_view, std::string&),
                    std::string_view cell) {
    std::string why;
    const std::optional<T> value = judge(cell, why);
    if (!value) {
        return "refused: " + why;
    }
    if constexpr (std::is_same_v<T, std::string>) {
        return *value;
    } else {
        return std::to_string(*value);
    }
}

TEST(CsvCells, EachCellIsJudgedAsTheEditorJudgesItsBox) {
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"Latin-1 from UTF-8", Verdict(Description, "Caf\xC3\xA9"), "Caf\xE9"},
        {"eight characters", Verdict(Description, "12345678"), "12345678"},
        {"not UTF-8", Verdict(Description, "\x80t"), "refused: is not UTF-8 text"},
        {"a control character", Verdict(Description, "a\tb"), "refused: holds a control character"},
        {"a C1 control character", Verdict(Description, "\xC2\x85"),
         "refused: holds a control character"},
        {"a channel named in lower case", std::to_string(*RecordOfCell("gd1")), "231"},
        {"no channel", std::to_string(RecordOfCell("233").value_or(-1)), "-1"},
        {"a number with five digits", std::to_string(*SmallNumber("00042")), "42"},
        {"a number with six digits", std::to_string(SmallNumber("100000").value_or(-1)), "-1"},
        {"a frequency", Verdict(Frequency, "150.00000"), "150.0000"},
        {"a frequency's digits", Verdict(Frequency, "150"), "150.0000"},
        {"no number", Verdict(Frequency, "150 MHz"),
         "refused: \"150 MHz\" is not a frequency in MHz"},
        {"a tone without its decimal", Verdict(Tone, "100"), "12"},
        {"a code without its zero", Verdict(DcsCodeCell, "23"), "0"},
        {"a code of four digits", Verdict(DcsCodeCell, "0023"),
         "refused: \"0023\" is not a DCS code of the radio"},
        {"an empty code", Verdict(DcsCodeCell, ""), "refused: \"\" is not a DCS code of the radio"},
    };
    for (const auto& [name, verdict, expected] : rows) {
        EXPECT_EQ(verdict, expected) << name;
    }
}

}  // namespace
}  // namespace kld::csv
