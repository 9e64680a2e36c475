#include "shadow_dialog.h"

#include <QShowEvent>

#include "dialog_pieces.h"
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
    PrimChnl = pieces::NumberBox("PrimChnl", kShadowBoxChars, this);
    ShadChnl = pieces::NumberBox("ShadChnl", kShadowBoxChars, this);
    InstallDigitRule(PrimChnl);
    InstallDigitRule(ShadChnl);
    auto* ok = pieces::Button(QStringLiteral("OK"), "cmdOK", this);
    auto* cancel = pieces::Button(QStringLiteral("Cancel"), "cmdCancel", this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(pieces::BuddyLabel(QStringLiteral("&Primary Memory:"), PrimChnl, this), 0, 0);
    grid->addWidget(PrimChnl, 0, 1);
    grid->addWidget(pieces::BuddyLabel(QStringLiteral("&Shadow Memory:"), ShadChnl, this), 1, 0);
    grid->addWidget(ShadChnl, 1, 1);
    pieces::FinishLayout(this, grid, ok, cancel);

    connect(ok, &QPushButton::clicked, this, &ShadowDialog::JudgeNumbers);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ShadowDialog::SetPrimary(const QString& primary) {
    PrimChnl->setText(primary);
}

QString ShadowDialog::Primary() const {
    return PrimChnl->text();
}

QString ShadowDialog::Shadow() const {
    return ShadChnl->text();
}

void ShadowDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;  // shown again by the system (restored), not opened: keep what was typed
    }
    ShadChnl->clear();
    SelectAndFocus(PrimChnl);
}

void ShadowDialog::JudgeNumbers() {
    switch (JudgeShadowNumbers(memory_, FromQ(PrimChnl->text()), FromQ(ShadChnl->text()), op_)) {
        case ShadowDialogResult::PrimaryRefused:
            SelectAndFocus(PrimChnl);
            break;
        case ShadowDialogResult::ShadowRefused:
            SelectAndFocus(ShadChnl);
            break;
        case ShadowDialogResult::Accepted:
            accept();
            break;
    }
}

}  // namespace kld::ui
