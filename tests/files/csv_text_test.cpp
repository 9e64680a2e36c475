#include "csv_text.h"

#include "../cases.h"
#include "temp_dir.h"

namespace kld::csv {
namespace {

// The rows each text splits into, each as its line, its fields and the first field past two;
// and the error that stopped the reading.
TEST(CsvText, RowsAndFieldsAsRfc4180Has) {
    const auto shown = [](std::string text) {
        for (std::size_t at = 0; (at = text.find_first_of("\r\n", at)) != std::string::npos;) {
            text.replace(at, 1, text[at] == '\r' ? "\\r" : "\\n");
        }
        return "[" + text + "]";
    };
    std::string out;
    for (const auto& c : test::Cases("csv_text.txt")) {
        out += c.at(0) + "\n";
        CsvReader reader(c.at(1));
        for (CsvRow row; reader.Next(row, 2);) {
            out += "  line " + std::to_string(row.line) + ":";
            for (const std::string& field : row.fields) {
                out += " " + shown(field);
            }
            out += row.firstExtra ? " then field " + std::to_string(row.firstExtra) + "\n" : "\n";
        }
        out += reader.Error().empty() ? "" : "  " + reader.Error() + "\n";
    }
    test::ExpectGolden("csv_text.rows.txt", out);
}

TEST(CsvText, WritingQuotesWhereNeededAndMarksAreDropped) {
    std::string out;
    AppendRow(out, {"plain", "a,b", "say \"hi\"", "two\r\nlines", "cr\r", ""});
    EXPECT_EQ(out, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"cr\r\",\r\n");
    EXPECT_EQ(WithoutByteOrderMark("\xEF\xBB\xBF"
                                   "Channel"),
              "Channel");
    EXPECT_EQ(WithoutByteOrderMark("\xEF\xBB"), "\xEF\xBB");
    EXPECT_TRUE((CsvRow{1, {" ", ""}, 0}).Blank());
    EXPECT_FALSE((CsvRow{1, {" ", ""}, 3}).Blank());
}

}  // namespace
}  // namespace kld::csv
