#pragma once

#include <QDialog>

#include "channel_memory.h"
#include "operator.h"

class QLineEdit;
class QPushButton;

namespace kld::ui {

// "Create Shadow" (frmShadow): asks for the primary and the new shadow. The main window puts the
// proposed primary into PrimChnl, runs exec() and reads ShadowSuccess, PrimChnl and ShadChnl
// afterwards. OK checks both numbers against the memory (JudgeShadowNumbers) and stays open with
// the refused box selected. Created once, hidden between uses.
class ShadowDialog : public QDialog {
    Q_OBJECT
  public:
    ShadowDialog(const ChannelMemory& memory, Operator& op, QWidget* parent);

    bool ShadowSuccess = false;

    QLineEdit* PrimChnl;
    QLineEdit* ShadChnl;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  protected:
    void showEvent(QShowEvent* event) override;  // Form_Activate

  private:
    void cmdOK_Click();
    void cmdCancel_Click();
    const ChannelMemory& memory_;
    Operator& op_;
};

}  // namespace kld::ui
