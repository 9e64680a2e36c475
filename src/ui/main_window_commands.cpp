// The window's file, print, port and radio commands. The work itself is the files and link
// layers'; here the window asks its dialogs, calls that work and shows the outcome.
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "backups.h"
#include "compare.h"
#include "csv.h"
#include "data_file.h"
#include "field_rules.h"
#include "file_io.h"
#include "file_messages.h"
#include "iteration_dialog.h"
#include "listings.h"
#include "main_window.h"
#include "port_names.h"
#include "printing.h"
#include "qt_text.h"
#include "repeated_transfer.h"
#include "settings_file.h"
#include "verify.h"
#include "window_dialogs.h"
#include "window_transfer_host.h"

namespace kld::ui {

namespace {

constexpr const char* kDataFilter = "KLD540 files (*.540)|*.540|All files (*.*)|*.*";
constexpr const char* kOpenFilter =
    "KVRX-540 files (*.540)|*.540|KVS-220 files (*.100)|*.100|Text files (*.txt)|*.txt|"
    "All files (*.*)|*.*";
constexpr const char* kTextFilter = "KLD540 files (*.Txt)|*.Txt|All files (*.*)|*.*";
constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv|All files (*.*)|*.*";
constexpr const char* kTextTitle = "Enter filename to save data as text";

Message InvalidPortMessage() {
    return {"Invalid COMM port", "", Icon::None, Buttons::Ok};
}

std::filesystem::path PathOf(const QString& name) {
    return std::filesystem::path(name.toStdString());
}

}  // namespace

void MainWindow::SetDialogs(WindowDialogs* dialogs) {
    dialogs_ = dialogs != nullptr ? dialogs : ownDialogs_.get();
}

void MainWindow::ConnectCommands() {
    ownDialogs_ = std::make_unique<QtWindowDialogs>(this);
    if (dialogs_ == nullptr) {
        dialogs_ = ownDialogs_.get();
    }
    connect(FileSave, &QPushButton::clicked, this, [this] { FileSave_Click(); });
    connect(FileOpen, &QPushButton::clicked, this, [this] { FileOpen_Click(); });
    connect(PrintFile, &QPushButton::clicked, this, [this] { PrintFile_Click(); });
    connect(PrintList, &QPushButton::clicked, this, [this] { PrintList_Click(); });
    connect(ExportCsv, &QPushButton::clicked, this, [this] { ExportCsv_Click(); });
    connect(ImportCsv, &QPushButton::clicked, this, [this] { ImportCsv_Click(); });
    connect(DumpChnlData, &QPushButton::clicked, this, [this] { AskDumpOrTransferTest(); });
    connect(Upload, &QPushButton::clicked, this, [this] { Upload_Click(); });
    connect(Download, &QPushButton::clicked, this, [this] { Download_Click(); });
    connect(ReadDbgLog, &QPushButton::clicked, this, [this] { ReadDbgLog_Click(); });
    // An entry picked from the list names its port by the number before the device; Enter
    // checks what was typed at once, as leaving the box would.
    connect(CommPort, &QComboBox::activated, this, [this](int index) {
        CommPort->setEditText(QStringLiteral("COM%1").arg(CommPort->itemData(index).toInt()));
        CommPort_LostFocus();
    });
    connect(CommPort->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { CommPort_LostFocus(); });
    CommPort->installEventFilter(this);
}

// A command started while another runs (a transfer keeps the window's event loop turning)
// waits for nothing: it is ignored.
bool MainWindow::CommandsBlocked() const {
    return Transferring();
}

std::optional<QString> MainWindow::ChooseSaveFile(const char* title, const char* pipeFilter) {
    const auto name = dialogs_->SaveFileName(QString::fromLatin1(title),
                                             QtFilter(QString::fromLatin1(pipeFilter)),
                                             PresetFileName(dialogFileName_));
    if (name) {
        dialogFileName_ = *name;
    }
    return name;
}

// --- Files ------------------------------------------------------------------------------------

void MainWindow::FileSave_Click() {
    SaveToFile();
}

bool MainWindow::SaveToFile() {
    if (CommandsBlocked()) {
        return false;
    }
    const auto name = ChooseSaveFile("Enter filename to save data as", kDataFilter);
    if (!name) {
        return false;
    }
    const std::filesystem::path path = PathOf(*name);
    if (const auto failed = SaveChannelFile(path, memory_, state_)) {
        op_.Tell(failed->AsMessage());
        return false;  // caption and Saved as they were
    }
    setWindowTitle(FromSystem(FileCaption(state_.Version, path)));
    return true;
}

void MainWindow::FileOpen_Click() {
    if (CommandsBlocked()) {
        return;
    }
    const auto name = dialogs_->OpenFileName(QStringLiteral("Enter filename to open"),
                                             QtFilter(QString::fromLatin1(kOpenFilter)),
                                             PresetFileName(dialogFileName_));
    if (!name) {
        return;  // a cancelled open leaves the memory as it was
    }
    dialogFileName_ = *name;
    const std::filesystem::path path = PathOf(*name);
    const Result<Opened> result = OpenChannelFile(path, memory_, state_, op_);
    if (!result) {
        op_.Tell(result.Error().AsMessage());
    }
    RefreshSummary();
    memory_.Current = kFirstChannel;
    ShowChannel();
    if (result && *result == Opened::Loaded) {
        setWindowTitle(FromSystem(FileCaption(state_.Version, path)));
    }
}

// --- Listings and the dump ------------------------------------------------------------------

void MainWindow::PrintFile_Click() {
    if (CommandsBlocked()) {
        return;
    }
    if (const auto name = ChooseSaveFile(kTextTitle, kTextFilter)) {
        if (const auto failed = WriteTextFile(PathOf(*name), TextListing(memory_))) {
            op_.Tell(failed->AsMessage());
        }
    }
}

void MainWindow::ExportCsv_Click() {
    if (CommandsBlocked()) {
        return;
    }
    if (const auto name = ChooseSaveFile("Export channel plan as CSV", kCsvFilter)) {
        if (const auto failed = WriteTextFile(PathOf(*name), kld::ExportCsv(memory_))) {
            op_.Tell(failed->AsMessage());
        }
    }
}

void MainWindow::ImportCsv_Click() {
    if (CommandsBlocked()) {
        return;
    }
    const auto name = dialogs_->OpenFileName(QStringLiteral("Import channel plan from CSV"),
                                             QtFilter(QString::fromLatin1(kCsvFilter)),
                                             PresetFileName(dialogFileName_));
    if (!name) {
        return;
    }
    dialogFileName_ = *name;
    const auto bytes = ReadFileBytes(PathOf(*name));
    if (!bytes) {
        op_.Tell(bytes.Error().AsMessage());
        return;
    }
    // A plan with any refused cell is not loaded at all: the memory stays as it was.
    const Result<CsvImport> result = kld::ImportCsv(*bytes, memory_);
    if (!result) {
        op_.Tell(result.Error().AsMessage("Import CSV", Icon::Warning));
        return;
    }
    FinishOpen(memory_, state_, op_);
    RefreshSummary();
    memory_.Current = kFirstChannel;
    ShowChannel();
}

void MainWindow::PrintList_Click() {
    if (CommandsBlocked()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!dialogs_->ChoosePrinter(printer)) {
        return;  // nothing printed
    }
    // Whatever happens part way, what was printed goes out; the printer reports the rest.
    PrintListing(memory_, printer);
}

void MainWindow::AskDumpOrTransferTest() {
    if (CommandsBlocked()) {
        return;
    }
    frmIteration_->exec();
    if (!frmIteration_->IterSuccess) {
        return;
    }
    const auto rounds = ParseTyped16(FromQ(frmIteration_->Iterations->text()));
    if (!rounds || *rounds < 0) {
        op_.Tell({"Value is out of range", "", Icon::None, Buttons::Ok});
        return;
    }
    if (*rounds != 0) {
        RunTransferTest(*rounds);
    } else {
        WriteChannelDump();
    }
}

void MainWindow::WriteChannelDump() {
    if (const auto name = ChooseSaveFile(kTextTitle, kTextFilter)) {
        if (const auto failed = WriteTextFile(PathOf(*name), ChannelDump(memory_))) {
            op_.Tell(failed->AsMessage());
        }
    }
}

// --- The port -----------------------------------------------------------------------------------

void MainWindow::CommPort_LostFocus() {
    if (CommandsBlocked()) {
        return;
    }
    const int number = PortNumberFromText(FromQ(CommPort->currentText()));
    if (number == memory_.PortNumber && number > 0) {
        CommPort->setEditText(QStringLiteral("COM%1").arg(number));
        return;  // the port in use, already kept
    }
    WaitForPortSearch();
    if (number <= 0 || !PortCanBeOpened(number)) {
        op_.Tell(InvalidPortMessage());
        CommPort->setEditText(QStringLiteral("COM%1").arg(memory_.PortNumber));
        return;
    }
    CommPort->setEditText(QStringLiteral("COM%1").arg(number));
    if (SaveSettings(static_cast<std::int16_t>(number), memory_, state_,
                     folder_ / kSettingsFileName)
            .has_value()) {
        statusBar()->showMessage(
            QStringLiteral("COM%1 is in use for this run; KLD540.ini cannot be written, so the "
                           "next start will not remember it.")
                .arg(number));
    }
}

// --- The radio ----------------------------------------------------------------------------------

void MainWindow::Upload_Click() {
    if (CommandsBlocked()) {
        return;
    }
    KeepBackup(false);  // the memory about to be sent, whatever the send then does
    const TransferResult result = RadioTransfer(Direction::Send);
    if (result.Complete() && VerifyAfterSending()) {
        VerifyRadio_Click();
    }
}

void MainWindow::Download_Click() {
    if (CommandsBlocked()) {
        return;
    }
    if (RadioTransfer(Direction::Receive).Complete()) {
        KeepBackup(true);
    }
}

// --- Extras ---------------------------------------------------------------------------------

void MainWindow::BuildExtrasMenu() {
    ExtrasMenu = menuBar()->addMenu(QStringLiteral("E&xtras"));
    ExtrasMenu->setObjectName(QStringLiteral("ExtrasMenu"));
    VerifyAfterSendingAction = ExtrasMenu->addAction(QStringLiteral("Verify after sending"));
    VerifyAfterSendingAction->setCheckable(true);
    VerifyAfterSendingAction->setChecked(false);
    ExtrasMenu->addAction(QStringLiteral("Verify Radio Now"), this,
                          [this] { VerifyRadio_Click(); });
    ExtrasMenu->addSeparator();
    CompareAction = ExtrasMenu->addAction(QStringLiteral("Compare with File..."), this,
                                          [this] { CompareWithFile_Click(); });
    BackupFolderAction = ExtrasMenu->addAction(QStringLiteral("Open Backup Folder"), this,
                                               [this] { OpenBackupFolder_Click(); });
}

bool MainWindow::VerifyAfterSending() const {
    return VerifyAfterSendingAction->isChecked();
}

void MainWindow::KeepBackup(bool received) {
    const BackupResult result =
        WriteBackup(memory_, state_, received ? BackupKind::Received : BackupKind::BeforeSend);
    if (result || backupFailureTold_) {
        return;
    }
    // Never in the operator's way: a transfer goes on without its copy, and this is said once.
    backupFailureTold_ = true;
    statusBar()->showMessage(
        QString::fromStdString(result.Error().message + ": " + result.Error().detail));
}

void MainWindow::VerifyRadio_Click() {
    VerifyResult result;
    RunWithRadio([&](TransferContext& context) {
        result = kld::VerifyRadio(memory_, state_, device_, context.host, folder_);
        if (result.transfer.failure) {
            op_.Tell(result.transfer.failure->AsMessage());
        }
    });
    if (!result.transfer.Complete()) {
        return;  // told what went wrong
    }
    if (result.Ok()) {
        // The radio holds what this memory sends, under the stamp the verify gave it.
        state_.MemoryStamp = result.radioStamp;
        op_.Tell({"Verify OK", "Verify", Icon::Information, Buttons::Ok});
        return;
    }
    op_.Tell(
        {"The radio does not hold what was sent: " + std::to_string(result.differences.size()) +
             (result.differences.size() == 1 ? " difference." : " differences.") +
             "\n\nThe details list each channel and field.",
         "Verify", Icon::Warning, Buttons::Ok, VerifyReportText(result)});
}

void MainWindow::CompareWithFile_Click() {
    if (CommandsBlocked()) {
        return;
    }
    const auto name = dialogs_->OpenFileName(QStringLiteral("Compare with File"),
                                             QtFilter(QString::fromLatin1(kOpenFilter)),
                                             PresetFileName(dialogFileName_));
    if (!name) {
        return;
    }
    // The other plan is opened into a memory of its own, from the same template; the memory in
    // the window is not touched.
    ChannelMemory other = memory_;
    ProgramState otherState = state_;
    const Result<Opened> opened = OpenChannelFile(PathOf(*name), other, otherState, op_);
    if (!opened) {
        op_.Tell(opened.Error().AsMessage());
    }
    if (!opened || *opened != Opened::Loaded) {
        return;
    }
    const std::vector<FieldDifference> rows = CompareMemories(memory_, other);
    const std::string file = PathOf(*name).filename().string();
    if (rows.empty()) {
        op_.Tell({"The memory and " + file + " hold the same channels.", "Compare",
                  Icon::Information, Buttons::Ok});
        return;
    }
    op_.Tell({"The memory (A) and " + file + " (B) differ in " + std::to_string(rows.size()) +
                  (rows.size() == 1 ? " field." : " fields.") +
                  "\n\nThe details list each channel and field.",
              "Compare", Icon::Information, Buttons::Ok, DiffText(rows)});
}

void MainWindow::OpenBackupFolder_Click() {
    const BackupResult folder = BackupFolder();
    std::error_code ec;
    if (!folder || (std::filesystem::create_directories(*folder, ec), ec)) {
        op_.Tell({"The backup folder cannot be opened.", "Backups", Icon::Warning, Buttons::Ok,
                  folder ? folder->string() + ": " + ec.message() : folder.Error().detail});
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromSystem(folder->string())));
}

void MainWindow::ReadDbgLog_Click() {
    RadioTransfer(Direction::DebugLog);
}

TransferResult MainWindow::RadioTransfer(Direction direction) {
    TransferResult result;
    RunWithRadio([&](TransferContext& context) {
        result = kld::RadioTransfer(direction, context);
        if (result.failure) {
            op_.Tell(result.failure->AsMessage());
        }
    });
    return result;
}

void MainWindow::RunTransferTest(int rounds) {
    RunWithRadio([&](TransferContext& context) {
        const TransferTestResult result = kld::RunTransferTest(rounds, context);
        for (const Failure& failure : result.Failures()) {
            op_.Tell(failure.AsMessage());
        }
        op_.Tell(TransferTestSummary(result, rounds));
    });
}

void MainWindow::RunWithRadio(const std::function<void(TransferContext&)>& work) {
    if (CommandsBlocked()) {
        return;
    }
    WaitForPortSearch();
    WindowTransferHost host(*this);
    host_ = &host;
    TransferContext context{memory_, state_, device_, host, op_, folder_};
    work(context);
    host_ = nullptr;
    if (closeAfterTransfer_) {
        closeAfterTransfer_ = false;
        QTimer::singleShot(0, this, &QWidget::close);  // the close asked for during the transfer
    }
}

void MainWindow::ShowTransferProgress(bool transferring) {
    if (transferring) {
        TfrProgressBar->setValue(0);
        ChnlSummary->hide();
        TfrProgress->show();
        // Disabled but painted: nothing the operator does can start a second command meanwhile.
        centralWidget()->setEnabled(false);
        return;
    }
    TfrProgress->hide();
    ChnlSummary->show();
    centralWidget()->setEnabled(true);
    RefreshSummary();  // the records a receive stored, the marks a send cleared
    memory_.Current = kFirstChannel;
    ShowChannel();  // moves the scroll bar and the list to channel 1 as well
}

// --- The transfer host's view ---------------------------------------------------------------

WindowTransferHost::WindowTransferHost(MainWindow& window) : window_(window) {
    barTimer_.setInterval(50);
    QObject::connect(&barTimer_, &QTimer::timeout, [this] { ShowBar(); });
}

void WindowTransferHost::ShowProgress(bool transferring) {
    if (transferring) {
        progress_ = 0;
        barTimer_.start();
    } else {
        barTimer_.stop();
        ShowBar();
    }
    window_.ShowTransferProgress(transferring);
}

void WindowTransferHost::ShowBar() {
    if (window_.TfrProgressBar->value() != progress_) {
        window_.TfrProgressBar->setValue(progress_);
    }
}

void WindowTransferHost::SetStatus(std::string_view text) {
    window_.TfrStatus->setText(ToQ(text));
}

void WindowTransferHost::SetProgress(int value) {
    progress_ = value;  // drawn by the bar's timer
}

void WindowTransferHost::SetProgressCaption(std::string_view caption) {
    window_.TfrProgress->setTitle(ToQ(caption));
}

}  // namespace kld::ui
