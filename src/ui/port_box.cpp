#include "port_box.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <memory>
#include <vector>

#include "document.h"
#include "port_names.h"
#include "qt_serial_device.h"
#include "qt_text.h"
#include "quiet.h"
#include "settings_file.h"

namespace kld::ui {

namespace {

Message InvalidPortMessage(std::string why) {
    return {"Invalid COMM port", "", Icon::None, Buttons::Ok, std::move(why)};
}

QString PortText(int number) {
    return QStringLiteral("COM%1").arg(number);
}

}  // namespace

PortBox::PortBox(Document& document, Operator& op, std::filesystem::path folder, QWidget* parent)
    : QComboBox(parent), document_(document), op_(op), folder_(std::move(folder)) {
    setObjectName(QStringLiteral("CommPort"));
    setEditable(true);
    // Typed text is checked as a port number, never kept as an entry of the list: the list holds
    // the ports found, each with its number as the entry's data.
    setInsertPolicy(QComboBox::NoInsert);
    setAccessibleName(QStringLiteral("COM Port"));
    // Wide enough for "COM33  /dev/ttyUSB0"; the list arriving later does not resize the window.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(19);

    // An entry picked from the list names its port by the number before the device; Enter
    // checks what was typed at once, as leaving the box would.
    connect(this, &QComboBox::activated, this, [this](int index) {
        setEditText(PortText(itemData(index).toInt()));
        CheckPort();
    });
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] { CheckPort(); });
}

PortBox::~PortBox() {
    if (search_ != nullptr) {
        search_->wait();
    }
}

void PortBox::ShowPortInUse() {
    setEditText(PortText(document_.Memory().PortNumber));
}

void PortBox::StartSearch() {
    if (search_ != nullptr) {
        return;
    }
    // Trying every port takes most of a second where serial devices exist but answer slowly, so
    // it runs beside the window: the box keeps the port from the settings file meanwhile, and
    // the list is there by the time an operator opens it.
    auto found = std::make_shared<std::vector<PortEntry>>();
    search_ = QThread::create([found] { *found = FindOpenablePorts(); });
    search_->setParent(this);  // the destructor waits for it first
    connect(search_, &QThread::finished, this, [this, found] {
        {
            const QString text = currentText();
            const Quiet quiet{this};
            clear();
            // The adapter's maker, model and serial number tell two cables apart; the entry's
            // data stays the port's number, which is all the check and KLD540.ini use.
            for (const PortEntry& port : *found) {
                const std::string adapter = port.AdapterText();
                addItem(QStringLiteral("COM%1  %2").arg(port.number).arg(FromSystem(port.device)) +
                            (adapter.empty() ? QString() : "  " + FromSystem(adapter)),
                        port.number);
            }
            setEditText(text);
            // The list may be wider than the box; it opens wide enough to show each entry whole.
            view()->setMinimumWidth(view()->sizeHintForColumn(0) +
                                    style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        }
        emit PortsFound();
    });
    search_->start();
}

void PortBox::WaitForSearch() {
    // Usually long over; otherwise a fraction of a second, painted but deaf to the operator.
    while (search_ != nullptr && !search_->wait(QDeadlineTimer(20))) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void PortBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    const auto reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !held_) {
        QTimer::singleShot(0, this, [this] { CheckPort(); });
    }
}

bool PortBox::UsePort(int number) {
    setEditText(PortText(number));
    return CheckPort();
}

bool PortBox::CheckPort() {
    if (document_.Busy()) {
        return false;
    }
    const int number = PortNumberFromText(FromQ(currentText()));
    if (number == document_.Memory().PortNumber && number > 0) {
        setEditText(PortText(number));
        return true;  // the port in use, already kept
    }
    WaitForSearch();
    const std::optional<std::string> why =
        number > 0 ? WhyPortWillNotOpen(number)
                   : "\"" + FromQ(currentText()) +
                         "\" names no port. Type COM and the port's number (COM1 to "
                         "COM99), or pick a port from the list.";
    if (why) {
        op_.Tell(InvalidPortMessage(*why));
        ShowPortInUse();
        return false;
    }
    setEditText(PortText(number));
    const bool kept = document_.KeepSetting([&](ChannelMemory& memory, const ProgramState& state) {
        return !SaveSettings(static_cast<std::int16_t>(number), memory, state,
                             folder_ / kSettingsFileName);
    });
    if (!kept) {
        emit StatusMessage(QStringLiteral("COM%1 is in use for this run; KLD540.ini cannot be "
                                          "written, so the next start will not remember it.")
                               .arg(number));
    }
    return true;
}

}  // namespace kld::ui
