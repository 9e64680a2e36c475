// The main window driven as a technician drives it: real key and mouse events on the offscreen
// platform, a scripted operator answering the message boxes. The rules behind each box are the
// core's tests; these show the window binds them and its own behaviour around them.
#include <QAccessible>
#include <QComboBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>

#include "../serial/pty.h"
#include "summary.h"
#include "window_fixture.h"

namespace kld::ui {
namespace {

// What a screen reader announces for a control: its label where it has one (combo boxes name
// themselves by their value and point to their label), else its own name.
QString AnnouncedName(QWidget* widget) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (iface == nullptr) {
        return {};
    }
    QString name = iface->text(QAccessible::Name);
    for (const auto& [label, relation] : iface->relations(QAccessible::Label)) {
        if (label->role() == QAccessible::StaticText) {  // a label, not the enclosing frame
            name = label->text(QAccessible::Name);
        }
    }
    return name.remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed();
}

TEST_F(Window, TechniciansPath) {
    Start();
    EXPECT_EQ(std::filesystem::file_size(dir / "KLD540.ini"), 138u);  // created at start-up
    EXPECT_EQ(window->windowTitle(), "KLD - 540  [v2.6.0]");
    EXPECT_EQ(std::tuple(Current(), Box("Channel")->text(), List()->model()->rowCount()),
              std::tuple(1, QString("001"), 233));
    EXPECT_EQ(Find<QComboBox>("CommPort")->currentText(), "COM1");
    EXPECT_TRUE(Find<QRadioButton>("Sx")->isChecked() && !Box("TFrq")->isEnabled() &&
                Doc().Saved());
    // No debug marker: the debug buttons are gone.
    EXPECT_FALSE(Find("ReadDbgLog")->isVisible() || Find("DumpChnlData")->isVisible());
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty() && op.shown.empty());
    QSignalSpy steps(&Doc(), &Document::Applied);

    // Channel 5: type its number into the channel box and leave it.
    TypeInto("Channel", "5");
    Leave("Channel");
    ASSERT_EQ(Current(), 5);
    EXPECT_TRUE(Line(5).contains("UNDEFINED"));
    TypeInto("Desc", "Fire");
    TypeInto("RFrq", "155.34");
    EXPECT_EQ(Box("TFrq")->text(), "155.34");  // simplex follows while typing
    Click("Save");
    EXPECT_EQ(std::tuple(Current(), Doc().Saved(), int{Mem().Rec(5).Select}),
              std::tuple(6, false, 0xA1));
    EXPECT_EQ(Line(5), QString::fromLatin1(SummaryLine(Mem().Rec(5), 5).c_str()));

    // A shadow of channel 5 in channel 9, proposed from the channel shown.
    GoTo(5);
    AnswerDialog("frmShadow", "ShadChnl", "9", "cmdOK");
    Click("CreateShadow");
    EXPECT_EQ(Box("PrimChnl")->text(), "005");
    EXPECT_EQ(std::tuple(Current(), Box("Primary")->isVisible(), Box("Primary")->text(),
                         Box("RFrq")->isEnabled()),
              std::tuple(9, true, QString(" 005"), false));
    EXPECT_TRUE(Line(9).startsWith("  009S-005"));
    EXPECT_EQ(steps.size(), 2);  // each change of the memory is one named step
    EXPECT_EQ(steps[0][0].toString() + "|" + steps[1][0].toString(),
              "Store Channel 005|Create Shadow");

    // Closing asks; Cancel keeps the window and the data, No lets it go.
    op.answers = {Answer::Cancel, Answer::No};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible() && Mem().Rec(5).IsDefined());
    EXPECT_TRUE(window->close());
    EXPECT_EQ(op.shown, std::vector<Message>(2, {"The Current Data is not saved.\n           "
                                                 "Save changes?",
                                                 "", Icon::None, Buttons::YesNoCancel}));
    window.reset();
}

TEST_F(Window, PortBoxListsThePortsThatOpenAndRefusesOtherText) {
    // A pseudo-terminal stands in for a USB adapter, given the number 5 through the ports folder.
    test::Pty pty;
    std::filesystem::create_directory(dir / "ports");
    std::filesystem::create_symlink(pty.SlavePath(), dir / "ports" / "COM5");
    ::setenv("KLD540_PORTS_DIR", (dir / "ports").c_str(), 1);
    window = std::make_unique<MainWindow>(op, dir.Path(), "");
    QSignalSpy found(window.get(), &MainWindow::PortsFound);
    window->StartPortSearch();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(found.wait(20000));
    ::unsetenv("KLD540_PORTS_DIR");
    // Shown with the device the folder's link leads to, not the link itself.
    auto* port = Find<QComboBox>("CommPort");
    EXPECT_GE(port->findText("COM5  " + QString::fromStdString(pty.SlavePath())), 0);
    EXPECT_EQ(port->currentText(), "COM1");  // the settings file's port stays chosen

    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    port->setFocus();
    port->setEditText("COMX");
    Leave("CommPort");
    EXPECT_EQ(op.shown, (std::vector<Message>{{"Invalid COMM port", "", Icon::None, Buttons::Ok}}));
    EXPECT_EQ(Mem().PortNumber, 1);
    EXPECT_EQ(port->currentText(), "COM1");

    // Typed and entered: checked at once, never added to the list. The refused text stays in
    // view while the message is up, then the port in use comes back.
    const int entries = port->count();
    QString whileRefused;
    op.whileShown = [&] { whileRefused = port->currentText(); };
    port->setFocus();
    port->setEditText("7");
    QTest::keyClick(port->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(op.shown.size(), 2u);
    EXPECT_EQ(whileRefused, "7");
    EXPECT_EQ(std::pair(port->count(), port->currentText()), std::pair(entries, QString("COM1")));
}

// The name is taken by a folder (as root, a read-only folder would not stop the write).
TEST_F(Window, SettingsFileThatCannotBeWrittenIsSaidAndTheTemplateStoredAllTheSame) {
    std::filesystem::create_directory(dir / "KLD540.ini");
    Start();
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("KLD540.ini"));
    EXPECT_TRUE(op.shown.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "KLD540.ini"));

    StoreChannel(0, "Tmpl");
    EXPECT_EQ(Mem().Rec(0).Desc.Trimmed(), "Tmpl");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].title, "Settings File");

    // Once the name is free, storing the template keeps it for the next start.
    std::filesystem::remove(dir / "KLD540.ini");
    StoreChannel(0, "Tmpl2");
    EXPECT_NE(test::ReadBytes(dir / "KLD540.ini").find("Tmpl2"), std::string::npos);
    EXPECT_EQ(op.shown.size(), 1u);
}

TEST_F(Window, EveryControlIsAnnouncedByWhatItIsNotItsObjectName) {
    Start();
    // Labels are their controls' buddies, and assistive technology sees the names.
    const std::vector<std::pair<const char*, QString>> named{
        {"Channel", "Memory"},
        {"Modes", "Operating Mode"},
        {"RTG", "Talk Group"},
        {"IDCall", "ID Call"},
        {"Zone", "List"},
        {"ChnlScrll", "Channel up or down"},
        {"Sx", "Simplex"},
        {"Check1", "Send channel DEF"},
        {"Check6", "Send channel 005"},
        {"Summary", "Memory Summary"},
        {"Upload", "Download (to Radio)"},
    };
    for (const auto& [control, name] : named) {
        EXPECT_EQ(AnnouncedName(Find(control)), name);
    }
    // Every control the keyboard reaches says what it is in words, never by its code name.
    int controls = 0;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString code = widget->objectName();
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(window.get()) ||
            code.isEmpty() || code.startsWith("qt_")) {
            continue;
        }
        ++controls;
        const QString name = AnnouncedName(widget);
        EXPECT_FALSE(name.isEmpty() || name == code) << code.toStdString();
    }
    EXPECT_GE(controls, 40);
}

TEST_F(Window, KeyboardAloneReachesTheCommands) {
    Start();
    // The focus order, from the channel box on through the editor, the list and the frames.
    Box("Channel")->setFocus();
    for (const char* next :
         {"ChnlScrll", "SM1",      "Zone",      "Desc",     "Modes",   "RFrq",
          "RSql",      "RCTCSS",   "RDCS",      "RTG",      "RNAC",    "Sx",
          "Save",      "Summary",  "FileSave",  "FileOpen", "Upload",  "Download",
          "SelAll",    "ClearAll", "EraseCurr", "EraseAll", "CommPort"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), Find(next)) << next;
    }
    // Alt+R stores the channel shown.
    GoTo(3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    QTest::qWait(250);  // an access key presses the button for a moment, then clicks it
    EXPECT_EQ(Current(), 4);
    EXPECT_TRUE(Mem().Rec(3).IsDefined());
    // Alt+S selects all.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(250);
    EXPECT_EQ(Mem().Rec(3).Select & 1, 1);
}

}  // namespace
}  // namespace kld::ui
