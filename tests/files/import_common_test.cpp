#include "import_common.h"

#include "../cases.h"
#include "temp_dir.h"

namespace kld::test {
namespace {

TEST(ImportCommon, NumSkipsEveryBlankAndFrequenciesTakeTheirFormat) {
    ExpectCases(
        "import_common.txt",
        {{"Num", {1, [](const Cells& a) { return AsText(import::Num(a[0])); }}},
         {"Frequency", {1, [](const Cells& a) { return import::ImportedFrequency(a[0]); }}}});
}

}  // namespace
}  // namespace kld::test
