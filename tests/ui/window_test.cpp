// The main window driven as a technician drives it: real key and mouse events on the offscreen
// platform, a scripted operator answering the message boxes. The rules behind each box are the
// core's tests; these show the window binds them and its own behaviour around them.
#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include "../cases.h"
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
    // The settings file made, channel 1 in simplex, nothing said; no debug marker, no buttons.
    EXPECT_TRUE(std::filesystem::exists(dir / "KLD540.ini") && Current() == 1 &&
                Box("Channel")->text() == "001" && Find<QRadioButton>("Sx")->isChecked() &&
                !Box("TFrq")->isEnabled() && window->statusBar()->currentMessage().isEmpty() &&
                op.shown.empty());
    EXPECT_FALSE(Find("ReadDbgLog")->isVisible() || Find("DumpChnlData")->isVisible());
    // Every control the keyboard reaches says what it is in words, never by its code name.
    int controls = 0;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString code = widget->objectName();
        if (widget->focusPolicy() != Qt::NoFocus && widget->isVisibleTo(window.get()) &&
            !code.isEmpty() && !code.startsWith("qt_")) {
            ++controls;
            const QString name = AnnouncedName(widget);
            EXPECT_FALSE(name.isEmpty() || name == code) << code.toStdString();
        }
    }
    EXPECT_GE(controls, 40);
    // The focus order, and the name each control is announced by (a label is its box's buddy).
    Box("Channel")->setFocus();
    for (const auto& row : test::Cases("focus_order.txt")) {
        QWidget* focused = QApplication::focusWidget();
        EXPECT_EQ(std::pair(focused, AnnouncedName(focused).toStdString()),
                  std::pair(Find(row[0].c_str()), row[1]));
        QTest::keyClick(focused, Qt::Key_Tab);
        QApplication::processEvents();
    }
    // Alt+R stores the channel shown, Alt+S selects all (pressed a moment, then clicked).
    GoTo(3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    QTest::qWait(250);
    EXPECT_EQ(std::tuple(Current(), Mem().Rec(3).IsDefined()), std::tuple(4, true));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(250);
    EXPECT_EQ(Mem().Rec(3).Select & 1, 1);
    // Channel 5: its number typed into the channel box, the box left; edited and stored.
    TypeInto("Channel", "5");
    Leave("Channel");
    ASSERT_EQ(Current(), 5);
    TypeInto("Desc", "Fire");
    TypeInto("RFrq", "155.34");
    EXPECT_EQ(Box("TFrq")->text(), "155.34");  // simplex follows while typing
    Click("Save");
    EXPECT_EQ(std::tuple(Current(), Doc().Saved(), int{Mem().Rec(5).Select}, Line(5)),
              std::tuple(6, false, 0xA1, QString::fromLatin1(SummaryLine(Mem().Rec(5), 5))));
    // A shadow of channel 5 in channel 9, proposed from the channel shown.
    GoTo(5);
    ClickAnswering("CreateShadow", "frmShadow", "ShadChnl", "9", "cmdOK");
    EXPECT_EQ(std::tuple(Box("PrimChnl")->text(), Current(), Box("Primary")->isVisible(),
                         Box("Primary")->text(), Box("RFrq")->isEnabled(), Line(9).left(10)),
              std::tuple(QString("005"), 9, true, QString(" 005"), false, QString("  009S-005")));
    // Closing asks: Cancel keeps the window and the data, so does Yes when the save dialog is
    // cancelled; Yes and a name save first.
    op.answers = {Answer::Cancel, Answer::Yes, Answer::Yes};
    dialogs.names = {"", Q(dir / "at-close.540")};
    EXPECT_FALSE(window->close() || window->close());
    EXPECT_TRUE(window->isVisible() && Mem().Rec(5).IsDefined() && window->close() &&
                std::filesystem::exists(dir / "at-close.540"));
    const std::string asked = "The Current Data is not saved.\n           Save changes?";
    EXPECT_EQ(op.shown, std::vector<Message>(3, {asked, "", Icon::None, Buttons::YesNoCancel}));
    window.reset();
}

// Brings `text` into `box` as `how` says (see cases/key_rules.txt).
void Bring(QLineEdit& box, const std::string& how, const QString& text) {
    QApplication::clipboard()->setText(text);
    const QPoint at(1, box.height() / 2);  // a drop goes where the drag entered
    QMimeData mime;
    mime.setText(text);
    QInputMethodEvent composed;
    composed.setCommitString(text);
    if (how == "type") {
        QTest::keyClicks(&box, text);
    } else if (how == "menu") {
        QContextMenuEvent click(QContextMenuEvent::Mouse, {2, 2}, box.mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(&box, &click);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith("&Paste")) {
                action->trigger();
            }
        }
        menu->close();
    } else if (how == "drop") {
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &enter);
        QCoreApplication::sendEvent(&box, &drop);
    } else if (how == "compose") {
        QCoreApplication::sendEvent(&box, &composed);
    } else {
        QTest::keySequence(&box, QKeySequence(QString::fromStdString(how)));
    }
}

TEST_F(Window, KeyAndLeaveRulesOfTheBoxes) {
    Start();
    for (const auto& row : test::Cases("leave_rules.txt")) {
        SCOPED_TRACE(row[1]);
        const char* name = row[0].c_str();
        TypeInto(name, QString::fromStdString(row[1]));
        Leave(name);
        EXPECT_EQ(std::tuple(Box(name)->text().toStdString(), Box(name)->hasFocus(),
                             op.beeps + static_cast<int>(op.shown.size())),
                  std::tuple(row[2], row[3] == "yes", std::stoi(row[4])));
    }
    // Simplex follows; Enter in the channel box goes there at once.
    const QString transmit = Box("TFrq")->text() + Box("TTG")->text();
    TypeInto("Channel", "7");
    op.answers = {Answer::No};  // the edits typed above go
    QTest::keyClick(Box("Channel"), Qt::Key_Return);
    EXPECT_EQ(std::tuple(op.shown.at(0).text, transmit, Current()),
              std::tuple("Invalid Rx Frequency", QString("150.00625000A"), 7));
    Click("Dx");  // the ID call box takes keys in duplex alone
    for (const auto& row : test::Cases("key_rules.txt")) {
        SCOPED_TRACE(row[0] + " " + row[3] + " " + row[4]);
        QLineEdit* box = Box(row[0].c_str());
        box->setFocus();
        box->setText(QString::fromStdString(row[1]));
        row[2] == "yes" ? box->selectAll() : box->end(false);
        op.beeps = 0;
        Bring(*box, row[3], QString::fromStdString(row[4]));
        EXPECT_EQ(std::tuple(box->text().toStdString(), op.beeps),
                  std::tuple(row[5], std::stoi(row[6])));
    }
    op.answers = {Answer::No};
    GoTo(1);
    op.shown.clear();
    // A refusing box says nothing when another window takes the focus, nor when the window
    // closes with the bad text still in it: only the unstored edits are asked about.
    TypeInto("RFrq", "135");
    auto* dialog = Find<QDialog>("frmSquelch");
    dialog->show();
    dialog->activateWindow();
    QApplication::processEvents();
    dialog->hide();
    QApplication::processEvents();
    window->close();
    QApplication::processEvents();
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(std::tuple(op.shown[0].buttons, Box("RFrq")->text(), window->isVisible()),
              std::tuple(Buttons::StoreDiscardCancel, QString("135"), true));
    window.reset();
}

// The line highlighted is always the channel shown, the third in view where the list allows.
TEST_F(Window, SummaryListsAndScrollBar) {
    Start();
    QListView* list = List();
    QScrollBar* top = list->verticalScrollBar();
    const auto highlighted = [&] {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows[0].row() : -1;
    };
    const int first = highlighted(), firstTop = top->value();
    GoTo(50);
    EXPECT_EQ(std::tuple(first, firstTop, highlighted(), top->value()), std::tuple(1, 0, 50, 48));
    // A click on the line in view at the bottom shows it and scrolls it up to the third line;
    // the list does not go on with the same click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(53, 0)).center());
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(Current(), highlighted(), top->value()), std::tuple(53, 53, 51));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    const QString shown = Box("Channel")->text();
    top->setValue(100);
    EXPECT_EQ(std::tuple(Current(), highlighted(), shown), std::tuple(54, 54, QString("054")));
    // The boxes beside the lines in view choose the channels a send includes; each is announced
    // as the channel it sends. 0xC0: from the radio; 0x02: an erase mark.
    Edit([](ChannelMemory& memory) {
        for (int n : {20, 40, 43, 44}) {
            memory.Rec(n).Select = n == 44 ? 0xC2 : 0xC0;
        }
    });
    const auto box = [&](int k) { return Find<QCheckBox>(QString("Check%1").arg(k)); };
    top->setValue(40);
    EXPECT_EQ(std::tuple(box(4)->checkState(), box(5)->checkState()),
              std::tuple(Qt::Unchecked, Qt::PartiallyChecked));
    Click("Check4");  // then third from the top
    EXPECT_EQ(std::tuple(Current(), int{Mem().Rec(43).Select}, top->value(), box(3)->checkState(),
                         box(3)->accessibleName()),
              std::tuple(43, 0xC1, 41, Qt::Checked, QString("Send channel 043")));
    // Select All and Clear All reach the memory, the list's lines in one change; the operator's
    // click on a grey box never makes another grey one.
    redrawn->clear();
    Click("SelAll");
    EXPECT_EQ(std::tuple(redrawn->size(), int{Mem().Rec(40).Select}), std::tuple(1, 0xC1));
    Click("ClearAll");
    EXPECT_EQ(std::tuple(int{Mem().Rec(43).Select}, box(4)->checkState()),
              std::tuple(0xC0, Qt::PartiallyChecked));
    Click("Check4");
    EXPECT_EQ(Mem().Rec(44).Select & 0x02, 0);
    // Un/Erase Current marks a channel from the radio, its line redrawn, and takes the mark back.
    GoTo(20);
    redrawn->clear();
    Click("EraseCurr");
    EXPECT_EQ(std::tuple(Line(20).contains("ERASED"), Redrawn(20), box(3)->checkState()),
              std::tuple(true, true, Qt::PartiallyChecked));
    Click("EraseCurr");
    EXPECT_EQ(std::tuple(int{Mem().Rec(20).Select}, Redrawn(20), box(3)->checkState()),
              std::tuple(0xC0, true, Qt::Unchecked));
    // Purge shows the list in reverse colours until it is pressed again.
    const QPalette before = list->palette();
    auto* purge = Find<QAbstractButton>("EraseAll");
    for (const auto& [caption, purging, base] :
         {std::tuple("UnPurge", true, QPalette::Text), {"Purge", false, QPalette::Base}}) {
        Click("EraseAll");
        EXPECT_EQ(std::tuple(purge->text(), Doc().Purging(), list->palette().color(QPalette::Base)),
                  std::tuple(QString(caption), purging, before.color(base)));
    }
    EXPECT_TRUE(Doc().Saved());
    GoTo(2);  // the template: Narrow on 141 MHz, simplex
    auto* rsql = Find<QComboBox>("RSql");
    auto* tsql = Find<QComboBox>("TSql");
    // Narrow to Digital refills the squelch lists; in simplex the receive choice picks the
    // transmit entry.
    Find<QComboBox>("Modes")->setCurrentIndex(2);
    EXPECT_TRUE(rsql->count() == 3 && rsql->currentText().startsWith("Monitor") &&
                tsql->currentText().startsWith("Talk Group"));
    rsql->setCurrentIndex(1);
    EXPECT_EQ(tsql->currentIndex(), 0);
    Click("Dx");
    EXPECT_TRUE(Box("TFrq")->isEnabled() && Box("IDCall")->isEnabled());
    TypeInto("RFrq", "150.0125");
    EXPECT_EQ(Box("TFrq")->text(), "141.00000");  // duplex: no following
    Click("Sx");
    EXPECT_EQ(std::tuple(Box("TFrq")->text(), Box("TTG")->isEnabled(),
                         Box("TTG")->palette().color(QPalette::Base)),
              std::tuple(QString("150.0125"), false,
                         QApplication::palette().color(QPalette::Inactive, QPalette::Window)));
    // A record with values the lists do not hold (from a file or a radio; the guards' list is
    // never offered to a channel) shows no choice, and the store refuses it.
    Edit([](ChannelMemory& memory) {
        ChannelRecord& r = memory.Rec(30) = memory.Rec(0);
        r.Select = 0xC0, r.RSql = 'Q', r.RCTCSS = 999, r.TDCS = -5, r.Mode = 7, r.Scan = 0xF0;
    });
    op.answers = {Answer::No};
    GoTo(30);
    for (const char* name : {"Modes", "Zone", "RSql", "RCTCSS", "TDCS"}) {
        EXPECT_EQ(Find<QComboBox>(name)->currentIndex(), -1) << name;
    }
    const ChannelRecord odd = Mem().Rec(30);
    Click("Save");
    EXPECT_TRUE(Mem().Rec(30) == odd && Current() == 30 && op.shown.back().title == "Save Record");
    // The scroll bar: up raises the channel; past GD2 comes DEF, below DEF GD2.
    GoTo(1);
    auto* bar = Find<QScrollBar>("ChnlScrll");
    QStyleOptionSlider option;  // the arrows as the mouse meets them
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    std::vector<int> seen;  // the channel after each arrow clicked (top, bottom, bottom), each key
    for (const auto arrow :
         {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine, QStyle::SC_ScrollBarAddLine}) {
        const QRect rect = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, arrow, bar);
        QTest::mouseClick(bar, Qt::LeftButton, {}, rect.center());
        seen.push_back(Current());
    }
    bar->setFocus();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up}) {
        QTest::keyClick(bar, key);
        seen.push_back(Current());
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 1, 0, 232, 0}));
    // Holding the key down runs through the whole memory and round.
    for (int i = 0; i < 300; ++i) {
        QTest::keyPress(bar, Qt::Key_Up, {}, -1);
    }
    QTest::keyRelease(bar, Qt::Key_Up);
    EXPECT_EQ(Current(), 300 % 233);
    const QPointF at = bar->rect().center();  // the wheel turned up a notch
    QWheelEvent wheel(at, bar->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_EQ(std::tuple(Current(), Box("Channel")->text()), std::tuple(68, QString("068")));
    // The channel box steps as the bar does: Up from 001 as the top arrow, a page of six
    // channels, and round at the ends; the number shown is selected for typing over.
    GoTo(1);
    QLineEdit* channel = Box("Channel");
    channel->setFocus();
    seen.clear();
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Down,
                              Qt::Key_Down, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown}) {
        QTest::keyClick(channel, key);
        seen.push_back(Current());
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 8, 2, 1, 0, 232, 0, 232}));
    EXPECT_TRUE(channel->hasFocus() && channel->selectedText() == "GD2");
}

// Every control the mouse or the keyboard reaches, in the window with its debug buttons and in
// each of its dialogs, has a tooltip. A piece Qt makes inside a control (unnamed or "qt_") shows
// its control's, as Qt passes the tooltip up.
TEST_F(Window, EveryControlHasATooltip) {
    test::WriteBytes(dir / "KLD-540.log", "");  // debug mode: Read Debug Log and Dump as well
    Start();
    const auto untold = [](QWidget* top) {
        QStringList missing;
        int controls = 0;
        for (QWidget* widget : top->findChildren<QWidget*>()) {
            const bool control = widget->focusPolicy() != Qt::NoFocus ||
                                 qobject_cast<QAbstractButton*>(widget) != nullptr ||
                                 qobject_cast<QAbstractSlider*>(widget) != nullptr;
            if (!control || !widget->isVisible() || widget->window() != top) {
                continue;
            }
            ++controls;
            QWidget* told = widget;
            while (told->toolTip().isEmpty() && !told->isWindow() &&
                   (told->objectName().isEmpty() || told->objectName().startsWith("qt_"))) {
                told = told->parentWidget();
            }
            if (told->toolTip().isEmpty()) {
                missing << widget->objectName() + " " + widget->metaObject()->className();
            }
        }
        return std::pair(controls, missing);
    };
    const auto [controls, missing] = untold(window.get());
    EXPECT_EQ(std::pair(controls >= 45, missing), std::pair(true, QStringList()));
    for (auto* dialog : window->findChildren<QDialog*>()) {
        dialog->show();
        const auto [inDialog, missingThere] = untold(dialog);
        EXPECT_EQ(std::pair(inDialog >= 2, missingThere), std::pair(true, QStringList()))
            << dialog->objectName().toStdString();
        dialog->hide();
    }
}

// A pseudo-terminal stands in for a USB adapter, given the number 5 through the ports folder;
// the settings file's name is taken by a folder (as root, a read-only one would not stop it).
TEST_F(Window, PortBoxAndASettingsFileThatCannotBeWritten) {
    test::Pty pty;
    std::filesystem::create_symlink(pty.SlavePath(), dir / "ports" / "COM5");
    std::filesystem::create_directory(dir / "KLD540.ini");
    Start();
    // Listed with the device the folder's link leads to, not the link itself; port 1 chosen.
    auto* port = Find<QComboBox>("CommPort");
    EXPECT_TRUE(port->findText("COM5  " + QString::fromStdString(pty.SlavePath())) >= 0 &&
                port->currentText() == "COM1" && op.shown.empty() &&
                window->statusBar()->currentMessage().contains("KLD540.ini"));
    // Typed text is checked on leaving the box or on Enter, and never added to the list. The
    // refused text stays in view while the message is up, then the port in use comes back.
    const int entries = port->count();
    QString whileRefused;
    op.whileShown = [&] { whileRefused = port->currentText(); };
    for (const auto& [typed, key] : {std::pair("COMX", Qt::Key_Tab), {"7", Qt::Key_Return}}) {
        port->setFocus();
        port->setEditText(typed);
        QTest::keyClick(port->lineEdit(), key);
        QApplication::processEvents();
        EXPECT_EQ(std::tuple(whileRefused, port->count(), port->currentText()),
                  std::tuple(QString(typed), entries, QString("COM1")));
    }
    // Each says why: no port named, or none such among the ports.
    ASSERT_EQ(op.shown.size(), 2u);
    EXPECT_EQ(std::tuple(op.shown[0].text, op.shown[0].detail.substr(0, 21), op.shown[1].text,
                         op.shown[1].detail.substr(0, 28)),
              std::tuple("Invalid COMM port", "\"COMX\" names no port.", "Invalid COMM port",
                         "COM7 is not among the ports "));
    EXPECT_EQ(Mem().PortNumber, 1);
    op.shown.clear();
    op.whileShown = nullptr;
    // The noise squelch level through its dialog, which opens on the level in use; the memory
    // stays saved.
    ClickAnswering("NoiseSquelch", "frmSquelch", "SquelchValue", "15", "cmdOK");
    ClickAnswering("NoiseSquelch", "frmSquelch", "SquelchValue", "", "cmdCancel");
    EXPECT_EQ(std::tuple(Box("SquelchValue")->text(), int{Mem().NoiseSquelchLevel}, Doc().Saved()),
              std::tuple(QString("15"), 15, true));
    // The template is stored all the same, and the settings file's trouble said; once the name
    // is free, storing the template keeps it for the next start.
    StoreChannel(0, "Tmpl");
    EXPECT_EQ(std::tuple(Mem().Rec(0).Desc.Trimmed(), op.shown.size(), op.shown.at(0).title),
              std::tuple("Tmpl", 1u, "Settings File"));
    std::filesystem::remove(dir / "KLD540.ini");
    StoreChannel(0, "Tmpl2");
    EXPECT_NE(test::ReadBytes(dir / "KLD540.ini").find("Tmpl2"), std::string::npos);
    EXPECT_EQ(op.shown.size(), 1u);
}

}  // namespace
}  // namespace kld::ui
