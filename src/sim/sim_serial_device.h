#pragma once

#include <optional>
#include <string>
#include <vector>

#include "serial_device.h"
#include "sim_radio.h"

namespace kld::sim {

// The serial line to a SimRadio in the same process. Whatever the program writes reaches the
// radio at once and its answers are readable at once, so waiting never blocks.
//
// Like a real line, it only carries bytes while both ends run at the same speed: written bytes
// and answers are lost while the line settings and the radio's rate disagree, so a program that
// forgets to follow a speed change hears nothing.
class SimSerialDevice : public SerialDevice {
  public:
    explicit SimSerialDevice(SimRadio& radio) : radio_(radio) {}

    // Every Open fails from now on, reporting this detail.
    void FailOpen(std::string detail) { openFailure_ = std::move(detail); }

    // What the program asked of the line, in order ("9600,N,8,1", "115200,N,8,1", ...).
    const std::vector<std::string>& LineSettingsRequested() const { return lineSettings_; }
    // Every byte the program wrote while the port was open.
    const std::string& Written() const { return written_; }
    int SelectedPort() const { return port_; }
    int OpenCount() const { return opens_; }
    int BufferSize() const { return bufferSize_; }

    void SelectPort(int number) override { port_ = number; }
    bool SetLineSettings(std::string_view settings) override;
    void SetBufferSizes(int receive, int /*transmit*/) override { bufferSize_ = receive; }

    bool Open() override;
    std::string OpenFailureDetail() const override { return openFailure_.value_or(""); }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }

    void DiscardInput() override { radio_.TakeOutput(); }
    bool Write(std::string_view bytes) override;
    std::string ReadAvailable() override;
    void WaitForData(std::chrono::milliseconds /*bound*/) override {}
    bool Failed() const override { return radio_.Vanished(); }

  private:
    SimRadio& radio_;
    std::optional<std::string> openFailure_;
    std::vector<std::string> lineSettings_;
    std::string written_;
    int port_ = 0;
    int opens_ = 0;
    int bufferSize_ = 0;
    int rate_ = kSlowRate;
    bool open_ = false;
};

}  // namespace kld::sim
