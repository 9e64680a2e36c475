#include "qt_serial_device.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "port_names.h"

namespace kld {

namespace {

// Whether waits can run a local event loop: there is an application object and this is its
// thread. A window's thread then keeps painting and its timers keep firing while the transfer
// waits. Elsewhere (a worker thread, a program without an application object) the waits block
// in the port's own waitFor functions, which cost no processor time either.
bool OnEventLoopThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

// Runs a local event loop until one of the port's signals or the bound, whichever comes first.
template <typename... Signals>
void WaitInEventLoop(QSerialPort& port, std::chrono::milliseconds bound, Signals... wakeOn) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    (QObject::connect(&port, wakeOn, &loop, &QEventLoop::quit), ...);
    QObject::connect(&port, &QSerialPort::errorOccurred, &loop,
                     [&loop](QSerialPort::SerialPortError error) {
                         if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError &&
                             error != QSerialPort::UnsupportedOperationError) {
                             loop.quit();
                         }
                     });
    timer.start(static_cast<int>(bound.count()));
    loop.exec();
}

void Nap(std::chrono::milliseconds duration) {
    if (OnEventLoopThread()) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(duration.count()), &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        std::this_thread::sleep_for(duration);
    }
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
    if (IsOpen()) {
        // The speed must not change under bytes still on their way out.
        Drain(kCloseDrain);
    }
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
            if (const auto folder = PortsFolder()) {
                return port + " is not among the ports in " + folder->string() + " (" +
                       kPortsDirVariable + " names that folder). Choose one of its ports.";
            }
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
        // Closing puts back the line settings the port had when it was opened, at once: what is
        // still on its way out must leave first, at the speed it was written for.
        if (!failed_) {
            Drain(kCloseDrain);
        }
        Release();
    }
}

void QtSerialDevice::CloseIfFailed() {
    if (failed_ && port_->isOpen()) {
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
    CloseIfFailed();
    if (IsOpen()) {
        // Drops what the system has queued and what Qt has already taken into its buffer.
        port_->clear(QSerialPort::Input);
    }
}

bool QtSerialDevice::Write(std::string_view bytes) {
    CloseIfFailed();
    if (!IsOpen()) {
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (port_->write(bytes.data(), size) != size) {
        return false;
    }
    // Hand the bytes to the system now; what it cannot take at once follows as the line takes
    // it, within a bound.
    port_->flush();
    return WaitForQtBuffer(kWriteLimit) && IsOpen() && !failed_;
}

bool QtSerialDevice::WaitForQtBuffer(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (IsOpen() && !failed_ && port_->bytesToWrite() > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            return false;
        }
        if (OnEventLoopThread()) {
            WaitInEventLoop(*port_, left, &QSerialPort::bytesWritten);
        } else if (!port_->waitForBytesWritten(static_cast<int>(left.count()))) {
            return false;
        }
    }
    return IsOpen() && !failed_ && port_->bytesToWrite() == 0;
}

bool QtSerialDevice::Drain(std::chrono::milliseconds bound) {
    CloseIfFailed();
    if (!IsOpen()) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + bound;
    if (!WaitForQtBuffer(bound)) {
        return false;
    }
    // Then the system's output queue. tcdrain waits without a bound (a stalled adapter would
    // hang the program), so it only runs once the queue is empty and just the adapter's last
    // bytes are left.
    const int fd = static_cast<int>(port_->handle());
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        Nap(std::chrono::milliseconds(5));
        if (!IsOpen() || failed_) {
            return false;
        }
    }
    return ::tcdrain(fd) == 0 || errno == ENOTTY || errno == EINVAL;
}

std::string QtSerialDevice::ReadAvailable() {
    CloseIfFailed();
    if (!IsOpen()) {
        return {};
    }
    // Take in what the system has received now (a look, not a wait): the event loop may not
    // have run since it came, and a thread without one never runs it.
    port_->waitForReadyRead(0);
    CloseIfFailed();
    if (!IsOpen()) {
        return {};
    }
    const QByteArray data = port_->readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

void QtSerialDevice::WaitForData(std::chrono::milliseconds bound) {
    CloseIfFailed();
    if (failed_) {
        return;  // the caller ends the transfer on Failed()
    }
    if (!IsOpen()) {
        Nap(bound);
        return;
    }
    if (port_->bytesAvailable() > 0) {
        return;  // readyRead will not come again for bytes already taken in
    }
    if (OnEventLoopThread()) {
        WaitInEventLoop(*port_, bound, &QSerialPort::readyRead);
    } else {
        port_->waitForReadyRead(static_cast<int>(bound.count()));
    }
    CloseIfFailed();
}

void QtSerialDevice::OnError(int error) {
    switch (static_cast<QSerialPort::SerialPortError>(error)) {
        case QSerialPort::ReadError:
        case QSerialPort::ResourceError:
            // The device has gone (cable pulled, the other end closed). Qt would report it again
            // and again while the port stays open, but it must not be closed inside Qt's own
            // error handling (the port's notifiers are being torn down there): note it, and the
            // next call closes it.
            if (!failed_ && port_->isOpen()) {
                failed_ = true;
                systemReason_ = port_->errorString().toStdString();
            }
            break;
        default:
            // NoError comes with every clearError, TimeoutError with every wait that ran out,
            // and ptys refuse the modem-line calls with UnsupportedOperationError: none of them
            // means the line is gone. Open failures are read from error() by Open itself.
            break;
    }
}

std::optional<std::string> WhyPortWillNotOpen(int number) {
    QtSerialDevice device;
    device.SetLineSettings("9600,N,8,1");
    device.SetBufferSizes(200, 200);
    device.SelectPort(number);
    if (!device.Open()) {
        return device.OpenFailureDetail();
    }
    device.Close();
    return std::nullopt;
}

bool PortCanBeOpened(int number) {
    return !WhyPortWillNotOpen(number);
}

std::string PortEntry::AdapterText() const {
    std::string text;
    for (const std::string& part : {maker, description}) {
        if (!part.empty() && text.find(part) == std::string::npos) {
            text += (text.empty() ? "" : ", ") + part;
        }
    }
    if (!serialNumber.empty()) {
        text += (text.empty() ? "serial " : ", serial ") + serialNumber;
    }
    return text;
}

std::vector<PortEntry> FindOpenablePorts() {
    const QList<QSerialPortInfo> known = QSerialPortInfo::availablePorts();
    std::vector<PortEntry> ports;
    for (int number = kFirstPortNumber; number <= kLastPortNumber; ++number) {
        if (PortCanBeOpened(number)) {
            // "COM33  /dev/ttyUSB0" tells the operator which adapter it is; the ports folder's
            // own link name would not.
            std::string device = DeviceForPort(number).value_or("");
            std::error_code ec;
            const std::filesystem::path node = std::filesystem::canonical(device, ec);
            PortEntry entry;
            entry.number = number;
            entry.device = ec ? device : node.string();
            for (const QSerialPortInfo& info : known) {
                if (info.systemLocation().toStdString() == entry.device) {
                    entry.maker = info.manufacturer().trimmed().toStdString();
                    entry.description = info.description().trimmed().toStdString();
                    entry.serialNumber = info.serialNumber().trimmed().toStdString();
                }
            }
            ports.push_back(std::move(entry));
        }
    }
    return ports;
}

}  // namespace kld
