// Undo and redo of every kind of step, the saved state they come back to, and the question
// about edits not yet stored, driven by real keys and clicks.
#include <QAction>
#include <QMenu>

#include "channel_editor.h"
#include "summary.h"
#include "window_fixture.h"

namespace kld::ui {
namespace {

using Undo = Window;

// What a step may change and undo must put back, as the window shows it.
struct Shown {
    ChannelMemory memory;
    std::int16_t purge;
    QString caption;

    // An undefined record is whatever the editor last showed in its place.
    bool operator==(const Shown& o) const {
        for (int n = 0; n <= kLastRecord; ++n) {
            const ChannelRecord& a = memory.Rec(n);
            const ChannelRecord& b = o.memory.Rec(n);
            if ((a.IsDefined() || b.IsDefined()) && a != b) {
                return false;
            }
        }
        return memory.ZoneCounts == o.memory.ZoneCounts &&
               memory.NoiseSquelchLevel == o.memory.NoiseSquelchLevel && purge == o.purge &&
               caption == o.caption;
    }
};

TEST_F(Undo, EveryStepComesBackAndGoesAgain) {
    Start();
    const auto shown = [this] {
        return Shown{Mem(), Doc().State().PurgeMode, window->windowTitle()};
    };
    const auto keys = [this](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QApplication::setActiveWindow(window.get());  // back from a dialog, as a desktop does
        List()->setFocus();                           // a box would take Ctrl+Z for its own text
        QTest::keyClick(List(), key, modifiers);
    };
    test::WriteBytes(dir / "plan.csv",
                     "Channel,List,Mode,RxFrequency,RxSquelch,TxSquelch\n"
                     "012,1,Narrow,151.0000,Noise,Noise\n");
    const std::pair<QString, std::function<void()>> steps[] = {
        {"Store Channel 005", [this] { StoreChannel(5, "Fire"); }},
        {"Create Shadow",
         [this] {
             GoTo(5);
             ClickAnswering("CreateShadow", "frmShadow", "ShadChnl", "9", "cmdOK");
         }},
        {"Noise Squelch Level",
         [this] { ClickAnswering("NoiseSquelch", "frmSquelch", "SquelchValue", "4", "cmdOK"); }},
        {"Erase",
         [this] {
             GoTo(9);  // the shadow: a channel made here simply goes
             Click("EraseCurr");
         }},
        {"Purge on", [this] { Click("EraseAll"); }},
        {"Select All", [this] { Click("SelAll"); }},
        {"Clear All", [this] { Click("ClearAll"); }},
        {"Select Channel 005",
         [this] {
             GoTo(5);
             Click("Check3");  // the third line in view is the channel shown
         }},
        {"Open File", [this] { ClickChoosing("FileOpen", "saved.540"); }},
        {"Import CSV", [this] { ClickChoosing("ImportCsv", "plan.csv"); }},
    };
    ClickChoosing("FileSave", "saved.540");  // opened again on the way
    auto* undo = Find<QAction>("UndoStep");
    auto* redo = Find<QAction>("RedoStep");
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name.toStdString());
        const Shown before = shown();
        step();
        const Shown after = shown();
        ASSERT_FALSE(after == before);
        EXPECT_EQ(undo->text(), "Undo " + name);
        keys(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(shown() == before);
        EXPECT_EQ(redo->text(), "Redo " + name);
        // The editor, the lines and the caption follow.
        EXPECT_EQ(std::tuple(Box("Channel")->text(), Line(5), Line(Current())),
                  std::tuple(QString::fromStdString(ChannelBoxText(Current())),
                             QString::fromLatin1(SummaryLine(Mem().Rec(5), 5)),
                             QString::fromLatin1(SummaryLine(Mem().Rec(Current()), Current()))));
        keys(Qt::Key_Y, Qt::ControlModifier);
        EXPECT_TRUE(shown() == after);
        keys(Qt::Key_Z, Qt::ControlModifier);
        keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(shown() == after);
    }
    // Back to what was saved: closing asks nothing.
    ClickChoosing("FileSave", "saved.540");
    StoreChannel(7, "Later");
    keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Doc().Saved());
    keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(Doc().Saved());
    keys(Qt::Key_Y, Qt::ControlModifier);
    keys(Qt::Key_Y, Qt::ControlModifier);
    // Saved again under another name: back and forth, the caption names the file it is in.
    ClickChoosing("FileSave", "again.540");
    keys(Qt::Key_Z, Qt::ControlModifier);
    keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(Doc().Saved() && window->windowTitle().endsWith("again.540"));
    // The port chosen meanwhile is the running program's, not the step's.
    Doc().KeepSetting([](ChannelMemory& memory, const ProgramState&) {
        memory.Rec(kDefaultRecord).RFRec = memory.PortNumber = 9;
        return true;
    });
    keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Mem().PortNumber == 9 && Mem().Rec(kDefaultRecord).RFRec == 9);
    keys(Qt::Key_Y, Qt::ControlModifier);
    op.shown.clear();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(op.shown.empty());
    window.reset();
}

TEST_F(Undo, UnstoredEditsAreKeptDroppedOrStoredAsTheOperatorSays) {
    Start();
    GoTo(4);
    // Walking through every box without typing is no edit.
    Box("Channel")->setFocus();
    for (int k = 0; k < 24; ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
    }
    GoTo(5);
    EXPECT_EQ(std::tuple(Current(), op.shown.size()), std::tuple(5, 0u));
    // Cancel stays with the edits, by the scroll bar as by the keyboard in the list.
    GoTo(4);
    TypeInto("Desc", "Edited");
    op.whileShown = [this] { GoTo(100); };  // an arrow held down goes on under the question
    GoTo(6);
    op.whileShown = nullptr;
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Down);
    ASSERT_EQ(op.shown.size(), 2u);
    EXPECT_EQ(std::tuple(op.shown[0].text, op.shown[0].buttons, Current(), Box("Desc")->text(),
                         List()->currentIndex().row(), Find<QScrollBar>("ChnlScrll")->value()),
              std::tuple("Store the changes to channel 004?", Buttons::StoreDiscardCancel, 4,
                         QString("Edited"), 4, -4));
    // A selection box shows its line's channel, and a transfer channel 1: both ask first.
    const int selected = Mem().Rec(4).Select;
    Click("Check3");
    Click("Upload");
    ASSERT_EQ(op.shown.size(), 4u);
    EXPECT_EQ(std::tuple(op.shown[3].buttons, Current(), int{Mem().Rec(4).Select}),
              std::tuple(Buttons::StoreDiscardCancel, 4, selected));
    // Discard, from the channel box.
    op.answers = {Answer::No};
    TypeInto("Channel", "10");
    Leave("Channel");
    EXPECT_EQ(std::tuple(Current(), Mem().Rec(4).IsDefined()), std::tuple(10, false));
    // Store, from a click on a line; then Ctrl+Z with edits stores them and goes no further.
    GoTo(4);
    TypeInto("Desc", "Kept");
    op.answers = {Answer::Yes};
    const QRect line = List()->visualRect(List()->model()->index(5, 0));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(std::tuple(Current(), Mem().Rec(4).Desc.Trimmed()), std::tuple(5, "Kept"));
    TypeInto("Desc", "Again");
    op.answers = {Answer::Yes};
    QApplication::setActiveWindow(window.get());
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(Mem().Rec(5).Desc.Trimmed(), Find<QAction>("UndoStep")->text()),
              std::tuple("Again", QString("Undo Store Channel 005")));
}

}  // namespace
}  // namespace kld::ui
