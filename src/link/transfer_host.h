#pragma once

#include <chrono>
#include <ctime>
#include <string_view>

namespace kld {

class SerialDevice;

// What a transfer needs of the program around it: the clock, waiting, and the progress view.
// The window's host keeps painting while it waits; the command line's host simply blocks; the
// tests' host runs a fake clock so that a 30-second time-out takes no real time.
class TransferHost {
  public:
    virtual ~TransferHost() = default;

    // A monotonic clock, for the answer time limit.
    virtual std::chrono::steady_clock::time_point Now() = 0;
    // The local date and time, for memory stamps and log headings.
    virtual std::tm LocalTime() = 0;
    // A fixed pause (50 ms before a speed change, 500 ms after a refusal).
    virtual void Pause(std::chrono::milliseconds duration) = 0;
    // Waits at most `bound` for data on the device while pending window events are processed.
    // Returns early when data comes.
    virtual void WaitForData(SerialDevice& device, std::chrono::milliseconds bound) = 0;

    // The progress view: shown while a transfer runs (window disabled), hidden afterwards.
    virtual void ShowProgress(bool transferring) = 0;
    virtual void SetStatus(std::string_view text) = 0;
    virtual void SetProgress(int value) = 0;  // 0 to 232
    // Whether "Transfer Complete." stays on show for a moment before the window returns to the
    // channel list. A window wants that; a script does not.
    virtual bool LingersOnCompletion() const { return true; }
    // The progress frame's caption; the repeated-transfer test counts its rounds there.
    virtual void SetProgressCaption(std::string_view /*caption*/) {}
    // How long an answer may take before the transfer ends with a time-out. A radio is given
    // 30 seconds; looking for radios on every port gives each far less.
    virtual std::chrono::seconds AnswerLimit() const { return std::chrono::seconds(30); }
    // True once the operator has asked the running transfer to stop. Looked at while the
    // transfer waits; it then sends the end frame, closes the port and ends as cancelled.
    virtual bool CancelRequested() { return false; }
};

// The clocks of every real program: the monotonic one and the local time. (The tests' host runs a
// fake clock instead.)
class RealClockTransferHost : public TransferHost {
  public:
    std::chrono::steady_clock::time_point Now() override;
    std::tm LocalTime() override;
};

}  // namespace kld
