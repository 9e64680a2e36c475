#pragma once

// The file system's errors in a technician's words, and what to do about them: the reasons a
// file could not be read or saved give as their detail. Used by file_io, which makes the calls.

#include <filesystem>
#include <string>
#include <string_view>

#include "failure.h"

namespace kld::file_reasons {

// "the disk is full", "permission denied", ... ; the system's own text for the rest.
std::string Words(int err);
// ". Free some space on it, or save to another disk" for the errors with a remedy of their own,
// else nothing.
std::string Remedy(int err);
// "plan.540: the disk is full" where the error speaks for itself, else what was being done too.
std::string Reason(const std::string& name, std::string_view doing, int err);
// A folder as the operator finds it: absolute, without a trailing slash.
std::string FolderName(const std::filesystem::path& folder);
// The folder a file is in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path& file);
// Why a file cannot be read: "plan.540: there is no such file in /home/tech".
Failure ReadFailureOf(const std::filesystem::path& path, int err);

}  // namespace kld::file_reasons
