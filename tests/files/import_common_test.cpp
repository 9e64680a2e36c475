#include "import_common.h"

#include "../case_table.h"
#include "temp_dir.h"

namespace kld {
namespace {

TEST(ImportCommon, NumSkipsEveryBlankAndFrequenciesTakeTheirFormat) {
    for (const auto& c : test::Cases("import_common.txt")) {
        EXPECT_EQ(c.at(0) == "Num" ? std::to_string(import::Num(c.at(1)))
                                   : import::ImportedFrequency(c.at(1)),
                  c.at(0) == "Num" ? std::to_string(std::stod(c.at(2))) : c.at(2))
            << c.at(1);
    }
}

}  // namespace
}  // namespace kld
