#pragma once

#include <string>
#include <utility>

#include "failure.h"
#include "operator.h"

namespace kld {

// The failures every file operation shares; detail says why, for a technician ("plan.540:
// there is no such file in /home/tech", "Line 12 names no channel: \"ABC\"").
inline Failure ReadFailure(std::string detail) {
    return {"Error reading file.", std::move(detail)};
}
inline Failure WriteFailure(std::string detail) {
    return {"Error writing to file.", std::move(detail)};
}

// Asked in the middle of opening a file that is of no kind the program knows.
inline Message UnrecognisedFormatMessage() {
    return {"Unrecognised Format - Do you wish to try to import as old .540 file?", "",
            Icon::Warning, Buttons::YesNo};
}

}  // namespace kld
