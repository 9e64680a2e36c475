#include "squelch_modes.h"

#include "channel_memory.h"
#include "field_rules.h"

namespace kld {

namespace {

// The list texts line the letters up with blanks; the counts differ from entry to entry (and
// between the two "Tx Inhibit" entries), so they are spelt out here one by one.
SquelchEntry Entry(std::string_view name, std::size_t blanks, std::int16_t letter) {
    std::string text(name);
    text.append(blanks, ' ');
    text += '\'';
    text += static_cast<char>(letter);
    text += '\'';
    return {text, letter};
}

}  // namespace

SquelchLists SquelchListsFor(int modePosition, bool currentIsShadow) {
    SquelchLists lists;
    if (modePosition == kModeDigital) {
        lists.rx = {Entry("Monitor", 7, kSqlMonitor), Entry("NAC", 12, kSqlNac),
                    Entry("Talk Group", 2, kSqlTalkGroup)};
        lists.tx = {Entry("Talk Group", 2, kSqlTalkGroup)};
        if (!currentIsShadow) {
            lists.tx.push_back(Entry("ID Call", 10, kSqlIdCall));
        }
        lists.tx.push_back(Entry("Tx Inhibit", 6, kSqlTxInhibit));
    } else {
        lists.rx = {Entry("Noise", 10, kSqlNoise), Entry("CTCSS", 8, kSqlCtcss),
                    Entry("DCS", 12, kSqlDcs)};
        lists.tx = lists.rx;
        lists.tx.push_back(Entry("Tx Inhibit", 5, kSqlTxInhibit));
    }
    return lists;
}

std::optional<int> SquelchPosition(const std::vector<SquelchEntry>& list,
                                   std::optional<std::int16_t> code) {
    if (!code) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].code == *code) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<std::int16_t> SquelchCode(const std::vector<SquelchEntry>& list,
                                        std::optional<int> position) {
    if (!position || *position < 0 || static_cast<std::size_t>(*position) >= list.size()) {
        return std::nullopt;
    }
    return list[static_cast<std::size_t>(*position)].code;
}

std::optional<SquelchLists> SquelchListsOnModeChange(int& shownMode, int selected,
                                                     bool currentIsShadow) {
    const int previous = shownMode;
    if (previous == selected) {
        return std::nullopt;
    }
    shownMode = selected;
    if (previous == kModeDigital || selected == kModeDigital) {
        return SquelchListsFor(selected, currentIsShadow);
    }
    return std::nullopt;
}

std::optional<int> SimplexTxSquelch(int modePosition, std::optional<int> rxPosition,
                                    const SquelchLists& lists) {
    const std::optional<int> position = modePosition == kModeDigital ? 0 : rxPosition;
    if (!SquelchCode(lists.tx, position)) {
        return std::nullopt;
    }
    return position;
}

std::optional<std::uint8_t> AcceptNoiseSquelchLevel(std::string_view text, Operator& op) {
    const std::optional<int> level = ParseTyped16(text);
    if (!level || *level < 0 || *level > 15) {
        op.Tell({"Value is out of range", "", Icon::None, Buttons::Ok});
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*level);
}

}  // namespace kld
