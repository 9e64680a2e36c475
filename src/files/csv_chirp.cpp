#include "csv_chirp.h"

#include "characters.h"
#include "codecs.h"

namespace kld::csv {

PlanRow ReadChirpRow(RowCells& cells, const ChannelRecord& templateRecord, SeenOn& seenOn) {
    PlanRow p;
    p.line = cells.Line();
    const std::string location = cells[kLocation];
    const auto number = SmallNumber(location);
    if (!number) {
        cells.Refuse(kLocation, QuoteOrEmpty(location) + ": give a channel number from 1 to 230");
    } else if (!IsOrdinaryChannel(*number)) {
        cells.Refuse(kLocation,
                     "Location " + std::to_string(*number) + " has no channel here (1 to 230)");
    } else {
        ClaimChannel(cells, kLocation, *number, "Location " + std::to_string(*number), seenOn, p);
    }
    p.index = number && IsOrdinaryChannel(*number) ? *number : kFirstChannel;
    p.record = NewRecord(templateRecord, p.index);
    ChannelRecord& r = p.record;

    if (const auto desc = cells.CutDescription(kName)) {
        r.Desc = *desc;
    }
    const std::string mode = UpperCase(cells[kChirpMode]);
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
    const std::string polarity = UpperCase(cells[kDtcsPolarity]);
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

}  // namespace kld::csv
