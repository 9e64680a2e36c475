#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "backups.h"
#include "cli.h"
#include "event_loop_host.h"
#include "operator.h"
#include "transfer.h"

namespace kld::cli {

// The command line's side of a transfer: the real clock and the device's own waits (as the
// window has them; nothing else runs in the event loop here), and a one-line progress bar on
// stderr when stderr is a terminal (nothing at all otherwise, so that logs and scripts see only
// the messages).
class CliTransferHost : public EventLoopTransferHost {
  public:
    CliTransferHost(std::ostream& err, bool drawProgress) : err_(err), draw_(drawProgress) {}

    void ShowProgress(bool transferring) override;
    void SetStatus(std::string_view text) override;
    void SetProgress(int value) override;
    bool LingersOnCompletion() const override { return false; }
    // Ctrl-C (SIGINT) or SIGTERM during the transfer: it ends cleanly, as cancelled.
    bool CancelRequested() override;

    // Ends a progress line that is on show, so that a message starts on a line of its own; the
    // next status or progress change draws a new one.
    void BreakLine();

  private:
    void Redraw();

    std::ostream& err_;
    bool draw_;
    bool showing_ = false;
    bool onScreen_ = false;  // a progress line is drawn and not yet ended
    std::string status_;
    std::chrono::steady_clock::time_point waitingSince_{};
    int value_ = 0;
    std::string drawn_;
    std::size_t drawnWidth_ = 0;
};

// The progress line: a bar of records moved (0 to 232), the count, and the status text, cut to
// fit 79 columns. The window's status label grows a digit run for every second an answer is
// awaited ("....123456789101112"), which soon outgrows a line; here the run becomes the seconds
// waited so far, `waited`, after the status text ("...Radio....  12 s").
std::string ProgressLine(std::string_view status, int value, long waited = 0);

// Catches SIGINT and SIGTERM while it lives, so that a transfer can end cleanly (the end frame
// sent, the port closed, the logs kept). A second signal ends the program at once.
class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static bool Interrupted();
};

// Passes every message on to the command line's operator, keeping it clear of the progress line.
class ProgressAwareOperator : public Operator {
  public:
    ProgressAwareOperator(Operator& inner, CliTransferHost& host) : inner_(inner), host_(host) {}

    Answer Ask(const Message& message) override;
    void Beep() override { inner_.Beep(); }

  private:
    Operator& inner_;
    CliTransferHost& host_;
};

// The port a transfer verb uses: --port (COM<n> in any case, or a bare number) when given,
// otherwise the settings file's port. None, with the reason in `error`, for text that names no
// port.
std::optional<int> PortForVerb(const VerbArgs& args, const ChannelMemory& memory,
                               std::string& error);

// Runs one transfer on the session's memory against the chosen port. Every message goes to
// stderr, with its detail (the system's reason after a port that would not open) on the next
// line; "Transfer Complete." goes to stdout. Returns the exit status: 0 complete, 1 not (a send
// stopped at the operating-mode warning included), 2 when --port named no port.
int RunTransfer(Session& session, const VerbArgs& args, Direction direction);
// Says how a transfer ended, as RunTransfer does, and returns its exit status.
int TransferExitStatus(Session& session, Operator& op, const TransferResult& result);
// The port the verb names (or the settings file's), the serial device, the host and the operator
// of a command-line transfer, set up for `work`; Ctrl-C stops it cleanly. A port that cannot be
// named is a usage error.
int WithRadio(Session& session, const VerbArgs& args,
              const std::function<int(TransferContext&)>& work);

// Keeps a backup of the session's memory and says on stderr where it went ("Backup: PATH"), or in
// one line why it could not ("Backup not written: REASON"). A backup never changes how a verb
// ends.
void KeepBackup(Session& session, BackupKind kind);

}  // namespace kld::cli
