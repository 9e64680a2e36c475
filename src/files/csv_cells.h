#pragma once

// The cells of a channel plan, each judged by the rule the editor judges its box by, so that a
// plan holds nothing the editor would refuse; and the refusals, each naming its line and column.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "channel_memory.h"
#include "csv_text.h"
#include "failure.h"
#include "squelch_modes.h"

namespace kld::csv {

// A name as compared: lower case, blanks dropped ("Talk Group" is "talkgroup").
std::string Key(std::string_view text);
// A cell's text as a refusal quotes it; QuoteOrEmpty says "empty" for a blank cell.
std::string Quote(std::string_view text);
std::string QuoteOrEmpty(std::string_view text);
// Digits with at most one decimal point, as a spreadsheet writes a number.
bool IsDecimal(std::string_view text);
// A small whole number written with digits only; none for anything else.
std::optional<int> SmallNumber(std::string_view text);
// The record a channel cell names: DEF, GD1, GD2 in any case, or its number 0 to 232.
std::optional<int> RecordOfCell(std::string_view text);

// The refusals of one import, in the order made, each with the line it is about (0 for the file
// as a whole). At most kMaxCsvRefusals are listed; a last line counts the rest.
class Refusals {
  public:
    void Add(int line, std::string_view column, std::string_view reason);
    void AddRow(int line, std::string_view reason);
    void AddText(std::string text, int line = 0);
    // A cell taken in another form than it was written ("Line 6, column Name: ... cut to ...").
    void Warn(int line, std::string_view column, std::string_view what);
    bool Any() const { return count_ > 0; }
    // The warnings, but those on `leftOut` lines (sorted), whose rows were not imported.
    std::vector<std::string> Warnings(const std::vector<int>& leftOut = {}) const;
    // Every line with a refusal, listed or not, in order.
    std::vector<int> Lines() const;
    // The refusals listed for each line, for the lines given (sorted).
    std::vector<std::vector<std::string>> ListedOn(const std::vector<int>& lines) const;
    // Every refusal, a line each, as the failure's detail.
    Failure Failed() const;

  private:
    struct Entry {
        int line;
        std::string text;
    };
    std::vector<Entry> list_;
    std::vector<int> lines_;  // the line of every refusal, listed or not
    std::size_t count_ = 0;
    std::vector<Entry> warnings_;
};

// Where each known column sits in the rows; -1 when the header lacks it.
struct Header {
    std::vector<int> at;
    std::size_t width = 0;  // the header's columns, trailing blank names left out
    bool chirp = false;
};

// One row, judged and made into the record it stores, before lists and shadows are settled.
struct PlanRow {
    int line = 0;
    int index = 0;
    ChannelRecord record;
    std::optional<int> list;     // channels that keep a list (DEF and 001 to 230 but shadows)
    std::optional<int> primary;  // shadows
    bool ownFrequency = false;   // a shadow row that gives frequencies, to match its primary's
    bool placeable = false;      // names a channel no other row names
    bool good = false;           // nothing in the row was refused
};

// Reads the cells of one row, refusing in that row's terms.
class RowCells {
  public:
    RowCells(const CsvRow& row, const Header& header, std::span<const std::string_view> names,
             Refusals& refusals)
        : row_(row), header_(header), names_(names), refusals_(refusals) {}

    // The cell's text without the blanks around it; blank when the row is too short.
    std::string operator[](int column) const;
    void Refuse(int column, std::string_view reason);

    // A cell judged by `judge`, refused with its reason; none when refused.
    template <typename T>
    std::optional<T> Judged(int column, std::optional<T> (*judge)(std::string_view, std::string&)) {
        std::string why;
        std::optional<T> value = judge((*this)[column], why);
        if (!value) {
            Refuse(column, why);
        }
        return value;
    }

    // The description cell: longer than the radio keeps, it is cut and the cut is a warning.
    std::optional<std::string> CutDescription(int column);

    bool Good() const { return good_; }
    int Line() const { return row_.line; }

  private:
    const CsvRow& row_;
    const Header& header_;
    std::span<const std::string_view> names_;
    Refusals& refusals_;
    bool good_ = true;
};

// The line on which each channel was named, 0 where none was.
using SeenOn = std::array<int, kLastRecord + 1>;

// Row p names channel `index`, called `name` in a refusal ("channel 005"): it is placed unless an
// earlier row named the channel, which is refused in `column`.
void ClaimChannel(RowCells& cells, int column, int index, const std::string& name, SeenOn& seenOn,
                  PlanRow& p);

// The record a row stores: a copy of the template, as a new channel starts in the editor.
ChannelRecord NewRecord(const ChannelRecord& templateRecord, int index);

// The judges of single cells: the value a record keeps, or none with the reason in `why`.
// UTF-8 text as the Latin-1 a record keeps (RowCells::CutDescription cuts it to length).
std::optional<std::string> Description(std::string_view text, std::string& why);
// A frequency in MHz as the record keeps it, judged by the frequency boxes' leave rule.
std::optional<std::string> Frequency(std::string_view text, std::string& why);
std::optional<std::int16_t> Tone(std::string_view text, std::string& why);
std::optional<std::int16_t> DcsCodeCell(std::string_view text, std::string& why);

// Record text is Latin-1 (what the editor's boxes store); control characters, which only a file
// or a radio can put there, show as "?" as they do in the summary.
std::string Utf8Text(std::string_view latin1);

// A squelch mode by the name its lists show ("Talk Group"); a code no list offers as its letter.
std::string SquelchNameOf(std::int16_t code);
// The squelch a cell names, when the list offers it.
std::optional<std::int16_t> Squelch(RowCells& cells, int column,
                                    const std::vector<SquelchEntry>& offered,
                                    std::string_view modeWords);
// The mode a cell names by its text or its name ("Narrow", "Analog Narrowband").
std::optional<int> ModeOfCell(RowCells& cells, int column);

// The value cells of one side (tone, code, talk group, NAC): a blank cell keeps the template's
// value unless the side's squelch mode uses it.
struct SideColumns {
    int tone;
    int dcs;
    int talkGroup;
    int nac;
};

void ReadSide(RowCells& cells, const SideColumns& columns, std::optional<std::int16_t> squelch,
              std::int16_t& ctcss, std::int16_t& dcs, TalkGroup6& talkGroup, Nac6& nac);

}  // namespace kld::csv
