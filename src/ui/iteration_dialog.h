#pragma once

#include <QDialog>

class QLineEdit;

namespace kld::ui {

// "Set Interations" (frmIteration, spelled as the radio's service staff know it): the number of
// rounds of the repeated transfer test, 0 for the channel dump. Digits only; exec() returns
// Accepted on OK, and Count is what was typed. Created once, hidden between uses.
class IterationDialog : public QDialog {
    Q_OBJECT
  public:
    explicit IterationDialog(QWidget* parent);

    QString Count() const;

  protected:
    // Each opening starts with the last count selected.
    void showEvent(QShowEvent* event) override;

  private:
    QLineEdit* Iterations;
};

}  // namespace kld::ui
