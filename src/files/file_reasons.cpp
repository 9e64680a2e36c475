#include "file_reasons.h"

#include <cerrno>
#include <system_error>

#include "file_messages.h"

namespace kld::file_reasons {

namespace fs = std::filesystem;

// A technician's words for the errors a save meets; the system's own text for the rest.
std::string Words(int err) {
    switch (err) {
        case ENOSPC:
        case EDQUOT:
            return "the disk is full";
        case EROFS:
            return "the disk is read-only";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EIO:
            return "the disk reported an input/output error";
        case EFBIG:
            return "the file would be too large";
        case EPIPE:
            return "the program reading it has stopped";
        case ENAMETOOLONG:
            return "the name is too long";
        case ELOOP:
            return "too many symbolic links";
        default:
            return std::generic_category().message(err);
    }
}

// What a technician can do about the errors that have a remedy of their own.
std::string Remedy(int err) {
    switch (err) {
        case ENOSPC:
        case EDQUOT:
            return ". Free some space on it, or save to another disk";
        case EROFS:
            return ". Save to another disk";
        default:
            return {};
    }
}

// "plan.540: the disk is full" where the error speaks for itself, else what was being done too.
std::string Reason(const std::string& name, std::string_view doing, int err) {
    switch (err) {
        case ENOSPC:
        case EDQUOT:
        case EROFS:
            return name + ": " + Words(err) + Remedy(err);
        case EIO:
        case EFBIG:
        case EPIPE:
            return name + ": " + Words(err);
        default:
            return name + ": " + std::string(doing) + " failed (" + Words(err) + ")";
    }
}

std::string FolderName(const fs::path& folder) {
    std::error_code ec;
    fs::path shown = fs::absolute(folder, ec);
    if (ec) {
        shown = folder;
    }
    std::string text = shown.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

fs::path FolderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// Why a file cannot be read: "plan.540: there is no such file", for a technician.
Failure ReadFailureOf(const fs::path& path, int err) {
    const std::string name = path.filename().empty() ? path.string() : path.filename().string();
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return ReadFailure(name + ": there is no such file in " + FolderName(FolderOf(path)));
        case EACCES:
        case EPERM:
            return ReadFailure(name +
                               ": permission denied. Ask for permission to read it, or "
                               "copy it to a folder of your own");
        default:
            return ReadFailure(Reason(name, "reading", err));
    }
}

}  // namespace kld::file_reasons
