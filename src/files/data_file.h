#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "channel_memory.h"
#include "failure.h"
#include "operator.h"
#include "program_state.h"

namespace kld {

// The header a channel data file is saved with: the current header marked as channel data of
// this radio, carrying the radio version last reported.
FileHeader DataFileHeader(const ProgramState& state);

// The persisted channel data file: header and records 0 to 232, 24730 bytes.
std::string EncodeDataFile(const ChannelMemory& memory, const ProgramState& state);

// Whether a header read from a file marks it as a channel data file this program wrote.
bool IsNativeHeader(const FileHeader& header, const FileHeader& current);

// Saves the memory as a channel data file and marks it saved. On failure ("Error writing to
// file.") Saved keeps its value and the file at path is untouched.
std::optional<Failure> SaveChannelFile(const std::filesystem::path& path, ChannelMemory& memory,
                                       const ProgramState& state);

enum class Opened {
    Loaded,    // the memory holds the file; the caption shows its name
    Declined,  // the operator declined to import an unrecognised file; the memory is reset
};

// Opens any kind of channel file the program knows: the memory is reset first, the kind is
// recognised by content, the records are loaded and checked, and channel 1 becomes current.
// A file that cannot be read leaves the reset memory and fails with "Error reading file.". The
// operator is asked what an open must ask on the way (an unrecognised file, the memory check).
Result<Opened> OpenChannelFile(const std::filesystem::path& path, ChannelMemory& memory,
                               ProgramState& state, Operator& op);

// The same for a file's bytes, already read.
Result<Opened> OpenChannelData(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                               ProgramState& state, Operator& op);

// Loads the records of a native file (already recognised by its header) into a reset memory.
void LoadNativeRecords(std::span<const std::uint8_t> bytes, ChannelMemory& memory);

// The steps every successful load ends with: the memory check, the stamp rule, channel 1.
void FinishOpen(ChannelMemory& memory, ProgramState& state, Operator& op);

// The caption after a file was saved or opened: start-up caption, "  -  ", the file's name.
std::string FileCaption(const ProgramVersion& version, const std::filesystem::path& path);

}  // namespace kld
