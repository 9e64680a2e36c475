#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kld::ui {

// "Set Interations" (frmIteration, spelled as the radio's service staff know it): the number of
// rounds of the repeated transfer test, 0 for the channel dump. Digits only. Created once,
// hidden between uses.
class IterationDialog : public QDialog {
    Q_OBJECT
  public:
    explicit IterationDialog(QWidget* parent);

    bool IterSuccess = false;

    QLineEdit* Iterations;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  protected:
    void showEvent(QShowEvent* event) override;  // Form_Activate
};

}  // namespace kld::ui
