#include "settings_file.h"

#include <sys/stat.h>

#include <functional>

#include "plans.h"
#include "record_layout.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

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
