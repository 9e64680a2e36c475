#include "safe_send.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "sim_rig.h"
#include "wire_codec.h"

namespace kld {
namespace {

using test::Rig;

// Whether a send erases the radio follows from the memory and from the radio's stamp; only such a
// send asks, and only it reads the radio into the backups folder first. The copy leaves the
// radio's stamp as it was.
TEST(SafeSend, AsksAndCopiesOnlyASendThatErasesTheRadio) {
    struct Row {
        const char* name;
        bool stampsAlike;
        std::int16_t purgeMode;
        bool copy;
        bool yes;
        // What happened: the question's reason, stamp questions, purges, sends begun, a copy.
        const char* reason;
        int stampQuestions, purges, sends;
        bool copied;
    };
    const Row rows[] = {
        {"stamps alike", true, 0, true, true, "", 2, 0, 1, false},
        {"stamp differs", false, 0, true, true, "not the one this data was read from", 2, 1, 1,
         true},
        {"declined", false, 0, true, false, "not the one this data was read from", 1, 0, 0, false},
        {"purge on, no copy: no probe", true, 1, false, true, "(the purge is on)", 1, 1, 1, false},
        {"purge on with copy", true, 1, true, true, "(the purge is on)", 2, 1, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        ::setenv("XDG_DATA_HOME", (rig.dir / "data").c_str(), 1);
        test::FillRadio(rig.radio);
        const std::string radioStamp = rig.radio.MemoryStamp();
        rig.memory.Rec(kFirstChannel).Select |= kSelSend;
        rig.state.PurgeMode = row.purgeMode;
        if (row.stampsAlike) {
            rig.StampsAlike();
        }
        std::string asked;
        TransferContext context = rig.Context(rig.host);
        const SafeSendResult result =
            SafeSend(context, row.copy, [&](const SendForecast& forecast) {
                asked = EraseWarningText(forecast);
                return row.yes;
            });
        EXPECT_NE(asked.find(row.reason), std::string::npos) << asked;
        EXPECT_EQ(asked.empty(), *row.reason == '\0');
        EXPECT_EQ(std::tuple(rig.Sent(std::string(kFrameStampQuestion)).size(),
                             rig.Sent(std::string(kFramePurge)).size(),
                             rig.Sent(std::string(kFrameBeginSend)).size(),
                             result.radioCopy.has_value(), result.declined),
                  std::tuple(std::size_t(row.stampQuestions), std::size_t(row.purges),
                             std::size_t(row.sends), row.copied, !row.yes));
        EXPECT_EQ(result.transfer.Complete(), row.yes) << result.transfer.Message();
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
