#pragma once

#include <QObject>
#include <QString>

#include "operator.h"

class QMainWindow;
class QMenu;

namespace kld::ui {

class DesktopSettings;
class Document;
class FileCommands;
class HelpWindow;

// The window's File and Help menus, its recent files and the files dropped onto it. The menus
// run the File frame's commands (whose buttons and Alt letters stay as they are) and add the
// recent files, Quit, the help and About. The File menu is built first and Help last, so that
// the menus between them go in their place: File, Edit, Extras, Help.
class WindowMenus : public QObject {
    Q_OBJECT
  public:
    WindowMenus(QMainWindow& window, Document& document, Operator& op, FileCommands& files,
                DesktopSettings& desktop);

    QMenu* BuildFileMenu();
    QMenu* BuildHelpMenu();

    // A recent file: opened when it is still there; when not, the operator is told and the list
    // forgets it.
    void OpenRecent(const QString& path);
    // A file dropped onto the window: a CSV plan (by its extension) is imported, anything else
    // opened as File Open would.
    void OpenDropped(const QString& path);
    void ShowHelp();
    void ShowAbout();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowRecentFiles();

    QMainWindow& window_;
    Document& document_;
    Operator& op_;
    FileCommands& files_;
    DesktopSettings& desktop_;
    QMenu* recent_ = nullptr;
    HelpWindow* help_ = nullptr;
};

}  // namespace kld::ui
