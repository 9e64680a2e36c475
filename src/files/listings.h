#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "channel_memory.h"
#include "failure.h"

namespace kld {

// The three heading lines above the channel lines of every listing.
inline constexpr std::array<std::string_view, 3> kListingHeadings{
    "    Basic Information          Rx Information                 Tx Information",
    "  Ch# Scan  Desc          Freq   SM Tone  Cod  TG  Nac   Freq   SM Tone  Cod  TG  Nac",
    "  --------------------- ------------------------------ ------------------------------",
};

// The text listing: the headings and the summary lines of records 0 to 232, each line with
// one leading space and CR LF.
std::string TextListing(const ChannelMemory& memory);

// The channel data dump: zone counts, then every field of records 0 to 232 in hexadecimal.
std::string ChannelDump(const ChannelMemory& memory);
// The same appended to `out`, for a caller that renders many dumps into one reused buffer.
void AppendChannelDump(std::string& out, const ChannelMemory& memory);

// Writes text to path; "Error writing to file." when it cannot.
std::optional<Failure> WriteTextFile(const std::filesystem::path& path, std::string_view text);

}  // namespace kld
