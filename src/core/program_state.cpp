#include "program_state.h"

namespace kld {

std::string VersionText(const ProgramVersion& v) {
    return std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." + std::to_string(v.Rev);
}

std::string StartupCaption(const ProgramVersion& version) {
    return "KLD - 540  [v" + VersionText(version) + "]";
}

std::string HeaderVersionDigits(std::int16_t number) {
    return std::to_string(number);
}

FileHeader FreshHeader(const ProgramVersion& version) {
    FileHeader header;
    header.VerMajor = HeaderVersionDigits(version.Major);
    header.VerMinor = HeaderVersionDigits(version.Minor);
    header.VerRev = HeaderVersionDigits(version.Rev);
    return header;
}

}  // namespace kld
