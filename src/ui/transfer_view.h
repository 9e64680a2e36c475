#pragma once

#include <QGroupBox>
#include <functional>

#include "transfer_host.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kld::ui {

class WindowTransferHost;

// "Data Transfer Progress" (TfrProgress): the bar, the status line and Cancel (Esc) that take the
// summary's place while a transfer runs, and the window's side of the transfer
// (WindowTransferHost).
class TransferView : public QGroupBox {
    Q_OBJECT
  public:
    explicit TransferView(QWidget* parent = nullptr);

    // Runs `transfer` with the window's transfer host; returns when it is over.
    void Run(const std::function<void(TransferHost&)>& transfer);
    bool Running() const { return host_ != nullptr; }
    // Asks the running transfer to stop: it tells the radio, closes the port and ends.
    void RequestCancel();

  signals:
    // A transfer starts (true) or ends (false): the window puts the frame in the summary's
    // place, and back.
    void RunningChanged(bool running);

  private:
    friend class WindowTransferHost;
    void ShowProgress(bool transferring);

    QProgressBar* TfrProgressBar = nullptr;
    QLabel* TfrStatus = nullptr;
    QPushButton* TfrCancel = nullptr;
    WindowTransferHost* host_ = nullptr;
};

}  // namespace kld::ui
