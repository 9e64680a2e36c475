#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "failure.h"
#include "operator.h"

class QWidget;

namespace kld::ui {

class Document;
class WindowDialogs;

// The "File" frame's commands and the Extras menu's file commands: the memory saved as a .540
// file and any channel file opened, the text listing to a file or a printer, the channel plan
// out to CSV and back, the channel dump, the comparison with a file and the backup folder. The
// work is the files layer's; here the window asks its dialogs, calls that work and shows the
// outcome.
class FileCommands : public QObject {
    Q_OBJECT
  public:
    // `window` is the parent of the file and printer dialogs.
    FileCommands(Document& document, Operator& op, QWidget* window);
    ~FileCommands() override;

    // The file and printer dialogs; the window's own QFileDialog/QPrintDialog unless replaced.
    void SetDialogs(WindowDialogs* dialogs);
    WindowDialogs& Dialogs() { return *dialogs_; }

    // False when the save was cancelled or failed (the close question needs to know).
    bool SaveToFile();
    // Asks for a file and opens it through OpenPath.
    void OpenFile();
    // Opens any channel file the program reads: the one File Open chose, a recent one, one
    // dropped onto the window. Every open comes through here.
    void OpenPath(const QString& path);
    void PrintToFile();
    void PrintList();
    void ExportCsv();
    // Asks for a plan and imports it through ImportCsvPath.
    void ImportCsv();
    // Every CSV import comes through here, the chosen file's and a dropped one's.
    void ImportCsvPath(const QString& path);
    void WriteChannelDump();
    void CompareWithFile();
    void OpenBackupFolder();

  signals:
    // What a command did, for the status line ("Saved fleet.540", "Printed 4 pages").
    void StatusMessage(const QString& text);
    // A channel file was saved or opened: the recent files take it.
    void ChannelFileUsed(const QString& path);

  private:
    std::optional<QString> ChooseSaveFile(const char* title, const char* pipeFilter);
    std::optional<QString> ChooseOpenFile(const QString& title, const char* pipeFilter);
    // Tells a failure of `doing`, or says `done` on the status line.
    void Tell(const std::optional<Failure>& failed, const QString& done, const QString& doing);
    void TellFailed(const QString& what, const Failure& failure);

    Document& document_;
    Operator& op_;
    std::unique_ptr<WindowDialogs> ownDialogs_;
    WindowDialogs* dialogs_ = nullptr;
    QString dialogFileName_;  // the dialogs' file name, kept from one use to the next
};

}  // namespace kld::ui
