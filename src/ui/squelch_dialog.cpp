#include "squelch_dialog.h"

#include <QShowEvent>

#include "dialog_pieces.h"
#include "field_rules.h"
#include "key_filter.h"
#include "qt_text.h"
#include "squelch_modes.h"

namespace kld::ui {

SquelchDialog::SquelchDialog(Operator& op, QWidget* parent) : QDialog(parent), op_(op) {
    setObjectName(QStringLiteral("frmSquelch"));
    setWindowTitle(QStringLiteral("Noise Squelch"));
    SquelchValue = pieces::NumberBox("SquelchValue", kSquelchValueChars, this);
    InstallDigitRule(SquelchValue);
    auto* ok = pieces::Button(QStringLiteral("OK"), "cmdOK", this);
    auto* cancel = pieces::Button(QStringLiteral("Cancel"), "cmdCancel", this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(pieces::BuddyLabel(QStringLiteral("Value  (0 - 15)"), SquelchValue, this), 0,
                    0);
    grid->addWidget(SquelchValue, 0, 1);
    pieces::FinishLayout(this, grid, ok, cancel);

    connect(ok, &QPushButton::clicked, this, &SquelchDialog::AcceptLevel);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SquelchDialog::SetLevel(int level) {
    SquelchValue->setText(QString::number(level));
}

void SquelchDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;  // shown again by the system (restored), not opened: keep what was typed
    }
    SquelchValue->setEnabled(true);
    SquelchValue->setVisible(true);
    SquelchValue->selectAll();
    SquelchValue->setFocus();
}

void SquelchDialog::AcceptLevel() {
    if (const auto level = AcceptNoiseSquelchLevel(FromQ(SquelchValue->text()), op_)) {
        level_ = *level;
        accept();
    }
}

}  // namespace kld::ui
