#include "cli_transfer_host.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <iostream>

#include "port_names.h"
#include "qt_serial_device.h"
#include "serial_device.h"

namespace kld::cli {

namespace {

constexpr std::size_t kBarWidth = 20;
constexpr std::size_t kLineWidth = 79;

}  // namespace

bool CliTransferHost::CancelRequested() {
    return InterruptGuard::Interrupted();
}

void CliTransferHost::ShowProgress(bool transferring) {
    if (!transferring) {
        BreakLine();
    }
    showing_ = transferring;
}

void CliTransferHost::SetStatus(std::string_view text) {
    // A new command starts a new wait; the seconds the engine appends do not.
    const auto base = [](std::string_view t) { return t.substr(0, t.find_last_of('.') + 1); };
    if (base(text) != base(status_) || text.size() == base(text).size()) {
        waitingSince_ = Now();
    }
    status_ = text;
    Redraw();
}

void CliTransferHost::SetProgress(int value) {
    value_ = value;
    Redraw();
}

void CliTransferHost::BreakLine() {
    if (onScreen_) {
        err_ << '\n';
        err_.flush();
        onScreen_ = false;
        drawnWidth_ = 0;
    }
}

void CliTransferHost::Redraw() {
    if (!draw_ || !showing_) {
        return;
    }
    const long waited =
        std::chrono::duration_cast<std::chrono::seconds>(Now() - waitingSince_).count();
    const std::string line = ProgressLine(status_, value_, waited);
    if (onScreen_ && line == drawn_) {
        return;
    }
    drawn_ = line;
    err_ << '\r' << line;
    if (line.size() < drawnWidth_) {
        err_ << std::string(drawnWidth_ - line.size(), ' ');  // wipe a longer line before it
    }
    err_.flush();
    drawnWidth_ = std::max(drawnWidth_, line.size());
    onScreen_ = true;
}

std::string ProgressLine(std::string_view status, int value, long waited) {
    const int moved = std::clamp(value, 0, kLastRecord);
    const std::size_t filled = static_cast<std::size_t>(moved) * kBarWidth / kLastRecord;
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') +
                       "] " + std::to_string(moved) + "/" + std::to_string(kLastRecord) + "  ";
    const std::size_t lastPoint = status.find_last_of('.');
    const bool counting =
        lastPoint != std::string_view::npos && lastPoint + 1 < status.size() &&
        status.find_first_not_of("0123456789", lastPoint + 1) == std::string_view::npos;
    if (counting) {
        line += status.substr(0, lastPoint + 1);
        line += "  " + std::to_string(std::max(waited, 1L)) + " s";
    } else {
        line += status;
    }
    if (line.size() > kLineWidth) {
        line.resize(kLineWidth);
    }
    return line;
}

Answer ProgressAwareOperator::Ask(const Message& message) {
    host_.BreakLine();
    return inner_.Ask(message);
}

namespace {

volatile std::sig_atomic_t interrupted = 0;
struct sigaction previousInt {};
struct sigaction previousTerm {};

extern "C" void OnInterrupt(int signal) {
    interrupted = 1;
    // The next one ends the program at once.
    ::signal(signal, SIG_DFL);
}

}  // namespace

InterruptGuard::InterruptGuard() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previousInt);
    ::sigaction(SIGTERM, &action, &previousTerm);
}

InterruptGuard::~InterruptGuard() {
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::sigaction(SIGTERM, &previousTerm, nullptr);
}

bool InterruptGuard::Interrupted() {
    return interrupted != 0;
}

std::optional<int> PortForVerb(const VerbArgs& args, const ChannelMemory& memory,
                               std::string& error) {
    const auto text = args.Option("--port");
    if (!text) {
        // The settings file's port; a fresh start has COM1.
        return memory.PortNumber > 0 ? memory.PortNumber : 1;
    }
    // Read as the window's port box reads it ("COM3", "com3", "3"); 0 names no port.
    const int number = PortNumberFromText(*text);
    if (number == 0) {
        error = "--port " + *text + ": give the port as COM<n> or a number, such as COM3 or 3";
        return std::nullopt;
    }
    return number;
}

int WithRadio(Session& session, const VerbArgs& args,
              const std::function<int(TransferContext&)>& work) {
    std::string error;
    const auto port = PortForVerb(args, session.memory, error);
    if (!port) {
        session.err << "kld540-cli: " << error << "\n";
        return kExitUsage;
    }
    // For this run only; the settings file keeps its port.
    session.memory.PortNumber = static_cast<std::int16_t>(*port);

    // The bar is for a person watching a terminal, not for a log or a test's captured stream.
    const bool drawProgress = &session.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    QtSerialDevice device;
    CliTransferHost host(session.err, drawProgress);
    ProgressAwareOperator op(session.op, host);
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::current_path(ec);
    if (ec) {
        folder = ".";
    }
    TransferContext context{session.memory, session.state, device, host, op, folder};
    const InterruptGuard guard;
    return work(context);
}

int TransferExitStatus(Session& session, Operator& op, const TransferResult& result) {
    if (result.failure) {
        op.Tell(result.failure->AsMessage());
    }
    if (!result.EndedNormally()) {
        return kExitFailed;
    }
    // Stopping at the warning ends the transfer as the window does, with "Transfer
    // Complete."; but nothing went out, and a script must not take it for a send.
    if (!PrintLine(session, kTransferComplete)) {
        return kExitFailed;
    }
    if (result.outcome == Outcome::WarningDeclined) {
        session.err << "Nothing was sent: the operating-mode warning was declined (--yes "
                       "sends anyway).\n";
        return kExitFailed;
    }
    return kExitOk;
}

int RunTransfer(Session& session, const VerbArgs& args, Direction direction) {
    return WithRadio(session, args, [&](TransferContext& context) {
        return TransferExitStatus(session, context.op, RadioTransfer(direction, context));
    });
}

void KeepBackup(Session& session, BackupKind kind) {
    const BackupResult backup = WriteBackup(session.memory, session.state, kind);
    if (backup) {
        session.err << "Backup: " << backup->string() << "\n";
    } else {
        session.err << backup.Error().message << ": " << backup.Error().detail << "\n";
    }
    session.err.flush();
}

}  // namespace kld::cli
