#include "iteration_dialog.h"

#include <QShowEvent>

#include "dialog_parts.h"
#include "key_filter.h"

namespace kld::ui {

namespace {

// Five digits hold any 16-bit count.
constexpr int kIterationChars = 5;

}  // namespace

IterationDialog::IterationDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmIteration"));
    setWindowTitle(QStringLiteral("Set Interations"));
    Iterations = parts::NumberBox("Iterations", kIterationChars, this);
    // The box has no label: 0 writes the channel dump, any other count runs the test.
    Iterations->setAccessibleName(QStringLiteral("Number of transfer test rounds, 0 for the dump"));
    InstallDigitRule(Iterations);
    cmdOK = parts::Button(QStringLiteral("OK"), "cmdOK", this);
    cmdCancel = parts::Button(QStringLiteral("Cancel"), "cmdCancel", this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Iterations, 0, 0);
    parts::FinishLayout(this, grid, cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, [this] {
        IterSuccess = true;
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        IterSuccess = false;
        reject();
    });
}

void IterationDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;  // shown again by the system (restored), not opened: keep what was typed
    }
    IterSuccess = false;
    Iterations->selectAll();
    Iterations->setFocus();
}

}  // namespace kld::ui
