#include "fleet.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "../cases.h"
#include "../files/temp_dir.h"
#include "../sim_config.h"
#include "../test_memory.h"
#include "list_operations.h"
#include "safe_send.h"
#include "sim_rig.h"
#include "sim_serial_device.h"
#include "wire_codec.h"

namespace kld {
namespace {

// Three radios side by side on threads of their own, one of which stores channel 8 wrongly: each
// gets its own copy of the plan, so the plan is never touched; the good ones hold it, the bad one
// is named in its verify, and each row says what its radio did. The backups taken in the same
// second all keep names of their own.
TEST(Fleet, ProgramsRadiosSideBySideEachWithItsOwnRow) {
    test::TempDir dir;
    ::setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    ChannelMemory plan = test::PlanMemory();
    SelectAllDefined(plan);
    const ChannelMemory before = plan;
    const ProgramState state;
    ASSERT_FALSE(CheckPlan(plan, state));
    std::vector<std::unique_ptr<sim::SimRadio>> radios;
    for (const char* options : {"--level 2", "--level 0 --corrupt-record 8", "--level 1"}) {
        radios.push_back(std::make_unique<sim::SimRadio>(test::SimConfigFrom(options)));
    }
    Fleet fleet(plan, state, {true, true, true}, [&radios](int port) {
        return std::make_unique<sim::SimSerialDevice>(
            *radios.at(static_cast<std::size_t>(port - 1)));
    });
    for (int port = 1; port <= 3; ++port) {
        fleet.Start(port, "/dev/pts/" + std::to_string(port));
    }
    fleet.WaitAll();
    const std::vector<RadioReport> reports = fleet.Reports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(plan.Records, before.Records);
    for (const RadioReport& report : reports) {
        SCOPED_TRACE(report.port);
        EXPECT_EQ(std::tuple(report.outcome, report.channels, report.device.back() - '0',
                             report.stamp.size(),
                             report.backup.find("radio-before-erase") != std::string::npos),
                  std::tuple("Transfer Complete.", 11, report.port, 14u, true));
    }
    EXPECT_EQ(std::tuple(reports[0].verify, reports[1].verify, reports[2].verify),
              std::tuple("Verify OK", "Channel 008 differs", "Verify OK"));
    EXPECT_EQ(std::tuple(reports[0].ok, reports[1].ok, reports[2].ok),
              std::tuple(true, false, true));
    EXPECT_TRUE(reports[0].backup != reports[1].backup && reports[1].backup != reports[2].backup);
    EXPECT_EQ(radios[2]->Memory().Rec(8).Desc, plan.Rec(8).Desc);

    const std::string csv = FleetReportCsv(reports);
    EXPECT_TRUE(
        csv.starts_with("Port,Device,Radio Version,Stamp,Channels,Verify,Seconds,Backup,"
                        "Outcome\r\nCOM1,/dev/pts/1,021100,"))
        << csv;
}

// Without leave to erase, a radio that would be erased is left as it was, and its row says why.
TEST(Fleet, ARadioThatWouldBeErasedWithoutLeaveIsLeftAlone) {
    ChannelMemory plan = test::PlanMemory();
    SelectAllDefined(plan);
    sim::SimRadio radio(test::SimConfigFrom("--level 2"));
    const ChannelMemory held = radio.Memory();
    const RadioReport report = [&] {
        sim::SimSerialDevice line(radio);
        WorkerTransferHost host;
        return ProgramRadio(plan, ProgramState{}, 4, "/dev/x", line, host, {false, true, true});
    }();
    EXPECT_EQ(std::tuple(report.ok, report.channels, report.verify, report.backup),
              std::tuple(false, 0, "", ""));
    EXPECT_TRUE(report.outcome.find("erases everything in the radio first") != std::string::npos &&
                report.outcome.ends_with("Nothing was sent."))
        << report.outcome;
    EXPECT_EQ(radio.Memory().Records, held.Records);
}

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
