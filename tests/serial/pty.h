#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>
#include <utility>

namespace kld::test {

// A raw pseudo-terminal whose master side the test holds; the code under test opens the slave.
class Pty {
  public:
    Pty() : master_(::posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            slave_ = ::ptsname(master_);
            termios t = Settings();
            ::cfmakeraw(&t);
            ::tcsetattr(master_, TCSANOW, &t);
        }
    }
    ~Pty() { CloseMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& SlavePath() const { return slave_; }
    // The slave's line settings, as the kernel holds them.
    termios Settings() const {
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }
    bool Send(std::string_view bytes) const {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Up to `count` bytes from the slave's side, waiting at most `bound` for them.
    std::string Receive(std::size_t count, std::chrono::milliseconds bound) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + bound;
        char buffer[256];
        pollfd p{master_, POLLIN, 0};
        while (got.size() < count && std::chrono::steady_clock::now() < deadline &&
               ::poll(&p, 1, 10) >= 0) {
            const ssize_t n = p.revents != 0 ? ::read(master_, buffer, sizeof buffer) : 0;
            if (n < 0 || (n == 0 && p.revents != 0)) {
                break;
            }
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
    void CloseMaster() { ::close(std::exchange(master_, -1)); }  // no harm when already closed

  private:
    int master_;
    std::string slave_;
};

}  // namespace kld::test
