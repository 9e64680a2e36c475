#include "fleet_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "document.h"
#include "listings.h"
#include "qt_text.h"
#include "radio_finder.h"
#include "status_text.h"
#include "tool_tips.h"
#include "window_dialogs.h"

namespace kld::ui {

namespace {

enum Column { kPort, kDevice, kProgress, kOutcome, kSeconds, kColumns };

constexpr const char* kTitle = "Program Several Radios";
constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv|All files (*.*)|*.*";
// Often enough that a bar moves smoothly, seldom enough to cost nothing.
constexpr int kFollowEveryMs = 150;

Message DialogMessage(std::string text, Icon icon, Buttons buttons, std::string detail = {}) {
    return {std::move(text), kTitle, icon, buttons, std::move(detail)};
}

QString RadiosText(std::size_t count) {
    return count == 1 ? QStringLiteral("1 radio") : QStringLiteral("%1 radios").arg(count);
}

// "Each of the 3 radios is erased ..." asked once for them all, before any port opens.
std::string EraseQuestion(std::size_t count) {
    const std::string who =
        count == 1 ? "The radio is" : "Each of the " + std::to_string(count) + " radios is";
    return who +
           " erased when its memory must be cleared before the channels are sent. What it "
           "holds is read into the backups folder first.\n\nErase the radios that need it and "
           "send?";
}

}  // namespace

FleetDialog::FleetDialog(Document& document, Operator& op, WindowDialogs& dialogs, QWidget* parent)
    : QDialog(parent), document_(document), op_(op), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmFleet"));
    setWindowTitle(QString::fromLatin1(kTitle));
    setModal(true);

    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("FleetTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device"),
                                       QStringLiteral("Progress"), QStringLiteral("Outcome"),
                                       QStringLiteral("Seconds")});
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kProgress, QHeaderView::Stretch);
    header->setSectionResizeMode(kOutcome, QHeaderView::Stretch);

    erase_ = new QCheckBox(
        QStringLiteral("&Erase each radio when needed (copy it to the backups folder first)"),
        this);
    erase_->setObjectName(QStringLiteral("FleetErase"));
    verify_ = new QCheckBox(QStringLiteral("&Verify each radio after sending"), this);
    verify_->setObjectName(QStringLiteral("FleetVerify"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("FleetSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const auto button = [this](const char* caption, const char* name) {
        auto* made = new QPushButton(QString::fromLatin1(caption), this);
        made->setObjectName(QLatin1String(name));
        made->setAutoDefault(false);
        return made;
    };
    refresh_ = button("&Refresh Ports", "FleetRefresh");
    start_ = button("&Start", "FleetStart");
    stop_ = button("S&top", "FleetStop");
    save_ = button("Save Re&port...", "FleetSaveReport");
    close_ = button("Close", "FleetClose");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh_);
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Tick the port of each radio to program. Each is sent the memory in the "
                       "window, its ticked channels and its purge, as Download (to Radio) sends "
                       "them."),
        this));
    layout->itemAt(0)->widget()->setProperty("wordWrap", true);
    layout->addWidget(table_, 1);
    layout->addWidget(erase_);
    layout->addWidget(verify_);
    layout->addWidget(summary_);
    layout->addLayout(buttons);
    resize(860, 420);

    connect(refresh_, &QPushButton::clicked, this, &FleetDialog::ListPorts);
    connect(start_, &QPushButton::clicked, this, &FleetDialog::Start);
    connect(stop_, &QPushButton::clicked, this, &FleetDialog::Stop);
    connect(save_, &QPushButton::clicked, this, &FleetDialog::SaveReport);
    connect(close_, &QPushButton::clicked, this, &FleetDialog::reject);
    connect(&poll_, &QTimer::timeout, this, &FleetDialog::Follow);
    poll_.setInterval(kFollowEveryMs);
    ShowIdle();
    ExplainControls(*this);
}

// Each radio still running stops and is waited for (Fleet's destructor).
FleetDialog::~FleetDialog() = default;

void FleetDialog::Run() {
    if (!Running()) {
        ListPorts();
    }
    exec();
}

bool FleetDialog::Running() const {
    return fleet_ && fleet_->Running();
}

std::vector<int> FleetDialog::TickedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (table_->item(row, kPort)->checkState() == Qt::Checked) {
            rows.push_back(row);
        }
    }
    return rows;
}

void FleetDialog::ListPorts() {
    if (Running()) {
        return;
    }
    std::vector<int> ticked;
    for (const int row : TickedRows()) {
        ticked.push_back(ports_[static_cast<std::size_t>(row)].number);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ports_ = FindOpenablePorts();
    QApplication::restoreOverrideCursor();
    fleet_.reset();
    rowOfRadio_.clear();
    table_->setRowCount(0);
    table_->setRowCount(static_cast<int>(ports_.size()));
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        const PortEntry& port = ports_[i];
        const int row = static_cast<int>(i);
        auto* name = new QTableWidgetItem(QStringLiteral("COM%1").arg(port.number));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        const bool wasTicked = std::ranges::find(ticked, port.number) != ticked.end();
        name->setCheckState(wasTicked ? Qt::Checked : Qt::Unchecked);
        table_->setItem(row, kPort, name);
        const std::string adapter = port.AdapterText();
        table_->setItem(
            row, kDevice,
            new QTableWidgetItem(FromSystem(port.device) +
                                 (adapter.empty() ? QString() : "  " + FromSystem(adapter))));
        auto* bar = new QProgressBar;
        bar->setRange(0, kLastRecord);
        bar->setValue(0);
        bar->setFormat(QString());
        table_->setCellWidget(row, kProgress, bar);
        table_->setItem(row, kOutcome, new QTableWidgetItem);
        table_->setItem(row, kSeconds, new QTableWidgetItem);
        table_->item(row, kSeconds)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    summary_->setText(
        ports_.empty()
            ? QStringLiteral("No serial port can be opened. Plug in the programming cables (or "
                             "their USB adapters), then press Refresh Ports.")
            : QString());
    ShowIdle();
}

void FleetDialog::Start() {
    if (Running()) {
        return;
    }
    const std::vector<int> rows = TickedRows();
    if (rows.empty()) {
        op_.Tell(DialogMessage("No port is ticked.", Icon::Information, Buttons::Ok,
                               "Tick the port of each radio to program."));
        return;
    }
    // Edits not yet stored in the channel shown go with the plan if the operator says so.
    if (!document_.MayLeaveCurrent()) {
        return;
    }
    if (const auto problem = CheckPlan(document_.Memory(), document_.State())) {
        op_.Tell(problem->AsMessage());
        return;
    }
    FleetOptions options;
    options.eraseAllowed = erase_->isChecked();
    options.copyRadio = true;
    options.verify = verify_->isChecked();
    if (options.eraseAllowed && op_.Ask(DialogMessage(EraseQuestion(rows.size()), Icon::Warning,
                                                      Buttons::YesNo)) != Answer::Yes) {
        summary_->setText(QStringLiteral("Nothing was sent."));
        return;
    }

    fleet_.reset();
    fleet_ = std::make_unique<Fleet>(document_.Memory(), document_.State(), options, MakePortLine,
                                     StartQtThread);
    rowOfRadio_.clear();
    for (int row = 0; row < table_->rowCount(); ++row) {
        auto* bar = static_cast<QProgressBar*>(table_->cellWidget(row, kProgress));
        bar->setValue(0);
        bar->setFormat(QString());
        for (const int column : {kOutcome, kSeconds}) {
            table_->item(row, column)->setText(QString());
            table_->item(row, column)->setToolTip(QString());
        }
    }
    for (const int row : rows) {
        const PortEntry& port = ports_[static_cast<std::size_t>(row)];
        fleet_->Start(port.number, port.device);
        rowOfRadio_.push_back(row);
    }
    summary_->setText(QStringLiteral("Programming %1...").arg(RadiosText(rows.size())));
    ShowIdle();
    poll_.start();
    Follow();
}

void FleetDialog::Stop() {
    if (!Running()) {
        return;
    }
    fleet_->StopAll();
    stop_->setEnabled(false);
    summary_->setText(QStringLiteral("Stopping every radio..."));
}

// Where each radio stands, as its thread last said; the window's thread never waits for one.
void FleetDialog::Follow() {
    if (!fleet_) {
        return;
    }
    const bool running = fleet_->Running();  // before the snapshot: ended then, ended in it
    const std::vector<Fleet::RadioView> radios = fleet_->Snapshot();
    for (std::size_t i = 0; i < radios.size() && i < rowOfRadio_.size(); ++i) {
        const Fleet::RadioView& radio = radios[i];
        const int row = rowOfRadio_[i];
        auto* bar = static_cast<QProgressBar*>(table_->cellWidget(row, kProgress));
        if (!radio.report) {
            bar->setValue(radio.progress.value);
            bar->setFormat(FromSystem(radio.progress.status));
            continue;
        }
        const RadioReport& report = *radio.report;
        // The bar says it in a word; the outcome's cell has the whole of it, and its tooltip
        // what the outcome cannot say and where the radio's copy went.
        bar->setValue(report.ok ? kLastRecord : radio.progress.value);
        bar->setFormat(report.ok ? QStringLiteral("Programmed") : QStringLiteral("Not programmed"));
        QTableWidgetItem* outcome = table_->item(row, kOutcome);
        outcome->setText(FromSystem(report.outcome) +
                         (report.verify.empty() ? QString() : "  " + FromSystem(report.verify)));
        outcome->setForeground(report.ok ? palette().text() : QBrush(Qt::red));
        QString told = outcome->text();
        for (const auto& [label, text] :
             {std::pair("", report.detail), {"Backup: ", report.backup}}) {
            if (!text.empty()) {
                told += "\n" + QString::fromLatin1(label) + FromSystem(text);
            }
        }
        outcome->setToolTip(told);
        table_->item(row, kSeconds)->setText(QString::number(report.seconds, 'f', 1));
    }
    if (!running) {
        Finish();
    }
}

void FleetDialog::Finish() {
    poll_.stop();
    const std::vector<RadioReport> reports = fleet_->Reports();
    const auto good = std::ranges::count_if(reports, [](const RadioReport& r) { return r.ok; });
    const QString text =
        QStringLiteral("%1 of %2 programmed.").arg(good).arg(RadiosText(reports.size()));
    summary_->setText(text);
    ShowIdle();
    emit StatusMessage(text);
    emit AllEnded();
}

// The buttons that may be used now: while radios run only Stop and Close.
void FleetDialog::ShowIdle() {
    const bool running = Running();
    for (QWidget* control : std::initializer_list<QWidget*>{refresh_, erase_, verify_}) {
        control->setEnabled(!running);
    }
    start_->setEnabled(!running && !ports_.empty());
    stop_->setEnabled(running);
    save_->setEnabled(!running && fleet_ && !fleet_->Reports().empty());
    for (int row = 0; row < table_->rowCount(); ++row) {
        table_->item(row, kPort)
            ->setFlags(running ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    }
}

void FleetDialog::SaveReport() {
    if (Running() || !fleet_) {
        return;
    }
    const auto name = dialogs_.SaveFileName(QStringLiteral("Save the report as CSV"),
                                            QtFilter(QString::fromLatin1(kCsvFilter)),
                                            PresetFileName(reportName_));
    if (!name) {
        return;
    }
    reportName_ = *name;
    const std::filesystem::path path(name->toStdString());
    if (const auto failed = WriteTextFile(path, FleetReportCsv(fleet_->Reports()))) {
        op_.Tell(failed->AsMessage());
        summary_->setText(
            QStringLiteral("The report was not saved: %1").arg(FromSystem(failed->message)));
        return;
    }
    summary_->setText(summary_->text().section(u'\n', 0, 0) + QStringLiteral("\nReport saved to ") +
                      FileNameText(path));
}

void FleetDialog::reject() {
    if (Running()) {
        const std::size_t count = std::ranges::count_if(
            fleet_->Snapshot(), [](const Fleet::RadioView& radio) { return !radio.report; });
        const Answer answer = op_.Ask(DialogMessage(
            FromQ(RadiosText(count)) + (count == 1 ? " is" : " are") +
                " still being programmed. Stop and close?",
            Icon::Warning, Buttons::YesNo,
            "A radio stopped part way holds only some of the channels; send to it again."));
        if (answer != Answer::Yes) {
            return;
        }
        // Each radio ends at its next wait, the end frame sent and its port closed.
        fleet_->StopAll();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        fleet_->WaitAll();
        QApplication::restoreOverrideCursor();
        Follow();
    }
    QDialog::reject();
}

}  // namespace kld::ui
