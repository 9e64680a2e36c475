#include "sim_serial_device.h"

#include <charconv>

namespace kld::sim {

bool SimSerialDevice::SetLineSettings(std::string_view settings) {
    lineSettings_.emplace_back(settings);
    int rate = 0;
    const auto comma = settings.find(',');
    const std::string_view baud = settings.substr(0, comma);
    const auto [end, ec] = std::from_chars(baud.data(), baud.data() + baud.size(), rate);
    if (ec != std::errc{} || end != baud.data() + baud.size() || rate <= 0) {
        return false;
    }
    rate_ = rate;
    return true;
}

bool SimSerialDevice::Open() {
    if (openFailure_ || radio_.Vanished()) {
        return false;
    }
    open_ = true;
    ++opens_;
    return true;
}

bool SimSerialDevice::Write(std::string_view bytes) {
    if (!open_ || radio_.Vanished()) {
        return false;
    }
    written_ += bytes;
    if (rate_ == radio_.LineRate()) {
        radio_.Receive(bytes);
    }
    return true;
}

std::string SimSerialDevice::ReadAvailable() {
    if (!open_) {
        return {};
    }
    std::string received;
    for (const Burst& burst : radio_.TakeBursts()) {
        if (burst.rate == rate_) {
            received += burst.bytes;
        }
    }
    return received;
}

}  // namespace kld::sim
