#include "shadow_dialog.h"

#include <QShowEvent>

#include "dialog_parts.h"
#include "field_rules.h"
#include "key_filter.h"
#include "qt_text.h"
#include "shadows.h"

namespace kld::ui {

namespace {

void SelectAndFocus(QLineEdit* box) {
    box->selectAll();
    box->setFocus();
}

}  // namespace

ShadowDialog::ShadowDialog(const ChannelMemory& memory, Operator& op, QWidget* parent)
    : QDialog(parent), memory_(memory), op_(op) {
    setObjectName(QStringLiteral("frmShadow"));
    setWindowTitle(QStringLiteral("Create Shadow"));
    PrimChnl = parts::NumberBox("PrimChnl", kShadowBoxChars, this);
    ShadChnl = parts::NumberBox("ShadChnl", kShadowBoxChars, this);
    InstallDigitRule(PrimChnl);
    InstallDigitRule(ShadChnl);
    cmdOK = parts::Button(QStringLiteral("OK"), "cmdOK", this);
    cmdCancel = parts::Button(QStringLiteral("Cancel"), "cmdCancel", this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(parts::BuddyLabel(QStringLiteral("&Primary Memory:"), PrimChnl, this), 0, 0);
    grid->addWidget(PrimChnl, 0, 1);
    grid->addWidget(parts::BuddyLabel(QStringLiteral("&Shadow Memory:"), ShadChnl, this), 1, 0);
    grid->addWidget(ShadChnl, 1, 1);
    parts::FinishLayout(this, grid, cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &ShadowDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &ShadowDialog::cmdCancel_Click);
}

void ShadowDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;  // shown again by the system (restored), not opened: keep what was typed
    }
    ShadowSuccess = false;
    ShadChnl->clear();
    SelectAndFocus(PrimChnl);
}

void ShadowDialog::cmdOK_Click() {
    switch (JudgeShadowNumbers(memory_, FromQ(PrimChnl->text()), FromQ(ShadChnl->text()), op_)) {
        case ShadowDialogResult::PrimaryRefused:
            SelectAndFocus(PrimChnl);
            break;
        case ShadowDialogResult::ShadowRefused:
            SelectAndFocus(ShadChnl);
            break;
        case ShadowDialogResult::Accepted:
            ShadowSuccess = true;
            accept();
            break;
    }
}

void ShadowDialog::cmdCancel_Click() {
    ShadowSuccess = false;
    reject();
}

}  // namespace kld::ui
