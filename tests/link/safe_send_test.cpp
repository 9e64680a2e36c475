#include "safe_send.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "../cases.h"
#include "sim_rig.h"
#include "wire_codec.h"

namespace kld {
namespace {

using test::Rig;

// Whether a send erases the radio follows from the memory and from the radio's stamp; only such a
// send asks, and only it reads the radio into the backups folder first. The copy leaves the
// radio's stamp as it was.
TEST(SafeSend, AsksAndCopiesOnlyASendThatErasesTheRadio) {
    for (const test::Cells& cells : test::Cases("safe_send.txt")) {
        SCOPED_TRACE(cells.at(0));
        const auto yes = [&cells](std::size_t at) { return cells.at(at) == "yes"; };
        const auto count = [&cells](std::size_t at) { return std::stoul(cells.at(at)); };
        const bool stampsAlike = yes(1), purge = yes(2), copy = yes(3), agree = yes(4);
        Rig rig;
        ::setenv("XDG_DATA_HOME", (rig.dir / "data").c_str(), 1);
        test::FillRadio(rig.radio);
        const std::string radioStamp = rig.radio.MemoryStamp();
        rig.memory.Rec(kFirstChannel).Select |= kSelSend;
        rig.state.PurgeMode = purge;
        if (stampsAlike) {
            rig.StampsAlike();
        }
        std::string asked;
        TransferContext context = rig.Context(rig.host);
        const SafeSendResult result = SafeSend(context, copy, [&](const SendForecast& forecast) {
            asked = EraseWarningText(forecast);
            return agree;
        });
        EXPECT_NE(asked.find(cells.at(5)), std::string::npos) << asked;
        EXPECT_EQ(asked.empty(), cells.at(5).empty());
        EXPECT_EQ(std::tuple(rig.Sent(std::string(kFrameStampQuestion)).size(),
                             rig.Sent(std::string(kFramePurge)).size(),
                             rig.Sent(std::string(kFrameBeginSend)).size(),
                             result.radioCopy.has_value(), result.declined),
                  std::tuple(count(6), count(7), count(8), yes(9), !agree));
        EXPECT_EQ(result.transfer.Complete(), agree) << result.transfer.Message();
        EXPECT_EQ(rig.radio.MemoryStamp(), radioStamp);
        if (result.radioCopy) {
            EXPECT_NE(test::ReadBytes(*result.radioCopy).find("Fire"), std::string::npos);
            EXPECT_NE(result.radioCopy->filename().string().find("-radio-before-erase.540"),
                      std::string::npos);
        }
    }
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace kld
