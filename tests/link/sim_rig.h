#pragma once
// A program and a simulated radio on one in-process line, on a fake clock, as the transfer and
// verify tests run them.
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "../core/fake_operator.h"
#include "../fake_host.h"
#include "../files/temp_dir.h"
#include "../sim_config.h"
#include "../test_memory.h"
#include "serial_device.h"
#include "sim_radio.h"
#include "sim_serial_device.h"
#include "transfer.h"
#include "verify.h"

namespace kld::test {

using Lines = std::vector<std::string>;

// Channel `index` made as a copy of Main, named for its index.
inline ChannelRecord& Channel(ChannelMemory& memory, int index, std::int16_t select) {
    ChannelRecord& r = memory.Rec(index) = memory.Rec(kFirstChannel);
    r.Prim = r.Chnl = static_cast<std::int16_t>(index), r.Select = select;
    r.Desc = "Ch " + std::to_string(index);
    return r;
}

// A radio memory with channels 1, 5, 231 and 232 defined; 5 in list 3.
inline void FillRadio(sim::SimRadio& radio) {
    ChannelMemory& m = radio.Memory() = ResetMemory();
    m.Rec(kDefaultRecord).Select = 0;  // the template is no record of the radio's
    ChannelRecord& fire = Channel(m, 5, kSelDefined);
    fire.Scan = 0x30, fire.Desc = "Fire", fire.RCTCSS = 33;  // 206.5 Hz travels as code 40
}

// The in-process line to the simulated radio, with every call the program makes on it written
// down, and a write or a line setting that can be made to fail. With a script, the radio is left
// out: each line written is answered with what the script returns.
class RecordingLine : public sim::SimSerialDevice {
  public:
    using sim::SimSerialDevice::SimSerialDevice;
    Lines calls;
    std::string refuseWriteOf;  // the start of a frame whose write fails
    std::string refuseSettings;
    std::function<std::string(const std::string&)> script;

    bool SetLineSettings(std::string_view s) override {
        calls.push_back("settings " + std::string(s));
        return s != refuseSettings && SimSerialDevice::SetLineSettings(s);
    }
    bool Write(std::string_view bytes) override {
        const std::string line(bytes.substr(0, bytes.size() - 1));
        calls.push_back("write " + line);
        if (!refuseWriteOf.empty() && bytes.starts_with(refuseWriteOf)) {
            return false;
        }
        return script ? (answers_ += script(line), true) : SimSerialDevice::Write(bytes);
    }
    std::string ReadAvailable() override {
        return script ? std::exchange(answers_, "") : SimSerialDevice::ReadAvailable();
    }
    bool Drain(std::chrono::milliseconds) override {
        calls.push_back("drain");
        return IsOpen();
    }
    void Close() override {
        calls.push_back("close");
        SimSerialDevice::Close();
    }

  private:
    std::string answers_;
};

struct Rig {
    TempDir dir;
    ChannelMemory memory = ResetMemory();
    ProgramState state;
    sim::SimRadio radio;
    RecordingLine device{radio};
    FakeHost host;
    ScriptedOperator op;

    explicit Rig(sim::SimConfig config = {}) : radio(std::move(config)) {}
    explicit Rig(const std::string& options) : Rig(SimConfigFrom(options)) {}

    TransferContext Context(TransferHost& on) {
        return {memory, state, device, on, op, dir.Path()};
    }
    TransferResult Run(Direction direction) {
        TransferContext context = Context(host);
        return RadioTransfer(direction, context);
    }
    VerifyResult Verify() { return VerifyRadio(memory, state, device, host, dir.Path()); }
    // Stamps alike, so a send purges nothing (and, for SelectMain, Main selected for it).
    void StampsAlike() { state.MemoryStamp = radio.MemoryStamp(); }
    void SelectMain() {
        StampsAlike();
        memory.Rec(kFirstChannel).Select |= kSelSend;
    }

    // The lines the program wrote that start with `prefix`, without their CR.
    Lines Sent(const std::string& prefix = "") const {
        Lines lines;
        for (const std::string& call : device.calls) {
            if (call.starts_with("write " + prefix)) {
                lines.push_back(call.substr(6));
            }
        }
        return lines;
    }
};

}  // namespace kld::test
