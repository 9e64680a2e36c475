#include "csv_cells.h"

#include <algorithm>
#include <cmath>

#include "characters.h"
#include "codecs.h"
#include "csv.h"
#include "field_rules.h"
#include "tables.h"

namespace kld::csv {

namespace {

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

std::string ListOfNames(const std::vector<SquelchEntry>& list) {
    std::string names;
    for (const SquelchEntry& e : list) {
        names += (names.empty() ? "" : ", ") + SquelchNameOf(e.code);
    }
    return names;
}

}  // namespace

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

std::string QuoteOrEmpty(std::string_view text) {
    return text.empty() ? "empty" : Quote(text);
}

bool IsDecimal(std::string_view text) {
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view part = point == std::string_view::npos ? "" : text.substr(point + 1);
    return whole.size() + part.size() > 0 && IsDigits(whole) && IsDigits(part);
}

std::optional<int> SmallNumber(std::string_view text) {
    if (text.empty() || !IsDigits(text) || text.size() > 5) {
        return std::nullopt;
    }
    return std::stoi(std::string(text));
}

std::optional<int> RecordOfCell(std::string_view text) {
    if (const auto named = RecordOfName(UpperCase(text))) {
        return named;
    }
    const auto number = SmallNumber(text);
    return number && IsRecordIndex(*number) ? number : std::nullopt;
}

void Refusals::Add(int line, std::string_view column, std::string_view reason) {
    AddText("Line " + std::to_string(line) + ", column " + std::string(column) + ": " +
                std::string(reason),
            line);
}

void Refusals::AddRow(int line, std::string_view reason) {
    AddText("Line " + std::to_string(line) + ": " + std::string(reason), line);
}

void Refusals::AddText(std::string text, int line) {
    if (!list_.empty() && list_.back().text == text) {
        return;  // TSQL judges one tone for both sides
    }
    if (lines_.empty() || lines_.back() != line) {
        lines_.push_back(line);  // a row's refusals come together: one entry each, mostly
    }
    if (++count_ <= kMaxCsvRefusals) {
        list_.push_back({line, std::move(text)});
    }
}

void Refusals::Warn(int line, std::string_view column, std::string_view what) {
    warnings_.push_back({line, "Line " + std::to_string(line) + ", column " + std::string(column) +
                                   ": " + std::string(what)});
}

std::vector<std::string> Refusals::Warnings(const std::vector<int>& leftOut) const {
    std::vector<std::string> kept;
    for (const Entry& w : warnings_) {
        if (!std::binary_search(leftOut.begin(), leftOut.end(), w.line)) {
            kept.push_back(w.text);
        }
    }
    return kept;
}

std::vector<int> Refusals::Lines() const {
    std::vector<int> lines = lines_;
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

std::vector<std::vector<std::string>> Refusals::ListedOn(const std::vector<int>& lines) const {
    std::vector<std::vector<std::string>> listed(lines.size());
    for (const Entry& e : list_) {
        const auto at = std::lower_bound(lines.begin(), lines.end(), e.line);
        if (at != lines.end() && *at == e.line) {
            listed[static_cast<std::size_t>(at - lines.begin())].push_back(e.text);
        }
    }
    return listed;
}

Failure Refusals::Failed() const {
    std::string lines;
    for (const Entry& refusal : list_) {
        lines += refusal.text + "\n";
    }
    if (count_ > kMaxCsvRefusals) {
        lines += "... and " + std::to_string(count_ - kMaxCsvRefusals) + " more refusals\n";
    }
    return {"The plan was not imported: the details list every refused cell.", lines};
}

std::string RowCells::operator[](int column) const {
    const int at = header_.at[static_cast<std::size_t>(column)];
    if (at < 0 || static_cast<std::size_t>(at) >= row_.fields.size()) {
        return {};  // a short row's missing fields are blank
    }
    return Trim(row_.fields[static_cast<std::size_t>(at)]);
}

void RowCells::Refuse(int column, std::string_view reason) {
    refusals_.Add(row_.line, names_[static_cast<std::size_t>(column)], reason);
    good_ = false;
}

// Plans shared by others carry longer names than the radio's eight characters; the name is cut
// rather than the whole plan refused, and the cut is listed.
std::optional<std::string> RowCells::CutDescription(int column) {
    std::optional<std::string> desc = Judged(column, Description);
    if (desc && desc->size() > static_cast<std::size_t>(kDescChars)) {
        const std::string cut = desc->substr(0, static_cast<std::size_t>(kDescChars));
        refusals_.Warn(row_.line, names_[static_cast<std::size_t>(column)],
                       Quote((*this)[column]) + " cut to " + Quote(Utf8Text(cut)));
        desc = cut;
    }
    return desc;
}

void ClaimChannel(RowCells& cells, int column, int index, const std::string& name, SeenOn& seenOn,
                  PlanRow& p) {
    int& seen = seenOn[static_cast<std::size_t>(index)];
    if (seen != 0) {
        cells.Refuse(column, name + " is also on line " + std::to_string(seen));
        return;
    }
    seen = p.line;
    p.placeable = true;
}

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
    return latin1;
}

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
    if (!text.empty() && IsDigits(text) && text.size() <= 3) {
        const std::string code = std::string(3 - text.size(), '0') + std::string(text);
        if (const auto position = DcsPositionOfText(code)) {
            return static_cast<std::int16_t>(*position);
        }
    }
    why = Quote(text) + " is not a DCS code of the radio";
    return std::nullopt;
}

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

std::string SquelchNameOf(std::int16_t code) {
    for (const SquelchName& n : SquelchNames()) {
        if (n.code == code) {
            return n.name;
        }
    }
    // A letter no list offers (a file put it there) is written as it is, for import to refuse.
    return code > 0x20 && code < 0x7F ? std::string(1, static_cast<char>(code)) : std::string();
}

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
        if (IsHexDigits(text) && text.size() <= static_cast<std::size_t>(kTalkGroupChars)) {
            talkGroup = CompleteTalkGroup(UpperCase(text));
        } else {
            cells.Refuse(columns.talkGroup,
                         Quote(text) + " is not a talk group (1 to 4 hexadecimal digits)");
        }
    }
    if (needed(columns.nac, kSqlNac, "a NAC")) {
        const std::string text = cells[columns.nac];
        if (IsHexDigits(text) && text.size() <= static_cast<std::size_t>(kNacChars)) {
            nac = CompleteNac(UpperCase(text));
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

}  // namespace kld::csv
