#pragma once

// What a send of a memory writes into the radio, worked out before the radio is touched: the
// records it writes and erases, and whether each one can go out as a record frame at all.

#include <string>
#include <vector>

#include "channel_memory.h"

namespace kld {

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

}  // namespace kld
