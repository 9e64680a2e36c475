#include "port_names.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "characters.h"

namespace kld {

namespace {

struct DeviceFamily {
    int first;  // the COM number of device 0
    const char* prefix;
};

// Each family covers 32 numbers.
constexpr DeviceFamily kFamilies[] = {
    {1, "/dev/ttyS"},
    {33, "/dev/ttyUSB"},
    {65, "/dev/ttyACM"},
};
constexpr int kFamilySize = 32;

bool IsDeviceNode(const std::filesystem::path& path) {
    std::error_code ec;
    // status() follows links, so a link to a device counts and a dangling one does not.
    return std::filesystem::is_character_file(std::filesystem::status(path, ec));
}

}  // namespace

std::optional<std::string> BuiltInDevice(int number) {
    for (const DeviceFamily& family : kFamilies) {
        if (number >= family.first && number < family.first + kFamilySize) {
            return family.prefix + std::to_string(number - family.first);
        }
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> PortsFolder() {
    const char* folder = std::getenv(kPortsDirVariable);
    if (folder == nullptr || *folder == '\0') {
        return std::nullopt;
    }
    return std::filesystem::path(folder);
}

std::optional<std::string> DeviceForPort(int number) {
    if (number < 1) {
        return std::nullopt;
    }
    // A ports folder stands for the whole set of ports: a number it has no device for is no
    // port, never a real device that happens to carry the built-in name (a test's radio that has
    // ended must not turn into whatever sits on /dev/ttyS0).
    if (const auto folder = PortsFolder()) {
        const auto entry = *folder / ("COM" + std::to_string(number));
        if (IsDeviceNode(entry)) {
            return entry.string();
        }
        return std::nullopt;
    }
    return BuiltInDevice(number);
}

int PortNumberFromText(std::string_view text) {
    // Upper-casing cannot change digits, so only the blanks matter here.
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return 0;
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);

    std::size_t digitsStart = text.size();
    while (digitsStart > 0 && IsDigit(text[digitsStart - 1])) {
        --digitsStart;
    }
    int value = 0;
    for (const char digit : text.substr(digitsStart)) {
        value = value * 10 + (digit - '0');
        if (value > std::numeric_limits<std::int16_t>::max()) {
            return 0;
        }
    }
    return value;
}

}  // namespace kld
