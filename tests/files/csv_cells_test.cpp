#include "csv_cells.h"

#include "../cases.h"
#include "temp_dir.h"

namespace kld::csv {
namespace {

using test::AsText;
using test::Cells;

// Each cell of cases/csv_cells.txt as the editor judges its box.
TEST(CsvCells, EachCellIsJudgedAsTheEditorJudgesItsBox) {
    const auto judged = [](auto judge) {
        return test::CaseFn{1, [judge](const Cells& a) {
                                std::string why;
                                const auto value = judge(a[0], why);
                                return value ? AsText(*value) : "refused: " + why;
                            }};
    };
    test::ExpectCases(
        "csv_cells.txt",
        {{"Description", judged(Description)},
         {"Frequency", judged(Frequency)},
         {"Tone", judged(Tone)},
         {"DcsCode", judged(DcsCodeCell)},
         {"Record", {1, [](const Cells& a) { return AsText(RecordOfCell(a[0])); }}},
         {"SmallNumber", {1, [](const Cells& a) { return AsText(SmallNumber(a[0])); }}}});
}

}  // namespace
}  // namespace kld::csv
