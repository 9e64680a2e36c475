#pragma once

#include <array>
#include <cstdint>
#include <string_view>

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
std::array<int, kSelectionBoxes> SyncSelectBoxes(const ChannelMemory& memory, int topLine);

// The operator clicked box `box` (0 to 5) into `newState` with the list at `topLine`: the
// channel on that line becomes Current and takes the state into its send and erase flags.
// False when that line has no channel (nothing changes). The window then shows the channel.
bool SelectBox_Click(ChannelMemory& memory, int topLine, int box, int newState);

// Select All / Clear All: the send flag of every defined record 0 to 232. Undefined records and
// erase marks stay as they are.
void SelAll_Click(ChannelMemory& memory);
void ClearAll_Click(ChannelMemory& memory);

// What "Un/Erase Current" did.
enum class EraseResult {
    Refused,      // DEF, Main and the guards: the refusal was shown
    Undefined,    // nothing to erase; nothing shown
    Removed,      // a channel made here became undefined
    MarkToggled,  // the erase mark of a channel from the radio was set or taken back
};
Message EraseRefusedMessage();

// "Un/Erase Current" on record Current. Afterwards the window refreshes that record's summary
// line and, when the record is on a visible line, its box (BoxState).
EraseResult EraseCurr_Click(ChannelMemory& memory, Operator& op);

// The purge button: switches PurgeMode between 0 and 1 and returns the button's new caption.
// Back at 0 the window restores the list's colours and resynchronises the boxes.
std::string_view EraseAll_Click(ProgramState& state);
std::string_view PurgeCaption(std::int16_t purgeMode);

}  // namespace kld
