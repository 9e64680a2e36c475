#include "repeated_transfer.h"

#include <algorithm>
#include <cstdio>

#include "codecs.h"

namespace kld {

int TransferTestResult::Completed() const {
    return static_cast<int>(
        std::count_if(rounds.begin(), rounds.end(), [](const auto& r) { return r.Complete(); }));
}

std::vector<int> TransferTestResult::FailedRounds() const {
    std::vector<int> failed;
    for (std::size_t k = 0; k < rounds.size(); ++k) {
        if (!rounds[k].Complete() && rounds[k].outcome != Outcome::Cancelled) {
            failed.push_back(static_cast<int>(k + 1));
        }
    }
    return failed;
}

std::vector<Failure> TransferTestResult::Failures() const {
    std::vector<Failure> failures;
    if (sync.failure) {
        failures.push_back(*sync.failure);
    }
    for (const TransferResult& round : rounds) {
        if (round.failure) {
            failures.push_back(*round.failure);
        }
    }
    return failures;
}

Message TransferTestSummary(const TransferTestResult& result, int n) {
    const auto of = [n](std::size_t k) { return std::to_string(k) + " of " + std::to_string(n); };
    std::string text = of(static_cast<std::size_t>(result.Completed())) + " sends completed.";
    if (!result.sync.Complete()) {
        text += "\n\nThe receive before the first send ended with: " + result.sync.Message();
    }
    const std::vector<int> failed = result.FailedRounds();
    if (!failed.empty()) {
        text += "\n\nFailed:";
        for (const int k : failed) {
            text += "\n    " + of(static_cast<std::size_t>(k)) + ": " +
                    result.rounds[static_cast<std::size_t>(k - 1)].Message();
        }
    }
    if (!result.rounds.empty() && result.rounds.back().outcome == Outcome::Cancelled) {
        text += "\n\nThe test was stopped during send " + of(result.rounds.size()) + ".";
    }
    const bool clean = result.sync.Complete() && result.Completed() == n;
    return {text, "Repeated Transfer Test", clean ? Icon::Information : Icon::Exclamation,
            Buttons::Ok};
}

TransferTestResult RunTransferTest(int n, TransferContext& context) {
    ChannelMemory& mem = context.memory;
    TransferHost& host = context.host;
    const auto setFrequencies = [&](int index, int base) {
        ChannelRecord& r = mem.Rec(index);
        r.RFrq = FormatFixed((index + base) / 100.0, 4);
        r.TFrq = r.RFrq;
    };

    TransferTestResult result;
    host.SetProgressCaption("Data Transfer Progress (syncing to radio)");
    result.sync = RadioTransfer(Direction::Receive, context);
    if (result.sync.outcome == Outcome::Cancelled) {
        host.SetProgressCaption("Data Transfer Progress");
        return result;
    }

    ClearMemory(mem);
    mem.ZoneCounts[0] = 0;
    int base = 15000;
    for (int i = kFirstChannel; i <= kLastOrdinaryChannel; ++i) {
        const int zone = (i - 1) / kMaxChannelsPerZone;
        const int position = (i - 1) % kMaxChannelsPerZone;
        ChannelRecord& r = mem.Rec(i);
        r.Chnl = r.Prim = static_cast<std::int16_t>(i);
        char desc[16];
        std::snprintf(desc, sizeof desc, "Z%02d/P%02d", zone + 1, position + 1);
        r.Desc = desc;
        r.Scan = ScanOfZone(zone);
        r.Mode = kModeNarrow;
        setFrequencies(i, base);
        r.Select = kSelDefined | kSelSend;
        ++mem.ZoneCounts[static_cast<std::size_t>(zone)];
    }
    for (int guard : {kGuard1, kGuard2}) {
        setFrequencies(guard, base);
        mem.Rec(guard).Select = kSelDefined | kSelSend;
    }

    context.state.PurgeMode = 1;
    for (int k = 1; k <= n; ++k) {
        host.SetProgressCaption("Data Transfer Progress (" + std::to_string(k) + " of " +
                                std::to_string(n) + ")");
        result.rounds.push_back(RadioTransfer(Direction::Send, context));
        context.state.PurgeMode = 0;
        base = base == 15000 ? 16000 : 15000;
        for (int i = kFirstChannel; i <= kLastRecord; ++i) {
            setFrequencies(i, base);
        }
        // A failed send does not stop a soak test; the operator stopping it does.
        if (result.rounds.back().outcome == Outcome::Cancelled) {
            break;
        }
    }
    host.SetProgressCaption("Data Transfer Progress");
    return result;
}

}  // namespace kld
