#include "main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <memory>

#include "codecs.h"
#include "field_rules.h"
#include "iteration_dialog.h"
#include "key_filter.h"
#include "list_operations.h"
#include "qt_serial_device.h"
#include "qt_text.h"
#include "settings_file.h"
#include "shadow_dialog.h"
#include "shadows.h"
#include "splash.h"
#include "squelch_dialog.h"
#include "squelch_modes.h"
#include "summary.h"
#include "tables.h"
#include "window_dialogs.h"
#include "window_transfer_host.h"

namespace kld::ui {

namespace {

// Blocks the signals of every widget given for the lifetime of the guard: the window fills its
// controls without running their handlers, and calls the handlers it means to run itself.
class Quiet {
  public:
    Quiet(std::initializer_list<QObject*> objects) {
        for (QObject* object : objects) {
            blockers_.emplace_back(std::make_unique<QSignalBlocker>(object));
        }
    }

  private:
    std::vector<std::unique_ptr<QSignalBlocker>> blockers_;
};

// The selection boxes' states, 0 clear, 1 ticked and 2 grey, as check states and back.
Qt::CheckState CheckStateOf(int boxState) {
    return boxState == kBoxGrey     ? Qt::PartiallyChecked
           : boxState == kBoxTicked ? Qt::Checked
                                    : Qt::Unchecked;
}
int BoxStateOf(Qt::CheckState state) {
    return state == Qt::PartiallyChecked ? kBoxGrey : state == Qt::Checked ? kBoxTicked : kBoxClear;
}

int Selected(const QComboBox* box) {
    return box->currentIndex();
}

std::optional<std::int16_t> SquelchOf(const QComboBox* box) {
    if (box->currentIndex() < 0) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(box->currentData().toInt());
}

void SelectIndex(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

Message CloseQuestion() {
    return {"The Current Data is not saved.\n           Save changes?", "", Icon::None,
            Buttons::YesNoCancel};
}

}  // namespace

MainWindow::MainWindow(Operator& op, std::filesystem::path folder, std::string commandLine)
    : op_(op), folder_(std::move(folder)), commandLine_(std::move(commandLine)) {
    BuildLayout();
    setWindowIcon(QIcon(DrawLogo(64)));
}

MainWindow::~MainWindow() {
    if (portSearch_ != nullptr) {
        portSearch_->wait();
    }
}

void MainWindow::SetVersion(const ProgramVersion& version) {
    state_.Version = version;
}

void MainWindow::Prepare() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    const Quiet quiet{Modes, RSql, TSql, RCTCSS, TCTCSS, RDCS, TDCS, ChnlScrll, Summary};

    // Debug mode and the memory's start-up state (enabled modes, the settings file, the
    // template's mode, the port, the reset) are the files layer's; the window arranges itself.
    settingsKept_ =
        PrepareMemory(memory_, state_, commandLine_, folder_, SettingsUse::CreateWhenMissing);
    ArrangeTransferButtons();
    startupCaption_ = ToQ(kld::StartupCaption(state_.Version));
    setWindowTitle(startupCaption_);

    frmShadow_ = new ShadowDialog(memory_, op_, this);
    frmSquelch_ = new SquelchDialog(op_, this);
    frmIteration_ = new IterationDialog(this);

    for (const TableEntry& entry : CtcssTable()) {
        RCTCSS->addItem(ToQ(entry.text));
        TCTCSS->addItem(ToQ(entry.text));
    }
    for (const TableEntry& entry : DcsTable()) {
        RDCS->addItem(ToQ(entry.text));
        TDCS->addItem(ToQ(entry.text));
    }
    for (int i = 0; i < static_cast<int>(ModeTable().size()); ++i) {
        const TableEntry& entry = ModeTable()[static_cast<std::size_t>(i)];
        Modes->addItem(ToQ(entry.text), entry.code);
    }
    Modes->setCurrentIndex(0);
    modesTag_ = 0;

    for (int n = 0; n <= kLastRecord; ++n) {
        Summary->addItem(ToQ(SummaryLine(memory_.Rec(n), n)));
    }
    CommPort->setEditText(QStringLiteral("COM%1").arg(memory_.PortNumber));

    memory_.Current = kFirstChannel;
    ChnlScrll->setRange(-(kLastRecord + 1), 1);
    InstallRules();
    Connect();
    ConnectCommands();
    BuildExtrasMenu();
    TfrProgressBar->setRange(0, kLastRecord);
    SetFocusOrder();
    state_.PurgeMode = 0;
    EraseAll->setText(ToQ(PurgeCaption(state_.PurgeMode)));
    ShowChannel();

    if (!settingsKept_) {
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
    if (portSearch_ != nullptr) {
        return;
    }
    // Trying every port takes most of a second where serial devices exist but answer slowly, so
    // it runs beside the window: the box keeps the port from the settings file meanwhile, and
    // the list is there by the time an operator opens it.
    auto found = std::make_shared<std::vector<PortEntry>>();
    portSearch_ = QThread::create([found] { *found = kld::FindOpenablePorts(); });
    portSearch_->setParent(this);  // the destructor waits for it first
    connect(portSearch_, &QThread::finished, this, [this, found] {
        const QString text = CommPort->currentText();
        const Quiet quiet{CommPort};
        CommPort->clear();
        for (const PortEntry& port : *found) {
            CommPort->addItem(QStringLiteral("COM%1  %2").arg(port.number).arg(ToQ(port.device)),
                              port.number);
        }
        CommPort->setEditText(text);
        emit PortsFound();
    });
    portSearch_->start();
}

void MainWindow::WaitForPortSearch() {
    // Usually long over; otherwise a fraction of a second, painted but deaf to the operator.
    while (portSearch_ != nullptr && !portSearch_->wait(QDeadlineTimer(20))) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void MainWindow::InstallRules() {
    InstallKeyRule(Channel, [](int key, QLineEdit& box) {
        const DigitKeyResult result = ChannelKeyRule(key, FromQ(box.text()));
        if (key != kBackspace) {
            SetRuleText(box, ToQ(result.text));
        }
        return result.key;
    });
    for (QLineEdit* freq : {RFrq, TFrq}) {
        InstallKeyRule(freq, [this](int key, QLineEdit& box) {
            return FrequencyKeyRule(key, box.cursorPosition() + 1, op_);
        });
    }
    for (QLineEdit* hex : {RTG, TTG, RNAC, TNAC}) {
        InstallKeyRule(hex, [this](int key, QLineEdit&) {
            return key == kBackspace ? kBackspace : HexKeyRule(key, op_);
        });
    }
    InstallDigitRule(IDCall);
    for (QLineEdit* box : {Channel, RFrq, TFrq, RTG, TTG, RNAC, TNAC}) {
        box->installEventFilter(this);
    }
    Summary->viewport()->installEventFilter(this);
    // A click into the receive talk group or NAC copies it across in simplex.
    RTG->installEventFilter(this);
    RNAC->installEventFilter(this);
}

void MainWindow::Connect() {
    connect(ChnlScrll, &QScrollBar::valueChanged, this, [this] { ChnlScrll_Change(); });
    connect(Summary, &QListWidget::currentRowChanged, this, [this] { Summary_Click(); });
    connect(Summary->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { Summary_Scroll(); });
    connect(Sx, &QRadioButton::clicked, this, [this] { ChooseSimplex(); });
    connect(Dx, &QRadioButton::clicked, this, [this] { Dx_Click(); });
    connect(Modes, &QComboBox::currentIndexChanged, this, [this] { SquelchListsOnModeChange(); });

    // Simplex following: the transmit side takes each receive change while Sx is chosen.
    auto follow = [this](void (*rule)(EditorValues&)) {
        EditorValues values = ReadEditor();
        rule(values);
        WriteTransmitSide(values);
    };
    connect(RFrq, &QLineEdit::textChanged, this, [follow] { follow(&FollowRxFrequency); });
    connect(RTG, &QLineEdit::textChanged, this, [follow] { follow(&FollowRxTalkGroup); });
    connect(RNAC, &QLineEdit::textChanged, this, [follow] { follow(&FollowRxNac); });
    connect(RCTCSS, &QComboBox::currentIndexChanged, this, [follow] { follow(&FollowRxTone); });
    connect(RDCS, &QComboBox::currentIndexChanged, this, [follow] { follow(&FollowRxCode); });
    connect(RSql, &QComboBox::currentIndexChanged, this, [this] {
        EditorValues values = ReadEditor();
        FollowRxSquelch(values, IsShownShadow());
        WriteTransmitSide(values);
    });

    // Enter in the channel box goes to the channel at once, as leaving the box would.
    connect(Channel, &QLineEdit::returnPressed, this, [this] {
        if (!Channel_Validate()) {
            Channel->selectAll();
        }
    });

    connect(Save, &QPushButton::clicked, this, [this] { StoreChannel(); });
    connect(CreateShadow, &QPushButton::clicked, this, [this] { CreateShadow_Click(); });
    connect(NoiseSquelch, &QPushButton::clicked, this, [this] { NoiseSquelch_Click(); });
    connect(SelAll, &QPushButton::clicked, this, [this] { SelectAllDefined(); });
    connect(ClearAll, &QPushButton::clicked, this, [this] { ClearAllSelections(); });
    connect(EraseCurr, &QPushButton::clicked, this, [this] { EraseOrUneraseCurrent(); });
    connect(EraseAll, &QPushButton::clicked, this, [this] { TogglePurge(); });
    for (int k = 0; k < kSelectionBoxes; ++k) {
        connect(Check[static_cast<std::size_t>(k)], &QCheckBox::clicked, this,
                [this, k] { Check_Click(k); });
    }
}

// --- Reading and writing the editor -------------------------------------------------------

EditorValues MainWindow::ReadEditor() const {
    EditorValues v;
    if (Zone->currentIndex() >= 0) {
        v.list = Zone->currentData().toInt();
    }
    v.scan = SM1->isChecked();
    v.mode = Selected(Modes);
    v.simplex = Sx->isChecked();
    v.desc = FromQ(Desc->text());
    v.rxFreq = FromQ(RFrq->text());
    v.txFreq = FromQ(TFrq->text());
    v.rxSquelch = SquelchOf(RSql);
    v.txSquelch = SquelchOf(TSql);
    v.rxCtcss = Selected(RCTCSS);
    v.rxDcs = Selected(RDCS);
    v.txCtcss = Selected(TCTCSS);
    v.txDcs = Selected(TDCS);
    v.rxTalkGroup = FromQ(RTG->text());
    v.txTalkGroup = FromQ(TTG->text());
    v.rxNac = FromQ(RNAC->text());
    v.txNac = FromQ(TNAC->text());
    v.idCall = FromQ(IDCall->text());
    return v;
}

// Shows what a rule made of the transmit side. Only changed boxes are touched, so the caret of
// a box the operator is typing in stays where it is.
void MainWindow::WriteTransmitSide(const EditorValues& v) {
    const Quiet quiet{TFrq, TTG, TNAC, TSql, TCTCSS, TDCS};
    auto setText = [](QLineEdit* box, const std::string& text) {
        if (box->text() != ToQ(text)) {
            box->setText(ToQ(text));
        }
    };
    setText(TFrq, v.txFreq);
    setText(TTG, v.txTalkGroup);
    setText(TNAC, v.txNac);
    SelectSquelch(TSql, v.txSquelch);
    SelectIndex(TCTCSS, v.txCtcss);
    SelectIndex(TDCS, v.txDcs);
}

void MainWindow::SetSquelchLists(const SquelchLists& lists) {
    const Quiet quiet{RSql, TSql};
    RSql->clear();
    TSql->clear();
    for (const SquelchEntry& entry : lists.rx) {
        RSql->addItem(ToQ(entry.text), entry.code);
    }
    for (const SquelchEntry& entry : lists.tx) {
        TSql->addItem(ToQ(entry.text), entry.code);
    }
}

// A code the list does not carry (a file or a radio put it there) selects nothing; a store then
// refuses rather than invent a value.
void MainWindow::SelectSquelch(QComboBox* box, std::optional<std::int16_t> code) {
    box->setCurrentIndex(code ? box->findData(*code) : -1);
}

void MainWindow::SetLocked(QWidget* control, bool locked) {
    control->setEnabled(!locked);
    QPalette palette = control->palette();
    const QPalette system = QApplication::palette(control);
    const QColor background = locked ? system.color(QPalette::Inactive, QPalette::Window)
                                     : system.color(QPalette::Active, QPalette::Base);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Button,
                         locked ? background : system.color(group, QPalette::Button));
    }
    control->setPalette(palette);
}

bool MainWindow::IsShownShadow() const {
    return IsRecordIndex(memory_.Current) && memory_.Rec(memory_.Current).IsShadow();
}

// --- Showing a channel and moving between channels ----------------------------------------

void MainWindow::ShowChannel() {
    const ChannelView view = kld::ViewCurrentChannel(memory_);
    const EditorValues& v = view.values;
    const Quiet quiet{Zone, Modes, RSql, TSql, RCTCSS, TCTCSS, RDCS,      TDCS,    RFrq,   TFrq,
                      RTG,  TTG,   RNAC, TNAC, Desc,   IDCall, ChnlScrll, Summary, Channel};

    Zone->clear();
    for (const ZoneChoice& zone : view.zones) {
        Zone->addItem(ToQ(zone.text), zone.list);
    }
    Summary->setCurrentRow(view.index);
    Channel->setText(ToQ(view.channelText));
    SM1->setChecked(v.scan);

    lblPrimary->setVisible(view.shadow);
    Primary->setVisible(view.shadow);
    RFrq->setEnabled(!view.shadow);
    TFrq->setEnabled(!view.shadow);
    if (view.shadow) {
        SetLocked(IDCall, true);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{lblScan, SM1, lblZone, Zone}) {
        w->setVisible(view.showScanAndList);
    }
    Zone->setCurrentIndex(view.zonePosition.value_or(-1));
    Primary->setText(ToQ(view.primaryText));
    Desc->setText(ToQ(v.desc));

    Modes->setCurrentIndex(v.mode);
    modesTag_ = v.mode;  // -1 when the record holds no mode the list offers
    SetSquelchLists(view.squelch);

    RFrq->setText(ToQ(v.rxFreq));
    SelectSquelch(RSql, v.rxSquelch);
    SelectIndex(RCTCSS, v.rxCtcss);
    SelectIndex(RDCS, v.rxDcs);
    RTG->setText(ToQ(v.rxTalkGroup));
    RNAC->setText(ToQ(v.rxNac));
    IDCall->setText(ToQ(v.idCall));
    WriteTransmitSide(v);

    SetScrollValue(view.index);
    SyncSelectBoxes();
    if (v.simplex) {
        Sx->setChecked(true);
        ChooseSimplex();
    } else {
        Dx->setChecked(true);
        Dx_Click();
    }
}

// Moves the bar to channel `index` without running its handler again and scrolls the list as
// the handler would.
void MainWindow::SetScrollValue(int index) {
    {
        const QSignalBlocker blocker(ChnlScrll);
        ChnlScrll->setValue(-index);
    }
    Summary->verticalScrollBar()->setValue(std::max(index - 2, 0));
}

void MainWindow::ChnlScrll_Change() {
    const int index = -ChnlScrll->value();
    if (index > kLastRecord) {
        ChnlScrll->setValue(0);  // runs this handler again, which does the rest
        return;
    }
    if (index < 0) {
        ChnlScrll->setValue(-kLastRecord);
        return;
    }
    Summary->verticalScrollBar()->setValue(std::max(index - 2, 0));
    memory_.Current = static_cast<std::int16_t>(index);
    ShowChannel();
}

void MainWindow::Summary_Click() {
    const int row = Summary->currentRow();
    if (!IsRecordIndex(row) || row > kLastRecord) {
        return;
    }
    memory_.Current = static_cast<std::int16_t>(row);
    ShowChannel();
}

void MainWindow::Summary_Scroll() {
    SyncSelectBoxes();  // the boxes follow the lines; the channel shown stays
}

void MainWindow::ChooseSimplex() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{TFrq, TTG, TNAC, TSql, TCTCSS, TDCS, IDCall}) {
        SetLocked(w, true);
    }
    EditorValues values = ReadEditor();
    kld::ChooseSimplex(values, IsShownShadow());
    WriteTransmitSide(values);
}

void MainWindow::Dx_Click() {
    const bool shadow = IsShownShadow();
    if (!shadow) {
        TFrq->setEnabled(true);
        SetLocked(IDCall, false);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{TTG, TNAC, TSql, TCTCSS, TDCS}) {
        SetLocked(w, false);
    }
    // The transmit frequency takes the enabled colour even where a shadow keeps it locked.
    const bool enabled = TFrq->isEnabled();
    SetLocked(TFrq, false);
    TFrq->setEnabled(enabled);
}

void MainWindow::SquelchListsOnModeChange() {
    EditorValues values = ReadEditor();
    if (const auto lists = ModeChanged(values, modesTag_, IsShownShadow())) {
        SetSquelchLists(*lists);
        const Quiet quiet{RSql, TSql};
        SelectSquelch(RSql, values.rxSquelch);
        SelectSquelch(TSql, values.txSquelch);
    }
}

// --- Leave rules -----------------------------------------------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == CommPort) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !closing_) {
            QTimer::singleShot(0, this, [this] { CommPort_LostFocus(); });
        }
    } else if (event->type() == QEvent::FocusOut) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A leave rule runs when the operator moves to another control of this window, not when
        // a message box, a dialog, a menu or another program takes the focus: that way a
        // refusing box asks once and never chases the operator round its own message box.
        if (box != nullptr && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason && !leaving_ &&
            !closing_) {
            QTimer::singleShot(0, this, [this, box] { LeaveRule(box); });
        }
    } else if (watched == Summary->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                                  event->type() == QEvent::MouseButtonDblClick ||
                                                  event->type() == QEvent::MouseButtonRelease ||
                                                  event->type() == QEvent::MouseMove)) {
        // A click on a line shows that channel, which scrolls the list to make it the third line.
        // The list must not then go on with the same click (a release or a move now over another
        // line would highlight that line), so the window takes the mouse off the list's hands.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            const int row = Summary->indexAt(mouse->position().toPoint()).row();
            if (IsRecordIndex(row)) {
                memory_.Current = static_cast<std::int16_t>(row);
                ShowChannel();
            }
        }
        return true;
    } else if (event->type() == QEvent::MouseButtonRelease && Sx->isChecked()) {
        if (watched == RTG || watched == RNAC) {
            EditorValues values = ReadEditor();
            (watched == RTG ? FollowRxTalkGroup : FollowRxNac)(values);
            WriteTransmitSide(values);
        }
    } else if ((event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                event->type() == QEvent::FontChange) &&
               (watched == Summary || watched == Check[0]->parentWidget())) {
        // Six lines tall, the boxes beside them; the row height follows the font.
        if (Summary->count() > 0) {
            const int row = Summary->sizeHintForRow(0);
            const int frame = Summary->frameWidth();
            const int scrollBar = Summary->horizontalScrollBar()->isVisible()
                                      ? Summary->horizontalScrollBar()->sizeHint().height()
                                      : 0;
            Summary->setFixedHeight(row * kSelectionBoxes + 2 * frame + scrollBar);
            const int offset =
                Summary->geometry().top() - Check[0]->parentWidget()->geometry().top();
            for (int k = 0; k < kSelectionBoxes; ++k) {
                QCheckBox* check = Check[static_cast<std::size_t>(k)];
                const int h = check->sizeHint().height();
                check->setGeometry(2, offset + frame + row * k + (row - h) / 2,
                                   check->sizeHint().width(), h);
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::LeaveRule(QLineEdit* box) {
    QWidget* focus = QApplication::focusWidget();
    if (leaving_ || closing_ || focus == box || focus == nullptr || focus->window() != this ||
        QApplication::activeModalWidget() != nullptr) {
        return;
    }
    leaving_ = true;
    bool cancel = false;
    if (box == Channel) {
        cancel = !Channel_Validate();
    } else if (box == RFrq) {
        cancel = !LeaveRxFrequency();
    } else if (box == TFrq) {
        cancel = !LeaveTxFrequency();
    } else if (box == RTG || box == TTG) {
        box->setText(ToQ(CompleteTalkGroup(FromQ(box->text()))));
    } else if (box == RNAC || box == TNAC) {
        box->setText(ToQ(CompleteNac(FromQ(box->text()))));
    }
    if (cancel) {
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
    }
    leaving_ = false;
}

bool MainWindow::Channel_Validate() {
    const int before = memory_.Current;
    if (!EnterChannel(memory_, FromQ(Channel->text()), op_)) {
        return false;
    }
    // The rule runs a moment after the focus has left the box; redrawing the channel already
    // shown would throw away what the operator has typed elsewhere since.
    if (memory_.Current != before) {
        ShowChannel();
    } else {
        const Quiet quiet{Channel};
        Channel->setText(ToQ(ChannelBoxText(memory_.Current)));
    }
    return true;
}

bool MainWindow::LeaveRxFrequency() {
    FrequencyFields fields{FromQ(RFrq->text()), FromQ(TFrq->text()), Sx->isChecked()};
    const bool cancel = kld::LeaveRxFrequency(fields, op_);
    const Quiet quiet{TFrq};
    RFrq->setText(ToQ(fields.rx));
    TFrq->setText(ToQ(fields.tx));
    return !cancel;
}

bool MainWindow::LeaveTxFrequency() {
    FrequencyFields fields{FromQ(RFrq->text()), FromQ(TFrq->text()), Sx->isChecked()};
    const bool cancel = kld::LeaveTxFrequency(fields, op_);
    TFrq->setText(ToQ(fields.tx));
    return !cancel;
}

// --- Storing, shadows, noise squelch ----------------------------------------------------------

void MainWindow::StoreChannel() {
    const StoreOutcome outcome = kld::StoreChannel(memory_, ReadEditor(), op_, [this] {
        return !SaveSettings(memory_.Rec(kDefaultRecord).RFRec, memory_, state_,
                             folder_ / kSettingsFileName);
    });
    if (!outcome.stored) {
        // The leave rules may have rewritten the frequencies; the record is as it was.
        const Quiet quiet{TFrq};
        RFrq->setText(ToQ(outcome.frequencies.rx));
        TFrq->setText(ToQ(outcome.frequencies.tx));
        return;
    }
    IDCall->setText(ToQ(outcome.idCall));
    for (const int n : outcome.changedRecords) {
        SetSummary(n);
    }
    SyncSelectBoxes();
    memory_.Current = static_cast<std::int16_t>(outcome.next);
    ShowChannel();
}

void MainWindow::CreateShadow_Click() {
    frmShadow_->PrimChnl->setText(ToQ(ProposedPrimary(memory_)));
    frmShadow_->exec();
    if (!frmShadow_->ShadowSuccess) {
        return;
    }
    const auto created = kld::CreateShadow(memory_, FromQ(frmShadow_->PrimChnl->text()),
                                           FromQ(frmShadow_->ShadChnl->text()));
    if (!created) {
        return;
    }
    ShowChannel();
    SyncSelectBoxes();
    SetSummary(created->shadow);
    SetSummary(created->primary);
}

void MainWindow::NoiseSquelch_Click() {
    frmSquelch_->SquelchValue->setText(QString::number(memory_.NoiseSquelchLevel));
    frmSquelch_->exec();
    if (frmSquelch_->SquelchSuccess) {
        memory_.NoiseSquelchLevel = frmSquelch_->NoiseSquelch;
    }
}

// --- The summary and the list operations --------------------------------------------------

void MainWindow::SetSummary(int index) {
    if (index >= 0 && index <= kLastRecord && index < Summary->count()) {
        Summary->item(index)->setText(ToQ(SummaryLine(memory_.Rec(index), index)));
    }
}

void MainWindow::RefreshSummary() {
    for (int n = 0; n <= kLastRecord; ++n) {
        SetSummary(n);
    }
}

void MainWindow::SyncSelectBoxes() {
    listBusy_ = true;
    const int top = Summary->verticalScrollBar()->value();
    const auto states = kld::SelectionBoxStates(memory_, top);
    for (std::size_t k = 0; k < Check.size(); ++k) {
        Check[k]->setCheckState(CheckStateOf(states[k]));
        // Announced as the channel it sends, since the box moves from line to line.
        const int line = top + static_cast<int>(k);
        Check[k]->setAccessibleName(IsRecordIndex(line) ? QStringLiteral("Send channel ") +
                                                              ToQ(ChannelBoxText(line))
                                                        : QStringLiteral("Send (no channel)"));
    }
    listBusy_ = false;
}

void MainWindow::Check_Click(int box) {
    if (listBusy_) {
        return;
    }
    const int top = Summary->verticalScrollBar()->value();
    const int state = BoxStateOf(Check[static_cast<std::size_t>(box)]->checkState());
    if (SetSelectionFromBox(memory_, top, box, state)) {
        SetSummary(memory_.Current);  // an erase mark may have come or gone
        ShowChannel();
    } else {
        SyncSelectBoxes();
    }
}

void MainWindow::SelectAllDefined() {
    kld::SelectAllDefined(memory_);
    SyncSelectBoxes();
}

void MainWindow::ClearAllSelections() {
    kld::ClearAllSelections(memory_);
    SyncSelectBoxes();
}

void MainWindow::EraseOrUneraseCurrent() {
    listBusy_ = true;
    const EraseResult result = kld::EraseOrUneraseCurrent(memory_, op_);
    if (result == EraseResult::Removed || result == EraseResult::MarkToggled) {
        const int c = memory_.Current;
        const int top = Summary->verticalScrollBar()->value();
        if (c - top >= 0 && c - top < kSelectionBoxes) {
            Check[static_cast<std::size_t>(c - top)]->setCheckState(
                CheckStateOf(BoxState(memory_.Rec(c))));
        }
        SetSummary(c);
    }
    listBusy_ = false;
}

void MainWindow::TogglePurge() {
    EraseAll->setText(ToQ(kld::TogglePurge(state_)));
    SetPurgeColours(state_.PurgeMode == 1);
    if (state_.PurgeMode == 0) {
        SyncSelectBoxes();
    }
}

void MainWindow::SetPurgeColours(bool inverted) {
    QPalette palette = QApplication::palette(Summary);
    if (inverted) {
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QColor text = palette.color(group, QPalette::Text);
            const QColor base = palette.color(group, QPalette::Base);
            palette.setColor(group, QPalette::Base, text);
            palette.setColor(group, QPalette::Text, base);
        }
    }
    Summary->setPalette(palette);
}

// --- Closing -----------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    if (Transferring()) {
        // The transfer stops first (the end frame goes out, the port closes), then the window
        // closes as it always does, asking about unsaved data.
        host_->RequestCancel();
        closeAfterTransfer_ = true;
        event->ignore();
        return;
    }
    closing_ = true;
    if (!memory_.Saved) {
        const Answer answer = op_.Ask(CloseQuestion());
        // Yes keeps the edits: the window closes only when the save went through. A cancelled
        // or failed save leaves it open with the data.
        const bool close = answer == Answer::No || (answer == Answer::Yes && SaveToFile());
        if (!close) {
            event->ignore();
        }
    }
    for (QDialog* dialog :
         std::initializer_list<QDialog*>{frmShadow_, frmSquelch_, frmIteration_}) {
        if (dialog != nullptr) {
            dialog->hide();
        }
    }
    closing_ = false;
    if (event->isAccepted()) {
        QMainWindow::closeEvent(event);
    }
}

}  // namespace kld::ui
