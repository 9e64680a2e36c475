#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "channel_memory.h"
#include "failure.h"
#include "program_state.h"

namespace kld {

inline constexpr std::string_view kSettingsFileName = "KLD540.ini";
inline constexpr std::string_view kDebugMarkerName = "KLD-540.log";

// The template channel of a new settings file (record 0, port COM1).
ChannelRecord TemplateRecord();

struct Settings {
    FileHeader Header;
    ChannelRecord Template;
};

// A settings file's bytes when the running program accepts them; none otherwise.
std::optional<Settings> ParseSettings(std::span<const std::uint8_t> bytes,
                                      const ProgramVersion& version);

// The settings file's content when the running program accepts it; none when it is missing,
// unreadable, short or written by another major version or for another purpose.
std::optional<Settings> ReadSettingsFile(const std::filesystem::path& path,
                                         const ProgramVersion& version);

// Writes the header and record 0 (138 bytes). "Error writing to file." when the file cannot be
// written; the file already there is then untouched.
std::optional<Failure> WriteSettingsFile(const std::filesystem::path& path,
                                         const FileHeader& header, const ChannelRecord& record0);

// Takes a new port number into record 0 and rewrites the settings file with the current
// header and record 0. The memory keeps the change even when the file cannot be written.
std::optional<Failure> SaveSettings(std::int16_t portNumber, ChannelMemory& memory,
                                    const ProgramState& state, const std::filesystem::path& path);

enum class SettingsUse {
    CreateWhenMissing,  // the desktop program: a missing or refused file is written afresh,
                        // unless the name is taken by something that is no file (a folder, a
                        // FIFO, a device), which is left alone
    ReadOnly,           // the command-line tool: never creates or writes the file
};

// The start-up work on the memory, in the desktop program's order: debug mode, enabled modes
// from the command line, the settings file (read, or replaced by the defaults), the template's
// mode, the port number and the reset of records 1 to 232. `folder` is the working directory.
// False when the desktop program could not keep its settings file: it could not be created, or
// the one it read cannot be written, so a stored template or a new port lasts only this run.
bool PrepareMemory(ChannelMemory& memory, ProgramState& state, std::string_view commandLine,
                   const std::filesystem::path& folder, SettingsUse use);

}  // namespace kld
