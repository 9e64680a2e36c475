#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "channel_memory.h"
#include "failure.h"
#include "program_state.h"

namespace kld {

// Copies of the channel memory kept before it is overwritten, so that a send or a receive can
// be undone: a copy of what arrived after every receive, of what goes out before every send, and
// of what the radio held before a send erased it.

enum class BackupKind { Received, BeforeSend, RadioBeforeErase };

// A moment as the clock on the wall shows it: the names carry it, so that they sort by time.
struct BackupTime {
    int year = 0;
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    int second = 0;  // 0 to 60
};

// The local time now.
BackupTime BackupTimeNow();

// Where a backup went, or "Backup not written" with the reason as the detail.
using BackupResult = Result<std::filesystem::path>;

// The folder backups go to: $XDG_DATA_HOME/kld540/backups, or ~/.local/share/kld540/backups
// when XDG_DATA_HOME is unset, empty or not absolute. A failure when neither names a place.
BackupResult BackupFolder();

// The file name of a backup: "20261206-153012-received.540", "...-before-send.540",
// "...-radio-before-erase.540"; copy 2 and
// on add "-2", "-3" before ".540" for a second backup of the same kind within a second.
std::string BackupName(BackupKind kind, const BackupTime& when, int copy = 1);

// Writes the memory as a channel data file into `folder`, creating the folder when needed and
// never replacing an existing file, then removes our backups older than a year. Never throws:
// whatever goes wrong is the result's failure, and nothing else is touched.
BackupResult WriteBackup(const std::filesystem::path& folder, const ChannelMemory& memory,
                         const ProgramState& state, BackupKind kind, const BackupTime& when);

// The same into BackupFolder(), at BackupTimeNow().
BackupResult WriteBackup(const ChannelMemory& memory, const ProgramState& state, BackupKind kind);

// Removes the files in `folder` named as backups whose name is more than a year older than
// `now`; files of any other name, and anything that is not a regular file, stay. Returns the
// names removed. Failures are ignored: pruning is housekeeping.
std::vector<std::string> PruneBackups(const std::filesystem::path& folder, const BackupTime& now);

}  // namespace kld
