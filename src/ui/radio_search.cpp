#include "radio_search.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <memory>

#include "document.h"
#include "port_box.h"
#include "qt_text.h"

namespace kld::ui {

namespace {

Message FindMessage(std::string text, std::string detail) {
    return {std::move(text), "Find Radio", Icon::Information, Buttons::Ok, std::move(detail)};
}

// What the search has learnt, handed from its thread to the window's.
struct SearchResult {
    std::vector<PortEntry> asked;
    std::vector<FoundRadio> found;
};

}  // namespace

RadioSearch::RadioSearch(Document& document, Operator& op, PortBox& portBox, QPushButton& button,
                         std::function<bool()> transferring, QWidget* window)
    : QObject(window),
      document_(document),
      op_(op),
      portBox_(portBox),
      button_(button),
      transferring_(std::move(transferring)),
      window_(window) {}

RadioSearch::~RadioSearch() {
    if (search_ != nullptr) {
        search_->wait();
    }
}

void RadioSearch::Find() {
    if (search_ != nullptr || document_.Busy() || transferring_()) {
        return;
    }
    // The port box's own search opens every port in turn; two at once would find each other's.
    portBox_.WaitForSearch();
    button_.setEnabled(false);
    emit StatusMessage(QStringLiteral("Looking for the serial ports..."));
    auto result = std::make_shared<SearchResult>();
    const ProgramVersion version = document_.State().Version;
    search_ = QThread::create([this, result, version] {
        result->asked = FindOpenablePorts();
        const auto count = static_cast<int>(result->asked.size());
        QMetaObject::invokeMethod(
            this,
            [this, count] {
                emit StatusMessage(
                    count == 1 ? QStringLiteral("Looking for a radio on 1 port...")
                               : QStringLiteral("Looking for radios on %1 ports...").arg(count));
            },
            Qt::QueuedConnection);
        result->found = FindRadios(result->asked, kFindAnswerLimit, version);
    });
    search_->setParent(this);  // the destructor waits for it first
    connect(search_, &QThread::finished, this, [this, result] {
        search_->deleteLater();
        search_ = nullptr;
        button_.setEnabled(true);
        Conclude(result->asked, result->found);
        emit Ended();
    });
    search_->start();
}

void RadioSearch::WaitForEnd() {
    // At most the answer limit and a little more, painted but deaf to the operator.
    while (search_ != nullptr && !search_->wait(QDeadlineTimer(20))) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    // Its end is dealt with now, so the port it finds is in use before the transfer opens one.
    endingForTransfer_ = true;
    QCoreApplication::sendPostedEvents(this);
    endingForTransfer_ = false;
}

void RadioSearch::Conclude(const std::vector<PortEntry>& asked,
                           const std::vector<FoundRadio>& found) {
    if (asked.empty() || found.empty()) {
        const Failure failure = asked.empty() ? NoPortFailure() : NoRadioFailure(asked);
        emit StatusMessage(FromSystem(failure.message));
        op_.Tell(FindMessage(failure.message, failure.detail));
        return;
    }
    std::size_t chosen = 0;
    if (found.size() > 1 && endingForTransfer_) {
        emit StatusMessage(QStringLiteral("%1 radios answered; the port in use is as it was. Press "
                                          "Find Radio again to choose one.")
                               .arg(found.size()));
        return;
    }
    if (found.size() > 1) {
        QStringList lines;
        for (const FoundRadio& radio : found) {
            lines << FromSystem(FoundRadioLine(radio));
        }
        emit StatusMessage(QStringLiteral("%1 radios answered.").arg(found.size()));
        QInputDialog pick(window_);
        pick.setObjectName(QStringLiteral("FoundRadios"));
        pick.setWindowTitle(QStringLiteral("Find Radio"));
        pick.setLabelText(
            QStringLiteral("%1 radios answered. Which one do you want to use?").arg(found.size()));
        pick.setComboBoxItems(lines);
        pick.setComboBoxEditable(false);
        if (pick.exec() != QDialog::Accepted) {
            emit StatusMessage(QStringLiteral("The port in use is as it was."));
            return;
        }
        chosen = static_cast<std::size_t>(std::max<qsizetype>(0, lines.indexOf(pick.textValue())));
    }
    const FoundRadio& radio = found[chosen];
    const std::string& version = radio.identity.version;
    emit StatusMessage(QStringLiteral("Radio found on COM%1%2")
                           .arg(radio.port.number)
                           .arg(version.empty()
                                    ? QStringLiteral(".")
                                    : QStringLiteral(" (version %1).").arg(FromSystem(version))));
    // Checked and kept as a port typed in the box is; a warning from there follows this line.
    portBox_.UsePort(radio.port.number);
}

}  // namespace kld::ui
