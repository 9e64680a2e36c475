#pragma once

#include "operator.h"

namespace kld {

// The messages every file operation shares.
inline Message ReadErrorMessage() {
    return {"Error reading file.", "", Icon::None, Buttons::Ok};
}
inline Message WriteErrorMessage() {
    return {"Error writing to file.", "", Icon::None, Buttons::Ok};
}
inline Message UnrecognisedFormatMessage() {
    return {"Unrecognised Format - Do you wish to try to import as old .540 file?", "",
            Icon::Warning, Buttons::YesNo};
}

}  // namespace kld
