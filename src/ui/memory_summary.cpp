#include "memory_summary.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>

#include "document.h"
#include "field_rules.h"
#include "list_operations.h"
#include "qt_text.h"
#include "summary.h"

namespace kld::ui {

using Then = Document::Then;

// The summary lines, read from the memory as the list paints them: a refresh of any number of
// lines is one signal, and nothing is copied.
class SummaryModel : public QAbstractListModel {
  public:
    SummaryModel(const ChannelMemory& memory, QObject* parent)
        : QAbstractListModel(parent), memory_(memory) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : kLastRecord + 1;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        return ToQ(SummaryLine(memory_.Rec(index.row()), index.row()));
    }
    void Refresh(int first, int last) {
        emit dataChanged(index(first), index(last), {Qt::DisplayRole});
    }

  private:
    const ChannelMemory& memory_;
};

namespace {

// A selection box: grey shows an erase mark, which only the program sets. The operator's click
// toggles between ticked and clear, and a click on a grey box clears it.
class SelectBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
    }
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

}  // namespace

MemorySummary::MemorySummary(Document& document, Operator& op, QWidget* parent)
    : QGroupBox(QStringLiteral("Memory Summary"), parent), document_(document), op_(op) {
    setObjectName(QStringLiteral("ChnlSummary"));
    // The heading's words sit over their columns in the window's own proportional font, whose
    // blanks are narrower than the list's fixed-pitch ones.
    auto* heading = new QLabel(ToQ(kSummaryHeading));
    heading->setObjectName(QStringLiteral("SummaryHeading"));
    heading->setTextInteractionFlags(Qt::NoTextInteraction);
    model_ = new SummaryModel(document_.Memory(), this);
    Summary = new QListView;
    Summary->setObjectName(QStringLiteral("Summary"));
    Summary->setModel(model_);
    Summary->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Summary->setAccessibleName(QStringLiteral("Memory Summary"));
    Summary->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    Summary->setUniformItemSizes(true);
    Summary->setSelectionMode(QAbstractItemView::SingleSelection);
    Summary->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Summary->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    heading->setBuddy(Summary);
    selectBoxes_ = new QWidget;
    selectBoxes_->setObjectName(QStringLiteral("SelectBoxes"));
    for (std::size_t k = 0; k < Check.size(); ++k) {
        Check[k] = new SelectBox(selectBoxes_);
        Check[k]->setObjectName(QStringLiteral("Check%1").arg(k + 1));
    }
    selectBoxes_->setFixedWidth(Check[0]->sizeHint().width() + 4);
    selectBoxes_->installEventFilter(this);
    Summary->installEventFilter(this);
    // The window takes the mouse off the list's hands (see eventFilter).
    Summary->viewport()->installEventFilter(this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(heading, 0, 1);
    grid->addWidget(selectBoxes_, 1, 0);
    grid->addWidget(Summary, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(2);
    Connect();
}

void MemorySummary::Connect() {
    connect(&document_, &Document::RecordsChanged, this, [this](const QList<int>& indices) {
        model_->Refresh(indices.front(), indices.back());
        SyncSelectBoxes();
    });
    connect(&document_, &Document::MemoryReplaced, this, [this] {
        model_->Refresh(0, kLastRecord);
        SyncSelectBoxes();
    });
    connect(&document_, &Document::CurrentChanged, this, &MemorySummary::FollowCurrent);
    connect(&document_, &Document::PurgeChanged, this, &MemorySummary::ShowPurge);
    // The keyboard in the list shows the channel it moves to.
    connect(Summary->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!following_ && IsRecordIndex(current.row()) && !document_.GoTo(current.row())) {
                    FollowCurrent(document_.Current());  // the operator stayed
                }
            });
    // The boxes follow the lines; the channel shown stays.
    connect(Summary->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { SyncSelectBoxes(); });
    for (int k = 0; k < kSelectionBoxes; ++k) {
        connect(Check[static_cast<std::size_t>(k)], &QCheckBox::clicked, this,
                [this, k] { TakeBoxClick(k); });
    }
}

void MemorySummary::BindListButtons(QPushButton* selectAll, QPushButton* clearAll,
                                    QPushButton* eraseCurrent, QPushButton* purge) {
    connect(selectAll, &QPushButton::clicked, this, [this] {
        document_.Apply(QStringLiteral("Select All"), [](ChannelMemory& memory, ProgramState&) {
            SelectAllDefined(memory);
            return Then::KeepShown;
        });
    });
    connect(clearAll, &QPushButton::clicked, this, [this] {
        document_.Apply(QStringLiteral("Clear All"), [](ChannelMemory& memory, ProgramState&) {
            ClearAllSelections(memory);
            return Then::KeepShown;
        });
    });
    connect(eraseCurrent, &QPushButton::clicked, this, [this] { EraseOrUneraseCurrent(); });
    connect(purge, &QPushButton::clicked, this, [this] { TogglePurge(); });
    purge_ = purge;
    purge_->setText(ToQ(PurgeCaption(document_.State().PurgeMode)));
}

int MemorySummary::TopLine() const {
    return Summary->verticalScrollBar()->value();
}

// The channel shown is highlighted and, where the list allows, the third line in view.
void MemorySummary::FollowCurrent(int index) {
    {
        const QScopedValueRollback following(following_, true);
        Summary->selectionModel()->setCurrentIndex(model_->index(index),
                                                   QItemSelectionModel::ClearAndSelect);
    }
    Summary->verticalScrollBar()->setValue(std::max(index - 2, 0));
    SyncSelectBoxes();
}

void MemorySummary::SyncSelectBoxes() {
    const QScopedValueRollback syncing(syncing_, true);
    const int top = TopLine();
    const auto states = SelectionBoxStates(document_.Memory(), top);
    for (std::size_t k = 0; k < Check.size(); ++k) {
        Check[k]->setCheckState(CheckStateOf(states[k]));
        // Announced as the channel it sends, since the box moves from line to line.
        const int line = top + static_cast<int>(k);
        Check[k]->setAccessibleName(IsRecordIndex(line) ? QStringLiteral("Send channel ") +
                                                              ToQ(ChannelBoxText(line))
                                                        : QStringLiteral("Send (no channel)"));
    }
}

void MemorySummary::TakeBoxClick(int box) {
    if (syncing_) {
        return;
    }
    // The channel on the box's line is shown next.
    if (!document_.MayLeaveCurrent()) {
        SyncSelectBoxes();
        return;
    }
    const int top = TopLine();
    const int state = BoxStateOf(Check[static_cast<std::size_t>(box)]->checkState());
    const QString step = (state == kBoxTicked ? QStringLiteral("Select Channel ")
                                              : QStringLiteral("Deselect Channel ")) +
                         ToQ(ChannelBoxText(top + box));
    bool set = false;
    document_.Apply(step, [&](ChannelMemory& memory, ProgramState&) {
        // The channel on that line becomes the one shown, an erase mark may have come or gone.
        set = SetSelectionFromBox(memory, top, box, state);
        return set ? Then::ShowCurrent : Then::KeepShown;
    });
    if (!set) {
        SyncSelectBoxes();
    }
}

void MemorySummary::EraseOrUneraseCurrent() {
    const QScopedValueRollback syncing(syncing_, true);
    const bool erased = document_.Memory().Rec(document_.Current()).IsErased();
    document_.Apply(erased ? QStringLiteral("Unerase") : QStringLiteral("Erase"),
                    [this](ChannelMemory& memory, ProgramState&) {
                        kld::EraseOrUneraseCurrent(memory, op_);
                        return Then::KeepShown;  // the editor shows the record as it was
                    });
}

void MemorySummary::TogglePurge() {
    document_.Apply(document_.Purging() ? QStringLiteral("Purge off") : QStringLiteral("Purge on"),
                    [](ChannelMemory&, ProgramState& state) {
                        kld::TogglePurge(state);
                        return Then::KeepShown;
                    });
}

void MemorySummary::ShowPurge(bool purging) {
    if (purge_ != nullptr) {
        purge_->setText(ToQ(PurgeCaption(document_.State().PurgeMode)));
    }
    QPalette palette = QApplication::palette(Summary);
    if (purging) {
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QColor text = palette.color(group, QPalette::Text);
            const QColor base = palette.color(group, QPalette::Base);
            palette.setColor(group, QPalette::Base, text);
            palette.setColor(group, QPalette::Text, base);
        }
    }
    Summary->setPalette(palette);
    if (!purging) {
        SyncSelectBoxes();
    }
}

bool MemorySummary::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == Summary->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
         type == QEvent::MouseButtonRelease || type == QEvent::MouseMove)) {
        // A click on a line shows that channel, which scrolls the list to make it the third line.
        // The list must not then go on with the same click (a release or a move now over another
        // line would highlight that line), so the list never sees the mouse.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            const int row = Summary->indexAt(mouse->position().toPoint()).row();
            if (IsRecordIndex(row)) {
                document_.GoTo(row);
            }
        }
        return true;
    }
    if ((type == QEvent::Resize || type == QEvent::Show || type == QEvent::FontChange) &&
        (watched == Summary || watched == selectBoxes_)) {
        PlaceSelectBoxes();
    }
    return QGroupBox::eventFilter(watched, event);
}

// Six lines tall, the boxes beside them; the row height follows the font.
void MemorySummary::PlaceSelectBoxes() {
    const int row = Summary->sizeHintForRow(0);
    const int frame = Summary->frameWidth();
    const int scrollBar = Summary->horizontalScrollBar()->isVisible()
                              ? Summary->horizontalScrollBar()->sizeHint().height()
                              : 0;
    Summary->setFixedHeight(row * kSelectionBoxes + 2 * frame + scrollBar);
    const int offset = Summary->geometry().top() - selectBoxes_->geometry().top();
    for (int k = 0; k < kSelectionBoxes; ++k) {
        QCheckBox* check = Check[static_cast<std::size_t>(k)];
        const int h = check->sizeHint().height();
        check->setGeometry(2, offset + frame + row * k + (row - h) / 2, check->sizeHint().width(),
                           h);
    }
}

}  // namespace kld::ui
