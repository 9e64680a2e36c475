#include "settings_file.h"

#include "codecs.h"
#include "file_io.h"
#include "modes.h"
#include "record_layout.h"

namespace kld {

ChannelRecord TemplateRecord() {
    ChannelRecord r;
    r.Select = kSelDefined;
    r.Desc = "Desc";
    r.EFlags = 32;
    r.Mode = kModeNarrow;
    r.RFrq = FormatFixed(141, 4);
    r.TFrq = r.RFrq;
    r.RSql = r.TSql = kSqlNoise;
    r.RTG = r.TTG = "0001";
    r.RCTCSS = r.TCTCSS = 1;
    r.RDCS = r.TDCS = 1;
    r.RNAC = r.TNAC = "293";
    r.IDCall = {0, 0, 0, 1, 0};
    r.RFRec = 1;
    return r;
}

namespace {

std::string_view TrailingBlanksRemoved(std::string_view text) {
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

// A settings entry that is a folder, a FIFO or a device (or a link to one) was put there by
// someone on purpose; it is no damaged file to write the defaults over. A link to nothing yet is
// followed as any save follows it.
bool IsSomethingElse(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        return false;
    }
    const auto target = std::filesystem::status(path, ec);
    return std::filesystem::exists(target) && !std::filesystem::is_regular_file(target);
}

}  // namespace

std::optional<Settings> ParseSettings(std::span<const std::uint8_t> bytes,
                                      const ProgramVersion& version) {
    if (bytes.size() < kSettingsFileBytes) {
        return std::nullopt;
    }
    ByteSource source(bytes);
    Settings settings{ReadHeader(source), {}};
    const FileHeader& h = settings.Header;
    const bool accepted =
        h.FileTag.View() == kFileTag &&
        TrailingBlanksRemoved(h.VerMajor.View()) == HeaderVersionDigits(version.Major) &&
        h.FileKind == kFileKindSettings && h.FormatRev == kFormatRev;
    if (!accepted) {
        return std::nullopt;
    }
    settings.Template = ReadRecord(source);
    return settings;
}

std::optional<Settings> ReadSettingsFile(const std::filesystem::path& path,
                                         const ProgramVersion& version) {
    const auto bytes = ReadFileBytes(path, kSettingsFileBytes);
    if (!bytes) {
        return std::nullopt;
    }
    return ParseSettings(*bytes, version);
}

std::optional<Failure> WriteSettingsFile(const std::filesystem::path& path,
                                         const FileHeader& header, const ChannelRecord& record0) {
    std::string bytes;
    AppendHeader(bytes, header);
    AppendRecord(bytes, record0);
    return SaveFileSafely(path, bytes);
}

std::optional<Failure> SaveSettings(std::int16_t portNumber, ChannelMemory& memory,
                                    const ProgramState& state, const std::filesystem::path& path) {
    memory.PortNumber = portNumber;
    memory.Rec(kDefaultRecord).RFRec = portNumber;
    return WriteSettingsFile(path, state.Header, memory.Rec(kDefaultRecord));
}

bool PrepareMemory(ChannelMemory& memory, ProgramState& state, std::string_view commandLine,
                   const std::filesystem::path& folder, SettingsUse use) {
    std::error_code ec;
    state.DebugMode = std::filesystem::exists(folder / kDebugMarkerName, ec);
    memory.NoiseSquelchLevel = 10;
    memory.EnabledModes = EnabledModesFromCommandLine(commandLine);
    memory.Current = kDefaultRecord;

    const auto settingsPath = folder / kSettingsFileName;
    bool kept = true;
    if (auto settings = ReadSettingsFile(settingsPath, state.Version)) {
        state.Header = settings->Header;
        memory.Rec(kDefaultRecord) = settings->Template;
        kept = !WhyNotWritable(settingsPath).has_value();
    } else {
        state.Header = FreshHeader(state.Version);
        memory.Rec(kDefaultRecord) = TemplateRecord();
        // A folder we cannot write to is no reason not to start: go on with the defaults.
        kept = use == SettingsUse::CreateWhenMissing && !IsSomethingElse(settingsPath) &&
               !WriteSettingsFile(settingsPath, state.Header, memory.Rec(kDefaultRecord));
    }
    AdjustTemplateMode(memory.Rec(kDefaultRecord).Mode, memory.EnabledModes);
    memory.PortNumber = memory.Rec(kDefaultRecord).RFRec;

    ClearMemory(memory);
    state.MemoryStamp = kNoStamp;
    state.RadioVersion = kNoRadioVersion;
    state.PurgeMode = 0;
    memory.Saved = true;
    return kept || use == SettingsUse::ReadOnly;
}

}  // namespace kld
