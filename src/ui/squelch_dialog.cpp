#include "squelch_dialog.h"

#include <QShowEvent>

#include "dialog_parts.h"
#include "field_rules.h"
#include "key_filter.h"
#include "qt_text.h"
#include "squelch_modes.h"

namespace kld::ui {

SquelchDialog::SquelchDialog(Operator& op, QWidget* parent) : QDialog(parent), op_(op) {
    setObjectName(QStringLiteral("frmSquelch"));
    setWindowTitle(QStringLiteral("Noise Squelch"));
    SquelchValue = parts::NumberBox("SquelchValue", kSquelchValueChars, this);
    InstallDigitRule(SquelchValue);
    cmdOK = parts::Button(QStringLiteral("OK"), "cmdOK", this);
    cmdCancel = parts::Button(QStringLiteral("Cancel"), "cmdCancel", this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(parts::BuddyLabel(QStringLiteral("Value  (0 - 15)"), SquelchValue, this), 0, 0);
    grid->addWidget(SquelchValue, 0, 1);
    parts::FinishLayout(this, grid, cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &SquelchDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &SquelchDialog::cmdCancel_Click);
}

void SquelchDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;  // shown again by the system (restored), not opened: keep what was typed
    }
    SquelchSuccess = false;
    SquelchValue->setEnabled(true);
    SquelchValue->setVisible(true);
    SquelchValue->selectAll();
    SquelchValue->setFocus();
}

void SquelchDialog::cmdOK_Click() {
    if (const auto level = AcceptNoiseSquelchLevel(FromQ(SquelchValue->text()), op_)) {
        NoiseSquelch = *level;
        SquelchSuccess = true;
        accept();
    }
}

void SquelchDialog::cmdCancel_Click() {
    SquelchSuccess = false;
    reject();
}

}  // namespace kld::ui
