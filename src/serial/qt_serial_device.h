#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "serial_device.h"

class QSerialPort;

namespace kld {

// One line settings text such as "9600,N,8,1": baud rate, parity letter (N, E or O), data bits
// (5 to 8) and stop bits (1 or 2).
struct LineSettings {
    int baud = 9600;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// None when the text is not four such fields separated by commas.
std::optional<LineSettings> ParseLineSettings(std::string_view text);

// The serial line to the radio over QSerialPort. COM<n> is found through DeviceForPort.
//
// Each program's main() creates its QCoreApplication or QApplication before any device; this
// class never makes one. Called on the application's thread, every wait (for data, for bytes to
// leave, a pause while draining) runs a local event loop that wakes on the port's signals or a
// timer, so a window keeps painting and nothing spins; on any other thread, or without an
// application object, the waits block in QSerialPort's waitFor functions instead.
//
// A device that vanishes (cable pulled) is noted when Qt reports it and closed on the next call
// into this class, never inside Qt's error signal.
class QtSerialDevice final : public SerialDevice {
  public:
    QtSerialDevice();
    ~QtSerialDevice() override;
    QtSerialDevice(const QtSerialDevice&) = delete;
    QtSerialDevice& operator=(const QtSerialDevice&) = delete;

    void SelectPort(int number) override;
    bool SetLineSettings(std::string_view settings) override;
    void SetBufferSizes(int receive, int transmit) override;

    bool Open() override;
    std::string OpenFailureDetail() const override;
    void Close() override;
    bool IsOpen() const override;

    void DiscardInput() override;
    bool Write(std::string_view bytes) override;
    bool Drain(std::chrono::milliseconds bound) override;
    std::string ReadAvailable() override;
    void WaitForData(std::chrono::milliseconds bound) override;
    bool Failed() const override { return failed_; }

    // The device the selected port stands for now; empty when it has none.
    std::string DevicePath() const;
    // The line settings the port reports now (those asked for last, once applied).
    LineSettings PortSettings() const;

  private:
    enum class OpenFailure { None, NoDevice, NotFound, NoPermission, InUse, InUseHere, Other };

    // How long a write may take to leave Qt's buffer, and a close or speed change may wait for
    // the line to empty.
    static constexpr std::chrono::milliseconds kWriteLimit{1000};
    static constexpr std::chrono::milliseconds kCloseDrain{2000};

    void OnError(int error);
    void CloseIfFailed();
    bool WaitForQtBuffer(std::chrono::milliseconds bound);
    bool ApplySettings(const LineSettings& settings);
    void Release();

    std::unique_ptr<QSerialPort> port_;
    int number_ = 0;
    LineSettings settings_;
    std::string openPath_;    // the device as opened, for the failure detail
    std::string heldDevice_;  // the device this object holds open, resolved, for the registry
    OpenFailure failure_ = OpenFailure::None;
    std::string systemReason_;
    bool failed_ = false;
};

// None when COM<n> can be opened now: it is opened and closed again at once. Otherwise why not
// and what to do, as a transfer's open failure says it: no such device, held by another program
// or by this one, or no permission (not in the dialout group).
std::optional<std::string> WhyPortWillNotOpen(int number);
// True when WhyPortWillNotOpen has nothing to say.
bool PortCanBeOpened(int number);

struct PortEntry {
    int number = 0;
    std::string device;  // the device node itself, past any links the ports folder holds
    // What the system knows of a USB adapter behind it, so that two cables can be told apart;
    // empty for a port on the board or a pseudo-terminal.
    std::string maker;
    std::string description;
    std::string serialNumber;

    // "FTDI, FT232R USB UART, serial A10KX3D2"; empty when nothing is known.
    std::string AdapterText() const;
};

// The ports from COM1 to COM99 that can be opened, in ascending order, with what the system
// knows of their adapters.
std::vector<PortEntry> FindOpenablePorts();

}  // namespace kld
