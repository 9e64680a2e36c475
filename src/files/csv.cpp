#include "csv.h"

#include <algorithm>
#include <optional>

#include "characters.h"
#include "codecs.h"
#include "csv_cells.h"
#include "csv_chirp.h"
#include "csv_text.h"
#include "field_rules.h"
#include "file_io.h"
#include "import_common.h"
#include "shadows.h"
#include "tables.h"

namespace kld {

namespace {

using namespace csv;

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

// A row of this program's own columns.
PlanRow ReadPlanRow(RowCells& cells, const ChannelRecord& templateRecord, SeenOn& seenOn) {
    PlanRow p;
    p.line = cells.Line();
    const std::string channel = cells[kChannel];
    const auto index = RecordOfCell(channel);
    if (!index) {
        cells.Refuse(kChannel, QuoteOrEmpty(channel) + ": name DEF, 001 to 230, GD1 or GD2");
    } else {
        ClaimChannel(cells, kChannel, *index, "channel " + ChannelBoxText(*index), seenOn, p);
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

    if (const auto desc = cells.CutDescription(kDescription)) {
        r.Desc = *desc;
    }

    const bool keepsList = p.index <= kLastOrdinaryChannel && !shadow;
    if (keepsList) {
        const std::string list = cells[kList];
        const auto number = SmallNumber(list);
        if (number && *number >= 1 && *number <= kGuardZone) {
            p.list = *number - 1;
        } else {
            cells.Refuse(kList, QuoteOrEmpty(list) + ": choose a list from 1 to 15");
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
    } else if (IsDigits(idCall) && idCall.size() <= static_cast<std::size_t>(kIdCallChars)) {
        PackIdCall(IdCallDigits(idCall), r.IDCall);
    } else {
        cells.Refuse(kIdCall, Quote(idCall) + " is not an ID call (1 to 7 digits)");
    }
    p.good = cells.Good();
    return p;
}

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

// Leaves out the rows refused so far and places the rest; a row refused in placing (a full
// list, a primary that is not one) is left out in turn and the rest placed again, until what is
// left places cleanly. A shadow goes with its primary's row. False when no row is left.
bool PlaceUsableRows(std::vector<PlanRow>& rows, bool chirp, ChannelMemory& scratch,
                     Refusals& refusals) {
    std::array<int, kLastRecord + 1> leftOutOn{};  // the line of each channel's row left out
    const ChannelMemory cleared = scratch;
    for (std::vector<int> refused = refusals.Lines();;) {
        std::erase_if(rows, [&](const PlanRow& p) {
            if (std::binary_search(refused.begin(), refused.end(), p.line)) {
                leftOutOn[static_cast<std::size_t>(p.index)] = p.line;
                return true;
            }
            return false;
        });
        // A shadow cannot be linked to a row left out; round again for a shadow named as
        // another's primary, so that each says which row it went with.
        bool shadowsLeft = true;
        while (shadowsLeft) {
            shadowsLeft = false;
            std::erase_if(rows, [&](const PlanRow& p) {
                const int primaryLine =
                    p.primary ? leftOutOn[static_cast<std::size_t>(*p.primary)] : 0;
                if (primaryLine == 0) {
                    return false;
                }
                refusals.AddRow(p.line, "its primary, channel " + ChannelBoxText(*p.primary) +
                                            " on line " + std::to_string(primaryLine) +
                                            ", cannot be used");
                leftOutOn[static_cast<std::size_t>(p.index)] = p.line;
                shadowsLeft = true;
                return true;
            });
        }
        scratch = cleared;
        Refusals placing;
        PlaceRows(rows, chirp, scratch, placing);
        if (!placing.Any()) {
            return !rows.empty();
        }
        refused = placing.Lines();
        const auto listed = placing.ListedOn(refused);
        for (std::size_t i = 0; i < refused.size(); ++i) {
            for (const std::string& reason : listed[i]) {
                refusals.AddText(reason, refused[i]);
            }
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

Result<CsvImport> ImportCsv(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                            CsvRows refusedRows) {
    CsvImport result;
    Refusals refusals;
    if (bytes.size() > kMaxInputBytes) {
        refusals.AddRow(1, "the file is larger than any channel plan (" +
                               std::to_string(kMaxInputBytes / (1024 * 1024)) + " MiB at most)");
        return refusals.Failed();
    }
    const std::string_view text = WithoutByteOrderMark(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));

    // No plan has a header of more columns than this; a longer one is not a plan.
    constexpr std::size_t kMaxHeaderColumns = 256;
    CsvReader reader(text);
    CsvRow row;
    bool haveRow = false;
    while ((haveRow = reader.Next(row, kMaxHeaderColumns)) && row.Blank()) {
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
        SeenOn seenOn{};
        while (reader.Next(row, header->width)) {
            if (row.Blank()) {
                continue;
            }
            ++result.rows;
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
    std::vector<int> leftOut;
    // Rows are left out only from a plan read to its end under a header read whole.
    if (refusedRows == CsvRows::SkipUnusable && header && reader.Error().empty() &&
        refusals.Any()) {
        if (!PlaceUsableRows(rows, result.chirp, scratch, refusals)) {
            // Nothing usable: refused with every reason, exactly as a whole plan is.
            return ImportCsv(bytes, memory, CsvRows::AllOrNothing);
        }
        leftOut = refusals.Lines();
        const auto reasons = refusals.ListedOn(leftOut);
        for (std::size_t i = 0; i < leftOut.size(); ++i) {
            result.skipped.push_back({leftOut[i], reasons[i]});
        }
    } else {
        // Lists and shadows are settled even after refusals, so that theirs are listed too.
        PlaceRows(rows, result.chirp, scratch, refusals);
        if (refusals.Any()) {
            return refusals.Failed();
        }
    }
    scratch.Current = kFirstChannel;
    scratch.Saved = false;
    memory = scratch;
    result.channels = static_cast<int>(rows.size());
    result.warnings = refusals.Warnings(leftOut);
    return result;
}

std::string SkippedRowsText(const CsvImport& plan) {
    std::string text;
    std::size_t unlisted = 0;
    for (const CsvSkippedRow& row : plan.skipped) {
        unlisted += row.reasons.empty() ? 1 : 0;
        for (const std::string& reason : row.reasons) {
            text += reason + "\n";
        }
    }
    if (unlisted > 0) {
        text += "... and " + std::to_string(unlisted) + " more rows not listed\n";
    }
    return text;
}

}  // namespace kld
