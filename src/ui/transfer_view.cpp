#include "transfer_view.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <string_view>

#include "channel_memory.h"
#include "event_loop_host.h"
#include "qt_text.h"

namespace kld::ui {

// The window's side of a transfer: the progress frame, the status text and the bar; the waits
// run the window's event loop (EventLoopTransferHost). Closing the window asks the transfer to
// stop.
//
// The bar is not drawn the moment a record is stored: QProgressBar paints itself at once on a new
// value, and that paint would sit between the radio's answer and the next request, a hundred
// times a transfer. The newest value is drawn by a timer instead, while the transfer waits for
// the radio; the last one always shows.
class WindowTransferHost : public EventLoopTransferHost {
  public:
    explicit WindowTransferHost(TransferView& view) : view_(view) {
        barTimer_.setInterval(50);
        QObject::connect(&barTimer_, &QTimer::timeout, [this] { ShowBar(); });
    }

    void ShowProgress(bool transferring) override {
        if (transferring) {
            progress_ = 0;
            barTimer_.start();
        } else {
            barTimer_.stop();
            ShowBar();
        }
        view_.ShowProgress(transferring);
    }
    void SetStatus(std::string_view text) override { view_.TfrStatus->setText(ToQ(text)); }
    void SetProgress(int value) override {
        progress_ = value;  // drawn by the bar's timer
    }
    void SetProgressCaption(std::string_view caption) override { view_.setTitle(ToQ(caption)); }
    bool CancelRequested() override { return cancel_; }

    void RequestCancel() { cancel_ = true; }

  private:
    void ShowBar() {
        if (view_.TfrProgressBar->value() != progress_) {
            view_.TfrProgressBar->setValue(progress_);
        }
    }

    TransferView& view_;
    bool cancel_ = false;
    int progress_ = 0;
    QTimer barTimer_;
};

TransferView::TransferView(QWidget* parent)
    : QGroupBox(QStringLiteral("Data Transfer Progress"), parent) {
    setObjectName(QStringLiteral("TfrProgress"));
    TfrProgressBar = new QProgressBar;
    TfrProgressBar->setObjectName(QStringLiteral("TfrProgressBar"));
    TfrStatus = new QLabel(QStringLiteral("Status Message"));
    TfrStatus->setObjectName(QStringLiteral("TfrStatus"));
    // Stopping a transfer costs a click, not the radio's 30 seconds of silence: the engine looks
    // for the request between its waits, tells the radio and closes the port. Esc presses it
    // while the frame is on show, that is while a transfer runs.
    TfrCancel = new QPushButton(QStringLiteral("Cancel"));
    TfrCancel->setObjectName(QStringLiteral("TfrCancel"));
    TfrCancel->setShortcut(QKeySequence(Qt::Key_Escape));
    TfrCancel->setFocusPolicy(Qt::NoFocus);
    connect(TfrCancel, &QPushButton::clicked, this, &TransferView::RequestCancel);
    auto* progress = new QVBoxLayout(this);
    progress->addStretch();
    progress->addWidget(TfrProgressBar);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(TfrStatus, 1);
    statusRow->addWidget(TfrCancel);
    progress->addLayout(statusRow);
    progress->addStretch();
    TfrProgressBar->setRange(0, kLastRecord);
    hide();
}

void TransferView::Run(const std::function<void(TransferHost&)>& transfer) {
    WindowTransferHost host(*this);
    host_ = &host;
    transfer(host);
    host_ = nullptr;
}

void TransferView::RequestCancel() {
    if (host_ != nullptr) {
        host_->RequestCancel();
        TfrCancel->setEnabled(false);  // asked once; the transfer is ending
    }
}

void TransferView::ShowProgress(bool transferring) {
    if (transferring) {
        TfrProgressBar->setValue(0);
        TfrCancel->setEnabled(host_ == nullptr || !host_->CancelRequested());
    }
    emit RunningChanged(transferring);
}

}  // namespace kld::ui
