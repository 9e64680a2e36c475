// The window's file, print, port and radio commands, driven as an operator drives them; the
// radio commands run against the simulated radio on a pseudo-terminal through the real serial
// port.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <filesystem>

#include "../test_memory.h"
#include "data_file.h"
#include "iteration_dialog.h"
#include "listings.h"
#include "port_names.h"
#include "qt_serial_device.h"
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

using FileCommands = Window;

// The file dialogs start from the last name cut at its first dot, even one in a folder's name.
TEST(DialogText, PresetNameIsCutAtTheFirstDot) {
    EXPECT_EQ(PresetFileName("/home/tech/v2.6/plan.540"), "/home/tech/v2");
    EXPECT_EQ(PresetFileName("plan"), "plan");
}

// A plan saved, changed, compared and opened again; a place that cannot be written and a file
// that cannot be read lose nothing. The file's name is in other scripts: the caption shows it as
// the file system gives it.
TEST_F(FileCommands, SaveCompareAndOpenThroughTheDialogs) {
    Start();
    StoreChannel(5, "Fire");
    ASSERT_FALSE(W().Memory().Saved);
    dialogs.names = {Q(dir / "план ß.540")};
    QTest::mouseClick(W().FileSave, Qt::LeftButton);
    const std::string saved = test::ReadBytes(dir / "план ß.540");
    EXPECT_EQ(saved.size(), 24730u);
    EXPECT_TRUE(W().Memory().Saved);
    EXPECT_EQ(W().windowTitle(), QString::fromUtf8("KLD - 540  [v2.6.0]  -  план ß.540"));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Enter filename to save data as");
    EXPECT_EQ(dialogs.asked[0].filter, "KLD540 files (*.540);;All files (*.*)");

    // Saving where nothing can be written: the message, the earlier file intact, caption kept.
    StoreChannel(5, "Changed");
    dialogs.names = {Q(dir / "no-such-folder" / "x.540")};
    QTest::mouseClick(W().FileSave, Qt::LeftButton);
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Error writing to file.");
    EXPECT_FALSE(W().Memory().Saved);
    EXPECT_EQ(W().windowTitle(), QString::fromUtf8("KLD - 540  [v2.6.0]  -  план ß.540"));
    EXPECT_EQ(test::ReadBytes(dir / "план ß.540"), saved);

    // A cancelled open leaves the memory as it was; compare names the channel changed since.
    QTest::mouseClick(W().FileOpen, Qt::LeftButton);
    EXPECT_EQ(W().Memory().Rec(5).Desc.Trimmed(), "Changed");
    dialogs.names = {Q(dir / "план ß.540")};
    W().CompareAction->trigger();
    ASSERT_EQ(op.shown.size(), 2u);
    EXPECT_EQ(op.shown[1].title, "Compare");
    EXPECT_NE(op.shown[1].detail.find("005"), std::string::npos) << op.shown[1].detail;
    EXPECT_EQ(W().Memory().Rec(5).Desc.Trimmed(), "Changed");

    // Opening what is no channel file: the message and the reset memory, quickly.
    test::WriteBytes(dir / "big.540", std::string(5 * 1024 * 1024, 'x'));
    for (const fs::path& what : {dir / "big.540", dir / "missing.540"}) {
        SCOPED_TRACE(what.string());
        op.shown.clear();
        op.answers = {Answer::No};  // not to be tried as an old file
        dialogs.names = {Q(what)};
        QTest::mouseClick(W().FileOpen, Qt::LeftButton);
        ASSERT_FALSE(op.shown.empty());
        EXPECT_FALSE(W().Memory().Rec(5).IsDefined());
        EXPECT_EQ(Current(), 1);
    }

    // A real open loads, checks and shows channel 1.
    op.shown.clear();
    dialogs.names = {Q(dir / "план ß.540")};
    QTest::mouseClick(W().FileOpen, Qt::LeftButton);
    EXPECT_EQ(W().Memory().Rec(5).Desc.Trimmed(), "Fire");
    EXPECT_EQ(Current(), 1);
    EXPECT_TRUE(Line(5).contains("Fire"));
    EXPECT_FALSE(W().Memory().Saved);  // opening does not change it
    const auto& open = dialogs.asked.back();
    EXPECT_EQ(open.title, "Enter filename to open");
    EXPECT_EQ(open.filter,
              "KVRX-540 files (*.540);;KVS-220 files (*.100);;Text files (*.txt);;All files (*.*)");
    EXPECT_EQ(open.preset, Q(dir / "missing"));
    EXPECT_TRUE(op.shown.empty());

    // Closing: Yes, then the save dialog cancelled, keeps the window; Yes and a name save first.
    op.answers = {Answer::Yes, Answer::Yes};
    EXPECT_FALSE(W().close());
    EXPECT_TRUE(W().isVisible());
    dialogs.names = {Q(dir / "at-close.540")};
    EXPECT_TRUE(W().close());
    EXPECT_EQ(fs::file_size(dir / "at-close.540"), 24730u);
    window.reset();
}

TEST_F(FileCommands, ListingToFileAndPrinter) {
    Start();
    dialogs.names = {Q(dir / "list.Txt")};
    QTest::mouseClick(W().PrintFile, Qt::LeftButton);
    EXPECT_EQ(test::ReadBytes(dir / "list.Txt"), TextListing(W().Memory()));
    EXPECT_EQ(dialogs.asked.back().title, "Enter filename to save data as text");
    EXPECT_EQ(dialogs.asked.back().filter, "KLD540 files (*.Txt);;All files (*.*)");
    dialogs.names = {Q(dir / "nowhere" / "list.Txt")};
    QTest::mouseClick(W().PrintFile, Qt::LeftButton);
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Error writing to file.");

    // A cancelled printer dialog prints nothing; a chosen printer gets the listing.
    QTest::mouseClick(W().PrintList, Qt::LeftButton);
    EXPECT_FALSE(fs::exists(dir / "list.pdf"));
    dialogs.printerFiles = {Q(dir / "list.pdf")};
    QTest::mouseClick(W().PrintList, Qt::LeftButton);
    ASSERT_TRUE(fs::exists(dir / "list.pdf"));
    EXPECT_GT(fs::file_size(dir / "list.pdf"), 1000u);
}

// The debug marker file shows the debug buttons; "W" on the command line enables wideband only.
TEST_F(FileCommands, DebugMarkerAndDumpThroughTheIterationDialog) {
    test::WriteBytes(dir / "KLD-540.log", "");
    Start("W");
    EXPECT_TRUE(W().ReadDbgLog->isVisible() && W().DumpChnlData->isVisible());
    EXPECT_EQ(W().Memory().EnabledModes, 0x40);
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(W().frmIteration().Iterations, "0");
        QTest::mouseClick(W().frmIteration().cmdOK, Qt::LeftButton);
    });
    dialogs.names = {Q(dir / "dump.Txt")};
    QTest::mouseClick(W().DumpChnlData, Qt::LeftButton);
    EXPECT_EQ(test::ReadBytes(dir / "dump.Txt"), ChannelDump(W().Memory()));
    // Cancel asks for no file.
    const std::size_t asked = dialogs.asked.size();
    QTimer::singleShot(0, [&] { QTest::mouseClick(W().frmIteration().cmdCancel, Qt::LeftButton); });
    QTest::mouseClick(W().DumpChnlData, Qt::LeftButton);
    EXPECT_EQ(dialogs.asked.size(), asked);
}

TEST_F(FileCommands, CsvPlanOutAndBackIn) {
    Start();
    StoreChannel(5, "Fire");
    dialogs.names = {Q(dir / "plan.csv")};
    QTest::mouseClick(W().ExportCsv, Qt::LeftButton);
    // A refused plan changes nothing and lists why.
    test::WriteBytes(dir / "bad.csv",
                     "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "007,1,Narrow,150.0040,Noise,Noise\n");
    dialogs.names = {Q(dir / "bad.csv")};
    QTest::mouseClick(W().ImportCsv, Qt::LeftButton);
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_NE(op.shown[0].detail.find("Line 2, column RxFrequency"), std::string::npos);
    EXPECT_EQ(W().Memory().Rec(5).Desc.Trimmed(), "Fire");
    // The exported plan comes back with its channel.
    GoTo(5);
    QTest::mouseClick(W().EraseCurr, Qt::LeftButton);  // made here: gone
    ASSERT_FALSE(W().Memory().Rec(5).IsDefined());
    dialogs.names = {Q(dir / "plan.csv")};
    QTest::mouseClick(W().ImportCsv, Qt::LeftButton);
    EXPECT_EQ(W().Memory().Rec(5).Desc.Trimmed(), "Fire");
    EXPECT_TRUE(Line(5).contains("Fire"));
    EXPECT_EQ(Current(), 1);
}

// The simulated radio, served as COM7 of the test's ports folder.
class RadioCommands : public Window {
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
        W().CommPort->setFocus();
        W().CommPort->setEditText("com7 ");
        QTest::keyClick(W().CommPort, Qt::Key_Tab);
        QApplication::processEvents();
        ASSERT_EQ(W().Memory().PortNumber, 7);
    }

    QProcess sim;
};

TEST_F(RadioCommands, ReceiveEditSendAndReadTheDebugLog) {
    test::WriteBytes(dir / "KLD-540.log", "");  // debug mode: the debug log button
    Connect();
    EXPECT_EQ(ReadSettingsFile(dir / "KLD540.ini", ProgramVersion{})->Template.RFRec, 7);

    QTest::mouseClick(W().Download, Qt::LeftButton);  // "Upload (from Radio)"
    EXPECT_TRUE(W().centralWidget()->isEnabled());
    EXPECT_TRUE(W().ChnlSummary->isVisible());
    EXPECT_FALSE(W().TfrProgress->isVisible());
    EXPECT_EQ(Current(), 1);
    EXPECT_TRUE(Line(8).contains("Radio 8"));
    EXPECT_EQ(W().Memory().Rec(8).Desc.Trimmed(), "Radio 8");

    StoreChannel(14, "Edited");
    QTest::mouseClick(W().Upload, Qt::LeftButton);  // "Download (to Radio)"
    EXPECT_EQ(W().TfrStatus->text(), "Transfer Complete.");
    for (int i = 0; i < 100 && !fs::exists(dir / "saved.540"); ++i) {
        QTest::qWait(50);
    }
    ChannelMemory saved;
    const std::string bytes = test::ReadBytes(dir / "saved.540");
    LoadNativeRecords(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                      saved);
    EXPECT_EQ(saved.Rec(14).Desc.Trimmed(), "Edited");

    QTest::mouseClick(W().ReadDbgLog, Qt::LeftButton);
    EXPECT_TRUE(fs::exists(dir / "KVRX-540_Dbg.log"));
    EXPECT_GT(fs::file_size(dir / "KLD-540.log"), 0u);  // every frame logged
    for (const Message& m : op.shown) {
        ADD_FAILURE() << m.text;  // no transfer failed, nothing asked
    }
}

TEST_F(RadioCommands, CablePulledMidReceiveKeepsWhatCame) {
    Connect({"--vanish-after", "14"});
    QTest::mouseClick(W().Download, Qt::LeftButton);
    ASSERT_FALSE(op.shown.empty());
    EXPECT_EQ(op.shown[0].text.rfind("Communication Error", 0), 0u) << op.shown[0].text;
    EXPECT_TRUE(W().centralWidget()->isEnabled());
    EXPECT_TRUE(W().Memory().Rec(2).IsDefined());  // the records that arrived stay
    EXPECT_TRUE(PortCanBeOpened(7) || !fs::exists(dir / "ports" / "COM7"));
    // The window is usable again: a channel can be stored.
    StoreChannel(3);
    EXPECT_EQ(Current(), 4);
}

TEST_F(RadioCommands, SilentRadioTimesOutAndTheWindowComesBack) {
    Connect({"--silent-after", "3"});  // answers the opening, then nothing (30 s limit)
    StoreChannel(5);                   // an edit the failed receive must keep
    QTest::mouseClick(W().Download, Qt::LeftButton);
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text.rfind("Timeout Error", 0), 0u) << op.shown[0].text;
    EXPECT_TRUE(W().centralWidget()->isEnabled());
    EXPECT_TRUE(W().Memory().Rec(5).IsDefined());
    EXPECT_EQ(Current(), 1);
}

TEST_F(RadioCommands, ClosingDuringATransferStopsItFirst) {
    Connect({"--pace", "--level", "0"});  // 9600 baud: the receive takes a few seconds
    QTimer::singleShot(700, [&] {
        EXPECT_TRUE(W().Transferring());
        // Nothing else starts meanwhile: the window is disabled, and a command that still
        // arrives is ignored.
        EXPECT_FALSE(W().Save->isEnabled());
        EXPECT_EQ(W().RadioTransfer(Direction::Send).outcome, Outcome::None);
        EXPECT_TRUE(W().TfrProgress->isVisible());
        EXPECT_FALSE(W().ChnlSummary->isVisible());
        W().close();
    });
    const TransferResult result = W().RadioTransfer(Direction::Receive);
    EXPECT_EQ(result.outcome, Outcome::Cancelled);
    QApplication::processEvents();
    EXPECT_FALSE(W().isVisible());  // it closed once the transfer had ended
    // And the port is free again (the simulated radio may take a moment to serve it anew).
    bool free = false;
    for (int i = 0; i < 40 && !(free = PortCanBeOpened(7)); ++i) {
        QTest::qWait(50);
    }
    EXPECT_TRUE(free);
    window.reset();
}

TEST_F(RadioCommands, RepeatedTransferTestCountsItsRounds) {
    test::WriteBytes(dir / "KLD-540.log", "");
    Connect();
    QStringList captions;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (captions.isEmpty() || captions.back() != W().TfrProgress->title()) {
            captions << W().TfrProgress->title();
        }
    });
    ticker.start(5);
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(W().frmIteration().Iterations, "2");
        QTest::mouseClick(W().frmIteration().cmdOK, Qt::LeftButton);
    });
    QTest::mouseClick(W().DumpChnlData, Qt::LeftButton);
    ticker.stop();
    EXPECT_TRUE(captions.contains("Data Transfer Progress (2 of 2)"))
        << captions.join("|").toStdString();
    EXPECT_EQ(W().TfrProgress->title(), "Data Transfer Progress");
    EXPECT_EQ(W().Memory().Rec(17).Desc.Trimmed(), "Z02/P01");
    EXPECT_TRUE(Line(17).contains("Z02/P01"));
    ASSERT_FALSE(op.shown.empty());
    EXPECT_EQ(op.shown.back().title, "Repeated Transfer Test");
}

TEST_F(RadioCommands, BackupsAndVerifyAfterSending) {
    Connect({"--corrupt-record", "14"});
    QTest::mouseClick(W().Download, Qt::LeftButton);
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
    EXPECT_EQ(test::ReadBytes(kept("-received.540")), EncodeDataFile(W().Memory(), W().State()));

    // The radio stores channel 14 wrongly: the verify after the send names it.
    W().VerifyAfterSendingAction->setChecked(true);
    StoreChannel(14, "Edited");
    QTest::mouseClick(W().Upload, Qt::LeftButton);
    EXPECT_FALSE(kept("-before-send.540").empty());
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].title, "Verify");
    EXPECT_NE(op.shown[0].detail.find("014"), std::string::npos) << op.shown[0].detail;
    EXPECT_NE(op.shown[0].detail.find("Description"), std::string::npos);
    EXPECT_EQ(W().Memory().Rec(14).Desc.Trimmed(), "Edited");  // the memory is not the radio's
}

TEST_F(RadioCommands, BackupThatCannotBeWrittenIsSaidOnceAndStopsNothing) {
    Connect();
    test::WriteBytes(dir / "blocker", "");
    ::setenv("XDG_DATA_HOME", (dir / "blocker").c_str(), 1);
    QTest::mouseClick(W().Download, Qt::LeftButton);
    EXPECT_TRUE(W().statusBar()->currentMessage().startsWith("Backup not written"))
        << W().statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(W().Memory().Rec(8).IsDefined());  // the receive went through all the same
    W().statusBar()->clearMessage();
    QTest::mouseClick(W().Download, Qt::LeftButton);
    EXPECT_TRUE(W().statusBar()->currentMessage().isEmpty());  // once a run
    EXPECT_TRUE(op.shown.empty());
}

}  // namespace
}  // namespace kld::ui
