#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

#include "transfer_figures.h"

namespace kld::bench {
namespace {

using namespace std::chrono_literals;

const std::string kRefused = "T204000001FA\r\n", kAccepted = "T204000000FB\r\n",
                  kSpeedChange = "T206000032048043\r\n";
// The opening of a level 2 radio as the log holds it, all at 9600 (the speed change is accepted
// at the old speed): sent lines end in CR LF, received ones in CR and then LF.
const std::string kOpening = "T007000020020600D0\r\n" + kRefused + "T007000021020600CF\r\n" +
                             kAccepted + kSpeedChange + kAccepted;
constexpr std::size_t kOpeningBytes = 19 + 13 + 19 + 13 + 17 + 13;

// Each frame counts with its CR on the line, at the speed the line ran at: ten bits a byte.
TEST(TransferFiguresTest, CountsFramesOnEachSideOfTheSpeedChange) {
    const std::tuple<const char*, std::string, std::size_t, std::size_t> rows[] = {
        {"empty log", "", 0, 0},
        {"frames after the acceptance are fast", kOpening + "T204000033C8\r\nT2050000337057\r\n",
         kOpeningBytes, 13 + 15},
        {"notes never went over the line",
         kOpening + "Receiving Memory Data....\r\n" + kAccepted +
             "T9030000FC\r\nTransfer Complete.\n",
         kOpeningBytes, 13 + 11},
        {"the end frame's CR alone before the closing note",
         kOpening + "T9030000FC\rTransfer Complete.\n", kOpeningBytes, 11},
        {"a refused speed change leaves the line slow",
         kSpeedChange + kRefused + kAccepted + kAccepted, 17 + 13 + 13 + 13, 0},
        {"the speed change asked again and accepted",
         kSpeedChange + kRefused + kSpeedChange + kAccepted + kAccepted, 17 + 13 + 17 + 13, 13},
        {"garbage and timeouts are not frames",
         kOpening + "<Timeout>\r\nxyz\r\nT20400000G\r\n" + kAccepted, kOpeningBytes, 13},
    };
    for (const auto& [name, log, slow, fast] : rows) {
        const WireBytes bytes = CountWireBytes(log);
        EXPECT_EQ(std::pair(bytes.slow, bytes.fast), std::pair(slow, fast)) << name;
    }
    EXPECT_DOUBLE_EQ((WireBytes{96, 1152}.Seconds()), 0.1 + 0.1);
    EXPECT_EQ((WireBytes{96, 1152}.Total()), 1248u);
}

// Gaps count from the start and to the stop; equal gaps keep the order they happened in.
TEST(TransferFiguresTest, LongestGaps) {
    const GapMeter::Clock::time_point t0{1000s};
    using Gaps = std::vector<std::pair<GapMeter::Clock::duration, GapMeter::Clock::duration>>;
    const auto longest = [](const GapMeter& meter, std::size_t count) {
        Gaps gaps;  // length, end
        for (const GapMeter::Gap& gap : meter.Longest(count)) {
            gaps.emplace_back(gap.length, gap.end);
        }
        return gaps;
    };
    GapMeter meter;
    meter.Start(t0 - 5s);
    meter.Tick(t0 - 1s);  // an earlier run's tick, forgotten by the next Start
    meter.Start(t0);
    for (auto at : {20ms, 25ms, 30ms, 60ms, 65ms}) {
        meter.Tick(t0 + at);
    }
    meter.Stop(t0 + 120ms);  // held up from the last tick to the end
    EXPECT_EQ(longest(meter, 3), (Gaps{{55ms, 120ms}, {30ms, 60ms}, {20ms, 20ms}}));
    EXPECT_EQ(longest(meter, 10).size(), 6u);
    EXPECT_EQ(meter.CountOver(30ms), 1u);  // over, not at
    EXPECT_EQ(meter.CountOver(4ms), 6u);
    meter.Start(t0), meter.Tick(t0 + 5ms), meter.Tick(t0 + 10ms), meter.Tick(t0 + 15ms);
    EXPECT_EQ(longest(meter, 2), (Gaps{{5ms, 5ms}, {5ms, 10ms}}));
    EXPECT_TRUE(GapMeter{}.Longest(3).empty());
}

}  // namespace
}  // namespace kld::bench
