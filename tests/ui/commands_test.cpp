// The window's file, print and radio commands, driven as an operator drives them; the radio
// commands, several radios at once and Find Radio run against simulated radios on
// pseudo-terminals through the real serial ports.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableWidget>
#include <QUndoStack>

#include "../serial/pty.h"
#include "../test_memory.h"
#include "csv.h"
#include "data_file.h"
#include "fleet_dialog.h"
#include "listings.h"
#include "qt_serial_device.h"
#include "radio_commands.h"
#include "radio_search.h"
#include "settings_file.h"
#include "window_fixture.h"

namespace kld::ui {
namespace {

namespace fs = std::filesystem;

using FileCommands = Window;

TEST_F(FileCommands, EachCommandThroughItsDialogs) {
    Start();
    StoreChannel(5, "Fire");
    // Each command writes what the files layer makes of the memory; a place that cannot be
    // written is said and changes nothing. The caption shows the data file's name.
    const std::tuple<const char*, const char*, std::string> rows[] = {
        {"PrintFile", "list.Txt", TextListing(Mem())},
        {"ExportCsv", "plan.csv", kld::ExportCsv(Mem())},
        {"FileSave", "план ß.540", EncodeDataFile(Mem(), Doc().State())},
    };
    for (const auto& [command, name, bytes] : rows) {
        SCOPED_TRACE(command);
        dialogs.names = {Q(dir / "nowhere" / name), Q(dir / name)};
        Click(command);
        ASSERT_FALSE(op.shown.empty());
        EXPECT_EQ(std::tuple(op.shown.back().text, Doc().Saved(), window->windowTitle()),
                  std::tuple("Error writing to file.", false, QString("KLD - 540  [v2.6.0]")));
        Click(command);
        EXPECT_EQ(test::ReadBytes(dir / name), bytes);
    }
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("KLD - 540  [v2.6.0]  -  план ß.540"));
    // A cancelled printer dialog prints nothing; a chosen printer gets the listing.
    Click("PrintList");
    EXPECT_FALSE(fs::exists(dir / "list.pdf"));
    ClickChoosing("PrintList", "list.pdf");
    EXPECT_GT(fs::exists(dir / "list.pdf") ? fs::file_size(dir / "list.pdf") : 0, 1000u);
    // A cancelled open leaves the memory as it was; compare names the channel changed since.
    StoreChannel(5, "Changed");
    Click("FileOpen");
    dialogs.names = {Q(dir / "план ß.540")};
    Find<QAction>("CompareWithFile")->trigger();
    EXPECT_EQ(std::tuple(op.shown.back().title, Mem().Rec(5).Desc.Trimmed()),
              std::tuple("Compare", "Changed"));
    EXPECT_NE(op.shown.back().detail.find("005"), std::string::npos) << op.shown.back().detail;
    // A refused plan changes nothing and lists why; the plan exported comes back, all redrawn.
    test::WriteBytes(dir / "bad.csv",
                     "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "007,1,Narrow,150.0040,Noise,Noise\n");
    dialogs.names = {Q(dir / "bad.csv"), Q(dir / "plan.csv")};
    Click("ImportCsv");
    EXPECT_NE(op.shown.back().detail.find("Line 2, column RxFrequency"), std::string::npos);
    EXPECT_EQ(std::tuple(Mem().Rec(5).Desc.Trimmed(), Current()), std::tuple("Changed", 6));
    redrawn->clear();
    Click("ImportCsv");
    EXPECT_EQ(std::tuple(Mem().Rec(5).Desc.Trimmed(), Current(), Redrawn(0, kLastRecord)),
              std::tuple("Fire", 1, true));
    // No channel file: the message, the reset memory, quickly; a real open says nothing. Each
    // shows channel 1, every line redrawn; the dialog proposes the name last chosen.
    test::WriteBytes(dir / "junk.540", std::string(5 * 1024 * 1024, 'x'));
    op.shown.clear();
    for (const auto& [name, desc] : {std::pair("junk.540", ""), {"план ß.540", "Fire"}}) {
        ClickChoosing("FileOpen", name);
        EXPECT_EQ(std::tuple(op.shown.size(), Mem().Rec(5).IsDefined(), Line(5).contains(desc),
                             Current(), Redrawn(0, kLastRecord)),
                  std::tuple(1u, *desc != '\0', true, 1, true));
    }
    EXPECT_TRUE(dialogs.asked.back().endsWith("|" + Q(dir / "junk")));
}

// A plan with rows this radio cannot use asks whether to import the others, the refused rows in
// the details: No leaves the memory as it was, Yes imports the rest as one step.
TEST_F(FileCommands, PlanWithUnusableRowsAsksToImportTheRest) {
    Start();
    StoreChannel(5, "Fire");
    test::WriteBytes(dir / "mixed.csv",
                     "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "007,1,Narrow,150.0000,Noise,Noise\n"
                     "008,1,Narrow,180.0000,Noise,Noise\n"
                     "009,1,Narrow,150.0000,Noise,Noise\n");
    const int steps = Doc().Steps().count();
    // No: nothing changes, no step; Yes: the usable rows, one step.
    const std::tuple<Answer, bool, int> rows[] = {{Answer::No, false, steps},
                                                  {Answer::Yes, true, steps + 1}};
    for (const auto& [answer, imported, count] : rows) {
        op.shown.clear();
        op.answers = {answer};
        ClickChoosing("ImportCsv", "mixed.csv");
        ASSERT_FALSE(op.shown.empty());
        EXPECT_EQ(
            op.shown.front(),
            (Message{"1 of 3 rows cannot be used on this radio (listed). Import the other 2?",
                     "Import CSV", Icon::Warning, Buttons::YesNo,
                     "Line 3, column RxFrequency: 180.0000 MHz is outside 136 to 174 MHz\n"}));
        EXPECT_EQ(std::tuple(Mem().Rec(5).IsDefined(), Mem().Rec(7).IsDefined(),
                             Mem().Rec(8).IsDefined(), Doc().Steps().count()),
                  std::tuple(!imported, imported, false, count));
    }
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "Imported 5 channels from mixed.csv, 1 row left out. Ctrl+Z brings back the memory "
              "you had.");
}

// After each command the status line says what it did, with its numbers and the file's name; a
// failed one says so there too, after its message.
TEST_F(FileCommands, StatusLineSaysWhatEachCommandDid) {
    Start();
    StoreChannel(5, "Fire");
    const char* undo = " Ctrl+Z brings back the memory you had.";
    const std::tuple<const char*, const char*, QString> rows[] = {
        {"FileSave", "fleet.540", "Saved fleet.540"},
        {"FileOpen", "fleet.540", QString("Opened fleet.540 (4 channels).") + undo},
        {"ExportCsv", "plan.csv", "Exported 4 channels to plan.csv"},
        {"ImportCsv", "plan.csv", QString("Imported 4 channels from plan.csv.") + undo},
        {"PrintFile", "list.txt", "Listing written to list.txt"},
        {"PrintList", "list.pdf", "Printed 4 pages"},
        {"FileOpen", "missing.540",
         QString("Opening missing.540 failed: Error reading file. The memory is reset.") + undo},
        {"ExportCsv", "nowhere/plan.csv", "Exporting to plan.csv failed: Error writing to file."},
    };
    for (const auto& [command, name, said] : rows) {
        SCOPED_TRACE(command);
        ClickChoosing(command, name);
        EXPECT_EQ(window->statusBar()->currentMessage(), said);
    }
}

// The backup folder is made and shown in the file manager; where none shows it, or the folder
// cannot be made, the operator is told where it is.
TEST_F(FileCommands, BackupFolderSaysWhereItIsWhenItCannotBeShown) {
    Start();
    const std::string folder = (dir / "data" / "kld540" / "backups").string();
    auto* open = Find<QAction>("OpenBackupFolder");
    dialogs.folderShown = true;
    open->trigger();
    EXPECT_TRUE(op.shown.empty() && fs::is_directory(folder));
    dialogs.folderShown = false;
    open->trigger();
    fs::remove_all(dir / "data");
    test::WriteBytes(dir / "data", "");  // a file where the folders would go
    open->trigger();
    ASSERT_EQ(op.shown.size(), 2u);
    EXPECT_EQ(std::pair(op.shown[0].text, op.shown[1].text),
              std::pair("The backups are kept in:\n" + folder,
                        "The backup folder cannot be created:\n" + folder));
    EXPECT_EQ(dialogs.asked, std::vector<QString>(2, "folder|" + Q(folder)));
}

// The simulated radio as COM7 of the ports folder.
class RadioCommands : public Window {
  protected:
    // The radio on, the window started, and the operator picks COM7 in the port box.
    void Connect(const QStringList& faults = {}, const std::string& commandLine = "") {
        test::WriteBytes(dir / "radio.540", EncodeDataFile(test::PlanMemory(), ProgramState{}));
        test::WriteBytes(dir / "debug.txt", "0040C142\n00418D0A\n");
        StartSim(7,
                 QStringList{"--load", Q(dir / "radio.540"), "--debug-log", Q(dir / "debug.txt")} +
                     faults);
        Start(commandLine);
        auto* port = Find<QComboBox>("CommPort");
        port->setFocus();
        port->setEditText("com7 ");
        Leave("CommPort");
        ASSERT_EQ(Mem().PortNumber, 7);
    }
    // After a transfer the summary is back in its place and the window usable.
    bool WindowBack() {
        return window->centralWidget()->isEnabled() && Find("ChnlSummary")->isVisible() &&
               !Find("TfrProgress")->isVisible();
    }
    // The backup of `kind` kept in the backups folder, empty when there is none.
    std::string Kept(const std::string& kind) {
        for (const auto& entry : fs::directory_iterator(dir / "data" / "kld540" / "backups")) {
            if (entry.path().filename().string().ends_with(kind)) {
                return test::ReadBytes(entry.path());
            }
        }
        return {};
    }
};

// Receive, edit and send with verify after sending, each transfer with its backup; the debug
// marker's commands: the debug log, the dump and the repeated-transfer test.
TEST_F(RadioCommands, ReceiveEditSendVerifyAndTheDebugCommands) {
    test::WriteBytes(dir / "KLD-540.log", "");  // debug mode
    Connect({"--corrupt-record", "14"}, "N");   // "N": narrowband alone
    EXPECT_EQ(std::tuple(Mem().EnabledModes,
                         ReadSettingsFile(dir / "KLD540.ini", ProgramVersion{})->Template.RFRec),
              std::tuple(kEnableNarrow, 7));
    // A backup that cannot be written is said once a run, and stops nothing.
    test::WriteBytes(dir / "blocker", "");
    ::setenv("XDG_DATA_HOME", (dir / "blocker").c_str(), 1);
    const int height = window->height();
    redrawn->clear();
    Click("Download");  // "Upload (from Radio)"
    // The progress frame took the summary's place, no more; every line shows what came.
    EXPECT_EQ(std::tuple(WindowBack(), window->height(), Current(), Mem().Rec(8).Desc.Trimmed(),
                         Line(8).contains("Chan 8"), Redrawn(0, kLastRecord)),
              std::tuple(true, height, 1, "Chan 8", true, true));
    QStatusBar* status = window->statusBar();
    EXPECT_TRUE(status->currentMessage().startsWith("Backup not written"))
        << status->currentMessage().toStdString();
    status->clearMessage();
    Click("Download");
    EXPECT_EQ(status->currentMessage(),
              "Received 10 channels from the radio. Ctrl+Z brings back the memory you had.");
    EXPECT_TRUE(op.shown.empty());
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    Click("Download");
    EXPECT_EQ(Kept("-received.540"), EncodeDataFile(Mem(), Doc().State()));
    // The radio stores channel 14 wrongly: the verify after the send finds that alone.
    Find<QAction>("VerifyAfterSending")->setChecked(true);
    StoreChannel(14, "Edited");
    StoreChannel(20, "Sent");
    Click("Upload");  // "Download (to Radio)"
    EXPECT_EQ(Find<QLabel>("TfrStatus")->text(), "Transfer Complete.");
    EXPECT_FALSE(Kept("-before-send.540").empty());
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].title + "|" + op.shown[0].text.substr(0, 52),
              "Verify|The radio does not hold what was sent: 1 difference.");
    EXPECT_TRUE(op.shown[0].detail.find("014") != std::string::npos &&
                op.shown[0].detail.find("Description") != std::string::npos)
        << op.shown[0].detail;
    EXPECT_EQ(Mem().Rec(14).Desc.Trimmed(), "Edited");  // the memory is not the radio's
    Click("ReadDbgLog");
    EXPECT_EQ(status->currentMessage(), "Read the debug log into KVRX-540_Dbg.log");
    EXPECT_TRUE(fs::exists(dir / "KVRX-540_Dbg.log"));
    EXPECT_GT(fs::file_size(dir / "KLD-540.log"), 0u);  // every frame logged
    // Iterations: none when cancelled, 0 the dump, more the repeated-transfer test, captioned.
    ClickAnswering("DumpChnlData", "frmIteration", "Iterations", "", "cmdCancel");
    dialogs.names = {Q(dir / "dump.Txt")};
    ClickAnswering("DumpChnlData", "frmIteration", "Iterations", "0", "cmdOK");
    EXPECT_EQ(std::tuple(test::ReadBytes(dir / "dump.Txt"), dialogs.asked.size()),
              std::tuple(ChannelDump(Mem()), 1u));
    auto* progress = Find<QGroupBox>("TfrProgress");
    QStringList captions;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { captions << progress->title(); });
    ticker.start(5);
    ClickAnswering("DumpChnlData", "frmIteration", "Iterations", "2", "cmdOK");
    ticker.stop();
    EXPECT_TRUE(captions.contains("Data Transfer Progress (2 of 2)"))
        << captions.join("|").toStdString();
    EXPECT_EQ(
        std::tuple(progress->title(), Mem().Rec(17).Desc.Trimmed(), Line(17).contains("Z02/P01"),
                   op.shown.back().title),
        std::tuple(QString("Data Transfer Progress"), "Z02/P01", true, "Repeated Transfer Test"));
}

// A receive failing part way says why, keeps what came, and frees the window and the port.
TEST_F(RadioCommands, PulledCableMidReceiveKeepsWhatCame) {
    Connect({"--vanish-after", "14"});  // channel 2 arrives, then the line is gone
    StoreChannel(5);
    Click("Download");
    ASSERT_FALSE(op.shown.empty());
    EXPECT_EQ(op.shown[0].text.rfind("Communication Error", 0), 0u) << op.shown[0].text;
    EXPECT_EQ(std::tuple(WindowBack(), Current(), Mem().Rec(2).IsDefined()),
              std::tuple(true, 1, true));
    EXPECT_TRUE(PortCanBeOpened(7) || !fs::exists(dir / "ports" / "COM7"));
    StoreChannel(3);  // the window is usable again
    EXPECT_EQ(Current(), 4);
}

TEST_F(RadioCommands, ClosingDuringATransferStopsItFirst) {
    Connect({"--pace", "--level", "0"});  // 9600 baud: the receive takes a few seconds
    auto& radio = window->Radio();
    QTimer::singleShot(700, [&] {
        // Nothing else starts meanwhile: the window is disabled, a late command ignored.
        EXPECT_TRUE(radio.Transferring() && !Find("Save")->isEnabled() &&
                    Find("TfrProgress")->isVisible() && !Find("ChnlSummary")->isVisible());
        EXPECT_EQ(radio.RadioTransfer(Direction::Send).outcome, Outcome::None);
        window->close();
    });
    EXPECT_EQ(radio.RadioTransfer(Direction::Receive).outcome, Outcome::Cancelled);
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());  // it closed once the transfer had ended
    // And the port is free again (the simulated radio may take a moment to serve it anew).
    EXPECT_TRUE(QTest::qWaitFor([] { return PortCanBeOpened(7); }, 2000));
    window.reset();
}

// A send that erases the radio asks first. "No" sends nothing; "Yes" with a radio that cannot
// be read for its copy sends nothing either, and says why; without the copy (Extras) it goes.
TEST_F(RadioCommands, ASendThatErasesTheRadioAsksAndNeedsItsCopy) {
    Connect({"--over-long", "--save", Q(dir / "sent.540")});  // a receive fails at once
    StoreChannel(5, "Fire");  // the memory was never read from this radio
    op.answers = {Answer::No};
    Click("Upload");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].title, "Download (to Radio)");
    EXPECT_TRUE(op.shown[0].text.starts_with("This send erases everything in the radio first (") &&
                op.shown[0].text.find("then writes 1 channel into it.") != std::string::npos)
        << op.shown[0].text;
    EXPECT_TRUE(WindowBack() &&
                window->statusBar()->currentMessage().startsWith("Nothing was sent"));
    op.answers = {Answer::Yes};
    Click("Upload");
    ASSERT_EQ(op.shown.size(), 3u);
    EXPECT_EQ(op.shown[2].text,
              "Nothing was sent: the radio's memory could not be read for its copy.");
    EXPECT_TRUE(op.shown[2].detail.starts_with("Download Failure")) << op.shown[2].detail;
    EXPECT_FALSE(fs::exists(dir / "sent.540"));
    Find<QAction>("BackupRadioBeforeErase")->trigger();
    op.answers = {Answer::Yes};
    Click("Upload");
    EXPECT_EQ(op.shown.size(), 4u);
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "Sent 1 channel to the radio, after erasing it (no copy of what it held was kept).");
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(dir / "sent.540"); }, 5000));
    EXPECT_TRUE(Kept("-radio-before-erase.540").empty());
}

// Cancel (or Esc) stops a transfer waiting for a silent radio at once, not after its 30 seconds;
// the memory stays as it was.
TEST_F(RadioCommands, CancelStopsATransferFromASilentRadioAtOnce) {
    Connect({"--silent-after", "3"});
    StoreChannel(5, "Kept");
    auto* cancel = Find<QPushButton>("TfrCancel");
    EXPECT_FALSE(cancel->isVisible());
    for (const bool byKey : {true, false}) {
        SCOPED_TRACE(byKey ? "Esc" : "Cancel");
        op.shown.clear();
        auto pressed = std::chrono::steady_clock::now();
        QTimer::singleShot(500, [&] {
            EXPECT_TRUE(cancel->isVisible() && cancel->isEnabled());
            pressed = std::chrono::steady_clock::now();
            byKey ? QTest::keyClick(window.get(), Qt::Key_Escape)
                  : QTest::mouseClick(cancel, Qt::LeftButton);
        });
        Click("Download");
        EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
        ASSERT_EQ(op.shown.size(), 1u);
        EXPECT_EQ(op.shown[0].text, "Transfer Cancelled");
        EXPECT_EQ(std::tuple(WindowBack(), cancel->isVisible(), Mem().Rec(5).Desc.Trimmed()),
                  std::tuple(true, false, "Kept"));
    }
}

using Radios = Window;

// Two radios ticked, erased where needed and verified; the rows and the report say how each
// went, and the window's memory is the plan still.
TEST_F(Radios, ProgramTwoAtOnceAndSaveTheReport) {
    StartSim(7);
    StartSim(8);
    Start();
    Edit([](ChannelMemory& memory) { memory.Records = test::PlanMemory().Records; });
    Click("SelAll");
    const ChannelMemory plan = Mem();
    op.answers = {Answer::Yes};  // erase the radios that need it
    dialogs.names = {Q(dir / "report.csv")};
    QStringList rows;
    QString summary;
    QTimer::singleShot(0, [&] {
        auto* fleet = window->findChild<FleetDialog*>("frmFleet");
        ASSERT_NE(fleet, nullptr);
        auto* table = fleet->findChild<QTableWidget*>("FleetTable");
        EXPECT_FALSE(table->toolTip().isEmpty());
        for (QWidget* control : fleet->findChildren<QAbstractButton*>(
                 QRegularExpression("^Fleet"))) {  // Qt's own pieces show their control's
            EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
        }
        for (int row = 0; row < table->rowCount(); ++row) {
            table->item(row, 0)->setCheckState(Qt::Checked);
        }
        fleet->findChild<QAbstractButton*>("FleetErase")->setChecked(true);
        fleet->findChild<QAbstractButton*>("FleetVerify")->setChecked(true);
        QSignalSpy ended(fleet, &FleetDialog::AllEnded);
        QTest::mouseClick(fleet->findChild<QAbstractButton*>("FleetStart"), Qt::LeftButton);
        EXPECT_TRUE(fleet->findChild<QAbstractButton*>("FleetStop")->isEnabled());
        EXPECT_TRUE(ended.wait(60000));
        for (int row = 0; row < table->rowCount(); ++row) {
            const auto* bar = static_cast<QProgressBar*>(table->cellWidget(row, 2));
            rows << table->item(row, 0)->text() + " " + table->item(row, 3)->text() + " " +
                        QString::number(bar->value());
        }
        QTest::mouseClick(fleet->findChild<QAbstractButton*>("FleetSaveReport"), Qt::LeftButton);
        summary = fleet->findChild<QLabel*>("FleetSummary")->text();
        QTest::mouseClick(fleet->findChild<QAbstractButton*>("FleetClose"), Qt::LeftButton);
    });
    window->findChild<QAction*>("ProgramSeveralRadios")->trigger();
    EXPECT_EQ(rows, QStringList({"COM7 Transfer Complete.  Verify OK 232",
                                 "COM8 Transfer Complete.  Verify OK 232"}));
    EXPECT_TRUE(summary.startsWith("2 of 2 radios programmed.\nReport saved to"))
        << summary.toStdString();
    EXPECT_EQ(std::tuple(Mem().Records == plan.Records, op.shown.size(),
                         window->statusBar()->currentMessage()),
              std::tuple(true, 1u, QString("2 of 2 radios programmed.")));
    const std::string report = test::ReadBytes(dir / "report.csv");
    EXPECT_EQ(std::ranges::count(report, '\n'), 3) << report;
}

// One radio answers among two ports: its port is the port in use, kept in KLD540.ini; the
// button is greyed while the ports are asked.
TEST_F(Radios, FindRadioUsesThePortWhereOneAnswers) {
    test::Pty silent;
    std::filesystem::create_symlink(silent.SlavePath(), dir / "ports" / "COM5");
    StartSim(9);
    Start();
    QSignalSpy ended(window->findChild<RadioSearch*>(), &RadioSearch::Ended);
    Click("FindRadio");
    EXPECT_FALSE(Find("FindRadio")->isEnabled());
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(std::tuple(Mem().PortNumber, Find<QComboBox>("CommPort")->currentText(),
                         ReadSettingsFile(dir / "KLD540.ini", ProgramVersion{})->Template.RFRec,
                         Find("FindRadio")->isEnabled(), op.shown.size()),
              std::tuple(9, QString("COM9"), 9, true, 0u));
    EXPECT_EQ(window->statusBar()->currentMessage(), "Radio found on COM9 (version 021100).");
}

}  // namespace
}  // namespace kld::ui
