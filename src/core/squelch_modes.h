#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operator.h"

namespace kld {

// One entry of a squelch list: the text the operator sees and the letter code the record keeps.
struct SquelchEntry {
    std::string text;
    std::int16_t code;

    friend bool operator==(const SquelchEntry&, const SquelchEntry&) = default;
};

struct SquelchLists {
    std::vector<SquelchEntry> rx;
    std::vector<SquelchEntry> tx;

    friend bool operator==(const SquelchLists&, const SquelchLists&) = default;
};

// The squelch lists for the selected operating mode: digital lists for position 2, analog ones
// for anything else (Wide, Narrow, nothing selected or a number that is no mode). A shadow's
// digital transmit list has no "ID Call" entry. No entry is selected.
SquelchLists SquelchListsFor(int modePosition, bool currentIsShadow);

// The position of the first entry that carries `code`; none when no entry does.
std::optional<int> SquelchPosition(const std::vector<SquelchEntry>& list,
                                   std::optional<std::int16_t> code);
// The code of the entry at `position`; none for no entry.
std::optional<std::int16_t> SquelchCode(const std::vector<SquelchEntry>& list,
                                        std::optional<int> position);

// The mode list's reaction to a new selection. `shownMode` is the position the list last saw
// selected and becomes `selected`. A change to or from Digital returns the
// refilled lists, whose first entries the window selects; any other change returns none and the
// squelch lists and their selections stay as they are.
std::optional<SquelchLists> SquelchListsOnModeChange(int& shownMode, int selected,
                                                     bool currentIsShadow);

// In simplex, the transmit squelch entry that follows a receive squelch choice: the first entry
// in Digital, the same position otherwise; none when there is nothing to select.
std::optional<int> SimplexTxSquelch(int modePosition, std::optional<int> rxPosition,
                                    const SquelchLists& lists);

// The squelch dialog's OK: the level typed (empty text is 0), or none after "Value is out of
// range" when it is above 15 or no 16-bit number; the dialog then stays open.
std::optional<std::uint8_t> AcceptNoiseSquelchLevel(std::string_view text, Operator& op);

}  // namespace kld
