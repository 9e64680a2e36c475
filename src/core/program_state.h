#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fixed_text.h"
#include "kld_version.h"

namespace kld {

// This release, as the project() line of the build names it.
struct ProgramVersion {
    std::int16_t Major = kVersionMajor;
    std::int16_t Minor = kVersionMinor;
    std::int16_t Rev = kVersionRev;
};

// Dotted form, "2.6.0".
std::string VersionText(const ProgramVersion& version);
// The main window's start-up caption, "KLD - 540  [v2.6.0]".
std::string StartupCaption(const ProgramVersion& version);

inline constexpr std::uint8_t kFileKindSettings = 0;
inline constexpr std::uint8_t kFileKindChannelData = 1;

// The fixed parts of the file header: what marks a file as this program's, for this radio, in
// this layout.
inline constexpr std::string_view kFileTag = "KLD540  ";
inline constexpr std::string_view kRadioModel = "KVRX540 ";
inline constexpr std::uint8_t kFormatRev = 1;

// A version number as the header's two-character fields hold it: its decimal digits ("2"), which
// the field pads with a blank.
std::string HeaderVersionDigits(std::int16_t number);

// The 32-byte header of channel data files and of the settings file.
struct FileHeader {
    FixedText<8> FileTag{kFileTag};
    FixedText<2> VerMajor;
    FixedText<2> VerMinor;
    FixedText<2> VerRev;
    std::uint8_t EofMark = 26;
    std::uint8_t FileKind = kFileKindSettings;
    std::uint8_t FormatRev = kFormatRev;
    FixedText<8> RadioModel{kRadioModel};
    FixedText<6> RadioVer{"000000"};
    std::uint8_t Spare = 0;

    friend bool operator==(const FileHeader&, const FileHeader&) = default;
};

// A header as the running program creates it for a new settings file.
FileHeader FreshHeader(const ProgramVersion& version);

inline constexpr std::string_view kNoStamp = "99999999999999";
inline constexpr std::string_view kNoRadioVersion = "020000";

// The main window's state that is not about widgets; it lives beside the ChannelMemory.
struct ProgramState {
    ProgramVersion Version;
    FileHeader Header = FreshHeader(ProgramVersion{});
    std::string MemoryStamp{kNoStamp};
    std::string RadioVersion{kNoRadioVersion};
    std::int16_t RxShadowCount = 0;
    std::int16_t PurgeMode = 0;
    bool DebugMode = false;
};

}  // namespace kld
