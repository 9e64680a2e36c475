#include "backups.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <mutex>
#include <regex>
#include <system_error>

#include "data_file.h"
#include "file_io.h"

namespace kld {

namespace fs = std::filesystem;

namespace {

// More backups of one kind within one second than this means something is looping.
constexpr int kMaxCopies = 99;

// "YYYYMMDD-HHMMSS": sorts as the time does.
std::string Stamp(const BackupTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

Failure NotWritten(std::string why) {
    return {"Backup not written", std::move(why)};
}

const std::regex& BackupPattern() {
    static const std::regex pattern(
        R"(^(\d{8}-\d{6})-(received|before-send|radio-before-erase)(-\d+)?\.540$)");
    return pattern;
}

}  // namespace

BackupTime BackupTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

BackupResult BackupFolder() {
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::string(value) : std::string();
    };
    // A relative XDG_DATA_HOME is to be ignored; it would depend on the working folder.
    const std::string data = variable("XDG_DATA_HOME");
    if (!data.empty() && fs::path(data).is_absolute()) {
        return fs::path(data) / "kld540" / "backups";
    }
    const std::string home = variable("HOME");
    if (home.empty()) {
        return NotWritten("no folder for backups: neither XDG_DATA_HOME nor HOME is set");
    }
    return fs::path(home) / ".local" / "share" / "kld540" / "backups";
}

std::string BackupName(BackupKind kind, const BackupTime& when, int copy) {
    std::string name = Stamp(when);
    switch (kind) {
        case BackupKind::Received:
            name += "-received";
            break;
        case BackupKind::BeforeSend:
            name += "-before-send";
            break;
        case BackupKind::RadioBeforeErase:
            name += "-radio-before-erase";
            break;
    }
    if (copy > 1) {
        name += "-" + std::to_string(copy);
    }
    return name + ".540";
}

BackupResult WriteBackup(const fs::path& folder, const ChannelMemory& memory,
                         const ProgramState& state, BackupKind kind, const BackupTime& when) {
    // Radios programmed side by side keep their copies in the same second: one at a time, each
    // finds a name the others have not taken.
    static std::mutex writing;
    const std::lock_guard<std::mutex> one(writing);
    try {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder)) {
            if (fs::exists(folder)) {
                return NotWritten("the backups folder " + folder.string() + " is a file");
            }
            return NotWritten("the backups folder " + folder.string() + " cannot be made: " +
                              (ec ? ec.message() : "the system gave no reason"));
        }
        fs::path path;
        for (int copy = 1; copy <= kMaxCopies && path.empty(); ++copy) {
            const fs::path candidate = folder / BackupName(kind, when, copy);
            if (!fs::exists(fs::symlink_status(candidate, ec))) {
                path = candidate;
            }
        }
        if (path.empty()) {
            return NotWritten(folder.string() + " already holds " + std::to_string(kMaxCopies) +
                              " backups of this second");
        }
        if (const auto failed = SaveFileSafely(path, EncodeDataFile(memory, state))) {
            return NotWritten(failed->detail);
        }
        PruneBackups(folder, when);
        return path;
    } catch (const std::exception& e) {
        return NotWritten(std::string("the backup failed: ") + e.what());
    }
}

BackupResult WriteBackup(const ChannelMemory& memory, const ProgramState& state, BackupKind kind) {
    const BackupResult folder = BackupFolder();
    if (!folder) {
        return folder;
    }
    return WriteBackup(*folder, memory, state, kind, BackupTimeNow());
}

std::vector<std::string> PruneBackups(const fs::path& folder, const BackupTime& now) {
    std::vector<std::string> removed;
    try {
        // Stamps compare as text; a year before now is the same stamp with the year less one.
        BackupTime yearAgo = now;
        --yearAgo.year;
        const std::string cutoff = Stamp(yearAgo);
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            std::smatch match;
            if (!std::regex_match(name, match, BackupPattern()) || match[1].str() >= cutoff ||
                !entry.is_regular_file(ec) || entry.is_symlink(ec)) {
                continue;
            }
            if (fs::remove(entry.path(), ec)) {
                removed.push_back(name);
            }
        }
    } catch (const std::exception&) {
        // Whatever was removed so far stays removed; the rest waits for the next backup.
    }
    return removed;
}

}  // namespace kld
