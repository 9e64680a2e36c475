#include "csv_text.h"

#include <gtest/gtest.h>

namespace kld::csv {
namespace {

using Fields = std::vector<std::string>;

// The rows a text splits into, each as its line, its fields and the first field past two; and
// the error that stopped the reading.
TEST(CsvText, RowsAndFieldsAsRfc4180Has) {
    struct Row {
        int line;
        Fields fields;
        std::size_t firstExtra = 0;
    };
    const struct {
        const char* name;
        std::string text;
        std::vector<Row> rows;
        std::string error;
    } cases[] = {
        {"CR LF, LF and CR line ends",
         "a,b\r\nc\nd\re",
         {{1, {"a", "b"}}, {2, {"c"}}, {3, {"d"}}, {4, {"e"}}},
         ""},
        {"a last line end", "a\r\n", {{1, {"a"}}}, ""},
        {"quoted commas, quotes and line ends",
         "\"x,\"\"y\"\"\r\nz\"  ,w\nv",
         {{1, {"x,\"y\"\r\nz", "w"}}, {3, {"v"}}},
         ""},
        {"a quote inside an unquoted field stays", "a\"b,c", {{1, {"a\"b", "c"}}}, ""},
        {"fields past those kept", "a,b,  ,d\ne,f, ,", {{1, {"a", "b"}, 4}, {2, {"e", "f"}}}, ""},
        {"a quoted field never closed",
         "a\n\"b,\nc",
         {{1, {"a"}}},
         "Line 2: a quoted field is never closed"},
        {"text after a closing quote", "\"a\nb\"c", {}, "Line 2: text after a closing quote"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CsvReader reader(c.text);
        CsvRow row;
        std::size_t n = 0;
        for (; reader.Next(row, 2); ++n) {
            ASSERT_LT(n, c.rows.size());
            EXPECT_EQ(std::tuple(row.line, row.fields, row.firstExtra),
                      std::tuple(c.rows[n].line, c.rows[n].fields, c.rows[n].firstExtra));
        }
        EXPECT_EQ(n, c.rows.size());
        EXPECT_EQ(reader.Error(), c.error);
    }
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
