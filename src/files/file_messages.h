#pragma once

#include <string>
#include <utility>

#include "failure.h"
#include "operator.h"

namespace kld {

// The failures every file operation shares.
inline Failure ReadFailure() {
    return {"Error reading file."};
}
// detail says why, for a technician ("plan.540: the disk is full").
inline Failure WriteFailure(std::string detail) {
    return {"Error writing to file.", std::move(detail)};
}

// Asked in the middle of opening a file that is of no kind the program knows.
inline Message UnrecognisedFormatMessage() {
    return {"Unrecognised Format - Do you wish to try to import as old .540 file?", "",
            Icon::Warning, Buttons::YesNo};
}

}  // namespace kld
