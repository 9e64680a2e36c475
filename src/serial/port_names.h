#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kld {

// The environment variable naming a folder of COM<n> entries (device nodes, or symbolic links to
// them) that replace the built-in names while it is set. The simulated radio links its
// pseudo-terminal there; a technician can use it to give a USB adapter a fixed number.
inline constexpr const char* kPortsDirVariable = "KLD540_PORTS_DIR";

inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 99;  // the port list offers COM1 to COM99

// The built-in name of COM<n>: COM1-32 are /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31 and COM65-96
// /dev/ttyACM0-31. Other numbers have no device.
std::optional<std::string> BuiltInDevice(int number);

// The folder KLD540_PORTS_DIR names; none when it is unset or empty.
std::optional<std::filesystem::path> PortsFolder();

// The device COM<n> stands for. With a ports folder, the entry COM<n> there when it is a device
// node (directly or through a link), and none otherwise; without one, the built-in name. None
// for a number with no device.
std::optional<std::string> DeviceForPort(int number);

// The port number a technician typed into the port box: upper-cased, blanks around it removed,
// the run of digits at its end ("COM12" 12, " com 3" 3, "7" 7). 0 when there are no trailing
// digits or the number does not fit a 16-bit integer.
int PortNumberFromText(std::string_view text);

}  // namespace kld
