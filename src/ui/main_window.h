#pragma once

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "channel_editor.h"
#include "channel_memory.h"
#include "operator.h"
#include "program_state.h"
#include "qt_serial_device.h"
#include "transfer.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QAction;
class QLabel;
class QMenu;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QThread;

namespace kld::ui {

class IterationDialog;
class ShadowDialog;
class SquelchDialog;
class WindowDialogs;
class WindowTransferHost;

// The main window (frmKLD540): the channel editor over record Current, the memory summary with
// its selection boxes, and the button frames. It binds widgets to the core: every rule lives in
// the core and files layers, and the handlers here read the editor into EditorValues, call the
// rule and show what it returns.
//
// Programmatic changes of a widget do not run its handler (signals are blocked while the window
// fills itself); where a handler must run at that point, it is called explicitly, so every
// behaviour runs once and in the order the editor expects.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `folder` is where KLD540.ini and KLD-540.log are looked for; `commandLine` the switches
    // that enable the operating modes ("w n d").
    MainWindow(Operator& op, std::filesystem::path folder, std::string commandLine);
    ~MainWindow() override;

    // --- Start-up, in the order the splash drives it ----------------------------------------
    void SetVersion(const ProgramVersion& version);
    // The start-up sequence (Prepare). Runs once, before the window is shown.
    void Prepare();
    // Prepares the window when that has not happened yet, then starts the search for the ports
    // that can be opened; PortsFound is emitted when the port box lists them.
    void StartPortSearch();
    // Returns once the search has ended: it opens every port in turn, and a port it holds at the
    // moment the window opens that port would look "in use".
    void WaitForPortSearch();

    // --- The editor -------------------------------------------------------------------------
    void ShowChannel();
    void ChnlScrll_Change();
    void Summary_Click();
    void Summary_Scroll();
    void ChooseSimplex();
    void Dx_Click();
    void StoreChannel();
    void CreateShadow_Click();
    void NoiseSquelch_Click();
    void SquelchListsOnModeChange();

    // --- The list operations ----------------------------------------------------------------
    void SyncSelectBoxes();
    void SetSummary(int index);
    void RefreshSummary();
    void SelectAllDefined();
    void ClearAllSelections();
    void EraseOrUneraseCurrent();
    void TogglePurge();

    // --- Files, printing, the port and the radio --------------------------------------------
    void FileSave_Click();
    // The save itself; false when it was cancelled or failed (the close question needs to know).
    bool SaveToFile();
    void FileOpen_Click();
    void PrintFile_Click();
    void PrintList_Click();
    void ExportCsv_Click();
    void ImportCsv_Click();
    void AskDumpOrTransferTest();
    void WriteChannelDump();
    void CommPort_LostFocus();
    void Upload_Click();    // "Download (to Radio)": sends the memory
    void Download_Click();  // "Upload (from Radio)": receives it
    void ReadDbgLog_Click();
    // Extras beyond the radio's own rules: verify after sending, compare, the backups.
    void VerifyRadio_Click();
    void CompareWithFile_Click();
    void OpenBackupFolder_Click();
    bool VerifyAfterSending() const;
    // One exchange with the radio through the port in use, the window disabled meanwhile.
    TransferResult RadioTransfer(Direction direction);
    void RunTransferTest(int rounds);
    bool Transferring() const { return host_ != nullptr; }
    // The progress frame in place of the summary (the transfer host's view).
    void ShowTransferProgress(bool transferring);

    // The file and printer dialogs; the window's own QFileDialog/QPrintDialog unless replaced.
    void SetDialogs(WindowDialogs* dialogs);

    // What the window holds, for the commands of the file and radio frames and for tests.
    ChannelMemory& Memory() { return memory_; }
    ProgramState& State() { return state_; }
    bool ListBusy() const { return listBusy_; }
    bool SettingsKept() const { return settingsKept_; }
    const QString& StartupCaption() const { return startupCaption_; }
    SquelchDialog& frmSquelch() { return *frmSquelch_; }
    ShadowDialog& frmShadow() { return *frmShadow_; }
    IterationDialog& frmIteration() { return *frmIteration_; }

    // --- Controls, named as the operator's manual names them --------------------------------
    QGroupBox* BasicInfo;
    QLineEdit* Channel;
    QScrollBar* ChnlScrll;
    QLabel* lblPrimary;
    QLineEdit* Primary;
    QLabel* lblScan;
    QCheckBox* SM1;
    QLabel* lblZone;
    QComboBox* Zone;
    QLineEdit* Desc;
    QComboBox* Modes;

    QGroupBox* RxInfo;
    QLineEdit* RFrq;
    QComboBox* RSql;
    QComboBox* RCTCSS;
    QComboBox* RDCS;
    QLineEdit* RTG;
    QLineEdit* RNAC;

    QRadioButton* Sx;
    QRadioButton* Dx;

    QGroupBox* TxInfo;
    QLineEdit* TFrq;
    QComboBox* TSql;
    QComboBox* TCTCSS;
    QComboBox* TDCS;
    QLineEdit* TTG;
    QLineEdit* TNAC;
    QLineEdit* IDCall;

    QPushButton* NoiseSquelch;
    QPushButton* Save;
    QPushButton* CreateShadow;

    QGroupBox* ChnlSummary;
    QLabel* SummaryHeading;
    QListWidget* Summary;
    std::array<QCheckBox*, 6> Check{};

    QGroupBox* FileFrame;
    QPushButton* FileSave;
    QPushButton* FileOpen;
    QPushButton* PrintList;
    QPushButton* PrintFile;
    QPushButton* ExportCsv;  // channel plans for spreadsheets, beside the radio's own commands
    QPushButton* ImportCsv;

    QGroupBox* TransferFrame;
    QPushButton* Upload;
    QPushButton* Download;
    QPushButton* SelAll;
    QPushButton* ClearAll;
    QPushButton* ReadDbgLog;

    QGroupBox* EraseFrame;
    QPushButton* EraseCurr;
    QPushButton* EraseAll;

    QGroupBox* PortFrame;
    QComboBox* CommPort;
    QPushButton* DumpChnlData;

    QMenu* ExtrasMenu;
    QAction* VerifyAfterSendingAction;
    QAction* CompareAction;
    QAction* BackupFolderAction;

    QGroupBox* TfrProgress;
    QProgressBar* TfrProgressBar;
    QLabel* TfrStatus;

  signals:
    void PortsFound();

  protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildLayout();
    void ArrangeTransferButtons();
    void SetFocusOrder();
    void Connect();
    void InstallRules();

    // The editor's fields as a store reads them, and back.
    EditorValues ReadEditor() const;
    void WriteTransmitSide(const EditorValues& values);
    void SetSquelchLists(const SquelchLists& lists);
    void SelectSquelch(QComboBox* box, std::optional<std::int16_t> code);
    void SetLocked(QWidget* control, bool locked);
    void SetScrollValue(int value);
    bool IsShownShadow() const;

    // Leave rules, run when the focus moves to another control of this window.
    void LeaveRule(QLineEdit* box);
    bool Channel_Validate();
    bool LeaveRxFrequency();
    bool LeaveTxFrequency();

    void Check_Click(int box);
    void SetPurgeColours(bool inverted);
    std::optional<QString> ChooseSaveFile(const char* title, const char* pipeFilter);
    bool CommandsBlocked() const;
    void RunWithRadio(const std::function<void(TransferContext&)>& work);
    void KeepBackup(bool received);
    void BuildExtrasMenu();
    void ConnectCommands();

    Operator& op_;
    std::filesystem::path folder_;
    std::string commandLine_;
    ChannelMemory memory_;
    ProgramState state_;
    bool listBusy_ = false;
    bool loaded_ = false;
    bool settingsKept_ = true;
    bool leaving_ = false;  // a leave rule is running; its own message box must not run it again
    bool closing_ = false;
    int modesTag_ = 0;  // the Modes list's Tag: the selection its handler last saw
    QString startupCaption_;

    QThread* portSearch_ = nullptr;
    std::unique_ptr<WindowDialogs> ownDialogs_;
    WindowDialogs* dialogs_ = nullptr;
    QString dialogFileName_;              // the dialog's file name, kept from one use to the next
    QtSerialDevice device_;               // the one serial device; open only during a transfer
    WindowTransferHost* host_ = nullptr;  // while a transfer runs
    bool closeAfterTransfer_ = false;
    bool backupFailureTold_ = false;  // a backup that cannot be written is said once a run
    SquelchDialog* frmSquelch_ = nullptr;
    ShadowDialog* frmShadow_ = nullptr;
    IterationDialog* frmIteration_ = nullptr;
};

}  // namespace kld::ui
