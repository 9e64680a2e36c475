#pragma once

// The transfer engine's class, shared by its two halves: transfer.cpp runs the conversation
// step by step, transfer_line.cpp moves each command and its answer over the line. Nothing else
// includes this.

#include <bitset>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

#include "debug_log.h"
#include "file_io.h"
#include "transfer.h"
#include "transfer_logs.h"

namespace kld {

// How far a transfer goes: all the way, or a send's opening up to the stamp answer. The stamp
// probe asks on behalf of a memory and refuses as its send would; the identity probe asks for
// no memory at all.
enum class Probe { None, Stamp, Identity };

// What the exchange of one command does next.
enum SendMode { kDone = 0, kSendFresh = 1, kSendAgain = 2, kWaitAgain = 3 };

// Everything written must have left the line before the speed changes or the port closes; at
// 9600 baud a whole record frame takes 0.15 s.
inline constexpr std::chrono::milliseconds kDrainLimit{2000};

class TransferEngine {
  public:
    // A probe runs a send's opening as far as the radio's answer to the stamp question, then
    // ends it. A receive writes `stampToWrite` into the radio when given, else a fresh one.
    TransferEngine(Direction direction, TransferContext& context, Probe probe = Probe::None,
                   std::string stampToWrite = {})
        : dir_(direction),
          probe_(probe),
          stampToWrite_(std::move(stampToWrite)),
          c_(context),
          mem_(context.memory),
          state_(context.state),
          device_(context.device),
          host_(context.host) {}

    TransferResult Run();
    // Whether the radio answered the stamp question with another stamp than the memory's, and
    // what it answered.
    bool StampDiffers() const;
    const std::string& RadioStamp() const { return radioStamp_; }
    // How often the radio refused the opening request before it accepted it: its protocol level.
    int OpeningRefusals() const { return helloTries_; }

  private:
    bool Sending() const { return dir_ == Direction::Send; }
    bool Prepare();
    bool OpenPort();
    void RunSteps();
    void BuildCommand();
    void BuildRecordCommand();
    void HandleReply();
    void HandleDataLine();
    void AfterSendStep();
    void SendEndFrame();
    void FinishLogs();
    void ShowCompletion();
    void CloseLine();

    // The line (transfer_line.cpp).
    void Exchange();
    bool WaitForLine();
    void TakeLine();
    void HandleRefused();
    void HandleBusy();

    // The transfer ended as the radio's rules call complete (a declined warning included).
    bool Completed() const {
        return !failed_ && (outcome_ == Outcome::Complete || outcome_ == Outcome::WarningDeclined);
    }
    void Fail(std::string detail) {
        failed_ = true;
        if (detail_.empty()) {
            detail_ = std::move(detail);
        }
    }
    // The result as the transfer stands; a failure unless it completed.
    TransferResult Result() const {
        if (Completed()) {
            return {outcome_, step_, std::nullopt};
        }
        return {outcome_, step_, TransferFailure(outcome_, step_, dir_, mem_.PortNumber, detail_)};
    }

    Direction dir_;
    Probe probe_;
    std::string stampToWrite_;
    std::string radioStamp_;
    TransferContext& c_;
    ChannelMemory& mem_;
    ProgramState& state_;
    SerialDevice& device_;
    TransferHost& host_;

    int step_ = step::Opening;
    Outcome outcome_ = Outcome::None;  // ErrCode: what to report if the transfer stops now
    int sendMode_ = kDone;
    int errCount_ = 0;
    int helloTries_ = 0;
    int repeatRequests_ = 0;
    bool failed_ = false;  // a failure outside the answer rules: report ErrCode as it stands
    bool stored_ = false;  // a received record has been stored
    std::bitset<kLastRecord + 1> received_;  // the records this receive has stored
    ChannelMemory before_;  // a receive's memory as it was, until the first record arrives
    std::string cmd_;
    std::string rxBuf_;
    std::string reply_;
    std::string statusText_;
    std::string label_;
    std::string detail_;

    int xferFlags_ = 0;
    std::uint8_t usedModes_ = 0;

    TransferLog log_;
    RadioTextLog textLog_;
    SafeFileWriter debugFile_;
    DebugLogRenderer renderer_;
};

}  // namespace kld
