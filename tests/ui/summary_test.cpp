// The memory summary: the list following the channel shown, its selection boxes and the list
// operations.
#include <QCheckBox>
#include <QSignalSpy>

#include "window_fixture.h"

namespace kld::ui {
namespace {

using Summary = Window;

// The line highlighted is always the channel shown, the third in view where the list allows.
TEST_F(Summary, FollowsTheChannelShownAndSetsTheFlags) {
    Start();
    QListView* list = List();
    const auto highlighted = [&] {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows[0].row() : -1;
    };
    EXPECT_EQ(std::pair(highlighted(), list->verticalScrollBar()->value()), std::pair(1, 0));
    GoTo(50);
    EXPECT_EQ(std::pair(highlighted(), list->verticalScrollBar()->value()), std::pair(50, 48));

    // A click on the line in view at the bottom shows it and scrolls it up to the third line;
    // the list does not go on with the same click.
    const QModelIndex bottom = list->model()->index(53, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(bottom).center());
    QApplication::processEvents();
    EXPECT_EQ(Current(), 53);
    EXPECT_EQ(std::pair(highlighted(), list->verticalScrollBar()->value()), std::pair(53, 51));

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(std::pair(Current(), highlighted()), std::pair(54, 54));
    EXPECT_EQ(Box("Channel")->text(), "054");

    list->verticalScrollBar()->setValue(100);
    EXPECT_EQ(std::pair(Current(), highlighted()), std::pair(54, 54));

    // The boxes beside the lines in view choose the channels a send includes.
    Edit([](ChannelMemory& memory) {
        for (int n : {20, 40, 43, 44}) {
            memory.Rec(n).Select = 0xC0;  // from the radio
        }
        memory.Rec(44).Select |= 0x02;  // erase mark
    });
    const auto box = [&](int k) { return Find<QCheckBox>(qPrintable(QString("Check%1").arg(k))); };
    List()->verticalScrollBar()->setValue(40);
    EXPECT_EQ(box(5)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(box(4)->checkState(), Qt::Unchecked);

    Click("Check4");
    EXPECT_EQ(Current(), 43);
    EXPECT_EQ(Mem().Rec(43).Select, 0xC1);
    EXPECT_EQ(List()->verticalScrollBar()->value(), 41);
    EXPECT_EQ(box(3)->checkState(), Qt::Checked);  // channel 43, now third from the top

    // Select All and Clear All reach the memory, the list's lines in one change; an erase mark
    // stays grey through both.
    QSignalSpy lines(List()->model(), &QAbstractItemModel::dataChanged);
    Click("SelAll");
    EXPECT_EQ(lines.size(), 1);
    EXPECT_EQ(Mem().Rec(40).Select, 0xC1);
    EXPECT_EQ(box(4)->checkState(), Qt::PartiallyChecked);
    Click("ClearAll");
    EXPECT_EQ(Mem().Rec(43).Select, 0xC0);
    EXPECT_EQ(box(4)->checkState(), Qt::PartiallyChecked);
    // The operator's click on a grey box never makes another grey one.
    Click("Check4");
    EXPECT_EQ(Mem().Rec(44).Select & 0x02, 0);

    // Un/Erase Current marks a channel from the radio, and takes the mark back.
    GoTo(20);
    Click("EraseCurr");
    EXPECT_TRUE(Line(20).contains("ERASED"));
    EXPECT_EQ(box(3)->checkState(), Qt::PartiallyChecked);
    Click("EraseCurr");
    EXPECT_EQ(Mem().Rec(20).Select, 0xC0);
    EXPECT_EQ(box(3)->checkState(), Qt::Unchecked);

    // Purge shows the list in reverse colours until it is pressed again.
    const QPalette before = List()->palette();
    auto* purge = Find<QAbstractButton>("EraseAll");
    Click("EraseAll");
    EXPECT_EQ(std::pair(purge->text(), Doc().Purging()), std::pair(QString("UnPurge"), true));
    EXPECT_EQ(
        std::pair(List()->palette().color(QPalette::Base), List()->palette().color(QPalette::Text)),
        std::pair(before.color(QPalette::Text), before.color(QPalette::Base)));
    Click("EraseAll");
    EXPECT_EQ(purge->text(), "Purge");
    EXPECT_EQ(List()->palette().color(QPalette::Base), before.color(QPalette::Base));
    EXPECT_TRUE(Doc().Saved());
}

}  // namespace
}  // namespace kld::ui
