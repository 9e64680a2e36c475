#pragma once

#include <functional>
#include <string_view>

#include "event_loop_host.h"

namespace kld::ui {

class MainWindow;

// The window's side of a transfer: the progress frame in place of the summary, the window
// disabled (and painted) meanwhile, the status text and the bar; the waits run the window's
// event loop (EventLoopTransferHost). Closing the window asks the transfer to stop.
class WindowTransferHost : public EventLoopTransferHost {
  public:
    explicit WindowTransferHost(MainWindow& window) : window_(window) {}

    void ShowProgress(bool transferring) override;
    void SetStatus(std::string_view text) override;
    void SetProgress(int value) override;
    void SetProgressCaption(std::string_view caption) override;
    bool CancelRequested() override { return cancel_; }

    void RequestCancel() { cancel_ = true; }

  private:
    MainWindow& window_;
    bool cancel_ = false;
};

}  // namespace kld::ui
