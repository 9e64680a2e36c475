#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace kld {

// Every file this program reads is small; anything past this many bytes is not looked at, so a
// huge or endless file (a device, say) costs neither memory nor time.
inline constexpr std::size_t kMaxInputBytes = 4 * 1024 * 1024;

// The first maxBytes bytes of a file; none when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxBytes = kMaxInputBytes);

// Writes bytes to a temporary file beside the target and renames it over the target, so a failed
// or interrupted write never leaves a half-written file where the user's file was. An existing
// target keeps its permissions. False when anything fails; the target is then untouched.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kld
