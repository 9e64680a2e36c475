#include "transfer_figures.h"

#include <algorithm>

namespace kld::bench {

namespace {

// The speed change the program asks for, and the radio's plain acceptance.
constexpr std::string_view kSpeedChange = "T2060000320480";
constexpr std::string_view kAccepted = "T204000000";

bool IsFrame(std::string_view text) {
    if (text.size() < 2 || text.front() != 'T') {
        return false;
    }
    return std::all_of(text.begin() + 1, text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

}  // namespace

double WireBytes::Seconds() const {
    return static_cast<double>(slow) * 10.0 / 9600.0 + static_cast<double>(fast) * 10.0 / 115200.0;
}

WireBytes CountWireBytes(std::string_view log) {
    // Sent frames are logged with CR LF, received ones as they came (CR) with LF, and the end
    // frame with its CR alone before the closing note: any run of CR and LF separates them.
    WireBytes bytes;
    bool speedAsked = false;
    bool fast = false;
    while (!log.empty()) {
        const std::size_t end = std::min(log.find_first_of("\r\n"), log.size());
        const std::string_view text = log.substr(0, end);
        log.remove_prefix(end);
        log.remove_prefix(std::min(log.find_first_not_of("\r\n"), log.size()));
        if (!IsFrame(text)) {
            continue;
        }
        (fast ? bytes.fast : bytes.slow) += text.size() + 1;
        // The answer to the speed change still comes at 9600; only its acceptance changes the
        // speed (a refusal leaves the line as it was, and the request may come again).
        if (speedAsked) {
            fast = fast || text.starts_with(kAccepted);
            speedAsked = false;
        } else if (!fast && text.starts_with(kSpeedChange)) {
            speedAsked = true;
        }
    }
    return bytes;
}

void GapMeter::Start(Clock::time_point now) {
    start_ = now;
    last_ = now;
    gaps_.clear();
}

void GapMeter::Tick(Clock::time_point now) {
    gaps_.push_back({now - last_, now - start_});
    last_ = now;
}

std::vector<GapMeter::Gap> GapMeter::Longest(std::size_t count) const {
    std::vector<Gap> longest = gaps_;
    std::stable_sort(longest.begin(), longest.end(),
                     [](const Gap& a, const Gap& b) { return a.length > b.length; });
    longest.resize(std::min(count, longest.size()));
    return longest;
}

std::size_t GapMeter::CountOver(Clock::duration limit) const {
    return static_cast<std::size_t>(std::count_if(
        gaps_.begin(), gaps_.end(), [limit](const Gap& gap) { return gap.length > limit; }));
}

}  // namespace kld::bench
