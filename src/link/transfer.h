#pragma once

#include <filesystem>
#include <string>

#include "channel_memory.h"
#include "operator.h"
#include "program_state.h"
#include "serial_device.h"
#include "transfer_host.h"

namespace kld {

enum class Direction { Send = 0, Receive = 1, DebugLog = 2 };

// Outcome codes of a transfer.
inline constexpr int kErrNone = 0;
inline constexpr int kErrComplete = 1;
inline constexpr int kErrPort = 2;
inline constexpr int kErrCommunication = 3;
inline constexpr int kErrTimeout = 4;
inline constexpr int kErrTooManyErrors = 5;
inline constexpr int kErrChecksum = 6;
inline constexpr int kErrNothingSelected = 7;

inline constexpr std::string_view kTransferComplete = "Transfer Complete.";
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
    int errCode = kErrNone;
    int step = 0;
    std::string message;  // the outcome message shown, or "Transfer Complete."
    std::string detail;   // the system's reason when the port could not be opened

    bool Complete() const { return errCode == kErrComplete; }
};

// The outcome message of an ErrCode at a step ("Timeout Error", "Checksum Error -3", ...).
std::string OutcomeMessage(int errCode, int step);

// Carries out one exchange with the radio: send the memory, receive it, or read the debug log.
// Every outcome but completion is told to the operator; the result says which it was.
TransferResult RadioTransfer(Direction direction, TransferContext& context);

// The repeated-transfer test: receive, fill the memory with generated channels, and send it n
// times, changing every frequency between sends.
void TestSwap(int n, TransferContext& context);

}  // namespace kld
