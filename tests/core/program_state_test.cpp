#include "program_state.h"

#include <gtest/gtest.h>

namespace kld::test {
namespace {

using namespace std::string_view_literals;

// The header's fixed texts are pinned by the settings file's bytes; a two-digit number is only
// met here.
TEST(ProgramState, HeaderVersionDigits) {
    const FileHeader h = FreshHeader({3, 12, 0});
    EXPECT_EQ(std::tuple(h.VerMajor.View(), h.VerMinor.View(), h.VerRev.View()),
              std::tuple("3 "sv, "12"sv, "0 "sv));
}

}  // namespace
}  // namespace kld::test
