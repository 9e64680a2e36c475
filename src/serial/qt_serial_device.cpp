#include "qt_serial_device.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QSerialPort>

#include <charconv>
#include <clocale>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "port_names.h"

namespace kld {

namespace {

// QSerialPort's notifiers want a QCoreApplication. The command-line tool and the tests have none,
// so the first device makes one and keeps it for the rest of the run.
void EnsureCoreApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    static int argc = 1;
    static char name[] = "kld540";
    static char* argv[] = {name, nullptr};
    // Qt switches the C locale to the environment's; the rest of the program formats and parses
    // numbers with the "C" rules, so put back what was there.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    (void)application;
    std::setlocale(LC_ALL, locale.c_str());
}

// The devices this program holds open, resolved, so that a second open of the same device (under
// another COM number, or through a link) and a probe of it fail as "in use".
class HeldDevices {
  public:
    bool Contains(const std::string& device) {
        std::lock_guard lock(mutex_);
        return held_.count(device) != 0;
    }
    void Add(const std::string& device) {
        std::lock_guard lock(mutex_);
        held_.insert(device);
    }
    void Remove(const std::string& device) {
        std::lock_guard lock(mutex_);
        held_.erase(device);
    }

  private:
    std::mutex mutex_;
    std::set<std::string> held_;
};

HeldDevices& Held() {
    static HeldDevices held;
    return held;
}

std::string Resolved(const std::string& path) {
    std::error_code ec;
    const auto canonical = std::filesystem::canonical(path, ec);
    return ec ? path : canonical.string();
}

bool ParseNumber(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

QSerialPort::Parity QtParity(char parity) {
    switch (parity) {
        case 'E':
            return QSerialPort::EvenParity;
        case 'O':
            return QSerialPort::OddParity;
        default:
            return QSerialPort::NoParity;
    }
}

char ParityLetter(QSerialPort::Parity parity) {
    switch (parity) {
        case QSerialPort::EvenParity:
            return 'E';
        case QSerialPort::OddParity:
            return 'O';
        default:
            return 'N';
    }
}

}  // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text) {
    std::string_view fields[4];
    std::size_t count = 0;
    while (true) {
        const auto comma = text.find(',');
        if (count == 4) {
            return std::nullopt;  // a fifth field
        }
        fields[count++] = text.substr(0, comma);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    LineSettings settings;
    if (count != 4 || !ParseNumber(fields[0], settings.baud) || settings.baud <= 0 ||
        fields[1].size() != 1 || !ParseNumber(fields[2], settings.dataBits) ||
        !ParseNumber(fields[3], settings.stopBits)) {
        return std::nullopt;
    }
    settings.parity = fields[1][0];
    if (settings.parity != 'N' && settings.parity != 'E' && settings.parity != 'O') {
        return std::nullopt;
    }
    if (settings.dataBits < 5 || settings.dataBits > 8 ||
        (settings.stopBits != 1 && settings.stopBits != 2)) {
        return std::nullopt;
    }
    return settings;
}

QtSerialDevice::QtSerialDevice() {
    EnsureCoreApplication();
    port_ = std::make_unique<QSerialPort>();
    QObject::connect(port_.get(), &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) { OnError(error); });
    ApplySettings(settings_);
}

QtSerialDevice::~QtSerialDevice() {
    Close();
    // No error signal may reach this object while the port goes away.
    QObject::disconnect(port_.get(), nullptr, nullptr, nullptr);
}

void QtSerialDevice::SelectPort(int number) {
    number_ = number;
}

bool QtSerialDevice::SetLineSettings(std::string_view settings) {
    const auto parsed = ParseLineSettings(settings);
    if (!parsed) {
        return false;
    }
    settings_ = *parsed;
    return ApplySettings(settings_);
}

bool QtSerialDevice::ApplySettings(const LineSettings& settings) {
    // Each setter applies at once to an open port, and is kept for the next open otherwise.
    bool applied = port_->setBaudRate(settings.baud);
    applied = port_->setParity(QtParity(settings.parity)) && applied;
    applied = port_->setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) && applied;
    applied =
        port_->setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        applied;
    applied = port_->setFlowControl(QSerialPort::NoFlowControl) && applied;
    return applied;
}

void QtSerialDevice::SetBufferSizes(int receive, int /*transmit*/) {
    // Qt's write buffer grows as needed; only the receive side has a limit.
    port_->setReadBufferSize(receive);
}

std::string QtSerialDevice::DevicePath() const {
    return DeviceForPort(number_).value_or("");
}

LineSettings QtSerialDevice::PortSettings() const {
    return {port_->baudRate(), ParityLetter(port_->parity()), static_cast<int>(port_->dataBits()),
            port_->stopBits() == QSerialPort::TwoStop ? 2 : 1};
}

bool QtSerialDevice::Open() {
    if (IsOpen()) {
        return true;
    }
    failure_ = OpenFailure::None;
    systemReason_.clear();
    failed_ = false;

    openPath_ = DevicePath();
    if (openPath_.empty()) {
        failure_ = OpenFailure::NoDevice;
        return false;
    }
    const std::string device = Resolved(openPath_);
    if (Held().Contains(device)) {
        failure_ = OpenFailure::InUseHere;
        return false;
    }

    port_->setPortName(QString::fromLocal8Bit(openPath_.c_str()));
    ApplySettings(settings_);
    if (!port_->open(QIODevice::ReadWrite)) {
        systemReason_ = port_->errorString().toStdString();
        switch (port_->error()) {
            case QSerialPort::DeviceNotFoundError:
                failure_ = OpenFailure::NotFound;
                break;
            case QSerialPort::PermissionError:
                // Qt says the same for a device we may not use and one another program holds
                // (its lock file, or exclusive mode); only the former fails the access check.
                failure_ = ::access(openPath_.c_str(), R_OK | W_OK) == 0
                               ? OpenFailure::InUse
                               : OpenFailure::NoPermission;
                break;
            case QSerialPort::OpenError:
                failure_ = OpenFailure::InUseHere;
                break;
            default:
                failure_ = OpenFailure::Other;
                break;
        }
        return false;
    }
    heldDevice_ = device;
    Held().Add(heldDevice_);
    return true;
}

std::string QtSerialDevice::OpenFailureDetail() const {
    const std::string port = "COM" + std::to_string(number_);
    const std::string named = port + " (" + openPath_ + ")";
    const std::string reason = systemReason_.empty() ? "" : " (" + systemReason_ + ")";
    switch (failure_) {
        case OpenFailure::None:
            return {};
        case OpenFailure::NoDevice:
            return port +
                   " is not a port of this computer: COM1 to COM32 are /dev/ttyS0 to /dev/ttyS31, "
                   "COM33 to COM64 /dev/ttyUSB0 to /dev/ttyUSB31 and COM65 to COM96 /dev/ttyACM0 "
                   "to /dev/ttyACM31. Choose the port the programming cable is on.";
        case OpenFailure::NotFound:
            return named + " does not exist" + reason +
                   ". Check that the programming cable (or its USB adapter) is plugged in, and "
                   "choose the port it is on.";
        case OpenFailure::NoPermission:
            return "You may not use " + named + reason +
                   ". Ask for membership of the dialout group (sudo adduser $USER dialout), then "
                   "log out and log in again.";
        case OpenFailure::InUse:
            return named + " is held by another program" + reason +
                   ". Close the other program (a terminal or another copy of this program) and "
                   "try again.";
        case OpenFailure::InUseHere:
            return named + " is already open in this program.";
        case OpenFailure::Other:
            return named + " could not be opened" + reason + ".";
    }
    return {};
}

void QtSerialDevice::Close() {
    if (port_->isOpen()) {
        Release();
    }
}

void QtSerialDevice::Release() {
    port_->close();
    if (!heldDevice_.empty()) {
        Held().Remove(heldDevice_);
        heldDevice_.clear();
    }
}

bool QtSerialDevice::IsOpen() const {
    return port_->isOpen();
}

void QtSerialDevice::DiscardInput() {
    if (IsOpen()) {
        // Drops what the system has queued and what Qt has already taken into its buffer.
        port_->clear(QSerialPort::Input);
    }
}

bool QtSerialDevice::Write(std::string_view bytes) {
    if (!IsOpen()) {
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (port_->write(bytes.data(), size) != size) {
        return false;
    }
    // Without an event loop nothing would send what the system did not take at once.
    if (!port_->flush()) {
        return false;
    }
    while (IsOpen() && port_->bytesToWrite() > 0) {
        if (!port_->waitForBytesWritten(1000)) {
            return false;
        }
    }
    return IsOpen();
}

std::string QtSerialDevice::ReadAvailable() {
    if (!IsOpen()) {
        return {};
    }
    // Take in what the system has received; the window's event loop may not have done it yet,
    // and the command line has none.
    port_->waitForReadyRead(0);
    if (!IsOpen()) {
        return {};
    }
    const QByteArray data = port_->readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

void QtSerialDevice::WaitForData(std::chrono::milliseconds bound) {
    if (failed_) {
        return;  // the caller ends the transfer on Failed()
    }
    if (!IsOpen()) {
        std::this_thread::sleep_for(bound);
        return;
    }
    if (port_->bytesAvailable() > 0) {
        return;
    }
    port_->waitForReadyRead(static_cast<int>(bound.count()));
}

void QtSerialDevice::OnError(int error) {
    switch (static_cast<QSerialPort::SerialPortError>(error)) {
        case QSerialPort::ReadError:
        case QSerialPort::ResourceError:
            // The device has gone (cable pulled, the other end closed). Qt would report it again
            // and again while the port stays open, so close it now.
            if (!failed_ && port_->isOpen()) {
                failed_ = true;
                systemReason_ = port_->errorString().toStdString();
                Release();
            }
            break;
        default:
            // NoError comes with every clearError, TimeoutError with every wait that ran out,
            // and ptys refuse the modem-line calls with UnsupportedOperationError: none of them
            // means the line is gone. Open failures are read from error() by Open itself.
            break;
    }
}

bool PortAvailable(int number) {
    QtSerialDevice device;
    device.SetLineSettings("9600,N,8,1");
    device.SetBufferSizes(200, 200);
    device.SelectPort(number);
    if (!device.Open()) {
        return false;
    }
    device.Close();
    return true;
}

std::vector<PortEntry> FindCommPorts() {
    std::vector<PortEntry> ports;
    for (int number = kFirstPortNumber; number <= kLastPortNumber; ++number) {
        if (PortAvailable(number)) {
            ports.push_back({number, DeviceForPort(number).value_or("")});
        }
    }
    return ports;
}

}  // namespace kld
