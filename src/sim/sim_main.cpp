// kvrx540-sim: the simulated KVRX-540 on a pseudo-terminal, linked as $KLD540_PORTS_DIR/COM<n>,
// so that the program (or a technician with a terminal) can talk to it like to a radio on a
// serial port. Serves until SIGINT or SIGTERM, then removes the link.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "sim_options.h"
#include "sim_radio.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using kld::sim::SimOptions;
using kld::sim::SimRadio;

int signalPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto n = write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool InstallSignals() {
    if (pipe(signalPipe) != 0) {
        return false;
    }
    fcntl(signalPipe[0], F_SETFL, O_NONBLOCK);
    fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

// Raw 8-bit line without echo or any character processing, as a radio's UART sees it.
void MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return;
    }
    tio.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    tio.c_cflag |= CS8;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &tio);
}

struct Pty {
    int master = -1;
    int slave = -1;  // kept open so the line stays up while the program has the port closed
    std::string slavePath;
};

bool OpenPty(Pty& pty, std::string& error) {
    pty.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(pty.master);
    if (name == nullptr) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    pty.slavePath = name;
    pty.slave = open(name, O_RDWR | O_NOCTTY);
    if (pty.slave < 0) {
        error = "cannot open " + pty.slavePath + ": " + std::strerror(errno);
        return false;
    }
    MakeRaw(pty.slave);
    fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    return true;
}

bool MakeLink(const fs::path& link, const std::string& target, std::string& error) {
    std::error_code ec;
    fs::create_directories(link.parent_path(), ec);
    // A link left behind by a simulator that was killed is replaced; anything else is not ours.
    if (fs::is_symlink(fs::symlink_status(link, ec))) {
        fs::remove(link, ec);
    }
    fs::create_symlink(target, link, ec);
    if (ec) {
        error = "cannot create " + link.string() + ": " + ec.message();
        return false;
    }
    return true;
}

std::string Shown(std::string_view bytes) {
    std::string text;
    for (const char ch : bytes) {
        if (ch == '\r') {
            text += "\\r";
        } else if (static_cast<unsigned char>(ch) < 32 || static_cast<unsigned char>(ch) > 126) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(ch));
            text += hex;
        } else {
            text += ch;
        }
    }
    return text;
}

// Answers wait until the line would have carried them: the program's bytes at the rate the
// radio listens at, then the answer at the rate it goes out at, 10 bits a byte.
class Line {
  public:
    explicit Line(bool pace) : pace_(pace) {}

    // Bytes that arrived now; returns when the last of them has been heard.
    Clock::time_point Heard(std::size_t count, int rate) {
        const auto now = Clock::now();
        if (!pace_) {
            return now;
        }
        rxFree_ = std::max(now, rxFree_) + Duration(count, rate);
        return rxFree_;
    }

    void Queue(std::string bytes, int rate, Clock::time_point ready) {
        if (pace_) {
            txFree_ = std::max(ready, txFree_) + Duration(bytes.size(), rate);
            ready = txFree_;
        }
        pending_.push_back({ready, std::move(bytes)});
    }

    // Time until the next answer is due; none when nothing waits. Kept to the nanosecond:
    // rounding up to whole milliseconds would add up to a millisecond to every exchange.
    std::optional<timespec> Timeout() const {
        if (!unsent_.empty() || pending_.empty()) {
            return std::nullopt;  // poll waits for the line to drain, or for the program
        }
        const auto left = std::max(Clock::duration::zero(), pending_.front().due - Clock::now());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    }

    bool Blocked() const { return !unsent_.empty(); }

    // Writes what is due (or everything); false when the master is gone.
    bool Flush(int fd, bool everything, bool quiet) {
        const auto now = Clock::now();
        while (unsent_.empty() && !pending_.empty() &&
               (everything || pending_.front().due <= now)) {
            if (!quiet) {
                std::cerr << "radio:   " << Shown(pending_.front().bytes) << '\n';
            }
            unsent_ = std::move(pending_.front().bytes);
            pending_.pop_front();
            if (!WriteSome(fd)) {
                return false;
            }
        }
        return unsent_.empty() || WriteSome(fd);
    }

  private:
    struct Pending {
        Clock::time_point due;
        std::string bytes;
    };

    static Clock::duration Duration(std::size_t count, int rate) {
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(count) * 10.0 / rate));
    }

    bool WriteSome(int fd) {
        while (!unsent_.empty()) {
            const ssize_t n = write(fd, unsent_.data(), unsent_.size());
            if (n > 0) {
                unsent_.erase(0, static_cast<std::size_t>(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return true;
            } else {
                return false;
            }
        }
        return true;
    }

    bool pace_;
    Clock::time_point rxFree_{};
    Clock::time_point txFree_{};
    std::deque<Pending> pending_;
    std::string unsent_;
};

int Serve(const SimOptions& options) {
    fs::path portsDir = options.portsDir;
    if (portsDir.empty()) {
        const char* env = std::getenv("KLD540_PORTS_DIR");
        if (env == nullptr || *env == '\0') {
            std::cerr << "kvrx540-sim: set KLD540_PORTS_DIR or give --ports-dir\n";
            return 2;
        }
        portsDir = env;
    }

    SimRadio radio(options.config);
    std::string error;
    if (!options.load.empty() && !radio.LoadFile(options.load, error)) {
        std::cerr << "kvrx540-sim: " << error << '\n';
        return 1;
    }

    Pty pty;
    const fs::path link = portsDir / ("COM" + std::to_string(options.port));
    if (!InstallSignals() || !OpenPty(pty, error) || !MakeLink(link, pty.slavePath, error)) {
        std::cerr << "kvrx540-sim: " << (error.empty() ? "cannot set up signals" : error) << '\n';
        return 1;
    }
    std::cout << "ready COM" << options.port << ' ' << pty.slavePath << std::endl;

    const auto save = [&] {
        if (!options.save.empty() && !radio.SaveFile(options.save)) {
            std::cerr << "kvrx540-sim: cannot save " << options.save.string() << '\n';
        }
    };

    Line line(options.pace);
    int sends = radio.CompletedSends();
    int status = 0;
    for (;;) {
        if (radio.Vanished()) {
            // Pulled from the socket: what was said goes out, then the device is gone.
            line.Flush(pty.master, true, options.quiet);
            // A moment for the program to read it: a closed master drops what it still holds.
            poll(nullptr, 0, 200);
            if (!options.quiet) {
                std::cerr << "kvrx540-sim: the device vanishes\n";
            }
            close(pty.master);
            close(pty.slave);
            std::error_code ec;
            fs::remove(link, ec);
            save();
            return 0;
        }
        pollfd fds[2] = {
            {pty.master, static_cast<short>(POLLIN | (line.Blocked() ? POLLOUT : 0)), 0},
            {signalPipe[0], POLLIN, 0}};
        const auto timeout = line.Timeout();
        const int ready = ppoll(fds, 2, timeout ? &*timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::cerr << "kvrx540-sim: poll: " << std::strerror(errno) << '\n';
            status = 1;
            break;
        }
        if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
            break;
        }
        if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[4096];
            const ssize_t n = read(pty.master, buffer, sizeof buffer);
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                std::cerr << "kvrx540-sim: read: " << std::strerror(errno) << '\n';
                status = 1;
                break;
            }
            if (n > 0) {
                const std::string_view bytes(buffer, static_cast<std::size_t>(n));
                if (!options.quiet) {
                    std::cerr << "program: " << Shown(bytes) << '\n';
                }
                const auto heard = line.Heard(bytes.size(), radio.LineRate());
                radio.Receive(bytes);
                for (auto& burst : radio.TakeBursts()) {
                    line.Queue(std::move(burst.bytes), burst.rate, heard);
                }
                if (radio.CompletedSends() != sends) {
                    sends = radio.CompletedSends();
                    save();
                }
            }
        }
        if (!line.Flush(pty.master, false, options.quiet)) {
            std::cerr << "kvrx540-sim: write: " << std::strerror(errno) << '\n';
            status = 1;
            break;
        }
    }

    std::error_code ec;
    fs::remove(link, ec);
    close(pty.master);
    close(pty.slave);
    save();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!kld::sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options,
                                   error)) {
        std::cerr << "kvrx540-sim: " << error << '\n' << kld::sim::SimUsage();
        return 2;
    }
    if (options.help) {
        std::cout << kld::sim::SimUsage();
        return 0;
    }
    return Serve(options);
}
