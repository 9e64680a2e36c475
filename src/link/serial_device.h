#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace kld {

// The serial line to the radio, as the transfer needs it. The real one sits on QSerialPort; the
// tests plug the simulated radio in directly.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // The port the next Open applies to (COM<number>).
    virtual void SelectPort(int number) = 0;
    // "9600,N,8,1" or "115200,N,8,1"; applies at once when the port is open.
    virtual bool SetLineSettings(std::string_view settings) = 0;
    virtual void SetBufferSizes(int receive, int transmit) = 0;

    virtual bool Open() = 0;
    // Why the last Open failed, in words for a technician, with the usual fix; empty when
    // there is nothing to add to "Invalid COM Port (or Port in use)".
    virtual std::string OpenFailureDetail() const { return {}; }
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual void DiscardInput() = 0;
    // Sends the bytes as they are. False when the device refused them (cable pulled).
    virtual bool Write(std::string_view bytes) = 0;
    // Waits, at most `bound`, until every byte written has left the line. A real adapter still
    // holds bytes when Write returns; changing the speed or closing the port before they are
    // gone would send them at the wrong speed, or not at all. False when they did not go.
    virtual bool Drain(std::chrono::milliseconds /*bound*/) { return IsOpen(); }
    // Everything received since the last read, possibly nothing; returns at once.
    virtual std::string ReadAvailable() = 0;
    // Blocks until data is there or `bound` has passed, without using the processor.
    virtual void WaitForData(std::chrono::milliseconds bound) = 0;
    // True once the device has vanished or failed for good; the transfer then ends.
    virtual bool Failed() const { return false; }
};

}  // namespace kld
