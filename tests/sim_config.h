#pragma once
// A simulated radio set up as kvrx540-sim's options would start it, e.g. "--level 0 --busy 1".
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>

#include "sim_options.h"

namespace kld::test {

inline sim::SimConfig SimConfigFrom(const std::string& options) {
    std::istringstream words(options);
    sim::SimOptions parsed;
    std::string error;
    EXPECT_TRUE(
        sim::ParseSimOptions({std::istream_iterator<std::string>(words), {}}, parsed, error))
        << error;
    return parsed.config;
}

}  // namespace kld::test
