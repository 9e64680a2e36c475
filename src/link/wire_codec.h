#pragma once

// The wire format. Every line is a frame of printable text:
//
//   T k LL AAAA [CC] data... SS <CR>
//
// "T", a kind digit (0 opening request, 1 record or data line, 2 command or answer, 9 end),
// the length byte LL (bytes from itself to the last data byte), a 16-bit address AAAA (channel
// index in record frames and channel commands), the command or answer code CC (kinds 0 and 2),
// data bytes, and the checksum SS over everything before it. Bytes are two upper-case
// hexadecimal digits each. A record frame carries the 69-byte record image of RecordImage.

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "channel_memory.h"
#include "program_state.h"

namespace kld {

// Frames both sides use, without their checksum. Each is written here and nowhere else.

// The start of every opening request, and of record and data lines (kind digits 0 and 1).
inline constexpr std::string_view kFrameKindOpening = "T0";
inline constexpr std::string_view kFrameKindData = "T1";

// The opening request: this prefix, a code byte (kFirstOpeningCode, one more on each retry) and
// the program's version. See OpeningRequestFrame.
inline constexpr std::string_view kFrameOpeningPrefix = "T0070000";
inline constexpr int kFirstOpeningCode = 0x20;

// Answers, and the program's "next line" / "again" requests of the same form.
inline constexpr std::string_view kFrameAccepted = "T204000000";  // accepted / send the next line
inline constexpr std::string_view kFrameRefused = "T204000001";   // refused / send it again
inline constexpr std::string_view kFrameBusy = "T204000002";

// The line runs at 115200 once this is accepted (the rate in hundreds, 0x0480).
inline constexpr std::string_view kFrameSpeedChange = "T2060000320480";

// Questions and their answers.
inline constexpr std::string_view kFrameModesQuestion = "T204000033";
inline constexpr std::string_view kFrameModesAnswer = "T205000033";  // then the EnabledModes byte
inline constexpr std::string_view kFrameVersionQuestion = "T204000022";
inline constexpr std::string_view kFrameVersionAnswer = "T207000023";  // then six hex digits
inline constexpr std::string_view kFrameTextLogQuestion = "T204000031";
inline constexpr std::string_view kFrameStampQuestion = "T204000020";
// The memory stamp, asked for or stored: followed by its 14 digits.
inline constexpr std::string_view kFrameStamp = "T20B000021";

// What the session does next.
inline constexpr std::string_view kFrameBeginSend = "T204000025";
inline constexpr std::string_view kFrameBeginReceive = "T204000024";
inline constexpr std::string_view kFrameBeginDebugLog = "T204000030";
inline constexpr std::string_view kFramePurge = "T204000011";
// Erasing one channel: the prefix, the channel as a byte, the suffix. See EraseFrame.
inline constexpr std::string_view kFrameErasePrefix = "T20400";
inline constexpr std::string_view kFrameEraseSuffix = "10";
inline constexpr std::size_t kEraseFrameChars =
    kFrameErasePrefix.size() + 2 + kFrameEraseSuffix.size();

// Ends a send, a receive, a text log or a debug log.
inline constexpr std::string_view kFrameEnd = "T9030000";

// One frame as bytes: [0] and [1] the codes of "T" and the kind digit, [i >= 2] the byte at
// characters 2i-1 and 2i of the frame text.
inline constexpr std::size_t kWireBufSize = 129;
using WireBuf = std::array<std::uint8_t, kWireBufSize>;

// The longest frame text (without checksum and CR) that fits a WireBuf.
inline constexpr std::size_t kMaxFrameChars = 2 * kWireBufSize - 1;

inline constexpr std::size_t kRecordImageBytes = 69;
// A record frame's length byte (bytes 2 to 68) and its text without checksum ("T1" and 134
// hexadecimal digits).
inline constexpr std::uint8_t kRecordLengthByte = kRecordImageBytes - 2;
inline constexpr std::size_t kRecordFrameChars = 2 + 2 * (kRecordImageBytes - 2);

// Byte offsets inside the record image, for readers of the format. Frequencies and the
// description take eight bytes of characters, talk groups two bytes, a NAC two (its first digit,
// then the other two), IDCall four; the seven bytes from ShadList and the six after RFRec go out
// as zero. The receive and transmit halves share one shape, each behind its letter 'R' or 'T'.
namespace image_offset {
inline constexpr std::size_t Length = 2, AddrHigh = 3, AddrLow = 4, Shad = 5, Prim = 6, Chnl = 7,
                             Scan = 8, Desc = 9, EFlags = 17, Mode = 18, RFrq = 19, RLetter = 27,
                             RSql = 28, RTG = 29, RCTCSS = 31, RDCS = 32, RNAC = 33, TFrq = 35,
                             TLetter = 43, TSql = 44, TTG = 45, TCTCSS = 47, TDCS = 48, TNAC = 49,
                             IDCall = 51, ShadList = 55, RFRec = 62;
}  // namespace image_offset

// Ones' complement of the low byte of the sum of the bytes after the kind digit.
int FrameChecksum(std::string_view text);

// The frame text with its checksum appended as two hexadecimal digits.
std::string WithChecksum(std::string_view text);

// The record image of Records[index]. None when a field does not fit a byte, or names a tone,
// code or mode that the tables do not have: such a record cannot be sent. `faults`, when given,
// gets a line for each field that does not fit ("Rx Tone: position 57 is not in its table").
std::optional<WireBuf> RecordImage(const ChannelMemory& memory, int index,
                                   std::vector<std::string>* faults = nullptr);
// The image as a send writes it: the memory's noise squelch level goes out in place of RFRec.
std::optional<WireBuf> SendImage(const ChannelMemory& memory, int index,
                                 std::vector<std::string>* faults = nullptr);

// The opening request with the given code byte; the version goes as three two-digit decimal
// numbers ("020600" for 2.6.0).
std::string OpeningRequestFrame(int code, const ProgramVersion& version);

// The command erasing the radio's channel `channel`.
std::string EraseFrame(std::uint8_t channel);

// The record frame text "T1..." for bytes 2 to 68 of an image (134 hexadecimal digits).
std::string RecordFrameText(const WireBuf& image);

// The address a record frame (without checksum and CR) carries, as StoreRecordFrame reads it; above
// 232 for one that names no record.
int RecordAddress(std::string_view text);

// Stores a received record frame (without checksum and CR) into Records[address] and makes it
// Current. Returns 1 when stored, 0 when the address is above 232 (nothing changes then).
// Any bytes at all are stored safely: a tone, code or mode the tables do not carry leaves the
// field as it was.
int StoreRecordFrame(std::string_view text, ChannelMemory& memory);

// The text a kind "1" line carries: the hexadecimal pairs from character 9 decoded into
// characters; "" when any pair cannot be decoded.
std::string DataLineText(std::string_view asciiHexString);

// The 14-digit memory stamp for the given local time: yyyymmddhhnnss.
std::string MemoryStampFor(const std::tm& localTime);

}  // namespace kld
