#include "settings_file.h"

#include <gtest/gtest.h>

#include "data_file.h"
#include "record_layout.h"
#include "temp_dir.h"

namespace kld {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

struct Started {
    ChannelMemory memory;
    ProgramState state;
};

Started Start(const TempDir& dir, std::string_view commandLine = "",
              SettingsUse use = SettingsUse::CreateWhenMissing) {
    Started s;
    PrepareMemory(s.memory, s.state, commandLine, dir.Path(), use);
    return s;
}

TEST(SettingsFile, CreatedWithTheTemplateWhenMissing) {
    TempDir dir;
    const Started s = Start(dir);
    const std::string bytes = ReadBytes(dir / "KLD540.ini");
    ASSERT_EQ(bytes.size(), 138u);
    EXPECT_EQ(bytes.substr(0, 14), "KLD540  2 6 0 ");
    EXPECT_EQ(bytes[15], 0) << "settings kind";
    EXPECT_EQ(bytes.substr(17, 14), "KVRX540 000000");
    EXPECT_EQ(s.memory.Rec(0), TemplateRecord());
    EXPECT_EQ(s.memory.PortNumber, 1);
    EXPECT_EQ(s.memory.Rec(0).RCTCSS, 1);
    EXPECT_EQ(s.memory.Rec(0).RFrq.View(), "141.0000  ");
    EXPECT_EQ(s.memory.Current, 1);
    EXPECT_EQ(s.memory.Rec(5).Desc.View(), "Desc    ") << "channels come from the template";
    EXPECT_FALSE(s.state.DebugMode);
    EXPECT_TRUE(s.memory.Saved);
}

TEST(SettingsFile, AcceptedFileGivesTemplateAndPort) {
    TempDir dir;
    FileHeader header = FreshHeader(ProgramVersion{});
    header.VerMinor = "9";
    header.VerRev = "9";
    ChannelRecord record0 = TemplateRecord();
    record0.Desc = "Police";
    record0.Mode = kModeDigital;
    record0.RFRec = 7;
    ASSERT_TRUE(WriteSettingsFile(dir / "KLD540.ini", header, record0));
    const std::string before = ReadBytes(dir / "KLD540.ini");

    const Started s = Start(dir);
    EXPECT_EQ(s.memory.Rec(0), record0);
    EXPECT_EQ(s.state.Header, header);
    EXPECT_EQ(s.memory.PortNumber, 7);
    EXPECT_EQ(s.memory.Rec(12).Desc.View(), "Police  ");
    EXPECT_EQ(ReadBytes(dir / "KLD540.ini"), before) << "an accepted file is not rewritten";
}

TEST(SettingsFile, RefusedFilesAreReplacedByDefaults) {
    struct Row {
        const char* name;
        std::string content;
    };
    FileHeader otherMajor = FreshHeader(ProgramVersion{});
    otherMajor.VerMajor = "3";
    FileHeader otherTag = FreshHeader(ProgramVersion{});
    otherTag.FileTag = "KLD220  ";
    std::string otherMajorBytes, otherTagBytes, valid;
    AppendHeader(otherMajorBytes, otherMajor);
    AppendRecord(otherMajorBytes, TemplateRecord());
    AppendHeader(otherTagBytes, otherTag);
    AppendRecord(otherTagBytes, TemplateRecord());
    AppendHeader(valid, FreshHeader(ProgramVersion{}));
    ChannelRecord wide = TemplateRecord();
    wide.Desc = "Other";
    AppendRecord(valid, wide);

    ChannelMemory memory;
    memory.Rec(0) = TemplateRecord();
    ClearMemory(memory);
    const Row rows[] = {
        {"empty", ""},
        {"random", std::string(500, '\x5A')},
        {"header only", valid.substr(0, 32)},
        {"one byte short", valid.substr(0, 137)},
        {"other major version", otherMajorBytes},
        {"other tag", otherTagBytes},
        {"channel data file", EncodeDataFile(memory, ProgramState{})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteBytes(dir / "KLD540.ini", row.content);
        const Started s = Start(dir);
        EXPECT_EQ(s.memory.Rec(0), TemplateRecord());
        EXPECT_EQ(ReadBytes(dir / "KLD540.ini").size(), 138u);
        EXPECT_EQ(ReadBytes(dir / "KLD540.ini").substr(0, 14), "KLD540  2 6 0 ");
    }
}

TEST(SettingsFile, ReadOnlyUseNeverWrites) {
    TempDir dir;
    Start(dir, "", SettingsUse::ReadOnly);
    EXPECT_FALSE(std::filesystem::exists(dir / "KLD540.ini"));
    WriteBytes(dir / "KLD540.ini", "garbage");
    const Started s = Start(dir, "", SettingsUse::ReadOnly);
    EXPECT_EQ(ReadBytes(dir / "KLD540.ini"), "garbage");
    EXPECT_EQ(s.memory.Rec(0), TemplateRecord());
}

TEST(SettingsFile, TemplateModeFollowsTheCommandLine) {
    struct Row {
        const char* commandLine;
        std::int16_t storedMode;
        std::int16_t startMode;
        std::uint8_t enabled;
    };
    const Row rows[] = {
        {"", kModeWide, kModeNarrow, 0x30},
        {"W", kModeNarrow, kModeWide, 0x40},
        {"x", kModeWide, kModeWide, 0x00},
        {"n  d", kModeDigital, kModeDigital, 0x30},
        {"d", 9, kModeDigital, 0x10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.commandLine);
        TempDir dir;
        ChannelRecord record0 = TemplateRecord();
        record0.Mode = row.storedMode;
        ASSERT_TRUE(WriteSettingsFile(dir / "KLD540.ini", FreshHeader(ProgramVersion{}), record0));
        const Started s = Start(dir, row.commandLine);
        EXPECT_EQ(s.memory.EnabledModes, row.enabled);
        EXPECT_EQ(s.memory.Rec(0).Mode, row.startMode);
        EXPECT_EQ(s.memory.Rec(20).Mode, row.startMode);
    }
}

TEST(SettingsFile, SaveDefaultsWritesPortAndTemplate) {
    TempDir dir;
    Started s = Start(dir);
    s.memory.Rec(0).Desc = "Changed";
    ASSERT_TRUE(SaveDefaults(12, s.memory, s.state, dir / "KLD540.ini"));
    EXPECT_EQ(s.memory.PortNumber, 12);
    const auto settings = ReadSettingsFile(dir / "KLD540.ini", ProgramVersion{});
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->Template.RFRec, 12);
    EXPECT_EQ(settings->Template.Desc.View(), "Changed ");

    EXPECT_FALSE(SaveDefaults(3, s.memory, s.state, dir / "missing" / "KLD540.ini"));
    EXPECT_EQ(s.memory.Rec(0).RFRec, 3) << "the memory keeps the change";
}

TEST(SettingsFile, DebugModeFromTheMarkerFile) {
    TempDir dir;
    WriteBytes(dir / "KLD-540.log", "");
    EXPECT_TRUE(Start(dir).state.DebugMode);
}

}  // namespace
}  // namespace kld
