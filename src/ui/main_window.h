#pragma once

#include <QMainWindow>
#include <filesystem>
#include <memory>
#include <string>

#include "operator.h"
#include "program_state.h"

class QGroupBox;
class QPushButton;

namespace kld::ui {

class ChannelEditor;
class DesktopSettings;
class Document;
class FileCommands;
class MemorySummary;
class PortBox;
class RadioSearch;
class RadioCommands;
class TransferView;
class WindowDialogs;
class WindowMenus;

// The main window (frmKLD540): the channel editor over the document, the memory summary (or,
// while a transfer runs, its progress in that place), the File, Data Transfer, Erase and
// COM Port frames (the port box and Find Radio), and the File, Extras and Help menus. The window
// arranges them and wires their buttons; what each does is its own, and they hear of each other's
// changes through the document.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `folder` is where KLD540.ini and KLD-540.log are looked for; `commandLine` the switches
    // that enable the operating modes ("w n d").
    MainWindow(Operator& op, std::filesystem::path folder, std::string commandLine);
    ~MainWindow() override;

    // --- Start-up, in the order the splash drives it ----------------------------------------
    void SetVersion(const ProgramVersion& version);
    // The start-up sequence: settings, enabled modes, the reset memory, channel 1 shown. Runs
    // once, before the window is shown.
    void Prepare();
    // Prepares the window when that has not happened yet, then starts the search for the ports
    // that can be opened; PortsFound is emitted when the port box lists them.
    void StartPortSearch();

    // The file and printer dialogs; the window's own QFileDialog/QPrintDialog unless replaced.
    void SetDialogs(WindowDialogs* dialogs);

    // What the window edits, and its radio commands: for tests and the benchmarks.
    Document& Doc() { return *document_; }
    RadioCommands& Radio() { return *radio_; }

  signals:
    void PortsFound();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildButtonFrames();
    void BuildEditMenu();
    void BuildExtrasMenu();
    void ArrangeTransferButtons();
    void ProgramSeveralRadios();
    void SetFocusOrder();
    void RestoreWindowSize();
    void Connect();

    Operator& op_;
    std::filesystem::path folder_;
    std::string commandLine_;
    bool prepared_ = false;
    bool closeAfterTransfer_ = false;

    Document* document_;
    ChannelEditor* editor_;
    MemorySummary* summary_;
    TransferView* transfer_;
    PortBox* port_ = nullptr;
    RadioSearch* search_ = nullptr;  // Find Radio
    FileCommands* files_ = nullptr;
    RadioCommands* radio_ = nullptr;
    std::unique_ptr<DesktopSettings> desktop_;  // the window's size and the recent files
    WindowMenus* menus_ = nullptr;

    // The button frames along the bottom, by the names the technicians' manual gives them.
    QGroupBox* FileFrame = nullptr;
    QPushButton* FileSave = nullptr;
    QPushButton* FileOpen = nullptr;
    QPushButton* PrintList = nullptr;
    QPushButton* PrintFile = nullptr;
    QPushButton* ExportCsv = nullptr;
    QPushButton* ImportCsv = nullptr;
    QGroupBox* TransferFrame = nullptr;
    QPushButton* Upload = nullptr;
    QPushButton* Download = nullptr;
    QPushButton* SelAll = nullptr;
    QPushButton* ClearAll = nullptr;
    QPushButton* ReadDbgLog = nullptr;
    QGroupBox* EraseFrame = nullptr;
    QPushButton* EraseCurr = nullptr;
    QPushButton* EraseAll = nullptr;
    QGroupBox* PortFrame = nullptr;
    QPushButton* FindRadio = nullptr;
    QPushButton* DumpChnlData = nullptr;
};

}  // namespace kld::ui
