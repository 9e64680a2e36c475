#include "import_common.h"

#include <gtest/gtest.h>

namespace kld {
namespace {

TEST(ImportCommon, NumSkipsEveryBlankAndFrequenciesTakeTheirFormat) {
    const std::pair<const char*, double> numbers[] = {{"1 2", 12}, {"12a", 12}, {"a", 0}};
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(import::Num(text), value) << text;
    }
    const std::pair<const char*, const char*> frequencies[] = {
        {"155.34", "155.3400"},   {" 12 ", "012.0000"},  {"136.00625", "136.0063"},
        {"1234.5", "1234.5000"},  {"-1.5", "-001.5000"}, {"1.5e2", "150.0000"},
        {"155.34ab", "155.34ab"}, {"1e", "1e"},          {"", ""}};
    for (const auto& [text, stored] : frequencies) {
        EXPECT_EQ(import::ImportedFrequency(text), stored) << text;
    }
}

}  // namespace
}  // namespace kld
