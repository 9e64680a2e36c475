#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
// rebuilt for the record itself, so a channel never shows the list of the one before it. The
// window then notes values.mode as the mode list's shown selection (see ModeChanged). No summary
// line changes: a template copy in an undefined record leaves it undefined.
ChannelView ViewCurrentChannel(ChannelMemory& memory);

// The channel box's accepted entry (its leave rule): the record the text names becomes Current
// and the window shows it. None after the leave rule's beep; Current stays and so does the focus.
std::optional<int> EnterChannel(ChannelMemory& memory, std::string_view text, Operator& op);

// Which boxes the operator may change. A shadow's frequencies and ID call follow its primary;
// with Sx chosen the whole transmit side follows the receive side. Locked boxes show the
// disabled colour.
struct EditableBoxes {
    bool rxFreq = true;
    bool txFreq = true;
    bool idCall = true;
    bool txChoices = true;  // TSql, TCTCSS, TDCS, TTG, TNAC

    friend bool operator==(const EditableBoxes&, const EditableBoxes&) = default;
};
EditableBoxes Editable(bool simplex, bool currentIsShadow);

// Sx chosen: values.simplex becomes true and the transmit side takes the receive side's
// frequency, squelch entry, tone, code, talk group and NAC.
void ChooseSimplex(EditorValues& values, bool currentIsShadow);

// The transmit side following the receive side while Sx is chosen; in duplex each does nothing.
// The window calls them when a receive box changes (every key and every paste, before any leave
// rule), when an entry is picked, and when the talk group or NAC box is clicked, then shows the
// transmit box again.
void FollowRxFrequency(EditorValues& values);  // TFrq takes the RFrq text
void FollowRxTalkGroup(EditorValues& values);  // TTG takes the RTG text
void FollowRxNac(EditorValues& values);        // TNAC takes the RNAC text
void FollowRxTone(EditorValues& values);       // TCTCSS takes the RCTCSS position
void FollowRxCode(EditorValues& values);       // TDCS takes the RDCS position
// TSql: the first entry in Digital, else the entry at the RSql entry's position (none chosen
// when RSql has none).
void FollowRxSquelch(EditorValues& values, bool currentIsShadow);

// The mode list's selection changed (values.mode already holds the new position); `shownMode`
// is the selection the list had before, and becomes values.mode. A change to or from Digital
// returns the refilled squelch lists, and values.rxSquelch and txSquelch become their first
// entries' codes; any other change returns none and leaves both choices alone.
std::optional<SquelchLists> ModeChanged(EditorValues& values, int& shownMode, bool currentIsShadow);

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
    std::string idCall;  // the ID call box as written back (seven digits)
    // The records whose summary lines changed: the stored one first, then its shadows (they
    // took its frequencies). Empty when nothing was stored.
    std::vector<int> changedRecords;
    int next = 0;                 // the new Current after a store; the window shows it
    bool defaultsWritten = true;  // false when the settings file could not be written
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
//
// After a store the window refreshes the summary lines of outcome.changedRecords and the
// selection boxes, then shows outcome.next. After a refusal it shows outcome.frequencies again.
StoreOutcome StoreChannel(ChannelMemory& memory, const EditorValues& values, Operator& op,
                          const std::function<bool()>& saveDefaults);

}  // namespace kld
