#include "program_state.h"

namespace kld {

std::string VersionText(const ProgramVersion& v) {
    return std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." + std::to_string(v.Rev);
}

std::string StartupCaption(const ProgramVersion& version) {
    return "KLD - 540  [v" + VersionText(version) + "]";
}

FileHeader FreshHeader(const ProgramVersion& version) {
    FileHeader header;
    header.VerMajor = std::to_string(version.Major);
    header.VerMinor = std::to_string(version.Minor);
    header.VerRev = std::to_string(version.Rev);
    return header;
}

}  // namespace kld
