#pragma once
// The figures of a timed transfer that need more than a clock: the time its bytes take on the
// line, read from the transfer log of debug mode, and the gaps in the event loop's turning.

#include <chrono>
#include <cstddef>
#include <string_view>
#include <vector>

namespace kld::bench {

// The bytes a transfer exchanged, both ways, split at the line's change of speed: the opening
// runs at 9600 baud, everything after the radio accepted the change at 115200.
struct WireBytes {
    std::size_t slow = 0;
    std::size_t fast = 0;

    std::size_t Total() const { return slow + fast; }
    // Ten bits a byte (start, eight data, stop): the shortest time the line could take.
    double Seconds() const;
};

// Counts the frames of a transfer log ("KLD-540.log"): each is the frame's text and the CR that
// ended it on the line. The log's own notes ("Receiving Memory Data....", "Transfer Complete.")
// never went over the line.
WireBytes CountWireBytes(std::string_view log);

// The intervals between the ticks of a timer that runs while the event loop turns: a long one
// means the loop was held up (the window could neither paint nor take a click meanwhile).
class GapMeter {
  public:
    using Clock = std::chrono::steady_clock;

    struct Gap {
        Clock::duration length{};
        Clock::duration end{};  // when it ended, from Start
    };

    void Start(Clock::time_point now);
    void Tick(Clock::time_point now);
    // The wait from the last tick to the end counts as well: a loop held up until the very end
    // never ticks again.
    void Stop(Clock::time_point now) { Tick(now); }

    // The `count` longest gaps, longest first (ties in the order they happened).
    std::vector<Gap> Longest(std::size_t count) const;
    std::size_t CountOver(Clock::duration limit) const;

  private:
    Clock::time_point start_{};
    Clock::time_point last_{};
    std::vector<Gap> gaps_;
};

}  // namespace kld::bench
