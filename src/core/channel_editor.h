#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "channel_memory.h"
#include "field_rules.h"
#include "operator.h"
#include "squelch_modes.h"

namespace kld {

// What the channel editor's fields hold, as a store reads them. Choices the editor could not
// make (no entry matched the record) are none.
struct EditorValues {
    std::optional<int> list;  // the list number carried by the chosen "List" entry
    bool scan = false;        // "Scan:" ticked
    int mode = kModeNarrow;   // position chosen in the mode list; -1 for none
    bool simplex = true;      // Sx chosen; Dx otherwise
    std::string desc;
    std::string rxFreq;
    std::string txFreq;
    std::optional<std::int16_t> rxSquelch;  // letter code of the chosen squelch entry
    std::optional<std::int16_t> txSquelch;
    int rxCtcss = 0;
    int rxDcs = 0;
    int txCtcss = 0;
    int txDcs = 0;
    std::string rxTalkGroup;
    std::string txTalkGroup;
    std::string rxNac;
    std::string txNac;
    std::string idCall;

    friend bool operator==(const EditorValues&, const EditorValues&) = default;
};

// --- Showing a channel ---------------------------------------------------------------------

// An entry of the "List" choice: the list number and its text, "List  1" for list 0.
struct ZoneChoice {
    int list;
    std::string text;

    friend bool operator==(const ZoneChoice&, const ZoneChoice&) = default;
};

// The lists offered to record `index`: every list 0 to 14 with fewer than 16 channels, and the
// record's own list when it is defined. The guards' list (kGuardZone) is never offered.
std::vector<ZoneChoice> ZoneChoices(const ChannelMemory& memory, int index);
// The entry that carries the record's list; none when no offered entry does.
std::optional<int> ZoneChoicePosition(const std::vector<ZoneChoice>& choices,
                                      const ChannelRecord& record);

// Everything the editor shows for one record.
struct ChannelView {
    int index = 0;
    std::string channelText;       // "DEF", "GD1", "GD2" or three digits
    std::string primaryText;       // " 005": a blank and three digits; shown for shadows only
    bool shadow = false;           // frequencies and ID call locked, "Primary Memory:" shown
    bool showScanAndList = false;  // hidden for shadows and the guards
    std::vector<ZoneChoice> zones;
    std::optional<int> zonePosition;
    SquelchLists squelch;  // built for the record's own mode and shadow state
    EditorValues values;
};

// The first step of showing record Current: an undefined record takes a copy of the template,
// the description "Chan <n>" and Select 0 (it stays undefined). A Current that names no
// record (233 after the memory check) becomes 1 first.
void PrepareShownRecord(ChannelMemory& memory);

// PrepareShownRecord, then the editor's view of record Current. The squelch lists are always
// rebuilt for the record itself, so a channel never shows the list of the one before it.
ChannelView ShowChannel(ChannelMemory& memory);

// Sx chosen: the transmit side takes the receive side's frequency, squelch entry, tone, code,
// talk group and NAC.
void Sx_Click(EditorValues& values, bool currentIsShadow);

// --- Storing a channel ---------------------------------------------------------------------

// What the window must do after "Save Record".
struct StoreOutcome {
    bool stored = false;
    // The frequency boxes as the leave rules left them; shown again when the store failed.
    FrequencyFields frequencies;
    // A disabled mode replaced by the mode check: the new selection of the mode list, and the
    // squelch lists when the change went to or from Digital (first entries chosen).
    std::optional<int> modeSelected;
    std::optional<SquelchLists> squelchLists;
    std::string idCall;               // the ID call box as written back (seven digits)
    std::vector<int> changedRecords;  // records whose summary lines changed, the stored one first
    int next = 0;                     // the new Current; the window shows it
    bool defaultsWritten = true;      // false when the settings file could not be written
};

// The messages a store can show besides the frequency messages.
Message DisabledModeMessage();
Message DefaultsNotWrittenMessage();
// The refusal of a store with nothing chosen in the named fields ("List", "Operating Mode",
// "Rx Squelch Mode", "Tx Squelch Mode").
Message MissingChoiceMessage(const std::vector<std::string>& fields);

// "Save Record": stores the editor's values into record Current and moves Current on.
// `saveDefaults` rewrites the settings file after record 0 is stored and says whether it could;
// when it could not, the record stays stored and the operator is told once.
//
// A store with no list (for a channel that keeps one), no squelch entry on either side, or no
// operating mode is refused with MissingChoiceMessage and changes nothing: such a choice has
// no value, and keeping the record's old one would silently store something the operator never
// saw (an undefined channel's old list is the template's, which may already be full). A list
// the editor would not offer (full, or the guards' list), a squelch code that the mode's list
// does not hold and a mode number that is no mode count as no choice too. A missing mode is
// never replaced by the mode check: there is no choice to judge. Only a mode replacement that
// refills the squelch lists can fill a missing squelch choice, with the first entries, as the
// mode list itself does.
//
// Messages, in order: the frequency messages; then either the refusal or the disabled-mode
// message; then, for record 0 only, DefaultsNotWrittenMessage when the file was not written.
StoreOutcome Save_Click(ChannelMemory& memory, const EditorValues& values, Operator& op,
                        const std::function<bool()>& saveDefaults);

}  // namespace kld
