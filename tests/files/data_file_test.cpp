#include "data_file.h"

#include <gtest/gtest.h>

#include <random>

#include "../core/fake_operator.h"
#include "record_layout.h"
#include "settings_file.h"
#include "temp_dir.h"

namespace kld {
namespace {

using test::ReadBytes;
using test::ScriptedOperator;
using test::TempDir;
using test::WriteBytes;

// Memory and state as the desktop program has them right after start-up with default settings.
struct Fresh {
    ChannelMemory memory;
    ProgramState state;
    Fresh() {
        memory.Rec(0) = TemplateRecord();
        ClearMemory(memory);
    }
};

std::int16_t Int16At(const std::string& bytes, std::size_t offset) {
    return static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[offset]) |
                                     (static_cast<std::uint8_t>(bytes[offset + 1]) << 8));
}

TEST(DataFileLayout, ResetMemorySavesToKnownBytes) {
    Fresh f;
    f.state.Header.FileKind = kFileKindSettings;  // the settings file's header is the start point
    const std::string bytes = EncodeDataFile(f.memory, f.state);
    ASSERT_EQ(bytes.size(), 24730u);
    EXPECT_EQ(bytes.substr(0, 14), "KLD540  2 6 0 ");
    EXPECT_EQ(bytes[14], 0x1A);
    EXPECT_EQ(bytes[15], 1) << "a saved file is always channel data";
    EXPECT_EQ(bytes[16], 1);
    EXPECT_EQ(bytes.substr(17, 14), "KVRX540 020000");
    EXPECT_EQ(bytes[31], 0);

    // Record 231 (Guard 1) at its place in the file, field by field.
    const std::size_t guard = kHeaderBytes + 231 * kRecordBytes;
    EXPECT_EQ(Int16At(bytes, guard + record_offset::Select), 0x80);
    EXPECT_EQ(Int16At(bytes, guard + record_offset::Shad), 0x80);
    EXPECT_EQ(Int16At(bytes, guard + record_offset::Prim), 231);
    EXPECT_EQ(Int16At(bytes, guard + record_offset::Scan), 0xF0);
    EXPECT_EQ(bytes.substr(guard + record_offset::Desc, 8), "Guard 1 ");
    EXPECT_EQ(Int16At(bytes, guard + record_offset::EFlags), 32);
    EXPECT_EQ(Int16At(bytes, guard + record_offset::RSql), 't');
    EXPECT_EQ(bytes.substr(guard + record_offset::RTG, 6), "0001  ");
    EXPECT_EQ(bytes.substr(guard + record_offset::RNAC, 6), "293   ");
    EXPECT_EQ(bytes.substr(guard + record_offset::RFrq, 10), "154.0000  ");
    EXPECT_EQ(bytes.substr(guard + record_offset::TFrq, 10), "154.0000  ");
    EXPECT_EQ(Int16At(bytes, guard + record_offset::IDCall + 6), 1);
    EXPECT_EQ(Int16At(bytes, guard + record_offset::RFRec), 0);
    // Record 5 is an undefined copy of the template.
    const std::size_t five = kHeaderBytes + 5 * kRecordBytes;
    EXPECT_EQ(Int16At(bytes, five + record_offset::Select), 0);
    EXPECT_EQ(Int16At(bytes, five + record_offset::RFRec), 10);
    EXPECT_EQ(bytes.substr(five + record_offset::Desc, 8), "Desc    ");
}

TEST(DataFileLayout, NegativeAndLargeNumbersRoundTrip) {
    ChannelRecord r = TemplateRecord();
    r.Select = -1;
    r.Scan = 0x7FFF;
    r.IDCall[4] = -32768;
    r.ShadList[7] = 12345;
    std::string bytes;
    AppendRecord(bytes, r);
    ASSERT_EQ(bytes.size(), kRecordBytes);
    ByteSource source{std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())};
    EXPECT_EQ(ReadRecord(source), r);
}

TEST(DataFile, SaveAndOpenRoundTrip) {
    TempDir dir;
    Fresh saved;
    ChannelRecord& seven = saved.memory.Rec(7);
    seven = saved.memory.Rec(1);
    seven.Prim = seven.Chnl = 7;
    seven.Scan = 0x30;
    seven.Desc = "Fire";
    seven.Select = 0xA1;
    seven.Shad = kShadPrimary;
    seven.ShadList[0] = 8;
    ChannelRecord& eight = saved.memory.Rec(8);
    eight = seven;
    eight.Chnl = 8;
    eight.Shad = 1;
    eight.ShadList[0] = 0;
    saved.memory.Saved = false;
    ScriptedOperator op;
    ASSERT_TRUE(SaveChannelFile(dir / "plan.540", saved.memory, saved.state, op));
    EXPECT_TRUE(saved.memory.Saved);
    EXPECT_EQ(std::filesystem::file_size(dir / "plan.540"), 24730u);

    Fresh opened;
    opened.state.MemoryStamp = "20261206120000";
    ASSERT_EQ(OpenChannelFile(dir / "plan.540", opened.memory, opened.state, op),
              OpenResult::Loaded);
    EXPECT_TRUE(op.shown.empty());
    for (int i = 0; i <= kLastRecord; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(opened.memory.Rec(i), saved.memory.Rec(i));
    }
    // Main and 7 in list 0 and 3, the shadow not counted, the guards in list 15.
    std::array<std::int16_t, 16> zones{};
    zones[0] = 1;
    zones[3] = 1;
    zones[15] = 2;
    EXPECT_EQ(opened.memory.ZoneCounts, zones);
    EXPECT_EQ(opened.memory.Current, 1);
    EXPECT_EQ(opened.state.MemoryStamp, kNoStamp) << "a file with shadows invalidates the stamp";
    EXPECT_EQ(FileCaption(opened.state.Version, dir / "plan.540"), "KLD - 540  [v2.6.0]  -  plan.540");
}

TEST(DataFile, NativeTestLooksOnlyAtTagMajorModelKindAndFormat) {
    const FileHeader current = FreshHeader(ProgramVersion{});
    FileHeader native = current;
    native.FileKind = kFileKindChannelData;
    struct Row {
        const char* name;
        void (*change)(FileHeader&);
        bool native;
    };
    const Row rows[] = {
        {"unchanged", [](FileHeader&) {}, true},
        {"other minor", [](FileHeader& h) { h.VerMinor = "9"; }, true},
        {"other revision", [](FileHeader& h) { h.VerRev = "12"; }, true},
        {"other radio version", [](FileHeader& h) { h.RadioVer = "123456"; }, true},
        {"other eof mark", [](FileHeader& h) { h.EofMark = 0; }, true},
        {"other major", [](FileHeader& h) { h.VerMajor = "3"; }, false},
        {"settings kind", [](FileHeader& h) { h.FileKind = kFileKindSettings; }, false},
        {"other format", [](FileHeader& h) { h.FormatRev = 2; }, false},
        {"other model", [](FileHeader& h) { h.RadioModel = "KVS220  "; }, false},
        {"other tag", [](FileHeader& h) { h.FileTag = "KLD220  "; }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileHeader h = native;
        row.change(h);
        EXPECT_EQ(IsNativeHeader(h, current), row.native);
    }
}

TEST(DataFile, ShortFileReadsZerosPastItsEnd) {
    TempDir dir;
    Fresh f;
    const std::string full = EncodeDataFile(f.memory, f.state);
    // Cut in the middle of record 1: it keeps its first bytes, everything after is zero.
    WriteBytes(dir / "short.540", full.substr(0, kHeaderBytes + kRecordBytes + 14));
    ScriptedOperator op;
    ASSERT_EQ(OpenChannelFile(dir / "short.540", f.memory, f.state, op), OpenResult::Loaded);
    EXPECT_EQ(f.memory.Rec(1).Select, 0x80);
    EXPECT_EQ(f.memory.Rec(1).Desc.View(), std::string_view("Main\0\0\0\0", 8));
    ChannelRecord zeros;
    for (auto* text : {&zeros.RTG, &zeros.RNAC, &zeros.TTG, &zeros.TNAC}) {
        text->Bytes().fill('\0');
    }
    zeros.Desc.Bytes().fill('\0');
    zeros.RFrq.Bytes().fill('\0');
    zeros.TFrq.Bytes().fill('\0');
    EXPECT_EQ(f.memory.Rec(100), zeros);
    EXPECT_EQ(f.memory.ZoneCounts[0], 1);
    ASSERT_FALSE(op.shown.empty());
    EXPECT_EQ(op.shown[0].text, "Memory data contains invalid data");
}

TEST(DataFile, OversizedFileReadsItsFirstRecordsOnly) {
    TempDir dir;
    Fresh f;
    std::string bytes = EncodeDataFile(f.memory, f.state);
    bytes.append(100000, '\xFF');
    WriteBytes(dir / "long.540", bytes);
    ScriptedOperator op;
    Fresh opened;
    ASSERT_EQ(OpenChannelFile(dir / "long.540", opened.memory, opened.state, op),
              OpenResult::Loaded);
    EXPECT_EQ(opened.memory.Rec(232), f.memory.Rec(232));
    EXPECT_EQ(opened.memory.Rec(233), ChannelRecord{}) << "the spare slot is never read";
}

TEST(DataFile, UnreadableFileLeavesTheResetMemory) {
    TempDir dir;
    Fresh f;
    f.memory.Rec(5).Select = 0x81;
    ScriptedOperator op;
    EXPECT_EQ(OpenChannelFile(dir / "missing.540", f.memory, f.state, op), OpenResult::Failed);
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Error reading file.");
    EXPECT_EQ(f.memory.Rec(5).Select, 0);

    op.shown.clear();
    EXPECT_EQ(OpenChannelFile(dir.Path(), f.memory, f.state, op), OpenResult::Failed)
        << "a folder is no file";
}

TEST(DataFile, UnrecognisedFileAsksBeforeImporting) {
    TempDir dir;
    std::mt19937 random(7);
    std::string noise(5000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    for (const std::string& content : {std::string(), noise}) {
        WriteBytes(dir / "odd.540", content);
        Fresh f;
        ScriptedOperator op;
        op.answers = {Answer::No};
        EXPECT_EQ(OpenChannelFile(dir / "odd.540", f.memory, f.state, op), OpenResult::Declined);
        ASSERT_EQ(op.shown.size(), 1u);
        EXPECT_EQ(op.shown[0], (Message{"Unrecognised Format - Do you wish to try to import as "
                                        "old .540 file?",
                                        "", Icon::Warning, Buttons::YesNo}));
        Fresh reset;
        for (int i = 0; i <= kLastRecord; ++i) {
            ASSERT_EQ(f.memory.Rec(i), reset.memory.Rec(i));
        }
    }
}

TEST(DataFile, FailedSaveKeepsTheOldFileAndTheUnsavedMark) {
    TempDir dir;
    Fresh f;
    f.memory.Saved = false;
    ScriptedOperator op;
    EXPECT_FALSE(SaveChannelFile(dir / "no-such-folder" / "x.540", f.memory, f.state, op));
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Error writing to file.");
    EXPECT_FALSE(f.memory.Saved);

    // Saving over a longer file replaces it whole and leaves nothing else in the folder.
    WriteBytes(dir / "x.540", std::string(30000, 'z'));
    ASSERT_TRUE(SaveChannelFile(dir / "x.540", f.memory, f.state, op));
    EXPECT_EQ(ReadBytes(dir / "x.540"), EncodeDataFile(f.memory, f.state));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace kld
