#include "iteration_dialog.h"

#include <QShowEvent>

#include "dialog_pieces.h"
#include "key_filter.h"

namespace kld::ui {

namespace {

// Five digits hold any 16-bit count.
constexpr int kIterationChars = 5;

}  // namespace

IterationDialog::IterationDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmIteration"));
    setWindowTitle(QStringLiteral("Set Interations"));
    Iterations = pieces::NumberBox("Iterations", kIterationChars, this);
    // The box has no label: 0 writes the channel dump, any other count runs the test.
    Iterations->setAccessibleName(QStringLiteral("Number of transfer test rounds, 0 for the dump"));
    InstallDigitRule(Iterations);
    auto* ok = pieces::Button(QStringLiteral("OK"), "cmdOK", this);
    auto* cancel = pieces::Button(QStringLiteral("Cancel"), "cmdCancel", this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Iterations, 0, 0);
    pieces::FinishLayout(this, grid, ok, cancel);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString IterationDialog::Count() const {
    return Iterations->text();
}

void IterationDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;  // shown again by the system (restored), not opened: keep what was typed
    }
    Iterations->selectAll();
    Iterations->setFocus();
}

}  // namespace kld::ui
