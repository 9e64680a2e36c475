#pragma once

// The wire format. Every line is a frame of printable text:
//
//   T k LL AAAA [CC] data... SS <CR>
//
// "T", a kind digit (0 opening request, 1 record or data line, 2 command or answer, 9 end),
// the length byte LL (bytes from itself to the last data byte), a 16-bit address AAAA (channel
// index in record frames and channel commands), the command or answer code CC (kinds 0 and 2),
// data bytes, and the checksum SS over everything before it. Bytes are two upper-case
// hexadecimal digits each. A record frame carries the 69-byte record image of MakeBuf.

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "channel_memory.h"

namespace kld {

// Frames both sides use, without their checksum.
inline constexpr std::string_view kFrameAccepted = "T204000000";  // accepted / send the next line
inline constexpr std::string_view kFrameRefused = "T204000001";   // refused / send it again
inline constexpr std::string_view kFrameBusy = "T204000002";
inline constexpr std::string_view kFrameStamp = "T20B000021";  // followed by 14 digits
inline constexpr std::string_view kFrameSpeedChange = "T2060000320480";
inline constexpr std::string_view kFrameEnd = "T9030000";

// One frame as bytes: [0] and [1] the codes of "T" and the kind digit, [i >= 2] the byte at
// characters 2i-1 and 2i of the frame text.
inline constexpr std::size_t kWireBufSize = 129;
using WireBuf = std::array<std::uint8_t, kWireBufSize>;

// The longest frame text (without checksum and CR) that fits a WireBuf.
inline constexpr std::size_t kMaxFrameChars = 2 * kWireBufSize - 1;

inline constexpr std::size_t kRecordImageBytes = 69;

// Ones' complement of the low byte of the sum of the bytes after the kind digit.
int CalcChecksum(std::string_view text);

// The frame text with its checksum appended as two hexadecimal digits.
std::string WithChecksum(std::string_view text);

// The record image of Records[index]. None when a field does not fit a byte, or names a tone,
// code or mode that the tables do not have: such a record cannot be sent.
std::optional<WireBuf> MakeBuf(const ChannelMemory& memory, int index);

// The record frame text "T1..." for bytes 2 to 68 of an image (134 hexadecimal digits).
std::string RecordFrameText(const WireBuf& image);

// Stores a received record frame (without checksum and CR) into Records[address] and makes it
// Current. Returns 1 when stored, 0 when the address is above 232 (nothing changes then).
// Any bytes at all are stored safely: a tone, code or mode the tables do not carry leaves the
// field as it was.
int ConvBuf(std::string_view text, ChannelMemory& memory);

// The text a kind "1" line carries: the hexadecimal pairs from character 9 decoded into
// characters; "" when any pair cannot be decoded.
std::string GetString(std::string_view asciiHexString);

// The 14-digit memory stamp for the given local time: yyyymmddhhnnss.
std::string GetTimeStamp(const std::tm& localTime);

}  // namespace kld
