#include "editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <cstdlib>

#include "document.h"
#include "field_rules.h"
#include "key_filter.h"
#include "qt_text.h"
#include "quiet.h"
#include "settings_file.h"
#include "shadow_dialog.h"
#include "shadows.h"
#include "squelch_dialog.h"
#include "squelch_modes.h"
#include "tables.h"

namespace kld::ui {

namespace {

using Then = Document::Then;

constexpr int kWheelNotch = 120;  // eighths of a degree, as wheel events count them

std::optional<std::int16_t> SquelchOf(const QComboBox* box) {
    if (box->currentIndex() < 0) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(box->currentData().toInt());
}

void SelectIndex(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

}  // namespace

ChannelEditor::ChannelEditor(Document& document, Operator& op, std::filesystem::path folder,
                             QWidget* parent)
    : QWidget(parent), document_(document), op_(op), folder_(std::move(folder)) {
    BuildLayout();
}

void ChannelEditor::Prepare() {
    shadowDialog_ = new ShadowDialog(document_.Memory(), op_, this);
    squelchDialog_ = new SquelchDialog(op_, this);

    const Quiet quiet{Modes, RCTCSS, TCTCSS, RDCS, TDCS};
    for (const TableEntry& entry : CtcssTable()) {
        RCTCSS->addItem(ToQ(entry.text));
        TCTCSS->addItem(ToQ(entry.text));
    }
    for (const TableEntry& entry : DcsTable()) {
        RDCS->addItem(ToQ(entry.text));
        TDCS->addItem(ToQ(entry.text));
    }
    for (const TableEntry& entry : ModeTable()) {
        Modes->addItem(ToQ(entry.text), entry.code);
    }
    Modes->setCurrentIndex(0);
    shownMode_ = 0;
    InstallRules();
    Connect();
    document_.SetLeaveGuard([this] { return MayLeaveChannel(); });
}

void ChannelEditor::InstallRules() {
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
    // The leave rules; and a click into the receive talk group or NAC copies it across in
    // simplex.
    for (QLineEdit* box : {Channel, RFrq, TFrq, RTG, TTG, RNAC, TNAC}) {
        box->installEventFilter(this);
    }
    ChnlScrll->installEventFilter(this);  // its wheel
}

void ChannelEditor::Connect() {
    connect(&document_, &Document::CurrentChanged, this, [this] { ShowCurrent(); });
    connect(ChnlScrll, &QScrollBar::valueChanged, this, [this] { MoveWithScrollBar(); });
    connect(Sx, &QRadioButton::clicked, this, [this] { ChooseSimplex(); });
    connect(Dx, &QRadioButton::clicked, this, [this] { ChooseDuplex(); });
    connect(Modes, &QComboBox::currentIndexChanged, this, [this] { RefillSquelchListsForMode(); });

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
        if (!GoToTypedChannel()) {
            Channel->selectAll();
        }
    });

    connect(Save, &QPushButton::clicked, this, [this] { StoreChannel(); });
    connect(CreateShadowButton, &QPushButton::clicked, this, [this] { CreateShadow(); });
    connect(NoiseSquelch, &QPushButton::clicked, this, [this] { SetNoiseSquelchLevel(); });
}

// --- Reading and writing the boxes ----------------------------------------------------------

EditorValues ChannelEditor::ReadEditor() const {
    EditorValues v;
    if (Zone->currentIndex() >= 0) {
        v.list = Zone->currentData().toInt();
    }
    v.scan = SM1->isChecked();
    v.mode = Modes->currentIndex();
    v.simplex = Sx->isChecked();
    v.desc = FromQ(Desc->text());
    v.rxFreq = FromQ(RFrq->text());
    v.txFreq = FromQ(TFrq->text());
    v.rxSquelch = SquelchOf(RSql);
    v.txSquelch = SquelchOf(TSql);
    v.rxCtcss = RCTCSS->currentIndex();
    v.rxDcs = RDCS->currentIndex();
    v.txCtcss = TCTCSS->currentIndex();
    v.txDcs = TDCS->currentIndex();
    v.rxTalkGroup = FromQ(RTG->text());
    v.txTalkGroup = FromQ(TTG->text());
    v.rxNac = FromQ(RNAC->text());
    v.txNac = FromQ(TNAC->text());
    v.idCall = FromQ(IDCall->text());
    return v;
}

// Shows what a rule made of the transmit side. Only changed boxes are touched, so the caret of
// a box the operator is typing in stays where it is.
void ChannelEditor::WriteTransmitSide(const EditorValues& v) {
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

void ChannelEditor::SetSquelchLists(const SquelchLists& lists) {
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
void ChannelEditor::SelectSquelch(QComboBox* box, std::optional<std::int16_t> code) {
    box->setCurrentIndex(code ? box->findData(*code) : -1);
}

void ChannelEditor::SetLocked(QWidget* control, bool locked) {
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

bool ChannelEditor::IsShownShadow() const {
    const int current = document_.Current();
    return IsRecordIndex(current) && document_.Memory().Rec(current).IsShadow();
}

// --- Showing a channel and moving between channels ------------------------------------------

void ChannelEditor::ShowCurrent() {
    const ChannelView view = document_.ViewCurrentChannel();
    const EditorValues& v = view.values;
    const Quiet quiet{Zone, Modes, RSql, TSql, RCTCSS, TCTCSS, RDCS,   TDCS,      RFrq,
                      TFrq, RTG,   TTG,  RNAC, TNAC,   Desc,   IDCall, ChnlScrll, Channel};

    Zone->clear();
    for (const ZoneChoice& zone : view.zones) {
        Zone->addItem(ToQ(zone.text), zone.list);
    }
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
    shownMode_ = v.mode;  // -1 when the record holds no mode the list offers
    SetSquelchLists(view.squelch);

    RFrq->setText(ToQ(v.rxFreq));
    SelectSquelch(RSql, v.rxSquelch);
    SelectIndex(RCTCSS, v.rxCtcss);
    SelectIndex(RDCS, v.rxDcs);
    RTG->setText(ToQ(v.rxTalkGroup));
    RNAC->setText(ToQ(v.rxNac));
    IDCall->setText(ToQ(v.idCall));
    WriteTransmitSide(v);

    ChnlScrll->setValue(-view.index);
    if (v.simplex) {
        Sx->setChecked(true);
        ChooseSimplex();
    } else {
        Dx->setChecked(true);
        ChooseDuplex();
    }
    shownValues_ = StoredForm(ReadEditor());
}

// What a store would take from these values: the leave rules complete talk groups and NACs, so
// tabbing through a box without typing is no edit.
EditorValues ChannelEditor::StoredForm(EditorValues values) {
    for (std::string* group : {&values.rxTalkGroup, &values.txTalkGroup}) {
        *group = CompleteTalkGroup(*group);
    }
    for (std::string* nac : {&values.rxNac, &values.txNac}) {
        *nac = CompleteNac(*nac);
    }
    return values;
}

bool ChannelEditor::HasUnstoredEdits() const {
    return StoredForm(ReadEditor()) != shownValues_;
}

// Before the channel shown goes (another channel, another memory), edits typed into the boxes
// and not stored are kept, dropped or the move called off, as the operator says. A store that
// its rules refuse keeps the operator on the channel, with the edits.
bool ChannelEditor::MayLeaveChannel() {
    if (asking_) {
        return false;  // nothing moves while the question is up
    }
    if (!HasUnstoredEdits()) {
        return true;
    }
    // A scroll bar arrow held down would go on stepping under the question, its release going to
    // the question: a scroll bar disabled for a moment stops repeating.
    ChnlScrll->setEnabled(false);
    ChnlScrll->setEnabled(true);
    const QScopedValueRollback asking(asking_, true);
    const Answer answer =
        op_.Ask({"Store the changes to channel " + ChannelBoxText(document_.Current()) + "?", "",
                 Icon::Warning, Buttons::StoreDiscardCancel,
                 "The boxes hold changes that Save Record has not stored yet. Discard drops "
                 "them; Cancel stays on this channel."});
    switch (answer) {
        case Answer::Yes:
            StoreChannel();
            return !HasUnstoredEdits();
        case Answer::No:
            ShowCurrent();  // dropped now, whatever the move then does
            return true;
        case Answer::Ok:
        case Answer::Cancel:
            break;
    }
    return false;
}

// The bar runs over the channels negated, with one step past each end to wrap round.
void ChannelEditor::MoveWithScrollBar() {
    const int index = -ChnlScrll->value();
    if (index > kLastRecord) {
        ChnlScrll->setValue(0);  // runs this handler again, which does the rest
        return;
    }
    if (index < 0) {
        ChnlScrll->setValue(-kLastRecord);
        return;
    }
    if (!document_.GoTo(index)) {
        const Quiet quiet{ChnlScrll};
        ChnlScrll->setValue(-document_.Current());
    }
}

void ChannelEditor::ChooseSimplex() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{TFrq, TTG, TNAC, TSql, TCTCSS, TDCS, IDCall}) {
        SetLocked(w, true);
    }
    EditorValues values = ReadEditor();
    kld::ChooseSimplex(values, IsShownShadow());
    WriteTransmitSide(values);
}

void ChannelEditor::ChooseDuplex() {
    if (!IsShownShadow()) {
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

void ChannelEditor::RefillSquelchListsForMode() {
    EditorValues values = ReadEditor();
    if (const auto lists = ModeChanged(values, shownMode_, IsShownShadow())) {
        SetSquelchLists(*lists);
        const Quiet quiet{RSql, TSql};
        SelectSquelch(RSql, values.rxSquelch);
        SelectSquelch(TSql, values.txSquelch);
    }
}

// --- Leave rules -------------------------------------------------------------------------------

bool ChannelEditor::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::FocusOut && box != nullptr) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A leave rule runs when the operator moves to another control of this window, not when
        // a message box, a dialog, a menu or another program takes the focus: that way a
        // refusing box asks once and never chases the operator round its own message box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            reason != Qt::MenuBarFocusReason && !leaving_ && !held_) {
            QTimer::singleShot(0, this, [this, box] { RunLeaveRule(box); });
        }
    } else if (event->type() == QEvent::MouseButtonRelease && Sx->isChecked() &&
               (box == RTG || box == RNAC)) {
        EditorValues values = ReadEditor();
        (box == RTG ? FollowRxTalkGroup : FollowRxNac)(values);
        WriteTransmitSide(values);
    } else if (event->type() == QEvent::KeyPress && box == Channel &&
               StepWithKey(*static_cast<QKeyEvent*>(event))) {
        return true;
    } else if (event->type() == QEvent::Wheel && watched == ChnlScrll) {
        // A notch of the wheel is one channel, as a click of the radio's knob; the bar on its
        // own would move several lines at a time, up to its page.
        // A move the operator calls off (edits not stored) ends the turn.
        wheelTurn_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
        while (std::abs(wheelTurn_) >= kWheelNotch) {
            const bool up = wheelTurn_ > 0;
            wheelTurn_ -= up ? kWheelNotch : -kWheelNotch;
            const int before = document_.Current();
            ChnlScrll->triggerAction(up ? QAbstractSlider::SliderSingleStepSub
                                        : QAbstractSlider::SliderSingleStepAdd);
            if (document_.Current() == before) {
                wheelTurn_ = 0;
            }
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The channel box steps as the scroll bar beside it does, through the bar's own action, so that
// the wrap at the ends and whatever else a move of the bar does apply to the keys as well.
bool ChannelEditor::StepWithKey(const QKeyEvent& key) {
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    switch (key.key()) {
        case Qt::Key_Up:  // the bar runs negated: its lower values are the higher channels
            action = QAbstractSlider::SliderSingleStepSub;
            break;
        case Qt::Key_Down:
            action = QAbstractSlider::SliderSingleStepAdd;
            break;
        case Qt::Key_PageUp:
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_PageDown:
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        default:
            return false;
    }
    ChnlScrll->triggerAction(action);
    Channel->selectAll();  // so that a number typed next replaces the one shown
    return true;
}

void ChannelEditor::RunLeaveRule(QLineEdit* box) {
    QWidget* focus = QApplication::focusWidget();
    if (leaving_ || held_ || focus == box || focus == nullptr || focus->window() != window() ||
        QApplication::activeModalWidget() != nullptr) {
        return;
    }
    leaving_ = true;
    bool cancel = false;
    if (box == Channel) {
        cancel = !GoToTypedChannel();
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

bool ChannelEditor::GoToTypedChannel() {
    const std::optional<int> index = ChannelLeaveRule(FromQ(Channel->text()), op_);
    if (!index) {
        return false;
    }
    // The rule runs a moment after the focus has left the box; redrawing the channel already
    // shown would throw away what the operator has typed elsewhere since. A move the operator
    // calls off leaves the box naming the channel shown.
    if (*index != document_.Current() && document_.GoTo(*index)) {
        return true;
    }
    const Quiet quiet{Channel};
    Channel->setText(ToQ(ChannelBoxText(document_.Current())));
    return true;
}

bool ChannelEditor::LeaveRxFrequency() {
    FrequencyFields fields{FromQ(RFrq->text()), FromQ(TFrq->text()), Sx->isChecked()};
    const bool cancel = kld::LeaveRxFrequency(fields, op_);
    const Quiet quiet{TFrq};
    RFrq->setText(ToQ(fields.rx));
    TFrq->setText(ToQ(fields.tx));
    return !cancel;
}

bool ChannelEditor::LeaveTxFrequency() {
    FrequencyFields fields{FromQ(RFrq->text()), FromQ(TFrq->text()), Sx->isChecked()};
    const bool cancel = kld::LeaveTxFrequency(fields, op_);
    TFrq->setText(ToQ(fields.tx));
    return !cancel;
}

// --- Storing, shadows, noise squelch ------------------------------------------------------------

void ChannelEditor::StoreChannel() {
    const EditorValues values = ReadEditor();
    StoreOutcome outcome;
    const QString step =
        QStringLiteral("Store Channel ") + ToQ(ChannelBoxText(document_.Current()));
    const bool applied = document_.Apply(step, [&](ChannelMemory& memory, ProgramState& state) {
        outcome = kld::StoreChannel(memory, values, op_, [&] {
            return !SaveSettings(memory.Rec(kDefaultRecord).RFRec, memory, state,
                                 folder_ / kSettingsFileName);
        });
        if (!outcome.stored) {
            return Then::KeepShown;
        }
        memory.Current = static_cast<std::int16_t>(outcome.next);
        return Then::ShowCurrent;
    });
    if (applied && !outcome.stored) {
        // The leave rules may have rewritten the frequencies; the record is as it was.
        const Quiet quiet{TFrq};
        RFrq->setText(ToQ(outcome.frequencies.rx));
        TFrq->setText(ToQ(outcome.frequencies.tx));
    }
}

void ChannelEditor::CreateShadow() {
    shadowDialog_->SetPrimary(ToQ(ProposedPrimary(document_.Memory())));
    if (shadowDialog_->exec() != QDialog::Accepted) {
        return;
    }
    if (!document_.MayLeaveCurrent()) {
        return;  // the new shadow is shown next
    }
    const std::string primary = FromQ(shadowDialog_->Primary());
    const std::string shadow = FromQ(shadowDialog_->Shadow());
    document_.Apply(QStringLiteral("Create Shadow"), [&](ChannelMemory& memory, ProgramState&) {
        return kld::CreateShadow(memory, primary, shadow) ? Then::ShowCurrent : Then::KeepShown;
    });
}

void ChannelEditor::SetNoiseSquelchLevel() {
    squelchDialog_->SetLevel(document_.Memory().NoiseSquelchLevel);
    if (squelchDialog_->exec() != QDialog::Accepted) {
        return;
    }
    const std::uint8_t level = squelchDialog_->Level();
    document_.Apply(QStringLiteral("Noise Squelch Level"),
                    [level](ChannelMemory& memory, ProgramState&) {
                        memory.NoiseSquelchLevel = level;
                        return Then::KeepShown;
                    });
}

}  // namespace kld::ui
