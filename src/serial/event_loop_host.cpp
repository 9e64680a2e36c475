#include "event_loop_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <thread>

#include "serial_device.h"

namespace kld {

void EventLoopTransferHost::Pause(std::chrono::milliseconds duration) {
    if (QCoreApplication::instance() == nullptr) {
        std::this_thread::sleep_for(duration);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(duration.count()), &loop, &QEventLoop::quit);
    loop.exec();
}

void EventLoopTransferHost::WaitForData(SerialDevice& device, std::chrono::milliseconds bound) {
    device.WaitForData(bound);
}

}  // namespace kld
