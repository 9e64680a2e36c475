#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "channel_memory.h"
#include "failure.h"
#include "operator.h"
#include "program_state.h"
#include "serial_device.h"
#include "transfer_host.h"

namespace kld {

enum class Direction { Send = 0, Receive = 1, DebugLog = 2 };

// How a transfer ended. The numbers are the ErrCode values the outcome messages show
// ("Download Failure 0 -9" is an internal failure at step -9).
enum class Outcome : int {
    None = 0,             // no outcome yet; a transfer that stops with it failed inside the
                          // program (a log, a record, a line it cannot take): "Download Failure"
    Complete = 1,         // "Transfer Complete."
    PortNotOpened = 2,    // "Invalid COM Port (or Port in use)"
    Communication = 3,    // the line failed, or no line end ever came
    Timeout = 4,          // no answer within 30 seconds
    TooManyErrors = 5,    // refused twice, or the radio ended a send
    Checksum = 6,         // two bad checksums within one command
    NothingSelected = 7,  // nothing to send and no purge asked for
    // Outcomes of this program's own, beyond the radio's rules.
    Cancelled = 8,        // the operator stopped the transfer; the end frame went out
    WarningDeclined = 9,  // the operator stopped a send at the operating-mode warning; shown
                          // as "Transfer Complete." like a completed transfer, nothing was sent
};

// The steps of a transfer. Steps from Records on count records (a send's index, a receive's
// request number); the negative ones open the conversation.
namespace step {
enum Step : int {
    Opening = -10,     // the opening request, resent with a new code after each refusal
    SpeedChange = -9,  // to 115200
    Modes = -8,        // the radio's enabled modes
    TextLogName = -7,  // the radio's text log: its name
    TextLogLine = -6,  // ... and its lines, one per request
    Version = -5,      // the radio's version (and, sending, the operating-mode warning first)
    Stamp = -4,        // the memory stamp: asked for when sending, written otherwise
    Begin = -3,        // begin sending, receiving or the debug log
    Purge = -2,        // sending: purge the radio when needed
    Announce = -1,     // the status text of the record steps
    Records = 0,       // the first record step
    Last = 32767,      // the step counter is a 16-bit number
};
}  // namespace step

inline constexpr std::string_view kTransferComplete = "Transfer Complete.";
inline constexpr std::string_view kTransferCancelled = "Transfer Cancelled";
inline constexpr std::string_view kDebugLogFileName = "KVRX-540_Dbg.log";
inline constexpr std::string_view kTransferLogFileName = "KLD-540.log";

// Everything a transfer works with. `folder` is the working directory, where the transfer log,
// the radio's text logs (under Logs) and the debug log file live.
struct TransferContext {
    ChannelMemory& memory;
    ProgramState& state;
    SerialDevice& device;
    TransferHost& host;
    Operator& op;
    std::filesystem::path folder;
};

struct TransferResult {
    Outcome outcome = Outcome::None;
    int step = 0;
    // What the operator is to be told: the outcome message ("Timeout Error", ...) and what it
    // cannot say (the system's reason, the failing part). None when the transfer ended as the
    // radio's rules call complete.
    std::optional<Failure> failure;

    bool Complete() const { return outcome == Outcome::Complete; }
    // The outcome message, the failure's or "Transfer Complete.".
    std::string Message() const;
    // Whether the program and the radio ended in agreement: a completed transfer, or a send
    // the operator stopped at the warning before anything was sent.
    bool EndedNormally() const {
        return outcome == Outcome::Complete || outcome == Outcome::WarningDeclined;
    }
};

// The outcome message of an ErrCode at a step ("Timeout Error", "Checksum Error -3", ...).
std::string OutcomeMessage(Outcome outcome, int step);

// What a step does, as the operator would say it ("asking for the radio's version", "sending
// channel 005").
std::string StepDescription(int step, Direction direction);

// The cause of an outcome and what to check, with the step it stopped at, for the failure's
// detail: the cable, the radio's programming mode, the port in use (COM`port`), the selection.
// Empty for a transfer that ended normally.
std::string OutcomeAdvice(Outcome outcome, int step, Direction direction, int port);

// A transfer's failure: its outcome message, and as its detail the failing part's own reason
// (when there is one) followed by the OutcomeAdvice.
Failure TransferFailure(Outcome outcome, int step, Direction direction, int port,
                        const std::string& reason = {});

// Carries out one exchange with the radio: send the memory, receive it, or read the debug log.
// The operator is asked what must be asked on the way (the operating-mode warning of a send, the
// memory check after a receive); every outcome but completion comes back as the result's failure.
//
// A receive that fails before the first record has arrived leaves the channel memory as it
// was; once records arrive they stay, whatever the outcome. A debug-log read replaces
// KVRX-540_Dbg.log only when it completes.
TransferResult RadioTransfer(Direction direction, TransferContext& context);

// What the radio says of its memory stamp when a send asks it.
struct StampProbe {
    TransferResult transfer;    // complete once the stamp is in and the end frame has gone out
    bool stampDiffers = false;  // the radio's stamp is not the memory's: a send would purge
    std::string radioStamp;     // as the radio answered
};

// Runs a send's opening as far as the radio's answer to the stamp question, then the end frame:
// nothing is written into the radio, neither the memory nor the state changes, and nothing is
// asked (the operating-mode warning waits for the send). "Transfer Complete." is not shown. A
// memory with nothing to send, or with a record that cannot go, ends as its send would.
StampProbe ProbeRadioStamp(const TransferContext& context);

// A receive that writes `stamp` into the radio in place of a fresh one: given the stamp the radio
// had, reading it leaves it as it was, and a later send is no more taken for one to a radio
// changed elsewhere than it was before.
TransferResult ReceiveWithStamp(TransferContext& context, const std::string& stamp);

// What a radio says of itself when asked only that.
struct RadioIdentity {
    TransferResult transfer;  // complete once it has answered and the end frame has gone out
    std::string version;      // the six digits of its version answer; empty when it gave none
    int level = 0;            // its protocol level: the refusals before it accepted the opening
    std::uint8_t modes = 0;   // the operating modes it has enabled
    std::string stamp;        // its memory stamp, as it answered

    // "version 021100, protocol level 2, memory stamp 20261207101530".
    std::string Text() const;
};

// Asks whatever is on COM`port` whether it is a radio: a send's opening as far as the stamp
// answer, then the end frame, as ProbeRadioStamp runs it but for no memory. Nothing is written
// into the radio and nothing is asked. The host's answer limit decides how long a port where
// nothing answers holds it up.
RadioIdentity IdentifyRadio(int port, SerialDevice& device, TransferHost& host, Operator& op,
                            const ProgramVersion& version);

}  // namespace kld
