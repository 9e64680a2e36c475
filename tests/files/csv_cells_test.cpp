#include "csv_cells.h"

#include "../case_table.h"
#include "temp_dir.h"

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
    const auto number = [](std::optional<int> n) { return n ? std::to_string(*n) : "none"; };
    for (const auto& c : test::Cases("csv_cells.txt")) {
        const std::string &judge = c.at(0), &cell = c.at(1);
        const std::string verdict = judge == "Description" ? Verdict(Description, cell)
                                    : judge == "Frequency" ? Verdict(Frequency, cell)
                                    : judge == "Tone"      ? Verdict(Tone, cell)
                                    : judge == "DcsCode"   ? Verdict(DcsCodeCell, cell)
                                    : judge == "Record"    ? number(RecordOfCell(cell))
                                                           : number(SmallNumber(cell));
        EXPECT_EQ(verdict, c.at(2)) << judge << " " << cell;
    }
}

}  // namespace
}  // namespace kld::csv
