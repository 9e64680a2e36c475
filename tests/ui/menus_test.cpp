// The File and Help menus as the operator reaches them (their keys from wherever the focus is),
// the recent files, files dropped onto the window, and what the desktop keeps between runs.
#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "csv.h"
#include "desktop_settings.h"
#include "window_fixture.h"

namespace kld::ui {
namespace {

using Menus = Window;

QStringList RecentShown(MainWindow& window) {
    QStringList paths;
    for (QAction* action : window.findChild<QMenu*>("RecentMenu")->actions()) {
        if (action->data().isValid()) {
            paths << action->data().toString();
        }
    }
    return paths;
}

TEST_F(Menus, KeysRecentFilesAndWhatIsKept) {
    Start();
    const std::string ini = test::ReadBytes(dir / "KLD540.ini");
    // The keys work from inside a box the operator is typing in.
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    StoreChannel(5, "Fire");
    Box("Desc")->setFocus();
    dialogs.names = {Q(dir / "button.540")};  // the buttons keep their Alt letters
    press(Qt::Key_F, Qt::AltModifier);
    QTest::qWait(250);  // pressed a moment, then clicked
    EXPECT_TRUE(std::filesystem::exists(dir / "button.540"));
    QStringList saved;
    for (int i = 0; i < 10; ++i) {
        saved.prepend(Q(dir / ("plan" + std::to_string(i) + ".540")));
        dialogs.names = {saved.front()};
        press(Qt::Key_S);
    }
    EXPECT_TRUE(Doc().Saved() && std::filesystem::exists(dir / "plan9.540"));
    // Newest first, eight at most; a file opened again comes to the front.
    EXPECT_EQ(RecentShown(*window), saved.mid(0, 8));
    StoreChannel(5, "Changed");
    dialogs.names = {saved[4]};
    press(Qt::Key_O);
    EXPECT_EQ(std::tuple(Mem().Rec(5).Desc.Trimmed(), RecentShown(*window).front()),
              std::tuple("Fire", saved[4]));
    // A recent file no longer there is said and forgotten; the memory stays.
    std::filesystem::remove(dir / "plan7.540");
    StoreChannel(5, "Kept");
    Find<QAction>("Recent4")->trigger();  // plan7: after plan5, plan9 and plan8
    ASSERT_EQ(op.shown.size(), 1u);
    EXPECT_EQ(std::tuple(op.shown[0].title, Mem().Rec(5).Desc.Trimmed(),
                         RecentShown(*window).contains(saved[2])),
              std::tuple("Open Recent", "Kept", false));
    // Quit asks about unsaved data like closing; the size and the list are kept for the next
    // start, in the desktop's own place, and KLD540.ini is untouched.
    window->resize(window->width() + 40, window->height() + 30);
    const QSize size = window->size();
    window->showMaximized();
    op.answers = {Answer::Cancel};
    press(Qt::Key_Q);
    EXPECT_TRUE(window->isVisible());
    op.answers = {Answer::No};
    press(Qt::Key_Q);
    EXPECT_FALSE(window->isVisible());
    const QStringList recent = RecentShown(*window);
    const DesktopSettings kept;
    EXPECT_EQ(
        std::tuple(kept.FileName(), kept.RecentFiles(), kept.WindowSize(), kept.WindowMaximised()),
        std::tuple(Q(dir / "config" / "kld540" / "kld540.conf"), recent, std::optional(size),
                   true));
    Start();
    EXPECT_EQ(std::tuple(RecentShown(*window), window->isMaximized()), std::tuple(recent, true));
    EXPECT_EQ(test::ReadBytes(dir / "KLD540.ini"), ini);
}

TEST_F(Menus, HelpAboutAndDroppedFiles) {
    Start();
    QTest::keyClick(window.get(), Qt::Key_F1);
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(window->findChildren<QDialog*>("HelpWindow").size(), 1);
    EXPECT_TRUE(Find<QDialog>("HelpWindow")->isVisible() &&
                !Find<QDialog>("HelpWindow")->isModal());
    Find<QAction>("About")->trigger();
    EXPECT_NE(op.shown.back().text.find("Version 2.6.0"), std::string::npos);
    // A dropped .540 is opened and a .csv imported, once the drop is over; text is refused.
    StoreChannel(5, "Fire");
    test::WriteBytes(dir / "plan.csv", kld::ExportCsv(Mem()));
    dialogs.names = {Q(dir / "plan.540")};
    Find<QAction>("MenuSave")->trigger();
    const auto drop = [this](const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QDropEvent dropped({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &dropped);
        QApplication::processEvents();
        return enter.isAccepted();
    };
    StoreChannel(5, "Changed");
    EXPECT_TRUE(drop(Q(dir / "plan.540")));
    EXPECT_EQ(std::tuple(Mem().Rec(5).Desc.Trimmed(), window->windowTitle().endsWith("plan.540")),
              std::tuple("Fire", true));
    StoreChannel(5, "Changed");
    EXPECT_TRUE(drop(Q(dir / "plan.csv")));
    EXPECT_EQ(std::tuple(Mem().Rec(5).Desc.Trimmed(), Current()), std::tuple("Fire", 1));
    EXPECT_FALSE(drop(Q(dir / "nothing.540")));
}

}  // namespace
}  // namespace kld::ui
