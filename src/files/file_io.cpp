// The files layer keeps to the standard library everywhere but here. Saving a file as careful Unix
// tools do needs what only POSIX offers (exclusive creation, fsync, a descriptor's owner and mode,
// access as the kernel judges it, the file behind a /proc link), and reading must not block on a
// FIFO; so this file, and no other in src/files, makes those calls.
#include "file_io.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <utility>

#include "characters.h"
#include "file_messages.h"
#include "file_reasons.h"

namespace kld {

namespace fs = std::filesystem;
using namespace file_reasons;

namespace {

// The kernel's own limit on the links in one path.
constexpr int kMaxLinks = 40;

// Closes a descriptor on every way out.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // close() can report a write that failed late (NFS, a full disk); the caller must hear it.
    int Close() { return ::close(std::exchange(fd_, -1)); }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes, int& err) {
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            err = done < 0 ? errno : EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

// umask() can only be read by setting it, which another thread creating a file meanwhile would
// feel; the kernel also shows it in /proc.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "Umask: %o", &value) == 1) {
            return static_cast<mode_t>(value & 0777);
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// While held, a write to a pipe whose reader has gone fails with EPIPE instead of ending the
// program (the window may hold unsaved work).
class SigpipeHeld {
  public:
    SigpipeHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    }
    ~SigpipeHeld() {
        if (!wasPending_) {
            const timespec now{};
            while (sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;

  private:
    sigset_t pipe_{};
    sigset_t old_{};
    bool wasPending_ = false;
};

// Hidden, and named after the target so that the next save of the same file finds and replaces
// one left behind by a save that was killed. Long names are cut and told apart by a hash.
fs::path TempPathFor(const fs::path& file) {
    const std::string name = file.filename().string();
    std::string temp = "." + name + ".kld540.tmp";
    if (temp.size() > NAME_MAX) {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a: the same in every build
        for (const unsigned char c : name) {
            hash = (hash ^ c) * 1099511628211ull;
        }
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        temp = "." + name.substr(0, 200) + "." + hex + ".kld540.tmp";
    }
    return FolderOf(file) / temp;
}

bool OnProcFs(const fs::path& folder) {
    struct statfs info {};
    return ::statfs(folder.c_str(), &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The descriptor n when folder is this process's own /proc/self/fd (or /dev/fd) and the link is
// its entry n; -1 otherwise.
int OwnDescriptor(const fs::path& link) {
    struct stat folder {};
    struct stat ours {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0 || ::stat("/proc/self/fd", &ours) != 0 ||
        !SameFile(folder, ours)) {
        return -1;
    }
    const std::string name = link.filename().string();
    if (name.empty() || name.size() > 9 || !IsDigits(name)) {
        return -1;
    }
    return std::stoi(name);
}

enum class Way {
    Create,   // no file yet: the temporary file becomes it
    Replace,  // a regular file: the temporary file is renamed over it
    InPlace,  // written through its own name, never replaced
    Stream,   // one of this program's own open descriptors (/dev/stdout): written to it
};

struct Plan {
    Way way = Way::Create;
    fs::path file;      // the file to write, links followed
    std::string name;   // how reasons name it
    struct stat st {};  // the existing file
    int descriptor = -1;
};

std::optional<std::string> CheckNewFile(const Plan& plan) {
    const std::string leaf = plan.file.filename().string();
    if (leaf.empty() || leaf == "." || leaf == "..") {
        return plan.name + ": not a file name";
    }
    const fs::path folder = FolderOf(plan.file);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) {
            return plan.name + ": the folder " + FolderName(folder) + " does not exist";
        }
        return plan.name + ": the folder " + FolderName(folder) + " cannot be reached (" +
               Words(err) + ")";
    }
    if (!S_ISDIR(st.st_mode)) {
        return plan.name + ": " + FolderName(folder) + " is not a folder";
    }
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        const int err = errno;
        if (err == EROFS) {
            return plan.name + ": the folder " + FolderName(folder) + " is on a read-only disk" +
                   Remedy(err);
        }
        return plan.name + ": no permission to create files in the folder " + FolderName(folder) +
               ". Save to a folder of your own, such as your home folder";
    }
    return std::nullopt;
}

std::optional<std::string> CheckExistingFile(Plan& plan) {
    const mode_t type = plan.st.st_mode & S_IFMT;
    if (type == S_IFDIR) {
        return plan.name + " is a folder, not a file";
    }
    if (plan.way == Way::Stream) {
        return std::nullopt;  // whatever the descriptor is (a socket too), it is written as it is
    }
    if (type == S_IFSOCK) {
        return plan.name + " is a socket, which cannot be opened as a file";
    }
    // The kernel's own judgement, as a plain write would meet it: root may write what it may.
    if (::faccessat(AT_FDCWD, plan.file.c_str(), W_OK, AT_EACCESS) != 0) {
        const int err = errno;
        if (err == EROFS) {
            return plan.name + " is on a read-only disk" + Remedy(err);
        }
        if (err == EACCES || err == EPERM) {
            return plan.st.st_uid == ::geteuid()
                       ? plan.name +
                             " is write-protected. Save under another name, or allow "
                             "writing it (chmod u+w)"
                       : plan.name +
                             " belongs to another user and may not be written. Save "
                             "under another name";
        }
        return plan.name + " cannot be written (" + Words(err) + ")";
    }
    if (type != S_IFREG || plan.way == Way::InPlace) {
        plan.way = Way::InPlace;
        return std::nullopt;
    }
    // Renaming over the file would split its hard links, and needs a folder we may write.
    const bool folderWritable =
        ::faccessat(AT_FDCWD, FolderOf(plan.file).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
    plan.way = plan.st.st_nlink > 1 || !folderWritable ? Way::InPlace : Way::Replace;
    return std::nullopt;
}

// Follows the links of path to the file a save must write, and decides how to write it.
std::optional<Plan> MakePlan(const fs::path& path, std::string& why) {
    Plan plan;
    plan.file = path;
    const std::string given = path.filename().empty() ? path.string() : path.filename().string();
    plan.name = given;
    for (int links = 0;; ++links) {
        if (::lstat(plan.file.c_str(), &plan.st) != 0) {
            const int err = errno;
            if (err != ENOENT && err != ENOTDIR) {
                why = Reason(plan.name, "looking for it", err);
                return std::nullopt;
            }
            plan.way = Way::Create;
            if (auto problem = CheckNewFile(plan)) {
                why = *problem;
                return std::nullopt;
            }
            return plan;
        }
        if (!S_ISLNK(plan.st.st_mode)) {
            break;
        }
        if (links == kMaxLinks) {
            why = given + ": too many symbolic links";
            return std::nullopt;
        }
        // The links under /proc (/dev/stdout leads there) name open files, pipes and terminals
        // that no path reaches: only the kernel can follow them.
        if (OnProcFs(FolderOf(plan.file))) {
            plan.name = path.string();  // "stdout" alone would puzzle
            plan.descriptor = OwnDescriptor(plan.file);
            plan.way = plan.descriptor >= 0 ? Way::Stream : Way::InPlace;
            if (::stat(plan.file.c_str(), &plan.st) != 0) {
                why = Reason(plan.name, "opening it", errno);
                return std::nullopt;
            }
            break;
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(plan.file, ec);
        if (ec) {
            why = Reason(plan.name, "reading the link", ec.value());
            return std::nullopt;
        }
        plan.file = next.is_absolute() ? next : plan.file.parent_path() / next;
        plan.name = given + " (a link to " + plan.file.string() + ")";
    }
    if (auto problem = CheckExistingFile(plan)) {
        why = *problem;
        return std::nullopt;
    }
    return plan;
}

void SyncFolder(const fs::path& folder) {
    // Makes the rename itself durable; a folder that cannot be synced still has the new file.
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) {
        ::fsync(fd.Get());
    }
}

// Why something that is not a regular file is not read.
Failure NotAFile(const fs::path& path, const struct stat& st) {
    const std::string name = path.filename().empty() ? path.string() : path.filename().string();
    return ReadFailure(S_ISDIR(st.st_mode)
                           ? name + " is a folder, not a file"
                           : name + " is not a plain file (a device, a pipe or a socket)");
}

}  // namespace

Result<std::vector<std::uint8_t>> ReadFileBytes(const fs::path& path, std::size_t maxBytes) {
    // Looked at before it is opened: opening a device can have effects (a serial port raises its
    // lines) and a FIFO's open waits for a writer.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return ReadFailureOf(path, errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return NotAFile(path, st);
    }
    // The name may have become something else since: O_NONBLOCK keeps that open from waiting
    // and fstat says what was really opened.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0) {
        return ReadFailureOf(path, errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return NotAFile(path, st);
    }
    std::vector<std::uint8_t> bytes;
    constexpr std::size_t kChunk = 64 * 1024;
    while (bytes.size() < maxBytes) {
        const std::size_t had = bytes.size();
        bytes.resize(had + std::min(kChunk, maxBytes - had));
        const ssize_t got = ::read(fd.Get(), bytes.data() + had, bytes.size() - had);
        if (got < 0 && errno == EINTR) {
            bytes.resize(had);
            continue;
        }
        if (got < 0) {
            return ReadFailureOf(path, errno);
        }
        bytes.resize(had + static_cast<std::size_t>(got));
        if (got == 0) {
            break;
        }
    }
    return bytes;
}

std::optional<Failure> SaveFileSafely(const fs::path& path, std::string_view bytes) {
    SafeFileWriter writer;
    if (auto failed = writer.Open(path)) {
        return failed;
    }
    writer.Write(bytes);
    return writer.Commit();
}

std::optional<Failure> WhyNotWritable(const fs::path& path) {
    std::string why;
    if (!MakePlan(path, why)) {
        return WriteFailure(std::move(why));
    }
    return std::nullopt;
}

SafeFileWriter::~SafeFileWriter() {
    Abandon();
}

std::optional<Failure> SafeFileWriter::Open(const fs::path& target) {
    Abandon();
    failed_.reset();
    std::string why;
    auto plan = MakePlan(target, why);
    if (!plan) {
        Fail(std::move(why));
        return failed_;
    }
    target_ = plan->file;
    name_ = plan->name;
    descriptor_ = plan->descriptor;
    inPlace_ = plan->way == Way::InPlace || plan->way == Way::Stream;
    if (!inPlace_) {
        temp_ = TempPathFor(target_);
        // A stale temporary file is ours to replace. unlink never follows a link, and the
        // exclusive create below refuses whatever takes the name meanwhile.
        ::unlink(temp_.c_str());
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            // Only what unlink could not remove (a folder) makes the name exist still.
            const int err = errno;
            std::string reason = err == EEXIST ? name_ + ": " + FolderName(temp_) +
                                                     " is in the way; remove it and save again"
                                               : Reason(name_, "creating " + temp_.string(), err);
            temp_.clear();  // whatever holds the name is not ours
            Fail(std::move(reason));
            return failed_;
        }
        if (plan->way == Way::Create) {
            mode_ = 0666 & ~CurrentUmask();
        } else {
            mode_ = plan->st.st_mode & 07777;
            struct stat mine {};
            const bool sameHands = ::fstat(fd_, &mine) == 0 && mine.st_uid == plan->st.st_uid &&
                                   mine.st_gid == plan->st.st_gid;
            if (!sameHands && ::fchown(fd_, plan->st.st_uid, plan->st.st_gid) != 0) {
                // The new file would change hands; written in place, the old one keeps its
                // owner and group, as with a plain write.
                DropTemp();
                inPlace_ = true;
            }
        }
    }
    open_ = true;
    return std::nullopt;
}

bool SafeFileWriter::Write(std::string_view bytes) {
    if (!open_ || failed_) {
        return false;
    }
    if (inPlace_) {
        buffer_.append(bytes);
        return true;
    }
    int err = 0;
    if (!WriteAll(fd_, bytes, err)) {
        return Fail(Reason(name_, "writing", err));
    }
    return true;
}

std::optional<Failure> SafeFileWriter::Commit() {
    if (!open_) {
        return failed_ ? failed_ : WriteFailure("nothing was written: no file was open");
    }
    if (!failed_ && inPlace_) {
        CommitInPlace();
    } else if (!failed_) {
        CommitReplace();
    }
    Abandon();
    return failed_;
}

bool SafeFileWriter::CommitReplace() {
    // The mode last: while it is being written, only its owner can see the temporary file.
    if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) {
        return Fail(Reason(name_, "setting the permissions", errno));
    }
    if (::fsync(fd_) != 0) {
        return Fail(Reason(name_, "writing to disk", errno));
    }
    // Another program could have put something else under the temporary name since we made it.
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd_, &opened) != 0 || ::lstat(temp_.c_str(), &named) != 0 ||
        !SameFile(opened, named)) {
        temp_.clear();  // not ours to remove
        return Fail(name_ + ": another program replaced the temporary file while it was written");
    }
    if (::close(std::exchange(fd_, -1)) != 0) {
        return Fail(Reason(name_, "writing", errno));
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        return Fail(Reason(name_, "putting the new file in place", errno));
    }
    temp_.clear();
    SyncFolder(FolderOf(target_));
    return true;
}

bool SafeFileWriter::CommitInPlace() {
    Descriptor fd(descriptor_ >= 0 ? ::fcntl(descriptor_, F_DUPFD_CLOEXEC, 0)
                                   : ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0) {
        return Fail(Reason(name_, "opening it", errno));
    }
    const bool regular = S_ISREG(st.st_mode);
    // A file reached by its name is rewritten from its start; an open descriptor (stdout sent
    // to a file) carries on where it is, so ">>" still appends.
    const bool whole = regular && descriptor_ < 0;
    const auto size = static_cast<off_t>(buffer_.size());
    if (whole && size > 0) {
        // Room first: a full disk then fails before the old content is touched.
        const int err = ::posix_fallocate(fd.Get(), 0, size);
        if (err == ENOSPC || err == EDQUOT || err == EFBIG) {
            return Fail(Reason(name_, "making room", err));
        }
    }
    int err = 0;
    {
        SigpipeHeld held;
        if (!WriteAll(fd.Get(), buffer_, err)) {
            return Fail(Reason(name_, "writing", err));
        }
    }
    if (whole && ::ftruncate(fd.Get(), size) != 0) {
        return Fail(Reason(name_, "cutting off the old end", errno));
    }
    // Devices, pipes and terminals have nothing to sync.
    if (regular && ::fsync(fd.Get()) != 0) {
        return Fail(Reason(name_, "writing to disk", errno));
    }
    if (fd.Close() != 0 && regular) {
        return Fail(Reason(name_, "writing", errno));
    }
    return true;
}

void SafeFileWriter::Abandon() {
    DropTemp();
    buffer_.clear();
    buffer_.shrink_to_fit();
    open_ = false;
    inPlace_ = false;
    descriptor_ = -1;
}

bool SafeFileWriter::Fail(std::string reason) {
    DropTemp();
    failed_ = WriteFailure(std::move(reason));
    return false;
}

void SafeFileWriter::DropTemp() {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

}  // namespace kld
