#include "cli_transfer_host.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <limits>
#include <thread>

#include "port_names.h"
#include "qt_serial_device.h"
#include "serial_device.h"

namespace kld::cli {

namespace {

constexpr std::size_t kBarWidth = 20;
constexpr std::size_t kLineWidth = 79;

}  // namespace

std::chrono::steady_clock::time_point CliTransferHost::Now() {
    return std::chrono::steady_clock::now();
}

std::tm CliTransferHost::LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

void CliTransferHost::Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

void CliTransferHost::WaitForData(SerialDevice& device, std::chrono::milliseconds bound) {
    // No window to keep alive: block on the line itself.
    device.WaitForData(bound);
}

void CliTransferHost::ShowProgress(bool transferring) {
    if (!transferring) {
        BreakLine();
    }
    showing_ = transferring;
}

void CliTransferHost::SetStatus(std::string_view text) {
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
    const std::string line = ProgressLine(status_, value_);
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

std::string ProgressLine(std::string_view status, int value) {
    const int moved = std::clamp(value, 0, kLastRecord);
    const std::size_t filled = static_cast<std::size_t>(moved) * kBarWidth / kLastRecord;
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') +
                       "] " + std::to_string(moved) + "/" + std::to_string(kLastRecord) + "  ";
    line += status;
    if (line.size() > kLineWidth) {
        line.resize(kLineWidth);
    }
    return line;
}

Answer ProgressAwareOperator::Ask(const Message& message) {
    host_.BreakLine();
    const Answer answer = inner_.Ask(message);
    if (message.buttons == Buttons::OkCancel && answer == Answer::Cancel) {
        declined_ = true;
    }
    return answer;
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

int RunTransfer(Session& session, const VerbArgs& args, Direction direction) {
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

    const TransferResult result = RadioTransfer(direction, context);
    if (!result.detail.empty()) {
        session.err << result.detail << "\n";
        session.err.flush();
    }
    if (!result.Complete()) {
        return kExitFailed;
    }
    if (direction == Direction::Send && op.Declined()) {
        // Stopping at the warning ends the transfer as complete, as the window does; say
        // plainly that no channel went out.
        session.err << "Nothing was sent: the operating-mode warning was declined (--yes "
                       "sends anyway).\n";
    }
    session.out << kTransferComplete << "\n";
    session.out.flush();
    return kExitOk;
}

}  // namespace kld::cli
