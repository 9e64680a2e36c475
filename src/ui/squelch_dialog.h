#pragma once

#include <QDialog>
#include <cstdint>

#include "operator.h"

class QLineEdit;

namespace kld::ui {

// "Noise Squelch" (frmSquelch): asks for the memory-wide noise squelch level, 0 to 15. The
// editor puts the level in (SetLevel), runs exec() and, when it returns Accepted, reads the
// level the operator gave. Created once, hidden between uses.
class SquelchDialog : public QDialog {
    Q_OBJECT
  public:
    SquelchDialog(Operator& op, QWidget* parent);

    void SetLevel(int level);
    std::uint8_t Level() const { return level_; }

  protected:
    // Each opening starts with the level selected.
    void showEvent(QShowEvent* event) override;

  private:
    void AcceptLevel();

    Operator& op_;
    std::uint8_t level_ = 0;
    QLineEdit* SquelchValue;
};

}  // namespace kld::ui
