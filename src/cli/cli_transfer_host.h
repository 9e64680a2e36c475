#pragma once

#include <chrono>
#include <ctime>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli.h"
#include "operator.h"
#include "transfer.h"
#include "transfer_host.h"

namespace kld::cli {

// The command line's side of a transfer: the real clock, blocking waits on the device, and a
// one-line progress bar on stderr when stderr is a terminal (nothing at all otherwise, so that
// logs and scripts see only the messages).
class CliTransferHost : public TransferHost {
public:
    CliTransferHost(std::ostream& err, bool drawProgress) : err_(err), draw_(drawProgress) {}

    std::chrono::steady_clock::time_point Now() override;
    std::tm LocalTime() override;
    void Pause(std::chrono::milliseconds duration) override;
    void WaitForData(SerialDevice& device, std::chrono::milliseconds bound) override;

    void ShowProgress(bool transferring) override;
    void SetStatus(std::string_view text) override;
    void SetProgress(int value) override;
    bool LingersOnCompletion() const override { return false; }

    // Ends a progress line that is on show, so that a message starts on a line of its own.
    void BreakLine();
    // Draws the progress line again after a message.
    void Redraw();

private:
    std::ostream& err_;
    bool draw_;
    bool showing_ = false;
    bool onScreen_ = false;  // a progress line is drawn and not yet ended
    std::string status_;
    int value_ = 0;
    std::size_t drawnWidth_ = 0;
};

// The progress line: a bar of records moved (0 to 232), the count, and the status text, cut to
// fit 79 columns.
std::string ProgressLine(std::string_view status, int value);

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

// Runs one transfer on the session's memory against the chosen port: messages go to stderr
// (with the system's reason after a port that would not open), "Transfer Complete." to stdout.
// Returns the outcome; `usage` is set instead when --port named no port.
struct VerbTransfer {
    std::optional<TransferResult> result;
    bool usage = false;
};
VerbTransfer RunTransfer(Session& session, const VerbArgs& args, Direction direction);

// The exit status for a transfer verb's outcome.
int TransferExit(Session& session, const VerbTransfer& transfer);

}  // namespace kld::cli
