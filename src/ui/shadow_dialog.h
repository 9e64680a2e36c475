#pragma once

#include <QDialog>

#include "channel_memory.h"
#include "operator.h"

class QLineEdit;
class QPushButton;

namespace kld::ui {

// "Create Shadow" (frmShadow): asks for the primary and the new shadow. The editor proposes the
// primary (SetPrimary), runs exec() and, when it returns Accepted, reads both numbers. OK checks
// them against the memory (JudgeShadowNumbers) and stays open with the refused box selected.
// Created once, hidden between uses.
class ShadowDialog : public QDialog {
    Q_OBJECT
  public:
    ShadowDialog(const ChannelMemory& memory, Operator& op, QWidget* parent);

    void SetPrimary(const QString& primary);
    QString Primary() const;
    QString Shadow() const;

  protected:
    // Each opening starts afresh: the shadow box empty, the primary selected.
    void showEvent(QShowEvent* event) override;

  private:
    void JudgeNumbers();

    const ChannelMemory& memory_;
    Operator& op_;
    QLineEdit* PrimChnl;
    QLineEdit* ShadChnl;
};

}  // namespace kld::ui
