// The window's radio commands against the simulated radio on a pseudo-terminal, through the
// real serial port.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QStatusBar>
#include <filesystem>

#include "../test_memory.h"
#include "data_file.h"
#include "port_names.h"
#include "qt_serial_device.h"
#include "radio_commands.h"
#include "settings_file.h"
#include "window_fixture.h"

namespace kld::ui {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// A radio's memory: the reset memory and channels 2 to 40 in steps of 6, in lists 1 to 3.
ChannelMemory RadioPlan() {
    ChannelMemory memory = test::ResetMemory();
    for (int n = 2; n <= 40; n += 6) {
        ChannelRecord& r = memory.Rec(n) = memory.Rec(kFirstChannel);
        r.Select = kSelDefined | kSelCreatedHere;
        r.Prim = r.Chnl = static_cast<std::int16_t>(n);
        r.Desc = "Radio " + std::to_string(n);
        r.Scan = ScanOfZone(n % 3 + 1);
        r.Mode = kModeNarrow;
        r.RFrq = r.TFrq = "150.0125";
        r.RSql = r.TSql = kSqlNoise;
        ++memory.ZoneCounts[static_cast<std::size_t>(ZoneOf(r.Scan))];
    }
    return memory;
}

// The simulated radio, served as COM7 of the test's ports folder.
class Radio : public Window {
  protected:
    void SetUp() override {
        fs::create_directory(dir / "ports");
        ::setenv(kPortsDirVariable, (dir / "ports").c_str(), 1);
        test::WriteBytes(dir / "radio.540", EncodeDataFile(RadioPlan(), ProgramState{}));
        test::WriteBytes(dir / "debug.txt", "0040C142\n00418D0A\n");
    }
    void TearDown() override {
        Window::TearDown();
        sim.terminate();
        sim.waitForFinished(5000);
        ::unsetenv(kPortsDirVariable);
    }
    // The radio on, the window started, and the operator picks COM7 in the port box.
    void Connect(const QStringList& faults = {}) {
        QStringList args{"--port",      "7",
                         "--ports-dir", Q(dir / "ports"),
                         "--load",      Q(dir / "radio.540"),
                         "--save",      Q(dir / "saved.540"),
                         "--debug-log", Q(dir / "debug.txt"),
                         "--quiet"};
        sim.start(QStringLiteral(KVRX540_SIM), args + faults);
        ASSERT_TRUE(sim.waitForStarted());
        for (int i = 0; i < 200 && !sim.readAllStandardOutput().contains("ready"); ++i) {
            sim.waitForReadyRead(50);
        }
        ASSERT_TRUE(fs::is_symlink(dir / "ports" / "COM7"));
        Start();
        auto* port = Find<QComboBox>("CommPort");
        port->setFocus();
        port->setEditText("com7 ");
        Leave("CommPort");
        ASSERT_EQ(Mem().PortNumber, 7);
    }
    // After a transfer the summary is back in its place and the window usable.
    void ExpectWindowBack() {
        EXPECT_TRUE(window->centralWidget()->isEnabled());
        EXPECT_TRUE(Find("ChnlSummary")->isVisible());
        EXPECT_FALSE(Find("TfrProgress")->isVisible());
    }

    QProcess sim;
};

TEST_F(Radio, ReceiveEditSendAndReadTheDebugLog) {
    test::WriteBytes(dir / "KLD-540.log", "");  // debug mode: the debug log button
    Connect();
    EXPECT_EQ(ReadSettingsFile(dir / "KLD540.ini", ProgramVersion{})->Template.RFRec, 7);

    Click("Download");  // "Upload (from Radio)"
    ExpectWindowBack();
    EXPECT_EQ(Current(), 1);
    EXPECT_TRUE(Line(8).contains("Radio 8"));
    EXPECT_EQ(Mem().Rec(8).Desc.Trimmed(), "Radio 8");

    StoreChannel(14, "Edited");
    Click("Upload");  // "Download (to Radio)"
    EXPECT_EQ(Find<QLabel>("TfrStatus")->text(), "Transfer Complete.");
    for (int i = 0; i < 100 && !fs::exists(dir / "saved.540"); ++i) {
        QTest::qWait(50);
    }
    ChannelMemory saved;
    const std::string bytes = test::ReadBytes(dir / "saved.540");
    LoadNativeRecords(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                      saved);
    EXPECT_EQ(saved.Rec(14).Desc.Trimmed(), "Edited");

    Click("ReadDbgLog");
    EXPECT_TRUE(fs::exists(dir / "KVRX-540_Dbg.log"));
    EXPECT_GT(fs::file_size(dir / "KLD-540.log"), 0u);  // every frame logged
    for (const Message& m : op.shown) {
        ADD_FAILURE() << m.text;  // no transfer failed, nothing asked
    }
}

TEST_F(Radio, CablePulledMidReceiveKeepsWhatCame) {
    Connect({"--vanish-after", "14"});
    Click("Download");
    ASSERT_FALSE(op.shown.empty());
    EXPECT_EQ(op.shown[0].text.rfind("Communication Error", 0), 0u) << op.shown[0].text;
    ExpectWindowBack();
    EXPECT_TRUE(Mem().Rec(2).IsDefined());  // the records that arrived stay
    EXPECT_TRUE(PortCanBeOpened(7) || !fs::exists(dir / "ports" / "COM7"));
    // The window is usable again: a channel can be stored.
    StoreChannel(3);
    EXPECT_EQ(Current(), 4);
}

TEST_F(Radio, SilentRadioTimesOutAndTheWindowComesBack) {
    Connect({"--silent-after", "3"});  // answers the opening, then nothing (30 s limit)
    StoreChannel(5);                   // an edit the failed receive must keep
    Click("Download");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text.rfind("Timeout Error", 0), 0u) << op.shown[0].text;
    ExpectWindowBack();
    EXPECT_TRUE(Mem().Rec(5).IsDefined());
    EXPECT_EQ(Current(), 1);
}

TEST_F(Radio, ClosingDuringATransferStopsItFirst) {
    Connect({"--pace", "--level", "0"});  // 9600 baud: the receive takes a few seconds
    auto& radio = window->Radio();
    QTimer::singleShot(700, [&] {
        EXPECT_TRUE(radio.Transferring());
        // Nothing else starts meanwhile: the window is disabled, and a command that still
        // arrives is ignored.
        EXPECT_FALSE(Find("Save")->isEnabled());
        EXPECT_EQ(radio.RadioTransfer(Direction::Send).outcome, Outcome::None);
        EXPECT_TRUE(Find("TfrProgress")->isVisible());
        EXPECT_FALSE(Find("ChnlSummary")->isVisible());
        window->close();
    });
    EXPECT_EQ(radio.RadioTransfer(Direction::Receive).outcome, Outcome::Cancelled);
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());  // it closed once the transfer had ended
    // And the port is free again (the simulated radio may take a moment to serve it anew).
    bool free = false;
    for (int i = 0; i < 40 && !(free = PortCanBeOpened(7)); ++i) {
        QTest::qWait(50);
    }
    EXPECT_TRUE(free);
    window.reset();
}

TEST_F(Radio, RepeatedTransferTestCountsItsRounds) {
    test::WriteBytes(dir / "KLD-540.log", "");
    Connect();
    auto* progress = Find<QGroupBox>("TfrProgress");
    QStringList captions;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (captions.isEmpty() || captions.back() != progress->title()) {
            captions << progress->title();
        }
    });
    ticker.start(5);
    AnswerDialog("frmIteration", "Iterations", "2", "cmdOK");
    Click("DumpChnlData");
    ticker.stop();
    EXPECT_TRUE(captions.contains("Data Transfer Progress (2 of 2)"))
        << captions.join("|").toStdString();
    EXPECT_EQ(progress->title(), "Data Transfer Progress");
    EXPECT_EQ(Mem().Rec(17).Desc.Trimmed(), "Z02/P01");
    EXPECT_TRUE(Line(17).contains("Z02/P01"));
    ASSERT_FALSE(op.shown.empty());
    EXPECT_EQ(op.shown.back().title, "Repeated Transfer Test");
}

TEST_F(Radio, BackupsAndVerifyAfterSending) {
    Connect({"--corrupt-record", "14"});
    Click("Download");
    const fs::path backups = dir / "data" / "kld540" / "backups";
    auto kept = [&](const std::string& kind) {
        for (const auto& entry : fs::directory_iterator(backups)) {
            if (entry.path().filename().string().ends_with(kind)) {
                return entry.path();
            }
        }
        return fs::path();
    };
    ASSERT_FALSE(kept("-received.540").empty());
    EXPECT_EQ(test::ReadBytes(kept("-received.540")), EncodeDataFile(Mem(), Doc().State()));

    // The radio stores channel 14 wrongly: the verify after the send names it.
    Find<QAction>("VerifyAfterSending")->setChecked(true);
    StoreChannel(14, "Edited");
    Click("Upload");
    EXPECT_FALSE(kept("-before-send.540").empty());
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].title, "Verify");
    EXPECT_NE(op.shown[0].detail.find("014"), std::string::npos) << op.shown[0].detail;
    EXPECT_NE(op.shown[0].detail.find("Description"), std::string::npos);
    EXPECT_EQ(Mem().Rec(14).Desc.Trimmed(), "Edited");  // the memory is not the radio's
}

TEST_F(Radio, BackupThatCannotBeWrittenIsSaidOnceAndStopsNothing) {
    Connect();
    test::WriteBytes(dir / "blocker", "");
    ::setenv("XDG_DATA_HOME", (dir / "blocker").c_str(), 1);
    Click("Download");
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith("Backup not written"))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(Mem().Rec(8).IsDefined());  // the receive went through all the same
    window->statusBar()->clearMessage();
    Click("Download");
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());  // once a run
    EXPECT_TRUE(op.shown.empty());
}

}  // namespace
}  // namespace kld::ui
