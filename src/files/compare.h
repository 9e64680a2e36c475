#pragma once

#include <string>
#include <vector>

#include "channel_memory.h"

namespace kld {

// One field of one channel that two channel plans hold differently, with the values as the
// summary list and the editor show them.
struct FieldDifference {
    int channel = 0;
    std::string label;  // the channel box's text: "DEF", "005", "GD1"
    std::string field;  // "Description", "Rx Frequency", "Defined", ...
    std::string inA;
    std::string inB;

    friend bool operator==(const FieldDifference&, const FieldDifference&) = default;
};

// The differences between two memories, record by record (0 to 232) and field by field in the
// order the summary line shows them. A record defined on one side only, or erased on one side
// only, is one row ("Defined" or "Erase mark"); records undefined or erased on both sides are
// equal whatever they hold. Only what a technician can see or change counts: what the summary
// line and the editor show. So the bookkeeping flags only this program keeps (from the radio,
// created here, selected for sending) are not compared, nor what a record keeps for the radio
// alone: the bits of Scan beside the list number, which slot of its primary's list a shadow
// took, the copy of that list a shadow carries, and the list and scan flag of shadows and the
// guards, whose lines and editor show neither. Verify compares all the wire carries instead.
std::vector<FieldDifference> CompareMemories(const ChannelMemory& a, const ChannelMemory& b);

// The rows as aligned text under a heading, one line each, to read or copy; empty when there
// is no row.
std::string DiffText(const std::vector<FieldDifference>& rows);

}  // namespace kld
