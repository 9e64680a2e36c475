#include "backups.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "../cases.h"
#include "../test_memory.h"
#include "data_file.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

namespace fs = std::filesystem;

constexpr BackupTime kNoon{2026, 12, 6, 15, 30, 12};

ChannelMemory Plan(std::string_view mainName) {
    ChannelMemory memory = ResetMemory();
    memory.Rec(kFirstChannel).Desc = mainName;
    return memory;
}

// The folder is made on demand; a second backup within the second gets a name of its own, and
// each holds the memory it was given as a channel data file. Names sort as the times do: every
// number has its digits, zeros in front. Writing a backup prunes the old ones.
TEST(Backups, WrittenUnderSortableNamesWithoutReplacingAnother) {
    TempDir dir;
    const fs::path folder = dir / "data/kld540/backups";
    fs::create_directories(folder);
    WriteBytes(folder / "20191206-153012-received.540", "old");
    const ProgramState state;
    const ChannelMemory first = Plan("First"), second = Plan("Second");
    const BackupResult one = WriteBackup(folder, first, state, BackupKind::Received, kNoon);
    const BackupResult two = WriteBackup(folder, second, state, BackupKind::Received, kNoon);
    const BackupResult sent = WriteBackup(folder, first, state, BackupKind::BeforeSend, kNoon);
    ASSERT_TRUE(one && two && sent);
    EXPECT_EQ(std::tuple(*one, *two, *sent),
              std::tuple(folder / "20261206-153012-received.540",
                         folder / "20261206-153012-received-2.540",
                         folder / "20261206-153012-before-send.540"));
    EXPECT_EQ(std::pair(ReadBytes(*one), ReadBytes(*two)),
              std::pair(EncodeDataFile(first, state), EncodeDataFile(second, state)));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    EXPECT_EQ(BackupName(BackupKind::Received, {2027, 1, 2, 3, 4, 5}),
              "20270102-030405-received.540");
}

TEST(Backups, FolderFromTheEnvironment) {
    const auto set = [](const char* name, const std::string& value) {
        return value == "unset" ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
    };
    const auto was = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "unset");
    };
    const std::string xdgWas = was("XDG_DATA_HOME"), homeWas = was("HOME");
    for (const auto& row : Cases("backup_folders.txt")) {
        set("XDG_DATA_HOME", row.at(0)), set("HOME", row.at(1));
        const BackupResult folder = BackupFolder();
        EXPECT_EQ(folder ? folder->string() : folder.Error().message, row.at(2))
            << row.at(0) << " " << row.at(1);
    }
    set("XDG_DATA_HOME", xdgWas), set("HOME", homeWas);
}

// Only our own names more than a year old go; the young ones, anything else in the folder, and
// anything that is not a plain file stay.
TEST(Backups, PruningKeepsYoungAndForeignFiles) {
    TempDir dir;
    const fs::path folder = dir.Path();
    const auto names = Cases("backup_names.txt");
    std::vector<std::string> pruned;
    for (const auto& row : names) {
        WriteBytes(folder / row.at(0), row.at(1));
        if (row.at(1) == "removed") {
            pruned.push_back(row.at(0));
        }
    }
    fs::create_directory(folder / "20190101-000000-received-5.540");
    fs::create_symlink(folder / "notes.txt", folder / "20190101-000000-received-6.540");
    std::vector<std::string> removed = PruneBackups(folder, kNoon);
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, pruned);
    for (const auto& row : names) {
        EXPECT_EQ(fs::exists(folder / row.at(0)), row.at(1) == "kept") << row.at(0);
    }
    EXPECT_TRUE(fs::is_directory(folder / "20190101-000000-received-5.540"));
    EXPECT_TRUE(fs::is_symlink(folder / "20190101-000000-received-6.540"));
}

// A folder that cannot be made or written is an error result, never an exception, and leaves
// what is there alone.
TEST(Backups, UnwritableFolderIsAnError) {
    TempDir dir;
    WriteBytes(dir / "file", "mine");
    fs::create_directory(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0500);
    // The case, the folder, and whether only a user other than root meets it (root writes anyway).
    const std::tuple<const char*, fs::path, bool> rows[] = {
        {"the folder is a file", dir / "file", false},
        {"a file in the way higher up", dir / "file/kld540/backups", false},
        {"a folder nobody may create", "/proc/self/kld540/backups", false},
        {"a folder we may not write", dir / "locked", true},
    };
    for (const auto& [name, folder, needsNonRoot] : rows) {
        SCOPED_TRACE(name);
        if (needsNonRoot && ::geteuid() == 0) {
            continue;
        }
        const BackupResult result =
            WriteBackup(folder, Plan("x"), ProgramState{}, BackupKind::BeforeSend, kNoon);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.Error().message, "Backup not written");
        EXPECT_FALSE(result.Error().detail.empty());
    }
    EXPECT_EQ(ReadBytes(dir / "file"), "mine");
    EXPECT_TRUE(fs::is_empty(dir / "locked"));
    ::chmod((dir / "locked").c_str(), 0700);
}

}  // namespace
}  // namespace kld::test
