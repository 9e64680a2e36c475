#pragma once

// Persisted forms of the file header (32 bytes) and the channel record (106 bytes).
// Integers are 16-bit little-endian, texts are their fixed widths of single bytes, fields
// follow one another without gaps. Each layout is spelled out once, in VisitFields below, and
// that one description both writes and reads it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "channel_memory.h"
#include "program_state.h"

namespace kld {

inline constexpr std::size_t kHeaderBytes = 32;
inline constexpr std::size_t kRecordBytes = 106;
inline constexpr std::size_t kDataFileRecords = kLastRecord + 1;  // records 0..232
inline constexpr std::size_t kDataFileBytes = kHeaderBytes + kDataFileRecords * kRecordBytes;
inline constexpr std::size_t kSettingsFileBytes = kHeaderBytes + kRecordBytes;

// Byte offsets inside a persisted record, for readers of the format.
namespace record_offset {
inline constexpr std::size_t Select = 0, Shad = 2, Prim = 4, Chnl = 6, Scan = 8, Desc = 10,
                             EFlags = 18, Mode = 20, RSql = 22, RTG = 24, RCTCSS = 30, RDCS = 32,
                             RNAC = 34, RFrq = 40, TSql = 50, TTG = 52, TCTCSS = 58, TDCS = 60,
                             TNAC = 62, TFrq = 68, IDCall = 78, ShadList = 88, RFRec = 104;
}  // namespace record_offset

// Appends persisted forms to a byte string.
void AppendHeader(std::string& out, const FileHeader& header);
void AppendRecord(std::string& out, const ChannelRecord& record);

// Reads persisted forms from a byte span. Bytes past the end of the span read as zero, which
// is how a short file delivers the records that lie past its end.
class ByteSource {
  public:
    explicit ByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t Byte();
    std::int16_t Int16();
    // The next bytes into `to`, as many Byte calls would give them.
    void Read(std::span<std::uint8_t> to);
    std::size_t Position() const { return pos_; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

FileHeader ReadHeader(ByteSource& source);
ChannelRecord ReadRecord(ByteSource& source);

}  // namespace kld
