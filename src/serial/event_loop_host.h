#pragma once

#include <chrono>
#include <ctime>

#include "transfer_host.h"

namespace kld {

// The clock and the waits of a transfer for a program whose main thread runs a Qt event loop:
// the window. A transfer runs on the window's thread, as every handler does; its pauses and its
// waits for the radio run a local event loop that wakes on the port's data or a timer, so the
// window keeps painting, its timers keep firing and no processor time is spent waiting. The
// window's own host adds the progress view and the cancel request.
//
// (The other way, a worker thread that owns the port, would need the memory to be shared with
// the window while records arrive; waiting in a local event loop keeps one thread and one
// memory.)
class EventLoopTransferHost : public RealClockTransferHost {
  public:
    // Window events are processed during the pause too.
    void Pause(std::chrono::milliseconds duration) override;
    // QtSerialDevice waits in a local event loop on the application's thread.
    void WaitForData(SerialDevice& device, std::chrono::milliseconds bound) override;
};

}  // namespace kld
