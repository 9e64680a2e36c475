#include "file_io.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>

#include "../cases.h"
#include "../test_memory.h"
#include "backups.h"
#include "data_file.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
const std::string kNew = "new content\r\n";
const std::string kOld = "old content, longer than the new\r\n";  // so an in-place save must cut

struct stat Lstat(const fs::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

// Makes the blank-separated entries of layout under dir: "name" a file holding kOld, "name/" a
// folder, "name->target" a symbolic link, "name=>other" a hard link, "name@" a socket.
void Make(const fs::path& dir, const std::string& layout) {
    std::istringstream words(layout);
    for (std::string word; words >> word;) {
        if (const auto at = word.find("->"); at != std::string::npos) {
            fs::create_symlink(word.substr(at + 2), dir / word.substr(0, at));
        } else if (const auto to = word.find("=>"); to != std::string::npos) {
            fs::create_hard_link(dir / word.substr(to + 2), dir / word.substr(0, to));
        } else if (word.back() == '/') {
            fs::create_directories(dir / word);
        } else if (word.back() == '@') {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{AF_UNIX, {}};
            std::strncpy(address.sun_path, (dir / word.substr(0, word.size() - 1)).c_str(),
                         sizeof address.sun_path - 1);
            ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            ::close(fd);
        } else {
            WriteBytes(dir / word, kOld);
        }
    }
}

// Hidden entries of a folder: what a save might leave behind.
std::vector<std::string> Hidden(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string()[0] == '.') {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// fn in a child process: its exit status, or minus the signal that ended it. The child never
// returns into the test, so the test's folders are removed once.
int InChild(const std::function<int()>& fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// 0 saved, 1 refused with a reason holding `reason`, 2 refused for another, 3 WhyNotWritable
// did not foresee the outcome when `foreseen`.
int SaveOutcome(const fs::path& path, const std::string& reason, bool foreseen = true,
                const std::string& bytes = kNew) {
    const bool warned = WhyNotWritable(path).has_value();
    const auto failed = SaveFileSafely(path, bytes);
    if (foreseen && warned != failed.has_value()) {
        return 3;
    }
    return !failed ? 0 : failed->detail.find(reason) != std::string::npos ? 1 : 2;
}

TEST(SaveFileSafely, LinksAreFollowedAndOnlyRegularFilesReplaced) {
    std::vector<std::vector<std::string>> rows = Cases("save_over.txt");
    const std::string longName(250, 'x');
    rows.push_back(
        {"a name too long for the plain temporary name", longName, longName, longName, "replaced"});
    for (const auto& row : rows) {
        const std::string &target = row.at(2), &writtenName = row.at(3);
        SCOPED_TRACE(row.at(0));
        TempDir dir;
        Make(dir.Path(), row.at(1));
        // The null device, but our own node of it: should the save replace it, /dev/null stays.
        const bool device = writtenName == "null";
        if (device && ::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
            continue;  // not root: the FIFO below is written in place all the same
        }
        const fs::path written = dir / writtenName;
        const bool existed = fs::exists(written);
        if (existed && !device) {
            // Root saves another user's file: mode and owner stay hers.
            ::chown(written.c_str(), kNobody, kNobody);
            ::chmod(written.c_str(), 0604);
        }
        const struct stat before = Lstat(written);
        const bool link = fs::is_symlink(dir / target);
        const mode_t mask = ::umask(027);
        EXPECT_EQ(SaveFileSafely(dir / target, kNew), std::nullopt);
        ::umask(mask);

        const struct stat after = Lstat(written);
        if (existed) {
            EXPECT_EQ(after.st_ino != before.st_ino, row.at(4) == "replaced");
            EXPECT_EQ(std::tuple(after.st_mode, after.st_uid, after.st_gid),
                      std::tuple(before.st_mode, before.st_uid, before.st_gid));
        } else {
            EXPECT_EQ(after.st_mode & 07777, 0640u) << "0666 less the umask";
        }
        if (!device) {
            EXPECT_EQ(ReadBytes(written), kNew);
        }
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
            if (fs::is_regular_file(entry.symlink_status()) &&
                Lstat(entry.path()).st_ino != after.st_ino) {
                EXPECT_EQ(ReadBytes(entry.path()), kOld) << entry.path();
            }
        }
        EXPECT_TRUE(Hidden(dir.Path()).empty());
        EXPECT_EQ(fs::is_symlink(dir / target), link) << "a link stays a link";
    }

    // A FIFO is written in place: with a reader waiting, the save neither blocks nor replaces it.
    TempDir dir;
    ::mkfifo((dir / "fifo").c_str(), 0600);
    const int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_FALSE(SaveFileSafely(dir / "fifo", kNew));
    std::string got(100, '\0');
    got.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(reader, got.data(), 100))));
    ::close(reader);
    EXPECT_EQ(got, kNew);
    EXPECT_TRUE(S_ISFIFO(Lstat(dir / "fifo").st_mode));

    // Our own descriptor (what /dev/stdout names) goes on where it is: ">>" still appends.
    WriteBytes(dir / "out.txt", "before\n");
    const int appending = ::open((dir / "out.txt").c_str(), O_WRONLY | O_APPEND);
    EXPECT_FALSE(SaveFileSafely("/dev/fd/" + std::to_string(appending), kNew));
    ::close(appending);
    EXPECT_EQ(ReadBytes(dir / "out.txt"), "before\n" + kNew);
}

TEST(SaveFileSafely, FailedSaveLeavesTheOldFile) {
    for (const auto& row : Cases("save_refused.txt")) {
        SCOPED_TRACE(row.at(0));
        TempDir dir;
        Make(dir.Path(), row.at(1));
        const int status = InChild([&] {
            fs::path target = dir / row.at(2);
            if (target.filename() == "pipe") {
                int ends[2];
                ::pipe(ends);
                ::close(ends[0]);
                target = "/dev/fd/" + std::to_string(ends[1]);
            }
            ::signal(SIGXFSZ, SIG_IGN);
            if (row.at(3) == "full") {
                const rlimit limit{kOld.size(), kOld.size()};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            return SaveOutcome(target, row.at(4), row.at(5) == "foresees", std::string(100, 'n'));
        });
        EXPECT_EQ(status, 1) << "0 saved, 2 another reason, 3 not foreseen, <0 killed";
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
            if (fs::is_regular_file(entry.symlink_status())) {
                EXPECT_EQ(ReadBytes(entry.path()), kOld) << entry.path();
                EXPECT_NE(entry.path().filename().string()[0], '.');
            }
        }
    }
}

TEST(SaveFileSafely, PermissionsAsAnotherUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "these cases run a save as the user nobody, which needs root";
    }
    const auto owner = [](const std::string& name) { return name == "nobody" ? kNobody : 0; };
    for (const auto& row : Cases("save_as_nobody.txt")) {
        SCOPED_TRACE(row.at(0));
        const uid_t fileOwner = owner(row.at(2));
        const bool hasFile = row.at(2) != "none";
        const auto fileMode = static_cast<mode_t>(std::stoi(row.at(3), nullptr, 8));
        const int outcome = std::stoi(row.at(4));
        TempDir dir;
        const fs::path path = dir / "d/plan.540";
        Make(dir.Path(), hasFile ? "d/ d/plan.540" : "d/");
        ::chown((dir / "d").c_str(), owner(row.at(1)), owner(row.at(1)));
        ::chown(path.c_str(), fileOwner, fileOwner);
        ::chmod(path.c_str(), fileMode);
        const ino_t before = Lstat(path).st_ino;
        const int status = InChild([&] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                return 99;
            }
            return SaveOutcome(path, row.at(5));
        });
        if (status == 99) {
            GTEST_SKIP() << "cannot change to the user nobody";
        }
        EXPECT_EQ(status, outcome) << "2 another reason, 3 not foreseen by WhyNotWritable";
        EXPECT_EQ(ReadBytes(path), outcome == 0 ? kNew : hasFile ? kOld : "");
        if (hasFile) {
            const struct stat st = Lstat(path);
            EXPECT_EQ(std::tuple(st.st_uid, st.st_mode & 07777), std::tuple(fileOwner, fileMode));
            EXPECT_EQ(st.st_ino == before, row.at(6) == "in place" || outcome != 0);
        }
        EXPECT_TRUE(Hidden(dir / "d").empty());
    }
}

TEST(SafeFileWriter, TheOldFileStaysUntilCommit) {
    TempDir dir;
    const fs::path path = dir / "log.txt";
    Make(dir.Path(), "log.txt");
    {
        SafeFileWriter writer;
        ASSERT_FALSE(writer.Open(path));
        EXPECT_TRUE(writer.Write("half"));
        const auto hidden = Hidden(dir.Path());
        ASSERT_EQ(hidden.size(), 1u);
        EXPECT_EQ(Lstat(dir / hidden[0]).st_mode, mode_t{S_IFREG | 0600}) << "private";
    }
    EXPECT_EQ(ReadBytes(path), kOld) << "destroyed without Commit";
    SafeFileWriter writer;
    ASSERT_FALSE(writer.Open(path));
    writer.Write("half");
    writer.Abandon();
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_TRUE(Hidden(dir.Path()).empty());

    // In place too, nothing reaches the file before Commit.
    Make(dir.Path(), "twin=>log.txt");
    for (const fs::path& target : {dir / "new.txt", path}) {
        ASSERT_FALSE(writer.Open(target));
        EXPECT_TRUE(writer.Write("new ") && writer.Write("log"));
        EXPECT_NE(ReadBytes(target), "new log");
        EXPECT_FALSE(writer.Commit());
        EXPECT_FALSE(writer.IsOpen());
        EXPECT_EQ(ReadBytes(target), "new log");
    }
    EXPECT_EQ(ReadBytes(dir / "twin"), "new log");
    EXPECT_TRUE(Hidden(dir.Path()).empty());
}

TEST(ReadFileBytes, OnlyRegularFilesAreRead) {
    TempDir dir;
    Make(dir.Path(), "file link->file fifo-link->fifo sock@");
    ::mkfifo((dir / "fifo").c_str(), 0600);
    // What is not read says why, naming the file as it was asked for.
    const std::string notPlain = " is not a plain file (a device, a pipe or a socket)";
    const std::pair<fs::path, std::string> rows[] = {
        {"file", kOld},
        {"link", kOld},
        {"fifo", "fifo" + notPlain},
        {"fifo-link", "fifo-link" + notPlain},
        {"/dev/zero", "zero" + notPlain},
        {"sock", "sock" + notPlain},
        {".", ". is a folder, not a file"},
        {"missing", "missing: there is no such file in " + fs::absolute(dir.Path()).string()},
    };
    for (const auto& [name, want] : rows) {
        SCOPED_TRACE(name);
        const fs::path path = dir.Path() / name;
        const auto read = [&path] {
            const auto bytes = ReadFileBytes(path);
            return bytes ? std::string(bytes->begin(), bytes->end())
                         : bytes.Error().message + "|" + bytes.Error().detail;
        };
        EXPECT_EQ(Bounded(read, dir / "fifo"), want == kOld ? kOld : "Error reading file.|" + want);
    }
    EXPECT_EQ(ReadFileBytes(dir / "file", 2)->size(), 2u);
}

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
