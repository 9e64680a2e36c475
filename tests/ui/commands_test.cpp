// The window's file, print and radio commands, driven as an operator drives them; the radio
// commands run against the simulated radio on a pseudo-terminal through the real serial port.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QStatusBar>
#include <filesystem>

#include "../test_memory.h"
#include "data_file.h"
#include "listings.h"
#include "port_names.h"
#include "qt_serial_device.h"
#include "radio_commands.h"
#include "settings_file.h"
#include "window_fixture.h"

namespace kld::ui {
namespace {

namespace fs = std::filesystem;

using FileCommands = Window;

// A plan saved, changed, compared and opened again; a place that cannot be written and a file
// that cannot be read lose nothing. The file's name is in other scripts: the caption shows it as
// the file system gives it.
TEST_F(FileCommands, SaveCompareAndOpenThroughTheDialogs) {
    Start();
    StoreChannel(5, "Fire");
    ASSERT_FALSE(Doc().Saved());
    dialogs.names = {Q(dir / "план ß.540")};
    Click("FileSave");
    const std::string saved = test::ReadBytes(dir / "план ß.540");
    EXPECT_TRUE(saved.size() == 24730u && Doc().Saved());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("KLD - 540  [v2.6.0]  -  план ß.540"));
    EXPECT_EQ(dialogs.asked, std::vector<QString>{"Enter filename to save data as|KLD540 files "
                                                  "(*.540);;All files (*.*)|"});

    // Saving where nothing can be written: the message, the earlier file intact, caption kept.
    StoreChannel(5, "Changed");
    dialogs.names = {Q(dir / "no-such-folder" / "x.540")};
    Click("FileSave");
    EXPECT_EQ(op.shown.at(0).text, "Error writing to file.");
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("KLD - 540  [v2.6.0]  -  план ß.540"));
    EXPECT_EQ(test::ReadBytes(dir / "план ß.540"), saved);

    // A cancelled open leaves the memory as it was; compare names the channel changed since.
    Click("FileOpen");
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Changed");
    dialogs.names = {Q(dir / "план ß.540")};
    Find<QAction>("CompareWithFile")->trigger();
    EXPECT_EQ(op.shown.at(1).title, "Compare");
    EXPECT_NE(op.shown[1].detail.find("005"), std::string::npos) << op.shown[1].detail;
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Changed");

    // Opening what is no channel file: the message and the reset memory, quickly.
    test::WriteBytes(dir / "big.540", std::string(5 * 1024 * 1024, 'x'));
    for (const fs::path& what : {dir / "big.540", dir / "missing.540"}) {
        SCOPED_TRACE(what.string());
        op.shown.clear();
        op.answers = {Answer::No};  // not to be tried as an old file
        dialogs.names = {Q(what)};
        Click("FileOpen");
        ASSERT_FALSE(op.shown.empty());
        EXPECT_FALSE(Mem().Rec(5).IsDefined());
        EXPECT_EQ(Current(), 1);
    }

    // A real open loads, checks and shows channel 1.
    op.shown.clear();
    dialogs.names = {Q(dir / "план ß.540")};
    Click("FileOpen");
    EXPECT_EQ(std::tuple(Mem().Rec(5).Desc.Trimmed(), Current(), Doc().Saved()),
              std::tuple("Fire", 1, false));  // opening does not change Saved
    EXPECT_TRUE(Line(5).contains("Fire"));
    EXPECT_EQ(dialogs.asked.back(),
              "Enter filename to open|KVRX-540 files (*.540);;KVS-220 files "
              "(*.100);;Text files (*.txt);;All files (*.*)|" +
                  Q(dir / "missing"));
    EXPECT_TRUE(op.shown.empty());

    // Closing: Yes, then the save dialog cancelled, keeps the window; Yes and a name save first.
    op.answers = {Answer::Yes, Answer::Yes};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    dialogs.names = {Q(dir / "at-close.540")};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(fs::file_size(dir / "at-close.540"), 24730u);
    window.reset();
}

TEST_F(FileCommands, ListingsAndCsvPlans) {
    Start();
    dialogs.names = {Q(dir / "list.Txt")};
    Click("PrintFile");
    EXPECT_EQ(test::ReadBytes(dir / "list.Txt"), TextListing(Mem()));
    EXPECT_EQ(dialogs.asked.back(),
              "Enter filename to save data as text|KLD540 files (*.Txt);;All files (*.*)|");
    dialogs.names = {Q(dir / "nowhere" / "list.Txt")};
    Click("PrintFile");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Error writing to file.");

    // A cancelled printer dialog prints nothing; a chosen printer gets the listing.
    Click("PrintList");
    EXPECT_FALSE(fs::exists(dir / "list.pdf"));
    dialogs.printerFiles = {Q(dir / "list.pdf")};
    Click("PrintList");
    ASSERT_TRUE(fs::exists(dir / "list.pdf"));
    EXPECT_GT(fs::file_size(dir / "list.pdf"), 1000u);

    // The channel plan out to CSV and back.
    op.shown.clear();
    StoreChannel(5, "Fire");
    dialogs.names = {Q(dir / "plan.csv")};
    Click("ExportCsv");
    // A refused plan changes nothing and lists why.
    test::WriteBytes(dir / "bad.csv",
                     "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "007,1,Narrow,150.0040,Noise,Noise\n");
    dialogs.names = {Q(dir / "bad.csv")};
    Click("ImportCsv");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_NE(op.shown[0].detail.find("Line 2, column RxFrequency"), std::string::npos);
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Fire");
    // The exported plan comes back with its channel.
    GoTo(5);
    Click("EraseCurr");  // made here: gone
    ASSERT_FALSE(Mem().Rec(5).IsDefined());
    dialogs.names = {Q(dir / "plan.csv")};
    Click("ImportCsv");
    EXPECT_EQ(Mem().Rec(5).Desc.Trimmed(), "Fire");
    EXPECT_TRUE(Line(5).contains("Fire"));
    EXPECT_EQ(Current(), 1);
}

// The debug marker file shows the debug buttons; "W" on the command line enables wideband only.
TEST_F(FileCommands, DebugMarkerAndDumpThroughTheIterationDialog) {
    test::WriteBytes(dir / "KLD-540.log", "");
    Start("W");
    EXPECT_TRUE(Find("ReadDbgLog")->isVisible() && Find("DumpChnlData")->isVisible());
    EXPECT_EQ(Mem().EnabledModes, 0x40);
    AnswerDialog("frmIteration", "Iterations", "0", "cmdOK");
    dialogs.names = {Q(dir / "dump.Txt")};
    Click("DumpChnlData");
    EXPECT_EQ(test::ReadBytes(dir / "dump.Txt"), ChannelDump(Mem()));
    // Cancel asks for no file.
    const std::size_t asked = dialogs.asked.size();
    AnswerDialog("frmIteration", "Iterations", "", "cmdCancel");
    Click("DumpChnlData");
    EXPECT_EQ(dialogs.asked.size(), asked);
}

// A radio's memory: the reset memory and channels 2 to 40 in steps of 6, in lists 1 to 3.
ChannelMemory RadioPlan() {
    ChannelMemory memory = test::ResetMemory();
    for (int n = 2; n <= 40; n += 6) {
        ChannelRecord& r = memory.Rec(n) = memory.Rec(kFirstChannel);
        r.Select = kSelDefined | kSelCreatedHere, r.Prim = r.Chnl = static_cast<std::int16_t>(n);
        r.Desc = "Radio " + std::to_string(n), r.Scan = ScanOfZone(n % 3 + 1), r.Mode = kModeNarrow;
        r.RFrq = r.TFrq = "150.0125", r.RSql = r.TSql = kSqlNoise;
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
    ~Radio() override { ::unsetenv(kPortsDirVariable); }
    void TearDown() override {
        Window::TearDown();
        sim.terminate();
        sim.waitForFinished(5000);
    }
    // The radio on, the window started, and the operator picks COM7 in the port box.
    void Connect(const QStringList& faults = {}) {
        // clang-format off
        const QStringList args{"--port", "7", "--ports-dir", Q(dir / "ports"), "--load",
            Q(dir / "radio.540"), "--save", Q(dir / "saved.540"), "--debug-log",
            Q(dir / "debug.txt"), "--quiet"};
        // clang-format on
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
        EXPECT_TRUE(window->centralWidget()->isEnabled() && Find("ChnlSummary")->isVisible() &&
                    !Find("TfrProgress")->isVisible());
    }

    QProcess sim;
};

TEST_F(Radio, ReceiveEditSendAndReadTheDebugLog) {
    test::WriteBytes(dir / "KLD-540.log", "");  // debug mode: the debug log button
    Connect();
    EXPECT_EQ(ReadSettingsFile(dir / "KLD540.ini", ProgramVersion{})->Template.RFRec, 7);

    const int height = window->height();
    Click("Download");  // "Upload (from Radio)"
    ExpectWindowBack();
    EXPECT_EQ(window->height(), height);  // the progress frame took the summary's place, no more
    EXPECT_EQ(Current(), 1);
    EXPECT_TRUE(Line(8).contains("Radio 8"));
    EXPECT_EQ(Mem().Rec(8).Desc.Trimmed(), "Radio 8");

    StoreChannel(14, "Edited");
    Click("Upload");  // "Download (to Radio)"
    EXPECT_EQ(Find<QLabel>("TfrStatus")->text(), "Transfer Complete.");
    for (int i = 0; i < 100 && !fs::exists(dir / "saved.540"); ++i) {
        QTest::qWait(50);
    }
    EXPECT_NE(test::ReadBytes(dir / "saved.540").find("Edited"), std::string::npos);

    Click("ReadDbgLog");
    EXPECT_TRUE(fs::exists(dir / "KVRX-540_Dbg.log"));
    EXPECT_GT(fs::file_size(dir / "KLD-540.log"), 0u);  // every frame logged
    EXPECT_EQ(op.shown, std::vector<Message>{});        // no transfer failed, nothing asked
}

// A receive that fails part way says why, keeps the records that came (and the edits where none
// came), and gives the window back with the port free.
TEST_F(Radio, FailedReceiveKeepsWhatItHadAndTheWindowComesBack) {
    // The fault, the message it starts with, a record that stays defined.
    const std::tuple<QStringList, std::string, int> rows[] = {
        {{"--vanish-after", "14"}, "Communication Error", 2},  // the cable pulled: 2 arrived
        {{"--silent-after", "3"}, "Timeout Error", 5},  // answers the opening, then nothing (30 s)
    };
    for (const auto& [faults, message, kept] : rows) {
        SCOPED_TRACE(message);
        Connect(faults);
        StoreChannel(5);  // an edit the failed receive keeps unless the radio's channel came
        Click("Download");
        ASSERT_FALSE(op.shown.empty());
        EXPECT_EQ(op.shown[0].text.rfind(message, 0), 0u) << op.shown[0].text;
        ExpectWindowBack();
        EXPECT_EQ(Current(), 1);
        EXPECT_TRUE(Mem().Rec(kept).IsDefined());
        EXPECT_TRUE(PortCanBeOpened(7) || !fs::exists(dir / "ports" / "COM7"));
        StoreChannel(3);  // the window is usable again
        EXPECT_EQ(Current(), 4);
        TearDown();
        op.shown.clear();
    }
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
    // A backup that cannot be written is said once a run, and stops nothing.
    test::WriteBytes(dir / "blocker", "");
    ::setenv("XDG_DATA_HOME", (dir / "blocker").c_str(), 1);
    Click("Download");
    QStatusBar* status = window->statusBar();
    EXPECT_TRUE(status->currentMessage().startsWith("Backup not written"))
        << status->currentMessage().toStdString();
    EXPECT_TRUE(Mem().Rec(8).IsDefined());  // the receive went through all the same
    status->clearMessage();
    Click("Download");
    EXPECT_TRUE(status->currentMessage().isEmpty() && op.shown.empty());

    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
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

}  // namespace
}  // namespace kld::ui
