#pragma once

#include <QTimer>
#include <string_view>

#include "event_loop_host.h"

namespace kld::ui {

class MainWindow;

// The window's side of a transfer: the progress frame in place of the summary, the window
// disabled (and painted) meanwhile, the status text and the bar; the waits run the window's
// event loop (EventLoopTransferHost). Closing the window asks the transfer to stop.
//
// The bar is not drawn the moment a record is stored: QProgressBar paints itself at once on a new
// value, and that paint would sit between the radio's answer and the next request, a hundred
// times a transfer. The newest value is drawn by a timer instead, while the transfer waits for
// the radio; the last one always shows.
class WindowTransferHost : public EventLoopTransferHost {
  public:
    explicit WindowTransferHost(MainWindow& window);

    void ShowProgress(bool transferring) override;
    void SetStatus(std::string_view text) override;
    void SetProgress(int value) override;
    void SetProgressCaption(std::string_view caption) override;
    bool CancelRequested() override { return cancel_; }

    void RequestCancel() { cancel_ = true; }

  private:
    void ShowBar();

    MainWindow& window_;
    bool cancel_ = false;
    int progress_ = 0;
    QTimer barTimer_;
};

}  // namespace kld::ui
