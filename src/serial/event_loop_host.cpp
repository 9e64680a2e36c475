#include "event_loop_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <thread>

#include "serial_device.h"

namespace kld {

std::chrono::steady_clock::time_point EventLoopTransferHost::Now() {
    return std::chrono::steady_clock::now();
}

std::tm EventLoopTransferHost::LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

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
