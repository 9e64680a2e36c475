#pragma once

// One plan sent to many radios at once. Each radio gets a thread of its own, with its own line
// and its own copy of the plan, so a radio that fails, vanishes or drags never holds up the
// others, and the plan the caller holds is never touched. What each radio did ends up as one row
// of a report.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "channel_memory.h"
#include "failure.h"
#include "program_state.h"
#include "serial_device.h"
#include "transfer_host.h"

namespace kld {

struct FleetOptions {
    // A send that erases a radio first goes ahead (the operator said so once, for all of them);
    // without it such a radio is left as it was. The same answer goes on past modes a radio has
    // not enabled.
    bool eraseAllowed = false;
    // Each radio about to be erased is read into the backups folder first.
    bool copyRadio = true;
    // Each radio is read back after the send and compared with what was sent.
    bool verify = false;
};

// What one radio got: a row of the report.
struct RadioReport {
    int port = 0;
    std::string device;
    std::string radioVersion;  // as the radio answered; empty when it never said
    std::string stamp;         // the memory stamp left in the radio by the read-back, if any
    int channels = 0;          // channels sent
    std::string verify;        // "Verify OK", what differs, why it failed; empty when not asked
    double seconds = 0;
    std::string backup;   // the copy of what the radio held before it was erased
    std::string outcome;  // the transfer's message ("Transfer Complete.", "Timeout Error", ...)
    std::string detail;   // what the outcome cannot say: the cause, what to check
    bool ok = false;      // sent, and verified when asked
};

// The plan's own faults, which would make every radio fail alike: nothing selected for sending,
// a record that cannot be sent. Found before any port is opened.
std::optional<Failure> CheckPlan(const ChannelMemory& plan, const ProgramState& state);

// Programs one radio: SafeSend on a copy of the plan (the copy of the radio first, when it is to
// be erased), then the read-back when asked. Every transfer on the way uses `port` on `line`.
RadioReport ProgramRadio(const ChannelMemory& plan, const ProgramState& state, int port,
                         const std::string& device, SerialDevice& line, TransferHost& host,
                         const FleetOptions& options);

// "Port,Device,Radio Version,Stamp,Channels,Verify,Seconds,Backup,Outcome" and a row per radio,
// as CSV (CR LF, quoted where needed).
std::string FleetReportCsv(const std::vector<RadioReport>& rows);

// Where a radio's transfer stands, as its thread last said.
struct RadioProgress {
    std::string status;  // the progress frame's status text
    int value = 0;       // 0 to 232
    bool finished = false;
};

// The host of a transfer on a thread of its own: the real clock, waits that block on the device
// (no processor time is spent waiting), the progress kept where another thread can look at it,
// and a stop that can be asked for from anywhere.
class WorkerTransferHost : public RealClockTransferHost {
  public:
    explicit WorkerTransferHost(std::chrono::seconds answerLimit = std::chrono::seconds(30))
        : answerLimit_(answerLimit) {}

    void Pause(std::chrono::milliseconds duration) override;
    void WaitForData(SerialDevice& device, std::chrono::milliseconds bound) override;
    void ShowProgress(bool /*transferring*/) override {}
    void SetStatus(std::string_view text) override;
    void SetProgress(int value) override;
    bool LingersOnCompletion() const override { return false; }
    std::chrono::seconds AnswerLimit() const override { return answerLimit_; }
    bool CancelRequested() override { return stop_.load(); }

    void RequestStop() { stop_.store(true); }
    RadioProgress Progress() const;

  private:
    std::chrono::seconds answerLimit_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    RadioProgress progress_;
};

// A thread a radio's work runs on. The serial layer's are Qt's threads, which a serial port needs
// to be at home on; the standard library's do where the line is not a real port.
class WorkerThread {
  public:
    virtual ~WorkerThread() = default;
    // Waits until the work has ended.
    virtual void Join() = 0;
};
using ThreadStarter = std::function<std::unique_ptr<WorkerThread>(std::function<void()> work)>;

// Starts `work` on a std::thread.
std::unique_ptr<WorkerThread> StartStandardThread(std::function<void()> work);

// Radios being programmed side by side with one plan. Start, StopAll and WaitAll are called from
// one thread (the window's, the command line's); Snapshot, Running and Reports from any.
class Fleet {
  public:
    // Makes the line to the radio on COM<port>, on that radio's thread (a serial port belongs to
    // the thread that made it).
    using LineMaker = std::function<std::unique_ptr<SerialDevice>(int port)>;

    // `plan` and `state` are copied: the caller's may change or go while the radios run.
    Fleet(const ChannelMemory& plan, const ProgramState& state, FleetOptions options,
          LineMaker makeLine, ThreadStarter startThread = StartStandardThread);
    // Stops every radio still running (each ends cleanly, as cancelled) and waits for it.
    ~Fleet();
    Fleet(const Fleet&) = delete;
    Fleet& operator=(const Fleet&) = delete;

    // Starts programming the radio on COM`port`; returns its place in Snapshot().
    std::size_t Start(int port, const std::string& device);
    // Asks every radio still running to stop; each ends as cancelled at its next wait.
    void StopAll();
    // Waits until every radio started has ended.
    void WaitAll();

    struct RadioView {
        int port = 0;
        std::string device;
        RadioProgress progress;
        std::optional<RadioReport> report;  // once it has ended
    };
    // Every radio started, in the order started.
    std::vector<RadioView> Snapshot() const;
    bool Running() const;
    // The reports of the radios that have ended, in the order started.
    std::vector<RadioReport> Reports() const;

  private:
    struct Radio {
        int port = 0;
        std::string device;
        WorkerTransferHost host;
        std::optional<RadioReport> report;
        std::unique_ptr<WorkerThread> thread;
    };

    ChannelMemory plan_;
    ProgramState state_;
    FleetOptions options_;
    LineMaker makeLine_;
    ThreadStarter startThread_;
    mutable std::mutex mutex_;  // guards each radio's report
    std::vector<std::unique_ptr<Radio>> radios_;
};

}  // namespace kld
