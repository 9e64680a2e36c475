// The main window driven as a technician drives it: real key and mouse events on the offscreen
// platform, a scripted operator answering the message boxes. The rules behind each box are the
// core's tests; these show the window binds them and its own behaviour around them.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "../serial/pty.h"
#include "shadow_dialog.h"
#include "squelch_dialog.h"
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
    EXPECT_EQ(W().windowTitle(), "KLD - 540  [v2.6.0]");
    EXPECT_EQ(std::tuple(Current(), W().Channel->text(), W().Summary->count()),
              std::tuple(1, QString("001"), 233));
    EXPECT_EQ(W().CommPort->currentText(), "COM1");
    EXPECT_TRUE(W().Sx->isChecked() && !W().TFrq->isEnabled() && W().Memory().Saved);
    // No debug marker: the debug buttons are gone.
    EXPECT_FALSE(W().ReadDbgLog->isVisible() || W().DumpChnlData->isVisible());
    EXPECT_TRUE(W().statusBar()->currentMessage().isEmpty() && op.shown.empty());

    // Channel 5: type its number into the channel box and leave it.
    TypeInto(W().Channel, "5");
    Leave(W().Channel);
    ASSERT_EQ(Current(), 5);
    EXPECT_TRUE(Line(5).contains("UNDEFINED"));
    TypeInto(W().Desc, "Fire");
    TypeInto(W().RFrq, "155.34");
    EXPECT_EQ(W().TFrq->text(), "155.34");  // simplex follows while typing
    Leave(W().RFrq);
    EXPECT_EQ(W().RFrq->text(), "155.34000");
    QTest::mouseClick(W().Save, Qt::LeftButton);
    EXPECT_EQ(Current(), 6);
    EXPECT_FALSE(W().Memory().Saved);
    EXPECT_EQ(W().Memory().Rec(5).Select, 0xA1);
    EXPECT_EQ(Line(5), QString::fromLatin1(SummaryLine(W().Memory().Rec(5), 5).c_str()));

    // Scroll away with the bar's keys and back with a click on the summary line.
    W().ChnlScrll->setFocus();
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(W().ChnlScrll, Qt::Key_Up);
    }
    EXPECT_EQ(Current(), 16);
    W().Summary->scrollToItem(W().Summary->item(5));
    QTest::mouseClick(W().Summary->viewport(), Qt::LeftButton, {},
                      W().Summary->visualItemRect(W().Summary->item(5)).center());
    EXPECT_EQ(Current(), 5);
    EXPECT_EQ(W().Desc->text(), "Fire");
    // The list scrolled under the mouse to make the line the third; the highlight stays with it.
    QApplication::processEvents();
    const QModelIndexList highlighted = W().Summary->selectionModel()->selectedRows();
    ASSERT_EQ(highlighted.size(), 1);
    EXPECT_EQ(highlighted[0].row(), 5);

    // A shadow of channel 5 in channel 9.
    QTimer::singleShot(0, [&] {
        ShadowDialog& dialog = W().frmShadow();
        EXPECT_EQ(dialog.PrimChnl->text(), "005");
        QTest::keyClicks(dialog.ShadChnl, "9");
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    });
    QTest::mouseClick(W().CreateShadow, Qt::LeftButton);
    EXPECT_EQ(Current(), 9);
    EXPECT_TRUE(W().Primary->isVisible());
    EXPECT_EQ(W().Primary->text(), " 005");
    EXPECT_FALSE(W().RFrq->isEnabled());
    EXPECT_TRUE(Line(9).startsWith("  009S-005"));

    // Closing asks; Cancel and Yes keep the window and the data, No lets it go.
    op.answers = {Answer::Cancel, Answer::Yes, Answer::No};
    EXPECT_FALSE(W().close());
    EXPECT_FALSE(W().close());
    EXPECT_TRUE(W().isVisible());
    EXPECT_EQ(W().Memory().Rec(5).Desc.Trimmed(), "Fire");
    EXPECT_TRUE(W().close());
    EXPECT_EQ(op.shown, std::vector<Message>(3, {"The Current Data is not saved.\n           "
                                                 "Save changes?",
                                                 "", Icon::None, Buttons::YesNoCancel}));
    window.reset();
}

TEST_F(Window, KeyRulesFilterEveryBox) {
    Start();
    struct Row {
        QLineEdit* box;
        const char* typed;
        const char* shown;
        int beeps;
    };
    const std::vector<Row> rows{
        {W().RFrq, "12", "1", 1},                   // then 3 to 7
        {W().RFrq, "145x.5", "145.5", 1},           // position 4 takes only the point
        {W().RFrq, "145.1234567", "145.12345", 0},  // nine characters at most
        {W().RTG, "1aZ", "1A", 1},                  // hexadecimal, upper case
        {W().RNAC, "fffff", "FFF", 0},
        {W().IDCall, "12a3456789", "1234567", 0},  // digits, silently
        {W().Channel, "gd1", "GD1", 0},            // upper case
        {W().Channel, "x", "", 0},
        {W().Desc, "Fire Station 9", "Fire Sta", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        op.beeps = 0;
        row.box->setFocus();
        row.box->clear();
        QTest::keyClicks(row.box, QString::fromLatin1(row.typed));
        EXPECT_EQ(row.box->text(), row.shown);
        EXPECT_EQ(op.beeps, row.beeps);
    }
}

TEST_F(Window, LeaveRulesKeepTheFocusUntilTheTextPasses) {
    Start();
    // A channel the memory has no record for: a beep, the focus stays, Current stays.
    TypeInto(W().Channel, "231");
    Leave(W().Channel);
    EXPECT_EQ(op.beeps, 1);
    EXPECT_EQ(Current(), 1);
    EXPECT_TRUE(W().Channel->hasFocus());
    TypeInto(W().Channel, "12");
    QTest::keyClick(W().Channel, Qt::Key_Return);  // Enter goes there at once
    EXPECT_EQ(Current(), 12);

    // A frequency off the raster: the message, the focus stays; on the raster it completes.
    TypeInto(W().RFrq, "150.004");
    Leave(W().RFrq);
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Invalid Rx Frequency");
    EXPECT_TRUE(W().RFrq->hasFocus());
    TypeInto(W().RFrq, "150.0062");
    Leave(W().RFrq);
    EXPECT_EQ(W().RFrq->text(), "150.00625");
    EXPECT_EQ(W().TFrq->text(), "150.00625");

    // Talk groups and NACs are padded on leaving.
    TypeInto(W().RTG, "A");
    Leave(W().RTG);
    EXPECT_EQ(W().RTG->text(), "000A");
    EXPECT_EQ(W().TTG->text(), "000A");
    TypeInto(W().RNAC, "");
    Leave(W().RNAC);
    EXPECT_EQ(W().RNAC->text(), "000");
}

TEST_F(Window, RefusingBoxAsksOnceWhenTheWindowClosesOrADialogOpens) {
    Start();
    TypeInto(W().RFrq, "135");
    // Another window takes the focus (a dialog, another program): no message.
    W().frmSquelch().show();
    W().frmSquelch().activateWindow();
    QApplication::processEvents();
    W().frmSquelch().hide();
    QApplication::processEvents();
    EXPECT_TRUE(op.shown.empty());
    // Closing with the bad text still in the box: only the close question, when one is due.
    W().close();
    QApplication::processEvents();
    EXPECT_TRUE(op.shown.empty());
    window.reset();
}

TEST_F(Window, ScrollBarWrapsAndUpRaisesTheValue) {
    Start();
    // The arrows as the mouse meets them: the top one raises, the bottom one lowers.
    const auto clickArrow = [&](QStyle::SubControl arrow) {
        QStyleOptionSlider option;
        option.initFrom(W().ChnlScrll);
        option.orientation = Qt::Vertical;
        option.minimum = W().ChnlScrll->minimum();
        option.maximum = W().ChnlScrll->maximum();
        option.sliderPosition = option.sliderValue = W().ChnlScrll->value();
        option.upsideDown = W().ChnlScrll->invertedAppearance();
        const QRect rect = W().ChnlScrll->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                                  arrow, W().ChnlScrll);
        QTest::mouseClick(W().ChnlScrll, Qt::LeftButton, {}, rect.center());
    };
    clickArrow(QStyle::SC_ScrollBarSubLine);
    EXPECT_EQ(Current(), 2) << "the top arrow";
    clickArrow(QStyle::SC_ScrollBarAddLine);
    clickArrow(QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(Current(), 0) << "the bottom arrow";
    W().ChnlScrll->setFocus();
    QTest::keyClick(W().ChnlScrll, Qt::Key_Down);
    EXPECT_EQ(Current(), 232);
    QTest::keyClick(W().ChnlScrll, Qt::Key_Up);
    EXPECT_EQ(Current(), 0);
    // The summary follows: the channel shown is the third visible line.
    GoTo(50);
    EXPECT_EQ(W().Summary->verticalScrollBar()->value(), 48);
    GoTo(2);
    EXPECT_EQ(W().Summary->verticalScrollBar()->value(), 0);
    // Holding the key down runs through the whole memory and stays with the channel shown.
    for (int i = 0; i < 300; ++i) {
        QTest::keyPress(W().ChnlScrll, Qt::Key_Up, {}, -1);
    }
    QTest::keyRelease(W().ChnlScrll, Qt::Key_Up);
    EXPECT_EQ(Current(), (2 + 300) % 233);
    // The wheel turned up a notch raises it too.
    const int before = Current();
    const QPointF at = W().ChnlScrll->rect().center();
    QWheelEvent wheel(at, W().ChnlScrll->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(W().ChnlScrll, &wheel);
    EXPECT_EQ(Current(), before + 1);
    EXPECT_EQ(W().Channel->text(), QString("%1").arg(Current(), 3, 10, QChar('0')));
}

TEST_F(Window, PortBoxListsThePortsThatOpenAndRefusesOtherText) {
    // A pseudo-terminal stands in for a USB adapter, given the number 5 through the ports folder.
    test::Pty pty;
    std::filesystem::create_directory(dir / "ports");
    std::filesystem::create_symlink(pty.SlavePath(), dir / "ports" / "COM5");
    ::setenv("KLD540_PORTS_DIR", (dir / "ports").c_str(), 1);
    window = std::make_unique<MainWindow>(op, dir.Path(), "");
    window->SetDialogs(&dialogs);
    QSignalSpy found(window.get(), &MainWindow::PortsFound);
    window->StartPortSearch();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(found.wait(20000));
    ::unsetenv("KLD540_PORTS_DIR");
    // Shown with the device the folder's link leads to, not the link itself.
    EXPECT_GE(W().CommPort->findText("COM5  " + QString::fromStdString(pty.SlavePath())), 0);
    EXPECT_EQ(W().CommPort->currentText(), "COM1");  // the settings file's port stays chosen

    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    W().CommPort->setFocus();
    W().CommPort->setEditText("COMX");
    Leave(W().CommPort);
    EXPECT_EQ(op.shown, (std::vector<Message>{{"Invalid COMM port", "", Icon::None, Buttons::Ok}}));
    EXPECT_EQ(W().Memory().PortNumber, 1);
    EXPECT_EQ(W().CommPort->currentText(), "COM1");

    // Typed and entered: checked at once, never added to the list. The refused text stays in
    // view while the message is up, then the port in use comes back.
    const int entries = W().CommPort->count();
    QString whileRefused;
    op.whileShown = [&] { whileRefused = W().CommPort->currentText(); };
    W().CommPort->setFocus();
    W().CommPort->setEditText("7");
    QTest::keyClick(W().CommPort->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(op.shown.size(), 2u);
    EXPECT_EQ(whileRefused, "7");
    EXPECT_EQ(std::pair(W().CommPort->count(), W().CommPort->currentText()),
              std::pair(entries, QString("COM1")));
}

// The name is taken by a folder (as root, a read-only folder would not stop the write).
TEST_F(Window, SettingsFileThatCannotBeWrittenIsSaidAndTheTemplateStoredAllTheSame) {
    std::filesystem::create_directory(dir / "KLD540.ini");
    Start();
    EXPECT_FALSE(W().SettingsKept());
    EXPECT_TRUE(W().statusBar()->currentMessage().contains("KLD540.ini"));
    EXPECT_TRUE(op.shown.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "KLD540.ini"));

    StoreChannel(0, "Tmpl");
    EXPECT_EQ(W().Memory().Rec(0).Desc.Trimmed(), "Tmpl");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].title, "Settings File");

    // Once the name is free, storing the template keeps it for the next start.
    std::filesystem::remove(dir / "KLD540.ini");
    StoreChannel(0, "Tmpl2");
    EXPECT_NE(test::ReadBytes(dir / "KLD540.ini").find("Tmpl2"), std::string::npos);
    EXPECT_EQ(op.shown.size(), 1u);
}

TEST_F(Window, NoiseSquelchLevelThroughItsDialog) {
    Start();
    QTimer::singleShot(0, [&] {
        SquelchDialog& dialog = W().frmSquelch();
        EXPECT_EQ(dialog.SquelchValue->text(), "10");
        QTest::keyClicks(dialog.SquelchValue, "15");
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    });
    QTest::mouseClick(W().NoiseSquelch, Qt::LeftButton);
    EXPECT_EQ(W().Memory().NoiseSquelchLevel, 15);
    QTimer::singleShot(0, [&] { QTest::mouseClick(W().frmSquelch().cmdCancel, Qt::LeftButton); });
    QTest::mouseClick(W().NoiseSquelch, Qt::LeftButton);
    EXPECT_EQ(W().Memory().NoiseSquelchLevel, 15);
    EXPECT_TRUE(W().Memory().Saved);
}

TEST_F(Window, SelectionBoxesFollowTheListAndSetTheFlags) {
    Start();
    for (int n : {40, 43, 44}) {
        W().Memory().Rec(n).Select = 0xC0;  // from the radio
    }
    W().Memory().Rec(44).Select |= 0x02;  // erase mark
    W().Summary->verticalScrollBar()->setValue(40);
    EXPECT_EQ(Current(), 1);  // scrolling the list does not change the channel
    EXPECT_EQ(W().Check[4]->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(W().Check[3]->checkState(), Qt::Unchecked);

    QTest::mouseClick(W().Check[3], Qt::LeftButton);
    EXPECT_EQ(Current(), 43);
    EXPECT_EQ(W().Memory().Rec(43).Select, 0xC1);
    EXPECT_EQ(W().Summary->verticalScrollBar()->value(), 41);
    EXPECT_EQ(W().Check[2]->checkState(), Qt::Checked);  // channel 43, now third from the top

    // Select All and Clear All reach the memory; an erase mark stays grey through both.
    QTest::mouseClick(W().SelAll, Qt::LeftButton);
    EXPECT_EQ(W().Memory().Rec(40).Select, 0xC1);
    EXPECT_EQ(W().Check[3]->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(W().ClearAll, Qt::LeftButton);
    EXPECT_EQ(W().Memory().Rec(43).Select, 0xC0);
    EXPECT_EQ(W().Check[3]->checkState(), Qt::PartiallyChecked);
    // The operator's click on a grey box never makes another grey one.
    QTest::mouseClick(W().Check[3], Qt::LeftButton);
    EXPECT_EQ(W().Memory().Rec(44).Select & 0x02, 0);
    EXPECT_TRUE(W().Memory().Saved);
}

TEST_F(Window, EraseMarkAndPurge) {
    Start();
    W().Memory().Rec(20).Select = 0xC0;
    GoTo(20);
    QTest::mouseClick(W().EraseCurr, Qt::LeftButton);
    EXPECT_TRUE(Line(20).contains("ERASED"));
    EXPECT_EQ(W().Check[2]->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(W().EraseCurr, Qt::LeftButton);
    EXPECT_EQ(W().Memory().Rec(20).Select, 0xC0);
    EXPECT_EQ(W().Check[2]->checkState(), Qt::Unchecked);

    // Purge shows the list in reverse colours until it is pressed again.
    const QColor base = W().Summary->palette().color(QPalette::Base);
    const QColor text = W().Summary->palette().color(QPalette::Text);
    QTest::mouseClick(W().EraseAll, Qt::LeftButton);
    EXPECT_EQ(W().EraseAll->text(), "UnPurge");
    EXPECT_EQ(W().Summary->palette().color(QPalette::Base), text);
    EXPECT_EQ(W().Summary->palette().color(QPalette::Text), base);
    QTest::mouseClick(W().EraseAll, Qt::LeftButton);
    EXPECT_EQ(W().EraseAll->text(), "Purge");
    EXPECT_EQ(W().Summary->palette().color(QPalette::Base), base);
    EXPECT_TRUE(W().Memory().Saved);
}

TEST_F(Window, ModesListAndSimplexDuplex) {
    Start();
    GoTo(2);  // the template: Narrow on 141 MHz, simplex
    ASSERT_EQ(W().Modes->currentText(), "Narrow");
    // Narrow to Digital refills the squelch lists with their first entries.
    W().Modes->setCurrentIndex(2);
    EXPECT_EQ(W().RSql->count(), 3);
    EXPECT_TRUE(W().RSql->currentText().startsWith("Monitor"));
    EXPECT_TRUE(W().TSql->currentText().startsWith("Talk Group"));
    // In simplex a receive squelch choice picks the transmit entry.
    W().RSql->setCurrentIndex(1);
    EXPECT_EQ(W().TSql->currentIndex(), 0);

    QTest::mouseClick(W().Dx, Qt::LeftButton);
    EXPECT_TRUE(W().TFrq->isEnabled());
    EXPECT_TRUE(W().IDCall->isEnabled());
    TypeInto(W().RFrq, "150.0125");
    EXPECT_EQ(W().TFrq->text(), "141.00000");  // duplex: no following
    QTest::mouseClick(W().Sx, Qt::LeftButton);
    EXPECT_EQ(W().TFrq->text(), "150.0125");
    EXPECT_FALSE(W().TTG->isEnabled());
    EXPECT_EQ(W().TTG->palette().color(QPalette::Base),
              QApplication::palette().color(QPalette::Inactive, QPalette::Window));
}

TEST_F(Window, RecordsWithValuesTheListsDoNotHoldShowNoChoice) {
    Start();
    ChannelRecord& r = W().Memory().Rec(30);
    r = W().Memory().Rec(0);
    r.Select = 0xC0, r.RSql = 'Q', r.RCTCSS = 999, r.TDCS = -5, r.Mode = 7;
    r.Scan = 0xF0;  // the guards' list, never offered to a channel
    GoTo(30);
    for (QComboBox* box : {W().Modes, W().Zone, W().RSql, W().RCTCSS, W().TDCS}) {
        EXPECT_EQ(box->currentIndex(), -1) << box->objectName().toStdString();
    }
    const ChannelRecord before = r;
    QTest::mouseClick(W().Save, Qt::LeftButton);
    EXPECT_EQ(W().Memory().Rec(30), before);  // refused: nothing chosen to store
    EXPECT_EQ(Current(), 30);
    ASSERT_FALSE(op.shown.empty());
    EXPECT_EQ(op.shown.back().title, "Save Record");
}

TEST_F(Window, EveryControlIsAnnouncedByWhatItIsNotItsObjectName) {
    Start();
    // Labels are their controls' buddies, and assistive technology sees the names.
    const std::vector<std::pair<QWidget*, QString>> named{
        {W().Channel, "Memory"},
        {W().Modes, "Operating Mode"},
        {W().RTG, "Talk Group"},
        {W().IDCall, "ID Call"},
        {W().Zone, "List"},
        {W().ChnlScrll, "Channel up or down"},
        {W().Sx, "Simplex"},
        {W().Check[0], "Send channel DEF"},
        {W().Check[5], "Send channel 005"},
        {W().Summary, "Memory Summary"},
        {W().Upload, "Download (to Radio)"},
    };
    for (const auto& [widget, name] : named) {
        EXPECT_EQ(AnnouncedName(widget), name);
    }
    // Every control the keyboard reaches says what it is in words, never by its code name.
    int controls = 0;
    for (QWidget* widget : W().findChildren<QWidget*>()) {
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
    // The focus order, from the channel box on.
    W().Channel->setFocus();
    const std::vector<QWidget*> order{W().ChnlScrll, W().SM1,   W().Zone,
                                      W().Desc,      W().Modes, W().RFrq};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    // Alt+R stores the channel shown.
    GoTo(3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    QTest::qWait(250);  // an access key presses the button for a moment, then clicks it
    EXPECT_EQ(Current(), 4);
    EXPECT_TRUE(W().Memory().Rec(3).IsDefined());
    // Alt+S selects all.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(250);
    EXPECT_EQ(W().Memory().Rec(3).Select & 1, 1);
}

}  // namespace
}  // namespace kld::ui
