#pragma once
// A program and a simulated radio on one in-process line, on a fake clock, as the transfer and
// verify tests run them.
#include <string>
#include <utility>
#include <vector>

#include "../core/fake_operator.h"
#include "../files/temp_dir.h"
#include "../test_memory.h"
#include "fake_host.h"
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
    const ChannelMemory reset = m;
    sim::BlankMemory(m);
    for (int i : {1, 231, 232}) {
        m.Rec(i) = reset.Rec(i);
    }
    ChannelRecord& fire = Channel(m, 5, kSelDefined);
    fire.Scan = 0x30, fire.Desc = "Fire", fire.RCTCSS = 33;  // 206.5 Hz travels as code 40
}

// The in-process line to the simulated radio, with every call the program makes on it written
// down, and a write that can be made to fail.
class RecordingLine : public sim::SimSerialDevice {
  public:
    using sim::SimSerialDevice::SimSerialDevice;
    std::vector<std::string> calls;
    std::string refuseWriteOf;  // the start of a frame whose write fails

    bool SetLineSettings(std::string_view s) override {
        calls.push_back("settings " + std::string(s));
        return SimSerialDevice::SetLineSettings(s);
    }
    bool Write(std::string_view bytes) override {
        calls.push_back("write " + std::string(bytes.substr(0, bytes.size() - 1)));
        if (!refuseWriteOf.empty() && bytes.starts_with(refuseWriteOf)) {
            return false;
        }
        return SimSerialDevice::Write(bytes);
    }
    bool Drain(std::chrono::milliseconds) override {
        calls.push_back("drain");
        return IsOpen();
    }
    void Close() override {
        calls.push_back("close");
        SimSerialDevice::Close();
    }
};

// A program and a simulated radio on one in-process line, on a fake clock.
struct Rig {
    TempDir dir;
    ChannelMemory memory = ResetMemory();
    ProgramState state;
    sim::SimRadio radio;
    RecordingLine device{radio};
    FakeHost host;
    ScriptedOperator op;

    explicit Rig(sim::SimConfig config = {}) : radio(std::move(config)) {}

    TransferContext Context(TransferHost& on) {
        return {memory, state, device, on, op, dir.Path()};
    }
    TransferResult Run(Direction direction) {
        TransferContext context = Context(host);
        return RadioTransfer(direction, context);
    }
    VerifyResult Verify() { return VerifyRadio(memory, state, device, host, dir.Path()); }
    // Stamps alike, so a send purges nothing.
    void StampsAlike() { state.MemoryStamp = radio.MemoryStamp(); }
    // And Main selected for it.
    void SelectMain() {
        StampsAlike();
        memory.Rec(kFirstChannel).Select |= kSelSend;
    }

    // The lines the program sent that start with `prefix`, without their CR.
    Lines Sent(std::string_view prefix = "") const {
        Lines lines;
        std::string line;
        for (char c : device.Written()) {
            if (c != '\r') {
                line += c;
            } else if (line.starts_with(prefix)) {
                lines.push_back(std::exchange(line, ""));
            } else {
                line.clear();
            }
        }
        return lines;
    }
};

}  // namespace kld::test
