#pragma once

// Comma-separated text as RFC 4180 has it and spreadsheets write it: rows of fields, quoted where
// a field holds a comma, a quote or a line end.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kld::csv {

struct CsvRow {
    int line = 0;                     // where the row starts; 1 is the first line
    std::vector<std::string> fields;  // at most the number kept
    std::size_t firstExtra = 0;       // 1-based position of the first non-blank field not kept

    // Nothing but blanks in any field: a spreadsheet's empty row.
    bool Blank() const;
};

// Splits text into rows. Line ends may be CR LF, LF or CR alone; quoted fields may hold commas,
// doubled quotes and line ends. Fields past `keep` are only looked at, never stored, so a huge
// row costs no memory.
class CsvReader {
  public:
    explicit CsvReader(std::string_view text) : text_(text) {}

    // False at the end of the text, or at a malformed row (then Error() says why, as "Line N:
    // reason").
    bool Next(CsvRow& row, std::size_t keep);
    const std::string& Error() const { return error_; }

  private:
    bool AtLineEnd() const { return text_[at_] == '\r' || text_[at_] == '\n'; }
    void SkipLineEnd();
    bool ReadField(std::string& field);

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 1;
    std::string error_;
};

// The text without the UTF-8 byte-order mark a spreadsheet may put in front.
std::string_view WithoutByteOrderMark(std::string_view text);

// Appends a row: the fields separated by commas, each quoted where RFC 4180 needs it, and CR LF.
void AppendRow(std::string& out, const std::vector<std::string>& fields);

}  // namespace kld::csv
