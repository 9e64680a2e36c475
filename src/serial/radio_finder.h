#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "failure.h"
#include "fleet.h"
#include "program_state.h"
#include "qt_serial_device.h"
#include "transfer.h"

namespace kld {

// How long a port may keep silent before it is taken for one without a radio. A radio answers
// in well under a second; the engine counts whole seconds, so a port ends within three.
inline constexpr std::chrono::seconds kFindAnswerLimit{2};

struct FoundRadio {
    PortEntry port;
    RadioIdentity identity;
};

// Asks every port given whether a radio is on it, all at once (each on a thread of its own, with
// its own line), so a silent port costs no more than the answer limit however many there are.
// Returns the ports where a radio answered, in the order given. Nothing is written into any
// radio.
std::vector<FoundRadio> FindRadios(const std::vector<PortEntry>& ports,
                                   std::chrono::seconds answerLimit = kFindAnswerLimit,
                                   const ProgramVersion& version = {});

// Starts `work` on a Qt thread of its own, where a serial port made by the work is at home (a port
// on a thread Qt did not start cannot watch its device).
std::unique_ptr<WorkerThread> StartQtThread(std::function<void()> work);

// The line to a radio on a real (or pseudo-terminal) port: what a fleet makes for each radio.
std::unique_ptr<SerialDevice> MakePortLine(int port);

// The device node COM<n> stands for, past any links the ports folder holds; empty without one.
std::string DeviceNodeForPort(int number);

// What to say when no port can be opened at all, and when ports were asked but no radio answered:
// the message and what to check, the same from the command line and the window.
Failure NoPortFailure();
Failure NoRadioFailure(const std::vector<PortEntry>& asked);

// "COM33  /dev/ttyUSB0  version 021100, protocol level 2, memory stamp 20261207101530".
std::string FoundRadioLine(const FoundRadio& found);

}  // namespace kld
