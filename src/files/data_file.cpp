#include "data_file.h"

#include "file_io.h"
#include "memory_check.h"
#include "older_files.h"
#include "record_layout.h"

namespace kld {

FileHeader DataFileHeader(const ProgramState& state) {
    FileHeader header = state.Header;
    header.FileKind = kFileKindChannelData;
    header.FormatRev = kFormatRev;
    header.RadioModel = kRadioModel;
    header.RadioVer = state.RadioVersion;
    header.Spare = 0;
    return header;
}

std::string EncodeDataFile(const ChannelMemory& memory, const ProgramState& state) {
    std::string bytes;
    bytes.reserve(kDataFileBytes);
    AppendHeader(bytes, DataFileHeader(state));
    for (int index = 0; index <= kLastRecord; ++index) {
        AppendRecord(bytes, memory.Rec(index));
    }
    return bytes;
}

bool IsNativeHeader(const FileHeader& header, const FileHeader& current) {
    return header.FileTag == current.FileTag && header.VerMajor == current.VerMajor &&
           header.RadioModel.View() == kRadioModel && header.FileKind == kFileKindChannelData &&
           header.FormatRev == kFormatRev;
}

std::optional<Failure> SaveChannelFile(const std::filesystem::path& path, ChannelMemory& memory,
                                       const ProgramState& state) {
    auto failed = SaveFileSafely(path, EncodeDataFile(memory, state));
    if (!failed) {
        memory.Saved = true;
    }
    return failed;
}

void LoadNativeRecords(std::span<const std::uint8_t> bytes, ChannelMemory& memory) {
    ByteSource source(bytes);
    ReadHeader(source);
    memory.ZoneCounts[0] = 0;
    memory.ZoneCounts[15] = 0;
    for (int index = 0; index <= kLastRecord; ++index) {
        ChannelRecord& r = memory.Rec(index);
        r = ReadRecord(source);
        if (index != kDefaultRecord && !r.IsShadow() && r.IsDefined()) {
            ++memory.ZoneCounts[static_cast<std::size_t>(ZoneOf(r.Scan))];
        }
    }
}

void FinishOpen(ChannelMemory& memory, ProgramState& state, Operator& op) {
    const std::int16_t shadows = CheckMemory(memory, op);
    if (state.MemoryStamp != kNoStamp && (shadows != 0 || state.RxShadowCount != 0)) {
        state.MemoryStamp = kNoStamp;
    }
    memory.Current = kFirstChannel;
}

Result<Opened> OpenChannelData(std::span<const std::uint8_t> bytes, ChannelMemory& memory,
                               ProgramState& state, Operator& op) {
    ClearMemory(memory);
    ByteSource headerSource(bytes);
    if (IsNativeHeader(ReadHeader(headerSource), state.Header)) {
        LoadNativeRecords(bytes, memory);
    } else {
        auto imported = ImportOlderFile(bytes, memory, op);
        if (!imported || *imported != Opened::Loaded) {
            return imported;
        }
    }
    FinishOpen(memory, state, op);
    return Opened::Loaded;
}

Result<Opened> OpenChannelFile(const std::filesystem::path& path, ChannelMemory& memory,
                               ProgramState& state, Operator& op) {
    const auto bytes = ReadFileBytes(path);
    if (!bytes) {
        ClearMemory(memory);
        return bytes.Error();
    }
    return OpenChannelData(*bytes, memory, state, op);
}

std::string FileCaption(const ProgramVersion& version, const std::filesystem::path& path) {
    return StartupCaption(version) + "  -  " + path.filename().string();
}

}  // namespace kld
