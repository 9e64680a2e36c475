#include "window_menus.h"

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <string>

#include "desktop_settings.h"
#include "document.h"
#include "file_commands.h"
#include "help_window.h"
#include "program_state.h"

namespace kld::ui {

namespace {

QAction* AddCommand(QMenu* menu, const char* text, const char* name,
                    const QKeySequence& keys = {}) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    return action;
}

// The first local file of a drag, or empty: several files cannot all be opened into the one
// memory, and anything that is not a file (text, a web address) is not for this window.
QString DroppedFile(const QMimeData* data) {
    if (data == nullptr) {
        return {};
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

}  // namespace

WindowMenus::WindowMenus(QMainWindow& window, Document& document, Operator& op, FileCommands& files,
                         DesktopSettings& desktop)
    : QObject(&window),
      window_(window),
      document_(document),
      op_(op),
      files_(files),
      desktop_(desktop) {
    window_.setAcceptDrops(true);
    window_.installEventFilter(this);
    connect(&files_, &FileCommands::ChannelFileUsed, this, [this](const QString& path) {
        desktop_.AddRecentFile(path);
        ShowRecentFiles();
    });
}

// Alt+F, Alt+O and the other letters are the buttons'; the menu takes a letter no button has.
QMenu* WindowMenus::BuildFileMenu() {
    QMenu* file = window_.menuBar()->addMenu(QStringLiteral("F&ile"));
    file->setObjectName(QStringLiteral("FileMenu"));
    FileCommands* files = &files_;
    connect(AddCommand(file, "&Save File...", "MenuSave", Qt::CTRL | Qt::Key_S),
            &QAction::triggered, files, [files] { files->SaveToFile(); });
    connect(AddCommand(file, "&Open File...", "MenuOpen", Qt::CTRL | Qt::Key_O),
            &QAction::triggered, files, &FileCommands::OpenFile);
    recent_ = file->addMenu(QStringLiteral("Open &Recent"));
    recent_->setObjectName(QStringLiteral("RecentMenu"));
    recent_->setToolTipsVisible(true);
    ShowRecentFiles();
    file->addSeparator();
    connect(AddCommand(file, "&Print List...", "MenuPrintList", Qt::CTRL | Qt::Key_P),
            &QAction::triggered, files, &FileCommands::PrintList);
    connect(AddCommand(file, "Print &to File...", "MenuPrintFile"), &QAction::triggered, files,
            &FileCommands::PrintToFile);
    file->addSeparator();
    connect(AddCommand(file, "&Export CSV...", "MenuExportCsv"), &QAction::triggered, files,
            &FileCommands::ExportCsv);
    connect(AddCommand(file, "&Import CSV...", "MenuImportCsv"), &QAction::triggered, files,
            &FileCommands::ImportCsv);
    file->addSeparator();
    // Quit closes the window the usual way, so that unsaved data is asked about there.
    connect(AddCommand(file, "&Quit", "Quit", Qt::CTRL | Qt::Key_Q), &QAction::triggered, &window_,
            &QWidget::close);
    return file;
}

QMenu* WindowMenus::BuildHelpMenu() {
    QMenu* help = window_.menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    connect(AddCommand(help, "KLD-540 &Help", "HelpContents", Qt::Key_F1), &QAction::triggered,
            this, &WindowMenus::ShowHelp);
    connect(AddCommand(help, "&About KLD-540", "About"), &QAction::triggered, this,
            &WindowMenus::ShowAbout);
    return help;
}

// Numbered as desktop programs number them, the newest first; the full path is the tooltip
// when the menu has to shorten it.
void WindowMenus::ShowRecentFiles() {
    if (recent_ == nullptr) {
        return;
    }
    recent_->clear();
    const QStringList& paths = desktop_.RecentFiles();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        const QString shown = recent_->fontMetrics().elidedText(
            path, Qt::ElideMiddle, recent_->fontMetrics().averageCharWidth() * 70);
        QAction* action = recent_->addAction(
            QStringLiteral("&%1  %2").arg(i + 1).arg(QString(shown).replace(u'&', "&&")));
        action->setObjectName(QStringLiteral("Recent%1").arg(i + 1));
        action->setToolTip(path);
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
    recent_->addSeparator();
    QAction* clear = recent_->addAction(QStringLiteral("&Clear List"));
    clear->setObjectName(QStringLiteral("ClearRecent"));
    connect(clear, &QAction::triggered, this, [this] {
        desktop_.ForgetRecentFiles();
        ShowRecentFiles();
    });
    recent_->setEnabled(!paths.isEmpty());
}

void WindowMenus::OpenRecent(const QString& path) {
    if (document_.Busy()) {
        return;
    }
    if (!QFileInfo(path).isFile()) {
        desktop_.ForgetRecentFile(path);
        ShowRecentFiles();
        op_.Tell({"The file " + path.toStdString() + " is not there any more.", "Open Recent",
                  Icon::Warning, Buttons::Ok,
                  "It was moved, renamed or deleted since it was last opened or saved; it is "
                  "taken off the list of recent files."});
        return;
    }
    files_.OpenPath(path);
}

void WindowMenus::OpenDropped(const QString& path) {
    if (QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
        files_.ImportCsvPath(path);
    } else {
        files_.OpenPath(path);
    }
}

// Brought to the front when it is already open, so F1 never stacks up windows.
void WindowMenus::ShowHelp() {
    if (help_ == nullptr) {
        help_ = new HelpWindow(&window_);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void WindowMenus::ShowAbout() {
    if (document_.Busy()) {
        return;  // a box now would hold up the transfer's exchange
    }
    op_.Tell({"KLD-540 Dataloader\nVersion " + VersionText(document_.State().Version) +
                  "\n\nProgramming software for the KVRX-540 VHF radio.",
              "About KLD-540", Icon::Information, Buttons::Ok,
              std::string("Built with Qt ") + qVersion() + "."});
}

// A drop is taken only for a file; the file is opened once the drag has finished, so that the
// program it came from is not held up by the questions an open may ask.
bool WindowMenus::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) {
        return false;
    }
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!DroppedFile(drag->mimeData()).isEmpty() && !document_.Busy()) {
            drag->acceptProposedAction();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = DroppedFile(drop->mimeData());
        if (path.isEmpty()) {
            return false;
        }
        drop->acceptProposedAction();
        QTimer::singleShot(0, this, [this, path] { OpenDropped(path); });
        return true;
    }
    return false;
}

}  // namespace kld::ui
