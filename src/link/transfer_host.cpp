#include "transfer_host.h"

namespace kld {

std::chrono::steady_clock::time_point RealClockTransferHost::Now() {
    return std::chrono::steady_clock::now();
}

std::tm RealClockTransferHost::LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace kld
