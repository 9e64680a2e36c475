#pragma once

#include <QDialog>
#include <cstdint>

#include "operator.h"

class QLineEdit;
class QPushButton;

namespace kld::ui {

// "Noise Squelch" (frmSquelch): asks for the memory-wide noise squelch level, 0 to 15. The main
// window puts the level into SquelchValue, runs exec() and reads SquelchSuccess and
// NoiseSquelch afterwards. Created once, hidden between uses.
class SquelchDialog : public QDialog {
    Q_OBJECT
  public:
    SquelchDialog(Operator& op, QWidget* parent);

    bool SquelchSuccess = false;
    std::uint8_t NoiseSquelch = 0;

    QLineEdit* SquelchValue;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  protected:
    void showEvent(QShowEvent* event) override;  // Form_Activate

  private:
    void cmdOK_Click();
    void cmdCancel_Click();
    Operator& op_;
};

}  // namespace kld::ui
