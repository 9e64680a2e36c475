// The channel editor's boxes, lists and scroll bar, driven by keys and the mouse.
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include "window_fixture.h"

namespace kld::ui {
namespace {

using Editor = Window;

TEST_F(Editor, KeyRulesFilterEveryBox) {
    Start();
    // The box, what is typed, what it shows, beeps.
    const std::tuple<const char*, const char*, const char*, int> rows[] = {
        {"RFrq", "12", "1", 1},                   // then 3 to 7
        {"RFrq", "145x.5", "145.5", 1},           // position 4 takes only the point
        {"RFrq", "145.1234567", "145.12345", 0},  // nine characters at most
        {"RTG", "1aZ", "1A", 1},                  // hexadecimal, upper case
        {"RNAC", "fffff", "FFF", 0},
        {"IDCall", "12a3456789", "1234567", 0},  // digits, silently
        {"Channel", "gd1", "GD1", 0},            // upper case
        {"Channel", "x", "", 0},
        {"Desc", "Fire Station 9", "Fire Sta", 0},
    };
    for (const auto& [name, typed, shown, beeps] : rows) {
        SCOPED_TRACE(typed);
        op.beeps = 0;
        QLineEdit* box = Box(name);
        box->setFocus();
        box->clear();
        QTest::keyClicks(box, QString::fromLatin1(typed));
        EXPECT_EQ(box->text(), shown);
        EXPECT_EQ(op.beeps, beeps);
    }
}

TEST_F(Editor, LeaveRulesKeepTheFocusUntilTheTextPassesAndAskOnce) {
    Start();
    // A channel the memory has no record for: a beep, the focus stays, Current stays.
    TypeInto("Channel", "231");
    Leave("Channel");
    EXPECT_EQ(op.beeps, 1);
    EXPECT_EQ(Current(), 1);
    EXPECT_TRUE(Box("Channel")->hasFocus());
    TypeInto("Channel", "12");
    QTest::keyClick(Box("Channel"), Qt::Key_Return);  // Enter goes there at once
    EXPECT_EQ(Current(), 12);

    // A frequency off the raster: the message, the focus stays; on the raster it completes.
    TypeInto("RFrq", "150.004");
    Leave("RFrq");
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(op.shown[0].text, "Invalid Rx Frequency");
    EXPECT_TRUE(Box("RFrq")->hasFocus());
    TypeInto("RFrq", "150.0062");
    Leave("RFrq");
    EXPECT_EQ(Box("RFrq")->text(), "150.00625");
    EXPECT_EQ(Box("TFrq")->text(), "150.00625");

    // Talk groups and NACs are padded on leaving.
    TypeInto("RTG", "A");
    Leave("RTG");
    TypeInto("RNAC", "");
    Leave("RNAC");
    EXPECT_EQ(Box("RTG")->text() + Box("TTG")->text() + Box("RNAC")->text(), "000A000A000");

    // A refusing box asks once: not when a dialog or the window's closing takes the focus.
    op.shown.clear();
    TypeInto("RFrq", "135");
    // Another window takes the focus (a dialog, another program): no message.
    auto* dialog = Find<QDialog>("frmSquelch");
    dialog->show();
    dialog->activateWindow();
    QApplication::processEvents();
    dialog->hide();
    QApplication::processEvents();
    EXPECT_TRUE(op.shown.empty());
    // Closing with the bad text still in the box: only the close question, when one is due.
    window->close();
    QApplication::processEvents();
    EXPECT_TRUE(op.shown.empty());
    window.reset();
}

TEST_F(Editor, ScrollBarWrapsAndUpRaisesTheChannel) {
    Start();
    auto* bar = Find<QScrollBar>("ChnlScrll");
    // The arrows as the mouse meets them: the top one raises, the bottom one lowers.
    const auto clickArrow = [&](QStyle::SubControl arrow) {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Vertical;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = option.sliderValue = bar->value();
        option.upsideDown = bar->invertedAppearance();
        const QRect rect = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, arrow, bar);
        QTest::mouseClick(bar, Qt::LeftButton, {}, rect.center());
    };
    clickArrow(QStyle::SC_ScrollBarSubLine);
    EXPECT_EQ(Current(), 2) << "the top arrow";
    clickArrow(QStyle::SC_ScrollBarAddLine);
    clickArrow(QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(Current(), 0) << "the bottom arrow";
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Down);
    EXPECT_EQ(Current(), 232);
    QTest::keyClick(bar, Qt::Key_Up);
    EXPECT_EQ(Current(), 0);
    // Holding the key down runs through the whole memory and stays with the channel shown.
    GoTo(2);
    for (int i = 0; i < 300; ++i) {
        QTest::keyPress(bar, Qt::Key_Up, {}, -1);
    }
    QTest::keyRelease(bar, Qt::Key_Up);
    EXPECT_EQ(Current(), (2 + 300) % 233);
    EXPECT_EQ(List()->verticalScrollBar()->value(), Current() - 2);  // the list follows
    // The wheel turned up a notch raises it too.
    const int before = Current();
    const QPointF at = bar->rect().center();
    QWheelEvent wheel(at, bar->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_EQ(Current(), before + 1);
    EXPECT_EQ(Box("Channel")->text(), QString("%1").arg(Current(), 3, 10, QChar('0')));
}

TEST_F(Editor, ModesListsAndSimplexDuplex) {
    Start();
    GoTo(2);  // the template: Narrow on 141 MHz, simplex
    auto* rsql = Find<QComboBox>("RSql");
    auto* tsql = Find<QComboBox>("TSql");
    ASSERT_EQ(Find<QComboBox>("Modes")->currentText(), "Narrow");
    // Narrow to Digital refills the squelch lists with their first entries.
    Find<QComboBox>("Modes")->setCurrentIndex(2);
    EXPECT_EQ(rsql->count(), 3);
    EXPECT_TRUE(rsql->currentText().startsWith("Monitor"));
    EXPECT_TRUE(tsql->currentText().startsWith("Talk Group"));
    // In simplex a receive squelch choice picks the transmit entry.
    rsql->setCurrentIndex(1);
    EXPECT_EQ(tsql->currentIndex(), 0);

    Click("Dx");
    EXPECT_TRUE(Box("TFrq")->isEnabled() && Box("IDCall")->isEnabled());
    TypeInto("RFrq", "150.0125");
    EXPECT_EQ(Box("TFrq")->text(), "141.00000");  // duplex: no following
    Click("Sx");
    EXPECT_EQ(Box("TFrq")->text(), "150.0125");
    EXPECT_FALSE(Box("TTG")->isEnabled());
    EXPECT_EQ(Box("TTG")->palette().color(QPalette::Base),
              QApplication::palette().color(QPalette::Inactive, QPalette::Window));

    // A record with values the lists do not hold (from a file or a radio) shows no choice.
    Edit([](ChannelMemory& memory) {
        ChannelRecord& r = memory.Rec(30) = memory.Rec(0);
        r.Select = 0xC0, r.RSql = 'Q', r.RCTCSS = 999, r.TDCS = -5, r.Mode = 7;
        r.Scan = 0xF0;  // the guards' list, never offered to a channel
    });
    GoTo(30);
    for (const char* name : {"Modes", "Zone", "RSql", "RCTCSS", "TDCS"}) {
        EXPECT_EQ(Find<QComboBox>(name)->currentIndex(), -1) << name;
    }
    const ChannelRecord before = Mem().Rec(30);
    Click("Save");
    EXPECT_EQ(Mem().Rec(30), before);  // refused: nothing chosen to store
    EXPECT_EQ(Current(), 30);
    EXPECT_EQ(op.shown.at(0).title, "Save Record");
}

TEST_F(Editor, NoiseSquelchLevelThroughItsDialog) {
    Start();
    AnswerDialog("frmSquelch", "SquelchValue", "15", "cmdOK");
    Click("NoiseSquelch");
    EXPECT_EQ(Mem().NoiseSquelchLevel, 15);
    AnswerDialog("frmSquelch", "SquelchValue", "", "cmdCancel");
    Click("NoiseSquelch");
    EXPECT_EQ(Box("SquelchValue")->text(), "15");  // it opens on the level in use
    EXPECT_EQ(Mem().NoiseSquelchLevel, 15);
    EXPECT_TRUE(Doc().Saved());
}

}  // namespace
}  // namespace kld::ui
