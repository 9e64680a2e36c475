#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "channel_memory.h"
#include "operator.h"
#include "program_state.h"

namespace kld {

// The three states of a selection box.
inline constexpr int kBoxClear = 0;
inline constexpr int kBoxTicked = 1;
inline constexpr int kBoxGrey = 2;

// The state of the box beside a channel's summary line: grey when marked erased, else whether
// it is selected for sending.
int BoxState(const ChannelRecord& record);

inline constexpr int kSelectionBoxes = 6;

// The six boxes for the summary list scrolled to `topLine`. A line past the last record has no
// channel and its box is clear.
std::array<int, kSelectionBoxes> SelectionBoxStates(const ChannelMemory& memory, int topLine);

// The operator clicked box `box` (0 to 5) into `newState` with the list at `topLine`: the
// channel on that line becomes Current and takes the state into its send and erase flags.
// False when that line has no channel (nothing changes). The window then refreshes that
// channel's summary line (an erase mark may have come or gone) and shows the channel.
bool SetSelectionFromBox(ChannelMemory& memory, int topLine, int box, int newState);

// Select All / Clear All: the send flag of every defined record 0 to 232. Undefined records and
// erase marks stay as they are. No summary line changes; the window resynchronises the boxes.
void SelectAllDefined(ChannelMemory& memory);
void ClearAllSelections(ChannelMemory& memory);

// What "Un/Erase Current" did.
enum class EraseResult {
    Refused,      // DEF, Main and the guards: the refusal was shown
    Undefined,    // nothing to erase; nothing shown
    HasShadows,   // a primary made here that still has shadows: PrimaryHasShadowsMessage shown
    Removed,      // a channel made here became undefined
    MarkToggled,  // the erase mark of a channel from the radio was set or taken back
};
Message EraseRefusedMessage();
// The refusal to erase a primary while `shadows` (ShadowsOf) still name it.
Message PrimaryHasShadowsMessage(const std::vector<int>& shadows);

// "Un/Erase Current" on record Current. A channel made here goes away at once; a shadow's slot
// in its primary is freed. A primary made here is refused while it has shadows (ShadowsOf):
// undefined, it would leave them pointing at a channel whose next store starts from the
// template with no shadow list, and a new shadow of it would take a slot one of them still
// claims. A channel from the radio only has its erase mark toggled, shadows or not: the radio
// settles what erasing it does.
//
// After Removed or MarkToggled the window refreshes record Current's summary line, and only
// that one, and its box (BoxState) when it is on a visible line. The other results change
// nothing. The editor keeps showing the record as it was.
EraseResult EraseOrUneraseCurrent(ChannelMemory& memory, Operator& op);

// The purge button: switches PurgeMode between 0 and 1 and returns the button's new caption.
// Back at 0 the window restores the list's colours and resynchronises the boxes.
std::string_view TogglePurge(ProgramState& state);
std::string_view PurgeCaption(std::int16_t purgeMode);

}  // namespace kld
