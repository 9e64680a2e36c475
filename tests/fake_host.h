#pragma once
// The transfer tests' and the transfer fuzz target's window stand-in.
#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "transfer_host.h"

namespace kld::test {

// A transfer host on a fake clock: pauses and waits without data move the clock instead of
// sleeping, so a 30-second time-out takes no real time. It records what the window would show.
class FakeHost : public TransferHost {
  public:
    std::chrono::steady_clock::time_point now{};
    std::vector<std::string> statuses, captions;
    std::vector<bool> shown;
    std::chrono::milliseconds paused{0};
    // The operator's stop button: asked while the transfer waits.
    std::function<bool()> cancelWhen = [] { return false; };

    std::chrono::steady_clock::time_point Now() override { return now; }
    std::tm LocalTime() override {  // 05-Mar-2021, 15:30:12
        std::tm t{};
        t.tm_year = 2021 - 1900, t.tm_mon = 2, t.tm_mday = 5;
        t.tm_hour = 15, t.tm_min = 30, t.tm_sec = 12;
        return t;
    }
    void Pause(std::chrono::milliseconds duration) override { paused += duration, now += duration; }
    // The in-process radio answers at once; when nothing came, nothing will until the bound.
    void WaitForData(SerialDevice&, std::chrono::milliseconds bound) override { now += bound; }
    void ShowProgress(bool transferring) override { shown.push_back(transferring); }
    void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
    void SetProgress(int) override {}
    void SetProgressCaption(std::string_view caption) override { captions.emplace_back(caption); }
    bool CancelRequested() override { return cancelWhen(); }
};

}  // namespace kld::test
