#pragma once

// Checking a radio against what was sent to it: its memory is read back into a scratch memory
// and every record a send writes is compared, byte field by byte field, with the record frame
// the radio answers with.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "channel_memory.h"
#include "program_state.h"
#include "send_plan.h"
#include "serial_device.h"
#include "transfer.h"
#include "transfer_host.h"
#include "wire_codec.h"

namespace kld {

// One field that is not in the radio as it was sent.
struct VerifyDifference {
    std::string channel;  // the channel box's label: "005", "GD1"
    std::string field;    // "Description", "Rx Frequency", ... or "Channel" for a whole record
    std::string sent;
    std::string inRadio;

    friend bool operator==(const VerifyDifference&, const VerifyDifference&) = default;
};

// The record images a receive took, by address; none where the radio sent no record. A frame
// the radio sent twice counts with its last copy, as the receive stores it.
using RadioImages = std::array<std::optional<WireBuf>, kLastRecord + 1>;

// The differences between what a send of `sent` writes and what the radio holds, in record
// order. Fields are compared as the record frame carries them, so flags the program keeps for
// itself never count; the noise squelch level the send puts into every frame does.
std::vector<VerifyDifference> CompareWithRadio(const ChannelMemory& sent,
                                               const SendSelection& selection,
                                               const RadioImages& radio);

struct VerifyResult {
    // The receive that read the radio back. Anything but completion means nothing was compared.
    TransferResult transfer;
    std::vector<VerifyDifference> differences;
    int recordsChecked = 0;
    int erasesChecked = 0;
    // The memory stamp the receive wrote into the radio. A program whose memory the radio now
    // matches may take it over, so that its next send is not taken for one to a radio changed
    // elsewhere (which purges).
    std::string radioStamp;

    bool Ok() const { return transfer.Complete() && differences.empty(); }
};

// Reads the radio's memory into `scratch` and `scratchState` as a receive does, taking over from
// `like` and `state` only what a receive needs (the modes, the noise squelch level, the port, the
// program's version, debug mode). The memory check's remarks about the scratch memory, which the
// operator never sees, go unsaid and its offer to move channels out of disabled modes is declined.
// The receive writes `keepStamp` into the radio as its memory stamp, or a fresh stamp when it is
// empty; `scratchState` then holds it.
TransferResult ReadRadioInto(ChannelMemory& scratch, ProgramState& scratchState,
                             const ChannelMemory& like, const ProgramState& state,
                             SerialDevice& device, TransferHost& host,
                             const std::filesystem::path& folder, const std::string& keepStamp);

// Reads the radio's memory into a scratch memory (`sent` and `state` are never changed) and
// compares it with the records a send of `sent` writes. A memory with nothing selected is
// refused as the send refuses it, before the port is opened. The receive's failure is the
// result's, as a receive returns it; the memory check looks at the scratch memory, which the
// operator never sees, so its remarks go unsaid and its offer to move channels out of disabled
// modes is declined.
VerifyResult VerifyRadio(const ChannelMemory& sent, const ProgramState& state, SerialDevice& device,
                         TransferHost& host, const std::filesystem::path& folder);

// "Verify OK", or a line per difference under a heading, in columns; or the receive's failure
// message. Ends with a line end.
std::string VerifyReportText(const VerifyResult& result);

}  // namespace kld
