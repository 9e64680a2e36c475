#include "file_io.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <future>

#include "settings_file.h"
#include "temp_dir.h"

namespace kld {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr uid_t kNobody = 65534;
const std::string kNew = "new content\r\n";

struct stat Lstat(const fs::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

// Hidden entries of a folder: what a save might leave behind.
std::vector<std::string> Hidden(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().front() == '.') {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// A Unix socket bound at path (left there after the descriptor is closed).
void MakeSocket(const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
}

// Runs fn in a child process; its exit status, or minus the signal that killed it. The child
// never returns into the test (its TempDir must not be removed twice).
int InChild(const std::function<int()>& fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// fn run as the user nobody, for the permission cases the tests (run as root) cannot meet
// otherwise. None when this process cannot change user.
constexpr int kNoUserChange = 99;
std::optional<int> AsNobody(const std::function<int()>& fn) {
    if (::geteuid() != 0) {
        return std::nullopt;
    }
    const int status = InChild([&fn] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            return kNoUserChange;
        }
        return fn();
    });
    return status == kNoUserChange ? std::nullopt : std::optional(status);
}

// 0 saved, 1 refused with a reason naming `reason`, 2 refused for another reason.
int SaveOutcome(const fs::path& path, const std::string& reason) {
    std::string why;
    if (SaveFileSafely(path, kNew, &why)) {
        return 0;
    }
    return why.find(reason) != std::string::npos ? 1 : 2;
}

TEST(SaveFileSafely, LinksAreFollowedAndStay) {
    struct Row {
        const char* name;
        std::vector<std::pair<const char*, const char*>> links;  // link, what it names
        const char* written;  // the file that gets the content; null when the save must fail
    };
    const Row rows[] = {
        {"one link", {{"plan.540", "real.540"}}, "real.540"},
        {"a chain", {{"plan.540", "mid.540"}, {"mid.540", "sub/real.540"}}, "sub/real.540"},
        {"relative to the link's folder",
         {{"plan.540", "sub/up.540"}, {"sub/up.540", "../r.540"}},
         "r.540"},
        {"dangling: the file it names is created",
         {{"plan.540", "sub/missing.540"}},
         "sub/missing.540"},
        {"a loop", {{"plan.540", "loop.540"}, {"loop.540", "plan.540"}}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        fs::create_directory(dir / "sub");
        WriteBytes(dir / "real.540", "old");
        WriteBytes(dir / "sub/real.540", "old");
        WriteBytes(dir / "r.540", "old");
        for (const auto& [link, target] : row.links) {
            fs::create_symlink(target, dir / link);
        }
        std::string why;
        EXPECT_EQ(SaveFileSafely(dir / "plan.540", kNew, &why), row.written != nullptr) << why;
        if (row.written != nullptr) {
            EXPECT_EQ(ReadBytes(dir / row.written), kNew);
        } else {
            EXPECT_EQ(why, "plan.540: too many symbolic links");
        }
        for (const auto& [link, target] : row.links) {
            EXPECT_EQ(fs::read_symlink(dir / link), target) << "the link stays as it was";
        }
        EXPECT_TRUE(Hidden(dir.Path()).empty());
    }
}

TEST(SaveFileSafely, RegularFilesAreReplacedWithTheirModeAndOwner) {
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> prepare;  // makes (or not) the file to save over
        mode_t mask;
        mode_t mode;
        uid_t owner;
    };
    const auto old = [](mode_t mode, uid_t owner) {
        return [=](const fs::path& path) {
            WriteBytes(path, std::string(30000, 'z'));
            ::chmod(path.c_str(), mode);
            ::chown(path.c_str(), owner, owner);
        };
    };
    const auto nothing = [](const fs::path&) {};
    const Row rows[] = {
        {"new file, umask 022", nothing, 022, 0644, 0},
        {"new file, umask 077", nothing, 077, 0600, 0},
        {"new file, umask 0", nothing, 0, 0666, 0},
        {"another user's file saved by root", old(0640, kNobody), 022, 0640, kNobody},
        {"write-protected file saved by root", old(0444, 0), 022, 0444, 0},
        {"a stale temporary file",
         [&old](const fs::path& path) {
             old(0600, 0)(path);
             WriteBytes(path.parent_path() / ".plan.540.kld540.tmp", "half a save");
         },
         022, 0600, 0},
        {"a stale temporary file that is a link",
         [&old](const fs::path& path) {
             old(0600, 0)(path);
             WriteBytes(path.parent_path() / "victim", "victim");
             fs::create_symlink("victim", path.parent_path() / ".plan.540.kld540.tmp");
         },
         022, 0600, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path path = dir / "plan.540";
        row.prepare(path);
        const ino_t before = Lstat(path).st_ino;
        const mode_t saved = ::umask(row.mask);
        EXPECT_TRUE(SaveFileSafely(path, kNew));
        ::umask(saved);
        const struct stat st = Lstat(path);
        EXPECT_EQ(ReadBytes(path), kNew);
        EXPECT_NE(st.st_ino, before) << "renamed over, not rewritten";
        EXPECT_EQ(st.st_mode & 07777, row.mode);
        EXPECT_EQ(std::tuple(st.st_uid, st.st_gid), std::tuple(row.owner, row.owner));
        EXPECT_TRUE(Hidden(dir.Path()).empty());
        if (fs::exists(dir / "victim")) {
            EXPECT_EQ(ReadBytes(dir / "victim"), "victim");
        }
    }
    // A name so long that the temporary name must be shortened.
    TempDir dir;
    const fs::path longName = dir / std::string(250, 'x');
    WriteBytes(longName, "old");
    EXPECT_TRUE(SaveFileSafely(longName, kNew));
    EXPECT_EQ(ReadBytes(longName), kNew);
    EXPECT_TRUE(Hidden(dir.Path()).empty());
}

TEST(SaveFileSafely, WhatCannotBeReplacedIsWrittenInPlace) {
    struct Row {
        const char* name;
        std::function<fs::path(const TempDir&)> prepare;  // the path to save to
        std::function<void(const TempDir&)> check;
    };
    int reader = -1;
    int appended = -1;
    const Row rows[] = {
        {"a hard link stays joined",
         [](const TempDir& dir) {
             WriteBytes(dir / "a.540", "old");
             fs::create_hard_link(dir / "a.540", dir / "b.540");
             return dir / "a.540";
         },
         [](const TempDir& dir) {
             EXPECT_EQ(ReadBytes(dir / "b.540"), kNew);
             EXPECT_EQ(Lstat(dir / "a.540").st_ino, Lstat(dir / "b.540").st_ino);
         }},
        {"a FIFO",
         [&reader](const TempDir& dir) {
             ::mkfifo((dir / "fifo").c_str(), 0600);
             // A reader first, so the save neither waits nor fills the pipe.
             reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
             return dir / "fifo";
         },
         [&reader](const TempDir& dir) {
             std::string got(100, '\0');
             got.resize(static_cast<std::size_t>(
                 std::max<ssize_t>(0, ::read(reader, got.data(), got.size()))));
             ::close(reader);
             EXPECT_EQ(got, kNew);
             EXPECT_TRUE(S_ISFIFO(Lstat(dir / "fifo").st_mode));
         }},
        {"/dev/null", [](const TempDir&) { return fs::path("/dev/null"); },
         [](const TempDir&) { EXPECT_TRUE(S_ISCHR(Lstat("/dev/null").st_mode)); }},
        {"our own descriptor, as /dev/stdout is, carries on where it is",
         [&appended](const TempDir& dir) {
             WriteBytes(dir / "out.txt", "before\n");
             appended = ::open((dir / "out.txt").c_str(), O_WRONLY | O_APPEND);
             return fs::path("/dev/fd/" + std::to_string(appended));
         },
         [&appended](const TempDir& dir) {
             ::close(appended);
             EXPECT_EQ(ReadBytes(dir / "out.txt"), "before\n" + kNew);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path path = row.prepare(dir);
        const ino_t before = Lstat(path).st_ino;
        std::string why;
        EXPECT_TRUE(SaveFileSafely(path, kNew, &why)) << why;
        EXPECT_EQ(Lstat(path).st_ino, before);
        row.check(dir);
        EXPECT_TRUE(Hidden(dir.Path()).empty());
    }
}

TEST(SaveFileSafely, FailedSaveLeavesTheOldFile) {
    struct Row {
        const char* name;
        std::function<fs::path(const TempDir&)> prepare;  // run in the child; the path to save to
        rlim_t sizeLimit;                                 // a full disk, as root meets it
        const char* reason;
    };
    const Row rows[] = {
        {"the disk fills during the save", [](const TempDir& dir) { return dir / "old.540"; }, 5,
         "old.540: the file would be too large"},
        {"the disk is full before an in-place save",
         [](const TempDir& dir) {
             fs::create_hard_link(dir / "old.540", dir / "twin.540");
             return dir / "old.540";
         },
         5, "old.540: the file would be too large"},
        {"the temporary name is held by a folder",
         [](const TempDir& dir) {
             fs::create_directories(dir / ".old.540.kld540.tmp/x");
             return dir / "old.540";
         },
         0, ".old.540.kld540.tmp is in the way"},
        {"a socket",
         [](const TempDir& dir) {
             MakeSocket(dir / "sock");
             return dir / "sock";
         },
         0, "sock is a socket"},
        {"a folder", [](const TempDir& dir) { return dir.Path() / "sub"; }, 0, "sub is a folder"},
        {"the program reading a pipe has stopped",
         [](const TempDir&) {
             int ends[2];
             ::pipe(ends);
             ::close(ends[0]);
             return fs::path("/dev/fd/" + std::to_string(ends[1]));
         },
         0, "the program reading it has stopped"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteBytes(dir / "old.540", "old");
        fs::create_directory(dir / "sub");
        const int status = InChild([&] {
            const fs::path path = row.prepare(dir);
            ::signal(SIGXFSZ, SIG_IGN);
            if (row.sizeLimit != 0) {
                const rlimit limit{row.sizeLimit, row.sizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            return SaveOutcome(path, row.reason);
        });
        EXPECT_EQ(status, 1) << "0 saved, 2 another reason, negative a signal";
        EXPECT_EQ(ReadBytes(dir / "old.540"), "old");
        for (const std::string& name : Hidden(dir.Path())) {
            EXPECT_EQ(name, ".old.540.kld540.tmp") << "only the folder in the way is left";
        }
    }
}

TEST(SaveFileSafely, PermissionsAsAnotherUser) {
    struct Row {
        const char* name;
        uid_t folderOwner;
        std::optional<uid_t> fileOwner;  // none: no file yet
        mode_t fileMode;
        int outcome;  // as SaveOutcome gives it
        const char* reason;
        bool inPlace;
    };
    const Row rows[] = {
        {"own file in own folder", kNobody, kNobody, 0640, 0, "", false},
        {"own write-protected file", kNobody, kNobody, 0444, 1, "plan.540 is write-protected",
         false},
        {"another user's file", kNobody, 0, 0644, 1, "belongs to another user", false},
        {"new file in a folder we may not write", 0, std::nullopt, 0, 1,
         "no permission to create files in the folder", false},
        {"own file in a folder we may not write", 0, kNobody, 0644, 0, "", true},
        {"another user's writable file keeps its owner", kNobody, 0, 0666, 0, "", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path folder = dir / "folder";
        const fs::path path = folder / "plan.540";
        fs::create_directory(folder);
        ::chown(folder.c_str(), row.folderOwner, row.folderOwner);
        if (row.fileOwner) {
            WriteBytes(path, "old");
            ::chown(path.c_str(), *row.fileOwner, *row.fileOwner);
            ::chmod(path.c_str(), row.fileMode);
        }
        const ino_t before = Lstat(path).st_ino;
        const auto status = AsNobody([&] {
            // What WhyNotWritable promises, the save must keep.
            const bool warned = WhyNotWritable(path).has_value();
            const int outcome = SaveOutcome(path, row.reason);
            return warned == (outcome != 0) ? outcome : 3;
        });
        if (!status) {
            GTEST_SKIP() << "these cases run a save as the user nobody, which needs root";
        }
        EXPECT_EQ(*status, row.outcome) << "3: WhyNotWritable disagreed with the save";
        EXPECT_EQ(ReadBytes(path), row.outcome == 0 ? kNew : row.fileOwner ? "old" : "");
        if (row.fileOwner) {
            const struct stat st = Lstat(path);
            EXPECT_EQ(st.st_uid, *row.fileOwner);
            EXPECT_EQ(st.st_mode & 07777, row.fileMode);
            EXPECT_EQ(st.st_ino == before, row.inPlace || row.outcome != 0);
        }
        EXPECT_TRUE(Hidden(folder).empty());
    }
}

TEST(WhyNotWritable, SaysWhyBeforeAnythingIsWritten) {
    TempDir dir;
    WriteBytes(dir / "file", "");
    MakeSocket(dir / "sock");
    const std::string folder = fs::canonical(dir.Path()).string();
    const std::pair<fs::path, std::optional<std::string>> rows[] = {
        {dir / "plan.540", std::nullopt},
        {"/dev/null", std::nullopt},
        {dir / "no/plan.540", "plan.540: the folder " + folder + "/no does not exist"},
        {dir / "file/plan.540", "plan.540: " + folder + "/file is not a folder"},
        {dir / "sock", "sock is a socket, which cannot be opened as a file"},
    };
    for (const auto& [path, reason] : rows) {
        SCOPED_TRACE(path);
        EXPECT_EQ(WhyNotWritable(path), reason);
    }
    EXPECT_FALSE(fs::exists(dir / "plan.540"));
}

TEST(SafeFileWriter, TheOldFileStaysUntilCommit) {
    TempDir dir;
    const fs::path path = dir / "log.txt";
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0644);
    {
        SafeFileWriter writer;
        ASSERT_TRUE(writer.Open(path));
        EXPECT_TRUE(writer.Write("half"));
        const auto hidden = Hidden(dir.Path());
        ASSERT_EQ(hidden.size(), 1u);
        const struct stat temp = Lstat(dir / hidden[0]);
        EXPECT_TRUE(S_ISREG(temp.st_mode));
        EXPECT_EQ(temp.st_mode & 07777, 0600u) << "private while it is written";
        EXPECT_EQ(ReadBytes(path), "old");
    }
    EXPECT_EQ(ReadBytes(path), "old") << "destroyed without Commit";
    EXPECT_TRUE(Hidden(dir.Path()).empty());

    SafeFileWriter writer;
    ASSERT_TRUE(writer.Open(path));
    writer.Write("half");
    writer.Abandon();
    EXPECT_EQ(ReadBytes(path), "old");
    ASSERT_TRUE(writer.Open(path));
    EXPECT_TRUE(writer.Write("new ") && writer.Write("log"));
    EXPECT_TRUE(writer.Commit());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(ReadBytes(path), "new log");
    EXPECT_EQ(Lstat(path).st_mode & 07777, 0644u);

    // In place: nothing reaches the file before Commit either.
    fs::create_hard_link(path, dir / "twin.txt");
    ASSERT_TRUE(writer.Open(path));
    writer.Write("third");
    EXPECT_EQ(ReadBytes(dir / "twin.txt"), "new log");
    EXPECT_TRUE(writer.Commit());
    EXPECT_EQ(ReadBytes(dir / "twin.txt"), "third");
    EXPECT_TRUE(Hidden(dir.Path()).empty());

    EXPECT_FALSE(writer.Open(dir / "no/log.txt"));
    EXPECT_NE(writer.Error().find("does not exist"), std::string::npos);
}

// Runs work, and if it is still waiting after two seconds, fails and opens the FIFO at both
// ends so that it finishes.
template <typename Work>
auto Bounded(Work work, const fs::path& fifo) {
    auto future = std::async(std::launch::async, work);
    if (future.wait_for(2s) == std::future_status::ready) {
        return future.get();
    }
    ADD_FAILURE() << "blocked on the FIFO";
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    auto result = future.get();
    ::close(reader);
    return result;
}

TEST(ReadFileBytes, OnlyRegularFilesAreRead) {
    TempDir dir;
    WriteBytes(dir / "file", "bytes");
    fs::create_symlink("file", dir / "link");
    ::mkfifo((dir / "fifo").c_str(), 0600);
    fs::create_symlink("fifo", dir / "fifo-link");
    MakeSocket(dir / "sock");
    const std::pair<fs::path, bool> rows[] = {
        {dir / "file", true},       {dir / "link", true},  {dir / "fifo", false},
        {dir / "fifo-link", false}, {"/dev/zero", false},  {dir / "sock", false},
        {dir.Path(), false},        {dir / "none", false},
    };
    for (const auto& [path, read] : rows) {
        SCOPED_TRACE(path);
        const auto bytes = Bounded([&path] { return ReadFileBytes(path); }, dir / "fifo");
        EXPECT_EQ(bytes.has_value(), read);
        if (bytes && read) {
            EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "bytes");
        }
    }
    EXPECT_EQ(ReadFileBytes(dir / "file", 3)->size(), 3u);
}

TEST(SettingsFile, SomethingOtherThanAFileIsNeitherReadNorWritten) {
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> prepare;
        bool created;  // settings.bin, through the link
    };
    const Row rows[] = {
        {"a folder", [](const fs::path& ini) { fs::create_directory(ini); }, false},
        {"a FIFO", [](const fs::path& ini) { ::mkfifo(ini.c_str(), 0600); }, false},
        {"a link to a FIFO",
         [](const fs::path& ini) {
             ::mkfifo((ini.parent_path() / "fifo").c_str(), 0600);
             fs::create_symlink("fifo", ini);
         },
         false},
        {"a link to nothing yet: the file it names is created",
         [](const fs::path& ini) { fs::create_symlink("settings.bin", ini); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path ini = dir / "KLD540.ini";
        row.prepare(ini);
        const mode_t type = Lstat(ini).st_mode & S_IFMT;
        ChannelMemory memory;
        ProgramState state;
        Bounded(
            [&] {
                PrepareMemory(memory, state, "", dir.Path(), SettingsUse::CreateWhenMissing);
                return 0;
            },
            ini);
        EXPECT_EQ(memory.Rec(0), TemplateRecord());
        EXPECT_EQ(Lstat(ini).st_mode & S_IFMT, type);
        EXPECT_EQ(fs::exists(dir / "settings.bin"), row.created);
        EXPECT_TRUE(Hidden(dir.Path()).empty());
    }
}

}  // namespace
}  // namespace kld
