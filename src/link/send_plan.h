#pragma once

// What a send of a memory writes into the radio, worked out before the radio is touched: the
// records it writes and erases, and whether each one can go out as a record frame at all.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "channel_memory.h"

namespace kld {

// XferFlags: how a send's passes go.
inline constexpr int kXferFirstPass = 0x10;      // primaries; the second pass sends shadows
inline constexpr int kXferStampDiffers = 0x08;   // the radio was written elsewhere since
inline constexpr int kXferListChanged = 0x04;    // a channel changed lists
inline constexpr int kXferShadowOrPurge = 0x02;  // a second pass follows the first
inline constexpr int kXferPurged = 0x01;         // the radio was purged

// The selection as a send takes it when it starts: the channels it sends or erases, the modes
// they use that the memory has not enabled (the operating-mode warning names them), and the
// first XferFlags. The primary and the other shadows of every selected shadow are marked for
// sending, as they go out with it.
struct SendStart {
    int selected = 0;
    std::uint8_t disabledModes = 0;
    int xferFlags = kXferFirstPass;
};
SendStart StartSend(ChannelMemory& memory);

// Whether the purge step purges the radio: asked for, or needed by any flag but the pass's.
bool SendPurges(std::int16_t purgeMode, int xferFlags);

// What a send does at record `index` on the pass its flags say: a record frame, an erase (on
// the first pass, for a channel the radio holds and nobody else wrote since), or nothing.
enum class RecordStep { Skip, Write, Erase };
RecordStep RecordStepOf(const ChannelMemory& memory, int index, std::int16_t purgeMode,
                        int xferFlags);

// The records a send writes, by the send's own rules: a defined record whose send box is ticked
// goes out as a record frame, a selected shadow takes its primary and the primary's other
// shadows along, and a defined record marked erased (whatever its send box) must be gone from
// the radio afterwards. Records a purge writes back without being selected are not among them:
// whether a purge happens depends on the radio's stamp at the time.
struct SendSelection {
    std::vector<int> written;  // record indices, ascending
    std::vector<int> erased;

    bool Empty() const { return written.empty() && erased.empty(); }
};
SendSelection SelectedForSending(const ChannelMemory& memory);

// Every record a send may write as a record frame: the selected ones, and, unless the purge
// switch is on, every record from the radio that is neither selected nor marked erased, which
// a purge writes back (1 to 232). Ascending.
std::vector<int> RecordsASendMayWrite(const ChannelMemory& memory, std::int16_t purgeMode);

// A record that cannot go out as a record frame, and why: each field that does not fit.
struct UnsendableChannel {
    int index;
    std::vector<std::string> faults;  // "Rx Tone: position 57 is not in its table"

    friend bool operator==(const UnsendableChannel&, const UnsendableChannel&) = default;
};
// The records among `indices` that cannot be sent, in the order given.
std::vector<UnsendableChannel> UnsendableChannels(const ChannelMemory& memory,
                                                  const std::vector<int>& indices);
// Every defined record that cannot be sent, whatever is selected.
std::vector<UnsendableChannel> UnsendableChannels(const ChannelMemory& memory);

// A line per channel, without a line end after the last: "Channel 005: Rx Tone: position 57
// is not in its table; ...".
std::string UnsendableText(const std::vector<UnsendableChannel>& channels);

// A record that cannot go out would stop a send part way, after the purge has emptied the
// radio, so every record the send may write is tried before the radio is opened. None when all
// can go; otherwise the first that cannot, and the failure's detail naming each one.
struct BlockedSend {
    int index;
    std::string detail;
};
std::optional<BlockedSend> CheckBeforeSending(const ChannelMemory& memory, std::int16_t purgeMode);

}  // namespace kld
