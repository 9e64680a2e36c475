#include "data_file.h"

#include <sys/stat.h>

#include <functional>

#include "plans.h"
#include "record_layout.h"
#include "settings_file.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

const Message kInvalidData{"Memory data contains invalid data", "Invalid Data", Icon::Exclamation,
                           Buttons::Ok};

// The reset memory saves to known bytes. A short file reads zeros past its end (record 1, cut in
// the middle, keeps its first bytes); an oversized one is read as far as its records go, never
// into the spare slot.
TEST(DataFile, KnownBytesAndShortAndOversizedFiles) {
    Session f;
    f.state.Header.FileKind = kFileKindSettings;  // a saved file is always channel data
    std::string bytes = EncodeDataFile(f.memory, f.state);
    ASSERT_EQ(bytes.size(), 24730u);
    EXPECT_EQ(bytes.substr(0, kHeaderBytes), "KLD540  2 6 0 \x1A\x01\x01KVRX540 020000\0"s);
    // Record 231 (Guard 1): Select Shad Prim Chnl Scan, Desc, EFlags Mode RSql, RTG, RCTCSS RDCS,
    // RNAC, RFrq, the same for Tx, IDCall, ShadList, RFRec.
    EXPECT_EQ(bytes.substr(kHeaderBytes + 231 * kRecordBytes, kRecordBytes),
              "\x80\0\x80\0\xE7\0\xE7\0\xF0\0"s + "Guard 1 " + "\x20\0\x01\0t\0"s + "0001  " +
                  "\x01\0\x01\0"s + "293   " + "154.0000  " + "t\0"s + "0001  " + "\x01\0\x01\0"s +
                  "293   " + "154.0000  " + "\0\0\0\0\0\0\x01\0\0\0"s + std::string(18, '\0'));

    TempDir dir;
    f.memory.Rec(232).Desc = "Last";
    bytes = EncodeDataFile(f.memory, f.state);
    WriteBytes(dir / "long.540", bytes + std::string(100000, '\xFF'));
    const std::string cut = bytes.substr(0, kHeaderBytes + kRecordBytes + 14);
    WriteBytes(dir / "short.540", cut);
    ScriptedOperator op;
    Session opened;
    ASSERT_EQ(*OpenChannelFile(dir / "long.540", opened.memory, opened.state, op), Opened::Loaded);
    EXPECT_TRUE(opened.memory.Records == f.memory.Records && op.shown.empty());

    ASSERT_EQ(*OpenChannelFile(dir / "short.540", f.memory, f.state, op), Opened::Loaded);
    EXPECT_EQ(EncodeDataFile(f.memory, f.state).substr(kHeaderBytes),
              cut.substr(kHeaderBytes) + std::string(kDataFileBytes - cut.size(), '\0'));
    EXPECT_EQ(f.memory.ZoneCounts, Zones{1});
    EXPECT_EQ(op.shown.at(0), kInvalidData);
}

// A failed save keeps the old file and the unsaved mark. Every record saved comes back, all
// sixteen bits of every number; the lists are counted again without the template and the
// shadows, channel 1 is current, and a file with shadows drops the radio's stamp.
TEST(DataFile, SaveAndOpenRoundTrip) {
    TempDir dir;
    Session saved{VariedMemory(), {}};
    saved.memory.Rec(10).ShadList[7] = 12345, saved.memory.Rec(10).IDCall[4] = -32768;
    WriteBytes(dir / "plan.540", "old");
    std::filesystem::create_directories(dir / ".plan.540.kld540.tmp" / "x");
    EXPECT_EQ(SaveChannelFile(dir / "plan.540", saved.memory, saved.state),
              (Failure{"Error writing to file.",
                       "plan.540: " + std::filesystem::canonical(dir.Path()).string() +
                           "/.plan.540.kld540.tmp is in the way; remove it and save again"}));
    EXPECT_EQ(std::pair(saved.memory.Saved, ReadBytes(dir / "plan.540")), std::pair(false, "old"s));
    std::filesystem::remove_all(dir / ".plan.540.kld540.tmp");
    ASSERT_FALSE(SaveChannelFile(dir / "plan.540", saved.memory, saved.state));
    EXPECT_TRUE(saved.memory.Saved);

    Session opened;
    opened.state.MemoryStamp = "20261206120000", opened.memory.EnabledModes = 0x70;
    ScriptedOperator op;
    ASSERT_EQ(*OpenChannelFile(dir / "plan.540", opened.memory, opened.state, op), Opened::Loaded);
    EXPECT_TRUE(op.shown.empty());
    EXPECT_TRUE(opened.memory.Records == saved.memory.Records);
    EXPECT_EQ(std::tuple(opened.memory.ZoneCounts, opened.memory.Current, opened.state.MemoryStamp),
              std::tuple(saved.memory.ZoneCounts, 1, kNoStamp));
    EXPECT_EQ(FileCaption(opened.state.Version, dir / "plan.540"),
              "KLD - 540  [v2.6.0]  -  plan.540");
}

TEST(DataFile, NativeTestIgnoresMinorRevisionAndRadioVersion) {
    const FileHeader current = FreshHeader(ProgramVersion{});
    const std::pair<void (*)(FileHeader&), bool> rows[] = {
        {[](FileHeader& h) { h.VerMinor = "9", h.VerRev = "12", h.RadioVer = "123456"; }, true},
        {[](FileHeader& h) { h.VerMajor = "3"; }, false},
        {[](FileHeader& h) { h.FileKind = kFileKindSettings; }, false},
        {[](FileHeader& h) { h.FormatRev = 2; }, false},
        {[](FileHeader& h) { h.RadioModel = "KVS220  "; }, false},
        {[](FileHeader& h) { h.FileTag = "KLD220  "; }, false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        FileHeader h = current;
        h.FileKind = kFileKindChannelData;
        rows[i].first(h);
        EXPECT_EQ(IsNativeHeader(h, current), rows[i].second) << "row " << i;
    }
}

// A file that cannot be read fails, and an unrecognised one the operator will not import is
// declined; both leave the reset memory. A KVS-220 list is imported without a question, then
// checked (blank frequencies).
TEST(DataFile, OtherFilesAreRefusedOrImported) {
    TempDir dir;
    WriteBytes(dir / "empty.540", "");
    WriteBytes(dir / "odd.540", std::string(5000, '\xA5'));
    WriteBytes(dir / "kvs.540", "001\n002\n003\n004\n012\n");
    const Message question{"Unrecognised Format - Do you wish to try to import as old .540 file?",
                           "", Icon::Warning, Buttons::YesNo};
    // The path, the outcome, and the first thing the operator hears (the only one unless loaded).
    const std::tuple<std::filesystem::path, std::string, std::optional<Message>> rows[] = {
        {dir / "missing.540", "Error reading file.", std::nullopt},
        {dir.Path(), "Error reading file.", std::nullopt},
        {dir / "empty.540", "declined", question},
        {dir / "odd.540", "declined", question},
        {dir / "kvs.540", "loaded", kInvalidData},
    };
    for (const auto& [path, outcome, first] : rows) {
        SCOPED_TRACE(path);
        Session f;
        f.memory.Rec(5).Select = 0x81;
        ScriptedOperator op;
        op.answers = {Answer::No};
        const Result<Opened> opened = OpenChannelFile(path, f.memory, f.state, op);
        const bool loaded = opened && *opened == Opened::Loaded;
        EXPECT_EQ(!opened ? opened.Error().message : loaded ? "loaded" : "declined", outcome);
        EXPECT_EQ(op.shown.empty() ? std::nullopt : std::optional(op.shown[0]), first);
        EXPECT_TRUE(loaded || op.shown.size() <= 1);
        EXPECT_EQ(f.memory.Rec(12).IsDefined(), loaded);
        EXPECT_TRUE(loaded || f.memory.Records == ResetMemory().Records);
    }
}

namespace fs = std::filesystem;

Session Start(const TempDir& dir, std::string_view commandLine = "",
              SettingsUse use = SettingsUse::CreateWhenMissing) {
    Session s;
    s.memory.Saved = false;
    PrepareMemory(s.memory, s.state, commandLine, dir.Path(), use);
    return s;
}

std::string SettingsBytes(const FileHeader& header, const ChannelRecord& record0) {
    std::string bytes;
    AppendHeader(bytes, header);
    AppendRecord(bytes, record0);
    return bytes;
}

// Start-up takes KLD540.ini when this major version wrote it: its template makes every channel,
// its RFRec names the port. Anything else gives the defaults, written over it unless read only.
// The command line picks the modes, and the template's mode follows them.
TEST(SettingsFile, StartUpTakesAnAcceptedFileElseTheDefaults) {
    FileHeader header = FreshHeader(ProgramVersion{});
    header.VerMinor = "9", header.VerRev = "9";
    ChannelRecord police = TemplateRecord();
    police.Desc = "Police", police.Mode = kModeDigital, police.RFRec = 7;
    const std::string accepted = SettingsBytes(header, police);
    const std::string defaults = SettingsBytes(FreshHeader(ProgramVersion{}), TemplateRecord());
    EXPECT_EQ(defaults.substr(0, kHeaderBytes), "KLD540  2 6 0 \x1A\x00\x01KVRX540 000000\0"s);
    // A two-digit version number fills its field.
    EXPECT_EQ(SettingsBytes(FreshHeader({3, 12, 0}), police).substr(8, 6), "3 120 ");
    // A file of cases/settings_start.txt.
    const auto file = [&](const std::string& cell) -> std::optional<std::string> {
        if (cell == "none" || cell == "defaults") {
            return cell == "none" ? std::nullopt : std::optional(defaults);
        }
        std::string bytes = cell.starts_with("accepted") ? accepted : cell;
        if (const auto cut = cell.find(" cut "); cut != std::string::npos) {
            bytes.resize(std::stoul(cell.substr(cut + 5)));
        } else if (const auto at = cell.find('='); at != std::string::npos) {
            bytes.at(std::stoul(cell.substr(9, at - 9))) = cell.at(at + 1);
        }
        return bytes;
    };
    for (const Cells& row : Cases("settings_start.txt")) {
        SCOPED_TRACE(row.at(0));
        TempDir dir;
        const std::filesystem::path ini = dir / "KLD540.ini";
        const std::optional<std::string> before = file(row.at(1));
        if (before) {
            WriteBytes(ini, *before);
        }
        const Session s = Start(
            dir, row.at(3),
            row.at(2) == "read only" ? SettingsUse::ReadOnly : SettingsUse::CreateWhenMissing);
        const bool taken = before == accepted;
        ChannelRecord record0 = row.at(4) == "police" ? police : TemplateRecord();
        record0.Mode = static_cast<std::int16_t>(Int(row.at(5)));
        EXPECT_EQ(std::tuple(s.memory.Rec(0), s.memory.Rec(12).Desc, s.memory.Rec(12).Mode,
                             s.memory.PortNumber, s.memory.EnabledModes),
                  std::tuple(record0, record0.Desc, record0.Mode, taken ? 7 : 1, Int(row.at(6))));
        EXPECT_EQ(s.state.Header, taken ? header : FreshHeader(ProgramVersion{}));
        EXPECT_EQ(std::pair(s.memory.Saved, s.state.DebugMode), std::pair(true, false));
        EXPECT_EQ(std::filesystem::exists(ini) ? std::optional(ReadBytes(ini)) : std::nullopt,
                  file(row.at(7)));
    }
    TempDir dir;
    WriteBytes(dir / "KLD-540.log", "");
    EXPECT_TRUE(Start(dir).state.DebugMode);
}

TEST(SettingsFile, SaveDefaultsWritesPortAndTemplate) {
    TempDir dir;
    Session s = Start(dir);
    s.memory.Rec(0).Desc = "Changed";
    EXPECT_EQ(SaveSettings(12, s.memory, s.state, dir / "KLD540.ini"), std::nullopt);
    EXPECT_EQ(std::tuple(s.memory.PortNumber, s.memory.Rec(0).RFRec), std::tuple(12, 12));
    EXPECT_EQ(ReadBytes(dir / "KLD540.ini"), SettingsBytes(s.state.Header, s.memory.Rec(0)));

    const auto failed = SaveSettings(3, s.memory, s.state, dir / "missing" / "KLD540.ini");
    EXPECT_EQ(failed ? failed->message : "", "Error writing to file.");
    EXPECT_EQ(s.memory.Rec(0).RFRec, 3) << "the memory keeps the change";
}

// A folder, a FIFO behind a link: neither read (which would wait for a writer)
// nor written over. A link to nothing yet is followed as any save follows it.
TEST(SettingsFile, SomethingOtherThanAFileIsNeitherReadNorWritten) {
    const std::pair<const char*, std::function<void(const fs::path&)>> rows[] = {
        {"a folder", [](const fs::path& ini) { fs::create_directory(ini); }},
        {"a link to a FIFO", [](const fs::path& ini) { fs::create_symlink("fifo", ini); }},
        {"a link to nothing yet", [](const fs::path& ini) { fs::create_symlink("made", ini); }},
    };
    for (const auto& [name, make] : rows) {
        SCOPED_TRACE(name);
        TempDir dir;
        const fs::path ini = dir / "KLD540.ini";
        ::mkfifo((dir / "fifo").c_str(), 0600);
        make(ini);
        const auto type = fs::symlink_status(ini).type();
        ChannelMemory memory;  // empty, so that a start-up that takes nothing shows
        ProgramState state;
        const auto prepare = [&] {
            PrepareMemory(memory, state, "", dir.Path(), SettingsUse::CreateWhenMissing);
            return true;
        };
        Bounded(prepare, dir / "fifo");
        EXPECT_EQ(memory.Rec(0), TemplateRecord());
        EXPECT_EQ(fs::symlink_status(ini).type(), type);
        EXPECT_EQ(fs::exists(dir / "made"), std::string(name) == "a link to nothing yet");
    }
}

}  // namespace
}  // namespace kld::test
