#include "main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <array>

#include "desktop_settings.h"
#include "document.h"
#include "editor.h"
#include "file_commands.h"
#include "fleet_dialog.h"
#include "memory_summary.h"
#include "port_box.h"
#include "qt_text.h"
#include "radio_commands.h"
#include "radio_search.h"
#include "settings_file.h"
#include "splash.h"
#include "tool_tips.h"
#include "transfer_view.h"
#include "window_menus.h"
#include "window_widgets.h"

namespace kld::ui {

namespace {

using namespace controls;

Message CloseQuestion() {
    return {"The Current Data is not saved.\n           Save changes?", "", Icon::None,
            Buttons::YesNoCancel};
}

}  // namespace

MainWindow::MainWindow(Operator& op, std::filesystem::path folder, std::string commandLine)
    : op_(op),
      folder_(std::move(folder)),
      commandLine_(std::move(commandLine)),
      document_(new Document(this)) {
    setObjectName(QStringLiteral("frmKLD540"));
    setWindowTitle(QStringLiteral("KLD - 540"));
    auto* central = new QWidget;
    setCentralWidget(central);

    editor_ = new ChannelEditor(*document_, op_, folder_);
    summary_ = new MemorySummary(*document_, op_);
    transfer_ = new TransferView;
    BuildButtonFrames();
    auto* frames = new QHBoxLayout;
    frames->addWidget(FileFrame, 2);
    frames->addWidget(TransferFrame, 3);
    frames->addWidget(EraseFrame, 1);
    frames->addWidget(PortFrame, 1);

    auto* main = new QVBoxLayout(central);
    main->addWidget(editor_);
    main->addWidget(summary_);
    main->addWidget(transfer_);
    main->addLayout(frames);
    main->addStretch();
    ArrangeTransferButtons();

    files_ = new FileCommands(*document_, op_, this);
    radio_ = new RadioCommands(*document_, op_, *transfer_, folder_, this);
    search_ = new RadioSearch(
        *document_, op_, *port_, *FindRadio, [this] { return radio_->Transferring(); }, this);
    desktop_ = std::make_unique<DesktopSettings>();
    menus_ = new WindowMenus(*this, *document_, op_, *files_, *desktop_);
    Connect();
    setWindowIcon(QIcon(DrawLogo(64)));
}

// The frames go before the document they show: the summary's list reads the memory to the end.
MainWindow::~MainWindow() {
    delete takeCentralWidget();
}

void MainWindow::SetVersion(const ProgramVersion& version) {
    document_->SetVersion(version);
}

void MainWindow::SetDialogs(WindowDialogs* dialogs) {
    files_->SetDialogs(dialogs);
}

void MainWindow::Prepare() {
    if (prepared_) {
        return;
    }
    prepared_ = true;
    editor_->Prepare();
    // Debug mode and the memory's start-up state (enabled modes, the settings file, the
    // template's mode, the port, the reset) are the files layer's; the window arranges itself.
    const bool settingsKept = document_->Start([this](ChannelMemory& memory, ProgramState& state) {
        const bool kept =
            PrepareMemory(memory, state, commandLine_, folder_, SettingsUse::CreateWhenMissing);
        memory.Current = kFirstChannel;
        state.PurgeMode = 0;
        return kept;
    });
    ArrangeTransferButtons();
    document_->SetCaption(ToQ(StartupCaption(document_->State().Version)));
    port_->ShowPortInUse();
    menus_->BuildFileMenu();
    BuildEditMenu();
    BuildExtrasMenu();
    menus_->BuildHelpMenu();
    SetFocusOrder();
    RestoreWindowSize();
    ExplainControls(*this);

    if (!settingsKept) {
        // Said once, where it does not stop the operator: the program works, only the template
        // and the port will not be there at the next start.
        statusBar()->showMessage(
            QStringLiteral("KLD540.ini cannot be written in %1: the default channel and the port "
                           "will not be kept for the next start.")
                .arg(FromSystem(folder_.string())));
    }
}

void MainWindow::StartPortSearch() {
    Prepare();
    port_->StartSearch();
}

// --- The frames along the bottom ------------------------------------------------------------

void MainWindow::BuildButtonFrames() {
    FileFrame = Named(new QGroupBox(QStringLiteral("File")), "FileFrame");
    FileSave = Button("FileSave", "Save &File");
    FileOpen = Button("FileOpen", "&Open File");
    PrintList = Button("PrintList", "Print &List");
    PrintFile = Button("PrintFile", "Print &to File");
    auto* file = new QGridLayout(FileFrame);
    file->addWidget(FileSave, 0, 0);
    file->addWidget(FileOpen, 0, 1);
    file->addWidget(PrintList, 1, 0);
    file->addWidget(PrintFile, 1, 1);
    ExportCsv = Button("ExportCsv", "Export CS&V");
    ImportCsv = Button("ImportCsv", "Import CSV");
    file->addWidget(ExportCsv, 2, 0);
    file->addWidget(ImportCsv, 2, 1);

    TransferFrame = Named(new QGroupBox(QStringLiteral("Data Transfer")), "TransferFrame");
    Upload = Button("Upload", "&Download (to Radio)");
    Download = Button("Download", "&Upload (from Radio)");
    SelAll = Button("SelAll", "&Select All");
    ClearAll = Button("ClearAll", "&Clear All");
    ReadDbgLog = Button("ReadDbgLog", "Read Debug Log");
    ReadDbgLog->setParent(TransferFrame);  // in the frame even while it is not in its grid
    new QGridLayout(TransferFrame);

    EraseFrame = Named(new QGroupBox(QStringLiteral("Erase")), "EraseFrame");
    EraseCurr = Button("EraseCurr", "Un/&Erase Current");
    EraseAll = Button("EraseAll", "Purge");
    auto* erase = new QVBoxLayout(EraseFrame);
    erase->addWidget(EraseCurr);
    erase->addWidget(EraseAll);

    PortFrame = Named(new QGroupBox(QStringLiteral("COM Port")), "PortFrame");
    port_ = new PortBox(*document_, op_, folder_);
    FindRadio = Button("FindRadio", "Fi&nd Radio");
    DumpChnlData = Button("DumpChnlData", "Dump");
    auto* port = new QVBoxLayout(PortFrame);
    port->addWidget(port_);
    port->addWidget(FindRadio);
    port->addWidget(DumpChnlData);
}

// The debug buttons are there only in debug mode; without them the four others share the frame.
void MainWindow::ArrangeTransferButtons() {
    const bool debug = document_->State().DebugMode;
    auto* grid = static_cast<QGridLayout*>(TransferFrame->layout());
    for (QWidget* button : {Upload, Download, SelAll, ClearAll, ReadDbgLog}) {
        grid->removeWidget(button);
    }
    grid->addWidget(Upload, 0, 0);
    grid->addWidget(Download, 0, 1);
    grid->addWidget(SelAll, 1, 0);
    grid->addWidget(ClearAll, 1, 1);
    if (debug) {
        grid->addWidget(ReadDbgLog, 0, 2);
    }
    ReadDbgLog->setVisible(debug);
    ReadDbgLog->setEnabled(debug);
    DumpChnlData->setVisible(debug);
    DumpChnlData->setEnabled(debug);
}

// Undo and Redo name the step they undo or redo; the document decides whether they may run.
void MainWindow::BuildEditMenu() {
    // No Alt letter: each of Edit's is a button's already (Un/&Erase, &Download, F&ile, Print &to).
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    QUndoStack& steps = document_->Steps();
    QAction* undo = edit->addAction(QStringLiteral("Undo"), document_, &Document::Undo);
    undo->setObjectName(QStringLiteral("UndoStep"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = edit->addAction(QStringLiteral("Redo"), document_, &Document::Redo);
    redo->setObjectName(QStringLiteral("RedoStep"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    const auto follow = [undo, redo, &steps] {
        undo->setEnabled(steps.canUndo());
        undo->setText(steps.canUndo() ? QStringLiteral("Undo ") + steps.undoText()
                                      : QStringLiteral("Undo"));
        redo->setEnabled(steps.canRedo());
        redo->setText(steps.canRedo() ? QStringLiteral("Redo ") + steps.redoText()
                                      : QStringLiteral("Redo"));
    };
    connect(&steps, &QUndoStack::indexChanged, this, follow);
    connect(&steps, &QUndoStack::cleanChanged, this, follow);
    follow();
}

// Extras beyond the radio's own rules: the copy before an erase, verify after sending, several
// radios at once, compare, the backups.
void MainWindow::BuildExtrasMenu() {
    QMenu* extras = menuBar()->addMenu(QStringLiteral("E&xtras"));
    extras->setObjectName(QStringLiteral("ExtrasMenu"));
    QAction* copyRadio = extras->addAction(QStringLiteral("Back up the radio before erasing it"));
    copyRadio->setObjectName(QStringLiteral("BackupRadioBeforeErase"));
    copyRadio->setCheckable(true);
    copyRadio->setChecked(true);
    connect(copyRadio, &QAction::toggled, radio_, &RadioCommands::SetCopyRadioBeforeErase);
    QAction* verifyAfterSending = extras->addAction(QStringLiteral("Verify after sending"));
    verifyAfterSending->setObjectName(QStringLiteral("VerifyAfterSending"));
    verifyAfterSending->setCheckable(true);
    verifyAfterSending->setChecked(false);
    connect(verifyAfterSending, &QAction::toggled, radio_, &RadioCommands::SetVerifyAfterSending);
    extras->addAction(QStringLiteral("Verify Radio Now"), radio_, &RadioCommands::VerifyRadio)
        ->setObjectName(QStringLiteral("VerifyRadioNow"));
    QAction* fleet = extras->addAction(QStringLiteral("Program Several Radios..."), this,
                                       &MainWindow::ProgramSeveralRadios);
    fleet->setObjectName(QStringLiteral("ProgramSeveralRadios"));
    connect(transfer_, &TransferView::RunningChanged, fleet,
            [fleet](bool running) { fleet->setEnabled(!running); });
    extras->addSeparator();
    extras
        ->addAction(QStringLiteral("Compare with File..."), files_, &FileCommands::CompareWithFile)
        ->setObjectName(QStringLiteral("CompareWithFile"));
    extras->addAction(QStringLiteral("Open Backup Folder"), files_, &FileCommands::OpenBackupFolder)
        ->setObjectName(QStringLiteral("OpenBackupFolder"));
}

// The fleet dialog is made afresh each time: the ports that open now, nothing left of the last
// run. It sends the memory as it stands and never changes it.
void MainWindow::ProgramSeveralRadios() {
    if (document_->Busy() || radio_->Transferring()) {
        return;
    }
    port_->WaitForSearch();
    search_->WaitForEnd();
    FleetDialog dialog(*document_, op_, files_->Dialogs(), this);
    connect(&dialog, &FleetDialog::StatusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    dialog.Run();
}

// The keyboard's order runs through the editor and the list, then along the frames; the
// controls are found by their names, the names the technicians' manual gives them.
void MainWindow::SetFocusOrder() {
    static constexpr std::array kEditorAndList{
        "Channel", "ChnlScrll", "SM1", "Zone", "Desc", "Modes",  "RFrq", "RSql",
        "RCTCSS",  "RDCS",      "RTG", "RNAC", "Sx",   "Dx",     "TFrq", "TSql",
        "TCTCSS",  "TDCS",      "TTG", "TNAC", "Save", "Summary"};
    QList<QWidget*> order;
    for (const char* name : kEditorAndList) {
        order.append(centralWidget()->findChild<QWidget*>(QLatin1String(name)));
    }
    order << FileSave << FileOpen << Upload << Download << SelAll << ClearAll << EraseCurr
          << EraseAll << port_ << FindRadio;
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void MainWindow::Connect() {
    const auto showStatus = [this](const QString& text) { statusBar()->showMessage(text); };
    connect(port_, &PortBox::PortsFound, this, &MainWindow::PortsFound);
    connect(port_, &PortBox::StatusMessage, this, showStatus);
    connect(radio_, &RadioCommands::StatusMessage, this, showStatus);
    connect(files_, &FileCommands::StatusMessage, this, showStatus);
    connect(radio_, &RadioCommands::PortWanted, port_, &PortBox::WaitForSearch);
    connect(radio_, &RadioCommands::PortWanted, search_, &RadioSearch::WaitForEnd);
    connect(search_, &RadioSearch::StatusMessage, this, showStatus);
    connect(FindRadio, &QPushButton::clicked, search_, &RadioSearch::Find);
    connect(radio_, &RadioCommands::DumpAsked, files_, &FileCommands::WriteChannelDump);
    connect(document_, &Document::CaptionChanged, this, &QWidget::setWindowTitle);

    // The progress frame takes the summary's place while a transfer runs, the rest of the window
    // disabled but painted (the frame's Cancel stays usable); as it goes, the records the
    // transfer stored are shown at once. The one going hides before the other shows, so that the
    // window never grows to hold both.
    connect(transfer_, &TransferView::RunningChanged, this, [this](bool running) {
        if (running) {
            summary_->hide();
            transfer_->show();
        } else {
            transfer_->hide();
            summary_->show();
        }
        for (QWidget* part : std::initializer_list<QWidget*>{
                 editor_, summary_, FileFrame, TransferFrame, EraseFrame, PortFrame}) {
            part->setEnabled(!running);
        }
        if (!running) {
            document_->ShowStoredSoFar();
        }
    });
    connect(radio_, &RadioCommands::TransferEnded, this, [this] {
        if (closeAfterTransfer_) {
            closeAfterTransfer_ = false;
            QTimer::singleShot(0, this, &QWidget::close);  // the close asked for meanwhile
        }
    });

    summary_->BindListButtons(SelAll, ClearAll, EraseCurr, EraseAll);
    connect(FileSave, &QPushButton::clicked, files_, [this] { files_->SaveToFile(); });
    connect(FileOpen, &QPushButton::clicked, files_, &FileCommands::OpenFile);
    connect(PrintFile, &QPushButton::clicked, files_, &FileCommands::PrintToFile);
    connect(PrintList, &QPushButton::clicked, files_, &FileCommands::PrintList);
    connect(ExportCsv, &QPushButton::clicked, files_, &FileCommands::ExportCsv);
    connect(ImportCsv, &QPushButton::clicked, files_, &FileCommands::ImportCsv);
    connect(Upload, &QPushButton::clicked, radio_, &RadioCommands::Send);
    connect(Download, &QPushButton::clicked, radio_, &RadioCommands::Receive);
    connect(ReadDbgLog, &QPushButton::clicked, radio_, &RadioCommands::ReadDebugLog);
    connect(DumpChnlData, &QPushButton::clicked, radio_, &RadioCommands::AskDumpOrTransferTest);
}

// The size the operator left the window at, within the screen it opens on now.
void MainWindow::RestoreWindowSize() {
    if (const auto size = desktop_->WindowSize()) {
        resize(screen() != nullptr ? size->boundedTo(screen()->availableSize()) : *size);
    }
    if (desktop_->WindowMaximised()) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

// --- Closing -----------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    if (radio_->Transferring()) {
        // The transfer stops first (the end frame goes out, the port closes), then the window
        // closes as it always does, asking about unsaved data.
        radio_->StopTransfer();
        closeAfterTransfer_ = true;
        event->ignore();
        return;
    }
    if (!document_->MayLeaveCurrent()) {
        event->ignore();  // the operator went back to the channel's edits
        return;
    }
    editor_->HoldLeaveRules(true);
    port_->HoldLeaveCheck(true);
    if (!document_->Saved()) {
        const Answer answer = op_.Ask(CloseQuestion());
        // Yes keeps the edits: the window closes only when the save went through. A cancelled
        // or failed save leaves it open with the data.
        const bool close = answer == Answer::No || (answer == Answer::Yes && files_->SaveToFile());
        if (!close) {
            event->ignore();
        }
    }
    for (QDialog* dialog : findChildren<QDialog*>()) {
        dialog->hide();
    }
    editor_->HoldLeaveRules(false);
    port_->HoldLeaveCheck(false);
    if (event->isAccepted()) {
        const bool maximised = isMaximized();
        desktop_->KeepWindowSize(maximised ? normalGeometry().size() : size(), maximised);
        QMainWindow::closeEvent(event);
    }
}

}  // namespace kld::ui
