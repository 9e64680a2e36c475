#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "failure.h"

namespace kld {

// Every file this program reads is small; anything past this many bytes is not looked at, so a
// huge or endless file costs neither memory nor time.
inline constexpr std::size_t kMaxInputBytes = 4 * 1024 * 1024;

// Bytes of a regular file (through any symbolic links), at most maxBytes; "Error reading file."
// for anything else (a folder, a FIFO, a device, a socket) or when it cannot be read. Never
// blocks on a FIFO.
Result<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                std::size_t maxBytes = kMaxInputBytes);

// Saves bytes the way a careful Unix tool does:
// - symbolic links are followed (a dangling one creates the file it names) and stay links;
// - a regular or new file is written to a hidden temporary file beside it, flushed to disk and
//   renamed over it with the old file's mode, owner and group, so that an interrupted save
//   leaves the old content or the new, never a mix;
// - a file with other hard links, a file in a folder we may not write, a file whose owner or
//   group we could not keep, and anything that is not a regular file (a device, a FIFO) are
//   written in place, never replaced;
// - a file we may not write, a folder or a socket is refused.
// On failure "Error writing to file.", with a short reason for a technician as the detail; the
// target is then untouched unless it was being written in place.
std::optional<Failure> SaveFileSafely(const std::filesystem::path& path, std::string_view bytes);

// None when a save to path could be made now (the folder exists, permissions allow it);
// otherwise the failure SaveFileSafely would give. Checked before a radio is contacted, so a
// transfer does not end with nowhere to put what it read.
std::optional<Failure> WhyNotWritable(const std::filesystem::path& path);

// A file written piece by piece (the transfer logs, the debug log) that appears, or replaces the
// old one, only on Commit: Abandon (or destruction without Commit) leaves the old file as it was.
// Regular and new targets stream into the hidden temporary file; in-place targets (not regular,
// hard-linked, or in a folder we may not write) are buffered and written at Commit.
class SafeFileWriter {
  public:
    SafeFileWriter() = default;
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    ~SafeFileWriter();

    // Abandons any file still open first. The failure when the target cannot be written.
    std::optional<Failure> Open(const std::filesystem::path& target);
    // False once any write failed; later writes are dropped.
    bool Write(std::string_view bytes);
    // Flushes to disk and puts the file in place. The failure when that failed, or when an
    // earlier write had failed; the old file is then untouched (in-place targets aside).
    std::optional<Failure> Commit();
    void Abandon();

    bool IsOpen() const { return open_; }
    bool Good() const { return !failed_; }
    // What went wrong since the last Open; none while all is well.
    const std::optional<Failure>& Failed() const { return failed_; }

  private:
    bool CommitReplace();
    bool CommitInPlace();
    bool Fail(std::string reason);
    void DropTemp();

    bool open_ = false;
    bool inPlace_ = false;
    int fd_ = -1;          // the temporary file
    int descriptor_ = -1;  // a descriptor of ours the target names (/dev/stdout), when it does
    unsigned mode_ = 0;    // what the replaced (or a plainly created) file's permissions would be
    std::filesystem::path target_;  // the file itself, links followed
    std::filesystem::path temp_;
    std::string name_;    // how reasons name the file
    std::string buffer_;  // in-place content, written at Commit
    std::optional<Failure> failed_;
};

}  // namespace kld
