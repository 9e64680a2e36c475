#include "csv.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "codecs.h"
#include "field_rules.h"
#include "file_io.h"
#include "import_common.h"
#include "shadows.h"
#include "squelch_modes.h"
#include "tables.h"

namespace kld {

namespace {

// --- Writing ---------------------------------------------------------------------------------

// Record text is Latin-1 (what the editor's boxes store); control characters, which only a file
// or a radio can put there, show as "?" as they do in the summary.
std::string Utf8Text(std::string_view latin1) {
    std::string out;
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            out += '?';
        } else if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void AppendRow(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        const std::string& field = fields[i];
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            out += field;
            continue;
        }
        out += '"';
        for (const char c : field) {
            if (c == '"') {
                out += '"';
            }
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
}

struct SquelchName {
    std::int16_t code;
    std::string name;
};

// The squelch modes by the names their lists show ("Talk Group"), taken from the lists
// themselves so the plan and the editor never disagree.
const std::vector<SquelchName>& SquelchNames() {
    static const std::vector<SquelchName> names = [] {
        std::vector<SquelchName> all;
        for (const int mode : {kModeWide, kModeDigital}) {
            const SquelchLists lists = SquelchListsFor(mode, false);
            for (const auto* list : {&lists.rx, &lists.tx}) {
                for (const SquelchEntry& e : *list) {
                    if (std::none_of(all.begin(), all.end(),
                                     [&](const SquelchName& n) { return n.code == e.code; })) {
                        all.push_back({e.code, Trim(e.text.substr(0, e.text.find('\'')))});
                    }
                }
            }
        }
        return all;
    }();
    return names;
}

std::string SquelchNameOf(std::int16_t code) {
    for (const SquelchName& n : SquelchNames()) {
        if (n.code == code) {
            return n.name;
        }
    }
    // A letter no list offers (a file put it there) is written as it is, for import to refuse.
    return code > 0x20 && code < 0x7F ? std::string(1, static_cast<char>(code)) : std::string();
}

// --- Reading RFC 4180 ------------------------------------------------------------------------

struct CsvRow {
    int line = 0;                     // where the row starts; 1 is the first line
    std::vector<std::string> fields;  // at most the number kept
    std::size_t firstExtra = 0;       // 1-based position of the first non-blank field not kept
};

// Splits text into rows. Line ends may be CR LF, LF or CR alone; quoted fields may hold commas,
// doubled quotes and line ends. Fields past `keep` are only looked at, never stored, so a huge
// row costs no memory.
class CsvReader {
  public:
    explicit CsvReader(std::string_view text) : text_(text) {}

    // False at the end of the text, or at a malformed row (then Error() says why).
    bool Next(CsvRow& row, std::size_t keep) {
        if (at_ >= text_.size() || !error_.empty()) {
            return false;
        }
        row = CsvRow{line_, {}, 0};
        std::size_t count = 0;
        std::string field;
        for (;;) {
            field.clear();
            if (!ReadField(field)) {
                return false;
            }
            ++count;
            if (count <= keep) {
                row.fields.push_back(field);
            } else if (row.firstExtra == 0 && !Trim(field).empty()) {
                row.firstExtra = count;
            }
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
                continue;
            }
            SkipLineEnd();
            return true;
        }
    }

    const std::string& Error() const { return error_; }

  private:
    bool AtLineEnd() const { return text_[at_] == '\r' || text_[at_] == '\n'; }

    void SkipLineEnd() {
        if (at_ >= text_.size()) {
            return;
        }
        at_ += text_.compare(at_, 2, "\r\n") == 0 ? 2 : 1;
        ++line_;
    }

    bool ReadField(std::string& field) {
        if (at_ >= text_.size() || text_[at_] != '"') {
            // Unquoted: a quote inside is kept as it is, as spreadsheets read it.
            while (at_ < text_.size() && text_[at_] != ',' && !AtLineEnd()) {
                field += text_[at_++];
            }
            return true;
        }
        const int opened = line_;
        ++at_;
        for (;;) {
            if (at_ >= text_.size()) {
                error_ = "Line " + std::to_string(opened) + ": a quoted field is never closed";
                return false;
            }
            const char c = text_[at_];
            if (c == '"') {
                if (text_.compare(at_, 2, "\"\"") == 0) {
                    field += '"';
                    at_ += 2;
                    continue;
                }
                ++at_;
                break;
            }
            if (c == '\r' || c == '\n') {
                const std::size_t length = text_.compare(at_, 2, "\r\n") == 0 ? 2 : 1;
                field += text_.substr(at_, length);
                at_ += length;
                ++line_;
                continue;
            }
            field += c;
            ++at_;
        }
        // Blanks may follow the closing quote; anything else means the quotes do not pair up.
        while (at_ < text_.size() && text_[at_] == ' ') {
            ++at_;
        }
        if (at_ < text_.size() && text_[at_] != ',' && !AtLineEnd()) {
            error_ = "Line " + std::to_string(line_) + ": text after a closing quote";
            return false;
        }
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 1;
    std::string error_;
};

// --- Refusals --------------------------------------------------------------------------------

class Refusals {
  public:
    void Add(int line, std::string_view column, std::string_view reason) {
        AddText("Line " + std::to_string(line) + ", column " + std::string(column) + ": " +
                std::string(reason));
    }
    void AddRow(int line, std::string_view reason) {
        AddText("Line " + std::to_string(line) + ": " + std::string(reason));
    }
    void AddText(std::string text) {
        if (!list_.empty() && list_.back() == text) {
            return;  // TSQL judges one tone for both sides
        }
        if (++count_ <= kMaxCsvRefusals) {
            list_.push_back(std::move(text));
        }
    }
    bool Any() const { return count_ > 0; }
    // Every refusal, a line each.
    Failure Failed() const {
        std::string lines;
        for (const std::string& refusal : list_) {
            lines += refusal + "\n";
        }
        if (count_ > kMaxCsvRefusals) {
            lines += "... and " + std::to_string(count_ - kMaxCsvRefusals) + " more refusals\n";
        }
        return {"The plan was not imported: the details list every refused cell.", lines};
    }

  private:
    std::vector<std::string> list_;
    std::size_t count_ = 0;
};

// --- Cells -----------------------------------------------------------------------------------

// A name as compared: lower case, blanks dropped ("Talk Group" is "talkgroup").
std::string Key(std::string_view text) {
    std::string key;
    for (const char c : text) {
        if (c != ' ' && c != '\t') {
            key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    return key;
}

std::string Quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

bool AllOf(std::string_view text, bool (*pass)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), pass);
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHex(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Digits with at most one decimal point, as a spreadsheet writes a number.
bool IsDecimal(std::string_view text) {
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view part = point == std::string_view::npos ? "" : text.substr(point + 1);
    const auto digits = [](std::string_view t) { return std::all_of(t.begin(), t.end(), IsDigit); };
    return whole.size() + part.size() > 0 && digits(whole) && digits(part);
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

// A small whole number written with digits only; none for anything else.
std::optional<int> SmallNumber(std::string_view text) {
    if (!AllOf(text, IsDigit) || text.size() > 5) {
        return std::nullopt;
    }
    return std::stoi(std::string(text));
}

// The record a channel cell names: DEF, GD1, GD2 in any case, or its number 0 to 232.
std::optional<int> RecordOfCell(std::string_view text) {
    if (const auto named = RecordOfName(Upper(text))) {
        return named;
    }
    const auto number = SmallNumber(text);
    return number && IsRecordIndex(*number) ? number : std::nullopt;
}

// UTF-8 text as the Latin-1 a record keeps, at most kDescChars characters.
std::optional<std::string> Description(std::string_view text, std::string& why) {
    std::string latin1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        unsigned code = c;
        if (c >= 0x80) {
            const bool pair = c >= 0xC2 && c <= 0xDF && i + 1 < text.size() &&
                              (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80;
            if (!pair) {
                why = c >= 0xE0 && c <= 0xF4 ? "holds a character the radio cannot store"
                                             : "is not UTF-8 text";
                return std::nullopt;
            }
            code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3Fu);
            if (code > 0xFF) {
                why = "holds a character the radio cannot store";
                return std::nullopt;
            }
        }
        if (code < 0x20 || (code >= 0x7F && code < 0xA0)) {
            why = "holds a control character";
            return std::nullopt;
        }
        latin1 += static_cast<char>(code);
    }
    if (latin1.size() > static_cast<std::size_t>(kDescChars)) {
        why = Quote(text) + " is longer than " + std::to_string(kDescChars) + " characters";
        return std::nullopt;
    }
    return latin1;
}

// A frequency in MHz as the record keeps it, judged by the frequency boxes' leave rule.
std::optional<std::string> Frequency(std::string_view text, std::string& why) {
    if (!IsDecimal(text)) {
        why = Quote(text) + " is not a frequency in MHz";
        return std::nullopt;
    }
    const FrequencyVerdict verdict = JudgeFrequency(text);
    if (!verdict.inRange) {
        why = std::string(text) + " MHz is outside 136 to 174 MHz";
        return std::nullopt;
    }
    if (!verdict.onRaster) {
        why = std::string(text) + " MHz is not on the 2.5 kHz or 6.25 kHz raster";
        return std::nullopt;
    }
    return Trim(verdict.text).substr(0, 8);  // the fifth decimal is implied by the fourth
}

std::optional<std::int16_t> Tone(std::string_view text, std::string& why) {
    if (IsDecimal(text)) {
        const double hz = LeadingNumber(text);
        if (const auto position = CtcssPositionOfText(FormatFixed(hz, 1));
            position && std::abs(LeadingNumber(CtcssText(*position)) - hz) < 1e-6) {
            return static_cast<std::int16_t>(*position);
        }
    }
    why = Quote(text) + " is not a CTCSS tone of the radio";
    return std::nullopt;
}

std::optional<std::int16_t> DcsCodeCell(std::string_view text, std::string& why) {
    if (AllOf(text, IsDigit) && text.size() <= 3) {
        const std::string code = std::string(3 - text.size(), '0') + std::string(text);
        if (const auto position = DcsPositionOfText(code)) {
            return static_cast<std::int16_t>(*position);
        }
    }
    why = Quote(text) + " is not a DCS code of the radio";
    return std::nullopt;
}

// --- Columns ---------------------------------------------------------------------------------

enum Col {
    kChannel,
    kDescription,
    kList,
    kScan,
    kMode,
    kRxFrequency,
    kTxFrequency,
    kRxSquelch,
    kTxSquelch,
    kRxTone,
    kTxTone,
    kRxDcs,
    kTxDcs,
    kRxTalkGroup,
    kTxTalkGroup,
    kRxNac,
    kTxNac,
    kIdCall,
    kPrimary,
};

enum ChirpCol {
    kLocation,
    kName,
    kFrequency,
    kDuplex,
    kOffset,
    kToneMode,
    kRToneFreq,
    kCToneFreq,
    kDtcsCode,
    kDtcsPolarity,
    kRxDtcsCode,
    kCrossMode,
    kChirpMode,
};
constexpr std::array<std::string_view, 13> kChirpColumns{
    "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone", "rToneFreq",
    "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode"};

// Where each known column sits in the rows; -1 when the header lacks it.
struct Header {
    std::vector<int> at;
    std::size_t width = 0;  // the header's columns, trailing blank names left out
    bool chirp = false;
};

// Tells CHIRP's header from ours by its Location column. Blank names at the end are a
// spreadsheet's padding. Our own columns must all be known (a misspelt one would lose its values
// without a word); CHIRP's many others are left unread.
std::optional<Header> ReadHeader(const CsvRow& row, Refusals& refusals) {
    Header header;
    header.chirp = std::any_of(row.fields.begin(), row.fields.end(),
                               [](const std::string& f) { return Key(f) == "location"; });
    const auto names = header.chirp ? std::span<const std::string_view>(kChirpColumns)
                                    : std::span<const std::string_view>(kCsvColumns);
    header.at.assign(names.size(), -1);
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        if (!Trim(row.fields[i]).empty()) {
            header.width = i + 1;
        }
    }
    if (row.firstExtra != 0) {
        refusals.AddRow(row.line, "more columns than any plan has");
        return std::nullopt;
    }
    bool good = true;
    for (std::size_t i = 0; i < header.width; ++i) {
        const std::string name = Trim(row.fields[i]);
        const auto known = std::find_if(names.begin(), names.end(),
                                        [&](std::string_view n) { return Key(n) == Key(name); });
        if (known == names.end()) {
            if (!header.chirp) {
                // Junk makes a poor name: such a column is named by its number.
                const bool nameable = !name.empty() && name.size() <= 32 &&
                                      std::all_of(name.begin(), name.end(),
                                                  [](char c) { return c >= 0x20 && c < 0x7F; });
                refusals.Add(row.line, nameable ? name : std::to_string(i + 1),
                             "not a column of a channel plan");
                good = false;
            }
            continue;
        }
        int& at = header.at[static_cast<std::size_t>(known - names.begin())];
        if (at >= 0) {
            refusals.Add(row.line, name, "the column is named twice");
            good = false;
        }
        at = static_cast<int>(i);
    }
    static constexpr std::array<int, 6> kRequired{kChannel,     kList,      kMode,
                                                  kRxFrequency, kRxSquelch, kTxSquelch};
    static constexpr std::array<int, 3> kChirpRequired{kLocation, kFrequency, kChirpMode};
    const auto required =
        header.chirp ? std::span<const int>(kChirpRequired) : std::span<const int>(kRequired);
    std::string missing;
    for (const int column : required) {
        if (header.at[static_cast<std::size_t>(column)] < 0) {
            missing += (missing.empty() ? "" : ", ") +
                       std::string(names[static_cast<std::size_t>(column)]);
        }
    }
    if (!missing.empty()) {
        refusals.AddRow(row.line, "missing columns: " + missing);
        good = false;
    }
    return good ? std::optional<Header>(header) : std::nullopt;
}

// --- Rows ------------------------------------------------------------------------------------

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

    std::string operator[](int column) const {
        const int at = header_.at[static_cast<std::size_t>(column)];
        if (at < 0 || static_cast<std::size_t>(at) >= row_.fields.size()) {
            return {};  // a short row's missing fields are blank
        }
        return Trim(row_.fields[static_cast<std::size_t>(at)]);
    }

    void Refuse(int column, std::string_view reason) {
        refusals_.Add(row_.line, names_[static_cast<std::size_t>(column)], reason);
        good_ = false;
    }

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

    bool Good() const { return good_; }
    int Line() const { return row_.line; }

  private:
    const CsvRow& row_;
    const Header& header_;
    std::span<const std::string_view> names_;
    Refusals& refusals_;
    bool good_ = true;
};

// The record a row stores: a copy of the template, as a new channel starts in the editor.
ChannelRecord NewRecord(const ChannelRecord& templateRecord, int index) {
    ChannelRecord r = templateRecord;
    if (index != kDefaultRecord) {
        r.Select = kSelDefined | kSelCreatedHere | kSelSend;
        r.Chnl = r.Prim = static_cast<std::int16_t>(index);
        r.EFlags = 32;
        r.RFRec = 0;
        r.Shad = index == kGuard1 || index == kGuard2 ? kShadGuard : 0;
    } else {
        r.Select |= kSelDefined;
        r.Shad = 0;
    }
    return r;
}

std::string ListOfNames(const std::vector<SquelchEntry>& list) {
    std::string names;
    for (const SquelchEntry& e : list) {
        names += (names.empty() ? "" : ", ") + SquelchNameOf(e.code);
    }
    return names;
}

// The squelch a cell names, when the list offers it.
std::optional<std::int16_t> Squelch(RowCells& cells, int column,
                                    const std::vector<SquelchEntry>& offered,
                                    std::string_view modeWords) {
    const std::string text = cells[column];
    for (const SquelchEntry& e : offered) {
        if (Key(SquelchNameOf(e.code)) == Key(text)) {
            return e.code;
        }
    }
    cells.Refuse(column, (text.empty() ? std::string("empty") : Quote(text) + " is not offered") +
                             " for " + std::string(modeWords) + " (" + ListOfNames(offered) + ")");
    return std::nullopt;
}

// The value cells of one side (tone, code, talk group, NAC): a blank cell keeps the template's
// value unless the side's squelch mode uses it.
struct SideColumns {
    int tone;
    int dcs;
    int talkGroup;
    int nac;
};

void ReadSide(RowCells& cells, const SideColumns& columns, std::optional<std::int16_t> squelch,
              std::int16_t& ctcss, std::int16_t& dcs, TalkGroup6& talkGroup, Nac6& nac) {
    const auto needed = [&](int column, std::int16_t uses, std::string_view what) {
        if (cells[column].empty()) {
            if (squelch == uses) {
                cells.Refuse(column, "empty, and " + SquelchNameOf(uses) + " squelch needs " +
                                         std::string(what));
            }
            return false;
        }
        return true;
    };
    if (needed(columns.tone, kSqlCtcss, "a tone")) {
        if (const auto v = cells.Judged(columns.tone, Tone)) {
            ctcss = *v;
        }
    }
    if (needed(columns.dcs, kSqlDcs, "a code")) {
        if (const auto v = cells.Judged(columns.dcs, DcsCodeCell)) {
            dcs = *v;
        }
    }
    if (needed(columns.talkGroup, kSqlTalkGroup, "a talk group")) {
        const std::string text = cells[columns.talkGroup];
        if (AllOf(text, IsHex) && text.size() <= static_cast<std::size_t>(kTalkGroupChars)) {
            talkGroup = CompleteTalkGroup(Upper(text));
        } else {
            cells.Refuse(columns.talkGroup,
                         Quote(text) + " is not a talk group (1 to 4 hexadecimal digits)");
        }
    }
    if (needed(columns.nac, kSqlNac, "a NAC")) {
        const std::string text = cells[columns.nac];
        if (AllOf(text, IsHex) && text.size() <= static_cast<std::size_t>(kNacChars)) {
            nac = CompleteNac(Upper(text));
        } else {
            cells.Refuse(columns.nac, Quote(text) + " is not a NAC (1 to 3 hexadecimal digits)");
        }
    }
}

std::optional<int> ModeOfCell(RowCells& cells, int column) {
    const std::string text = cells[column];
    for (int mode = 0; mode < static_cast<int>(ModeTable().size()); ++mode) {
        if (Key(text) == Key(ModeText(mode)) || Key(text) == Key(ModeName(mode))) {
            return mode;
        }
    }
    cells.Refuse(column, (text.empty() ? std::string("empty") : Quote(text) + " is no mode") +
                             ": Wide, Narrow or Digital");
    return std::nullopt;
}

// A row of this program's own columns.
PlanRow ReadPlanRow(RowCells& cells, const ChannelRecord& templateRecord,
                    std::array<int, kLastRecord + 1>& seenOn) {
    PlanRow p;
    p.line = cells.Line();
    const std::string channel = cells[kChannel];
    const auto index = RecordOfCell(channel);
    if (!index) {
        cells.Refuse(kChannel, (channel.empty() ? std::string("empty") : Quote(channel)) +
                                   ": name DEF, 001 to 230, GD1 or GD2");
    } else if (const int other = seenOn[static_cast<std::size_t>(*index)]; other != 0) {
        cells.Refuse(kChannel, "channel " + ChannelBoxText(*index) + " is also on line " +
                                   std::to_string(other));
    } else {
        seenOn[static_cast<std::size_t>(*index)] = p.line;
        p.placeable = true;
    }
    // A row naming no channel is still read through, so that all its refusals are listed.
    p.index = index.value_or(kFirstChannel);
    p.record = NewRecord(templateRecord, p.index);
    ChannelRecord& r = p.record;

    const std::string primary = cells[kPrimary];
    const bool shadow = !primary.empty();
    if (shadow) {
        const auto number = SmallNumber(primary);
        if (!IsOrdinaryChannel(p.index)) {
            cells.Refuse(kPrimary, "only channels 001 to 230 can be shadows");
        } else if (!number || !IsOrdinaryChannel(*number)) {
            cells.Refuse(kPrimary, PrimaryMessage(kPrimaryOutOfRange)->text);
        } else {
            p.primary = *number;
        }
    }

    if (const auto desc = cells.Judged(kDescription, Description)) {
        r.Desc = *desc;
    }

    const bool keepsList = p.index <= kLastOrdinaryChannel && !shadow;
    if (keepsList) {
        const std::string list = cells[kList];
        const auto number = SmallNumber(list);
        if (number && *number >= 1 && *number <= kGuardZone) {
            p.list = *number - 1;
        } else {
            cells.Refuse(kList, (list.empty() ? std::string("empty") : Quote(list)) +
                                    ": choose a list from 1 to 15");
        }
        const std::string scan = Key(cells[kScan]);
        if (scan == "yes" || scan == "no" || scan.empty()) {
            r.Shad = static_cast<std::int16_t>(scan == "yes" ? kShadScanMember : 0);
        } else {
            cells.Refuse(kScan, Quote(cells[kScan]) + " is neither Yes nor No");
        }
    } else {
        const char* why = shadow ? "must be blank: a shadow is in its primary's list"
                                 : "must be blank: the guards have a list of their own";
        for (const int column : {kList, kScan}) {
            if (!cells[column].empty()) {
                cells.Refuse(column, why);
            }
        }
    }

    const auto mode = ModeOfCell(cells, kMode);
    r.Mode = static_cast<std::int16_t>(mode.value_or(r.Mode));

    // A shadow takes its primary's frequencies; a row may repeat them.
    p.ownFrequency = !shadow || !cells[kRxFrequency].empty() || !cells[kTxFrequency].empty();
    if (p.ownFrequency) {
        if (const auto rx = cells.Judged(kRxFrequency, Frequency)) {
            r.RFrq = *rx;
            r.TFrq = *rx;  // a blank transmit frequency is simplex
        }
        if (!cells[kTxFrequency].empty()) {
            if (const auto tx = cells.Judged(kTxFrequency, Frequency)) {
                r.TFrq = *tx;
            }
        }
    }

    std::optional<std::int16_t> rxSquelch;
    std::optional<std::int16_t> txSquelch;
    if (mode) {
        const SquelchLists offered = SquelchListsFor(*mode, shadow);
        const std::string words =
            "a " + std::string(ModeText(*mode)) + (shadow ? " shadow" : " channel");
        rxSquelch = Squelch(cells, kRxSquelch, offered.rx, words);
        txSquelch = Squelch(cells, kTxSquelch, offered.tx, words);
        r.RSql = rxSquelch.value_or(r.RSql);
        r.TSql = txSquelch.value_or(r.TSql);
    }
    ReadSide(cells, {kRxTone, kRxDcs, kRxTalkGroup, kRxNac}, rxSquelch, r.RCTCSS, r.RDCS, r.RTG,
             r.RNAC);
    ReadSide(cells, {kTxTone, kTxDcs, kTxTalkGroup, kTxNac}, txSquelch, r.TCTCSS, r.TDCS, r.TTG,
             r.TNAC);

    const std::string idCall = cells[kIdCall];
    if (idCall.empty()) {
        if (txSquelch == kSqlIdCall) {
            cells.Refuse(kIdCall, "empty, and ID Call squelch needs an ID call");
        }
    } else if (AllOf(idCall, IsDigit) && idCall.size() <= static_cast<std::size_t>(kIdCallChars)) {
        PackIdCall(IdCallDigits(idCall), r.IDCall);
    } else {
        cells.Refuse(kIdCall, Quote(idCall) + " is not an ID call (1 to 7 digits)");
    }
    p.good = cells.Good();
    return p;
}

// A row of CHIRP's columns: an analog channel, mapped where this radio can store it.
PlanRow ReadChirpRow(RowCells& cells, const ChannelRecord& templateRecord,
                     std::array<int, kLastRecord + 1>& seenOn) {
    PlanRow p;
    p.line = cells.Line();
    const std::string location = cells[kLocation];
    const auto number = SmallNumber(location);
    if (!number) {
        cells.Refuse(kLocation, (location.empty() ? std::string("empty") : Quote(location)) +
                                    ": give a channel number from 1 to 230");
    } else if (!IsOrdinaryChannel(*number)) {
        cells.Refuse(kLocation,
                     "Location " + std::to_string(*number) + " has no channel here (1 to 230)");
    } else if (const int other = seenOn[static_cast<std::size_t>(*number)]; other != 0) {
        cells.Refuse(kLocation, "Location " + std::to_string(*number) + " is also on line " +
                                    std::to_string(other));
    } else {
        seenOn[static_cast<std::size_t>(*number)] = p.line;
        p.placeable = true;
    }
    p.index = number && IsOrdinaryChannel(*number) ? *number : kFirstChannel;
    p.record = NewRecord(templateRecord, p.index);
    ChannelRecord& r = p.record;

    if (const auto desc = cells.Judged(kName, Description)) {
        r.Desc = *desc;
    }
    const std::string mode = Upper(cells[kChirpMode]);
    if (mode == "FM") {
        r.Mode = kModeWide;
    } else if (mode == "NFM") {
        r.Mode = kModeNarrow;
    } else {
        cells.Refuse(kChirpMode, (mode.empty() ? std::string("empty") : cells[kChirpMode]) +
                                     " cannot be stored (FM or NFM)");
    }

    // The transmit frequency from the duplex and offset.
    const auto rx = cells.Judged(kFrequency, Frequency);
    const std::string duplex = Key(cells[kDuplex]);
    std::optional<std::string> tx = rx;
    bool inhibit = false;
    if (duplex == "+" || duplex == "-") {
        const std::string offset = cells[kOffset];
        if (!IsDecimal(offset)) {
            cells.Refuse(kOffset, Quote(offset) + " is not an offset in MHz");
        } else if (rx) {
            const double sign = duplex == "+" ? 1.0 : -1.0;
            const std::string mhz =
                FormatFixed(LeadingNumber(cells[kFrequency]) + sign * LeadingNumber(offset), 5);
            std::string why;
            tx = Frequency(mhz, why);
            if (!tx) {
                cells.Refuse(kOffset, "the transmit frequency " + why);
            }
        }
    } else if (duplex == "split") {
        tx = cells.Judged(kOffset, Frequency);
    } else if (duplex == "off") {
        inhibit = true;
    } else if (!duplex.empty()) {
        cells.Refuse(kDuplex, Quote(cells[kDuplex]) + " is not a duplex (blank, +, -, split, off)");
    }
    if (rx && tx) {
        r.RFrq = *rx;
        r.TFrq = *tx;
    }

    // Tone modes: what each side's squelch is, and the column its tone or code comes from.
    enum class Side { None, Tone, Dcs };
    Side txSide = Side::None;
    Side rxSide = Side::None;
    const std::string tone = Key(cells[kToneMode]);
    if (tone == "tone") {
        txSide = Side::Tone;
    } else if (tone == "tsql") {
        txSide = rxSide = Side::Tone;
    } else if (tone == "dtcs") {
        txSide = rxSide = Side::Dcs;
    } else if (tone == "cross") {
        const std::string cross = Key(cells[kCrossMode]);
        const auto arrow = cross.find("->");
        const auto sideOf = [](std::string_view word) -> std::optional<Side> {
            if (word.empty()) {
                return Side::None;
            }
            if (word == "tone") {
                return Side::Tone;
            }
            if (word == "dtcs") {
                return Side::Dcs;
            }
            return std::nullopt;
        };
        const auto from =
            arrow == std::string::npos ? std::nullopt : sideOf(cross.substr(0, arrow));
        const auto to = arrow == std::string::npos ? std::nullopt : sideOf(cross.substr(arrow + 2));
        if (!from || !to || (*from == Side::None && *to == Side::None)) {
            cells.Refuse(kCrossMode, Quote(cells[kCrossMode]) + " cannot be stored");
        } else {
            txSide = *from;
            rxSide = *to;
        }
    } else if (!tone.empty()) {
        cells.Refuse(kToneMode, Quote(cells[kToneMode]) + " cannot be stored");
    }
    const std::string polarity = Upper(cells[kDtcsPolarity]);
    const auto sideSquelch = [&](Side side, int toneColumn, int dcsColumn, std::size_t polarityAt,
                                 std::int16_t& ctcss, std::int16_t& dcs) -> std::int16_t {
        if (side == Side::Tone) {
            if (const auto v = cells.Judged(toneColumn, Tone)) {
                ctcss = *v;
            }
            return kSqlCtcss;
        }
        if (side == Side::Dcs) {
            if (const auto v = cells.Judged(dcsColumn, DcsCodeCell)) {
                dcs = *v;
            }
            if (polarityAt < polarity.size() && polarity[polarityAt] != 'N') {
                cells.Refuse(kDtcsPolarity, "reversed DCS polarity cannot be stored");
            }
            return kSqlDcs;
        }
        return kSqlNoise;
    };
    // TSQL uses one tone both ways; Tone and Cross send rToneFreq and listen for cToneFreq.
    const int txToneColumn = tone == "tsql" ? kCToneFreq : kRToneFreq;
    const int rxDcsColumn = tone == "cross" ? kRxDtcsCode : kDtcsCode;
    r.TSql = sideSquelch(txSide, txToneColumn, kDtcsCode, 0, r.TCTCSS, r.TDCS);
    r.RSql = sideSquelch(rxSide, kCToneFreq, rxDcsColumn, 1, r.RCTCSS, r.RDCS);
    if (inhibit) {
        r.TSql = kSqlTxInhibit;
    }
    r.Shad = 0;
    p.good = cells.Good();
    return p;
}

// --- Placing ---------------------------------------------------------------------------------

std::string Column(int column) {
    return std::string(kCsvColumns[static_cast<std::size_t>(column)]);
}

// Places the rows into a reset copy of the memory: channels into their lists, then shadows
// linked to their primaries, then the template. A refused row still takes its place in its
// list, so that a list it overfills is reported; a shadow of a refused primary is left alone.
void PlaceRows(std::vector<PlanRow>& rows, bool chirp, ChannelMemory& scratch, Refusals& refusals) {
    import::ChannelImport channels(scratch);
    std::array<bool, kLastRecord + 1> shadowRow{};
    std::array<bool, kLastRecord + 1> refusedRow{};
    for (const PlanRow& p : rows) {
        shadowRow[static_cast<std::size_t>(p.index)] = p.primary.has_value();
        refusedRow[static_cast<std::size_t>(p.index)] = !p.good;
    }
    if (chirp) {
        // Lists fill in channel order, whatever order the rows came in.
        std::stable_sort(rows.begin(), rows.end(),
                         [](const PlanRow& a, const PlanRow& b) { return a.index < b.index; });
    }
    for (const PlanRow& p : rows) {
        const bool guard = import::ChannelImport::IsGuard(p.index);
        if (p.primary || p.index == kDefaultRecord || (!chirp && !guard && !p.list)) {
            continue;
        }
        channels.Begin(p.index) = p.record;
        if (guard) {
            channels.PlaceGuard(p.index);
        } else if (chirp) {
            int zone = 0;
            while (zone < kGuardZone && !channels.PlaceInZone(p.index, zone)) {
                ++zone;
            }
            if (zone == kGuardZone) {
                refusals.Add(p.line, kChirpColumns[kLocation],
                             "every list already holds 16 channels");
            }
        } else if (!channels.PlaceInZone(p.index, *p.list)) {
            refusals.Add(p.line, Column(kList),
                         "list " + std::to_string(*p.list + 1) + " already holds 16 channels");
        }
    }
    // Shadows take their primaries' free slots in channel order, as the text import links them,
    // so that the order of the rows does not matter.
    std::vector<const PlanRow*> shadows;
    for (const PlanRow& p : rows) {
        if (p.primary && !refusedRow[static_cast<std::size_t>(*p.primary)]) {
            shadows.push_back(&p);
        }
    }
    std::sort(shadows.begin(), shadows.end(),
              [](const PlanRow* a, const PlanRow* b) { return a->index < b->index; });
    for (const PlanRow* row : shadows) {
        const PlanRow& p = *row;
        const int primaryIndex = *p.primary;
        const int code = shadowRow[static_cast<std::size_t>(primaryIndex)]
                             ? kPrimaryIsShadow
                             : ValidatePrimary(scratch, std::to_string(primaryIndex));
        if (code != kPrimaryOk) {
            refusals.Add(p.line, Column(kPrimary), PrimaryMessage(code)->text);
            continue;
        }
        ChannelRecord& primary = scratch.Rec(primaryIndex);
        if (p.ownFrequency && p.good &&
            (p.record.RFrq != primary.RFrq || p.record.TFrq != primary.TFrq)) {
            refusals.Add(p.line,
                         Column(p.record.RFrq != primary.RFrq ? kRxFrequency : kTxFrequency),
                         "a shadow uses its primary's frequencies (" +
                             DisplayFrequency(primary.RFrq.View()) + ", " +
                             DisplayFrequency(primary.TFrq.View()) + ")");
            continue;
        }
        const int slot = *FreeShadowSlot(primary);
        ChannelRecord& shadow = channels.Begin(p.index);
        shadow = p.record;
        shadow.Prim = static_cast<std::int16_t>(primaryIndex);
        shadow.Scan = primary.Scan;
        shadow.RFrq = primary.RFrq;
        shadow.TFrq = primary.TFrq;
        shadow.Shad = static_cast<std::int16_t>(slot + 1);
        primary.ShadList[static_cast<std::size_t>(slot)] = static_cast<std::int16_t>(p.index);
        primary.Shad |= kShadPrimary;
    }
    // The template last: every other row was made from the template as it was.
    for (const PlanRow& p : rows) {
        if (p.index == kDefaultRecord && p.list) {
            ChannelRecord& r = scratch.Rec(kDefaultRecord);
            r = p.record;
            r.Scan = ScanOfZone(*p.list);
        }
    }
}

}  // namespace

std::string ExportCsv(const ChannelMemory& memory) {
    std::string out;
    AppendRow(out, std::vector<std::string>(kCsvColumns.begin(), kCsvColumns.end()));
    for (int index = 0; index <= kLastRecord; ++index) {
        const ChannelRecord& r = memory.Rec(index);
        if (!r.IsDefined() || r.IsErased()) {
            continue;
        }
        const bool shadow = r.IsShadow();
        const bool keepsList = index <= kLastOrdinaryChannel && !shadow;
        AppendRow(out, {
                           ChannelBoxText(index),
                           Utf8Text(r.Desc.Trimmed()),
                           keepsList ? std::to_string(ZoneOf(r.Scan) + 1) : "",
                           keepsList ? (r.IsScanMember() ? "Yes" : "No") : "",
                           std::string(ModeText(r.Mode)),
                           DisplayFrequency(r.RFrq.View()),
                           DisplayFrequency(r.TFrq.View()),
                           SquelchNameOf(r.RSql),
                           SquelchNameOf(r.TSql),
                           std::string(CtcssText(r.RCTCSS)),
                           std::string(CtcssText(r.TCTCSS)),
                           std::string(DcsText(r.RDCS)),
                           std::string(DcsText(r.TDCS)),
                           Utf8Text(r.RTG.Trimmed()),
                           Utf8Text(r.TTG.Trimmed()),
                           Utf8Text(r.RNAC.Trimmed()),
                           Utf8Text(r.TNAC.Trimmed()),
                           IdCallText(r.IDCall),
                           shadow ? ChannelBoxText(r.Prim) : "",
                       });
    }
    return out;
}

Result<CsvImport> ImportCsv(std::span<const std::uint8_t> bytes, ChannelMemory& memory) {
    CsvImport result;
    Refusals refusals;
    if (bytes.size() > kMaxInputBytes) {
        refusals.AddRow(1, "the file is larger than any channel plan (" +
                               std::to_string(kMaxInputBytes / (1024 * 1024)) + " MiB at most)");
        return refusals.Failed();
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }

    // No plan has a header of more columns than this; a longer one is not a plan.
    constexpr std::size_t kMaxHeaderColumns = 256;
    CsvReader reader(text);
    CsvRow row;
    const auto blank = [](const CsvRow& r) {
        return r.firstExtra == 0 &&
               std::all_of(r.fields.begin(), r.fields.end(),
                           [](const std::string& f) { return Trim(f).empty(); });
    };
    bool haveRow = false;
    while ((haveRow = reader.Next(row, kMaxHeaderColumns)) && blank(row)) {
    }
    std::optional<Header> header;
    if (haveRow) {
        header = ReadHeader(row, refusals);
    } else if (reader.Error().empty()) {
        refusals.AddRow(1, "no header row: the file is empty");
    }

    ChannelMemory scratch = memory;
    ClearMemory(scratch);
    const ChannelRecord templateRecord = scratch.Rec(kDefaultRecord);
    std::vector<PlanRow> rows;
    if (header) {
        result.chirp = header->chirp;
        const auto names = header->chirp ? std::span<const std::string_view>(kChirpColumns)
                                         : std::span<const std::string_view>(kCsvColumns);
        std::array<int, kLastRecord + 1> seenOn{};
        while (reader.Next(row, header->width)) {
            if (blank(row)) {
                continue;
            }
            RowCells cells(row, *header, names, refusals);
            if (row.firstExtra != 0) {
                refusals.Add(
                    row.line, std::to_string(row.firstExtra),
                    "a value beyond the header's " + std::to_string(header->width) + " columns");
            }
            PlanRow p = header->chirp ? ReadChirpRow(cells, templateRecord, seenOn)
                                      : ReadPlanRow(cells, templateRecord, seenOn);
            if (p.placeable) {
                rows.push_back(std::move(p));
            }
        }
    }
    if (!reader.Error().empty()) {
        refusals.AddText(reader.Error());
    }
    // Lists and shadows are settled even after refusals, so that theirs are listed too.
    PlaceRows(rows, result.chirp, scratch, refusals);
    if (refusals.Any()) {
        return refusals.Failed();
    }
    scratch.Current = kFirstChannel;
    scratch.Saved = false;
    memory = scratch;
    result.channels = static_cast<int>(rows.size());
    return result;
}

}  // namespace kld
