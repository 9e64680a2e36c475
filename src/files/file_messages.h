#pragma once

#include <string>
#include <utility>

#include "operator.h"

namespace kld {

// The messages every file operation shares.
inline Message ReadErrorMessage() {
    return {"Error reading file.", "", Icon::None, Buttons::Ok};
}
// detail says why, for a technician ("plan.540: the disk is full").
inline Message WriteErrorMessage(std::string detail = {}) {
    return {"Error writing to file.", "", Icon::None, Buttons::Ok, std::move(detail)};
}
inline Message UnrecognisedFormatMessage() {
    return {"Unrecognised Format - Do you wish to try to import as old .540 file?", "",
            Icon::Warning, Buttons::YesNo};
}

}  // namespace kld
