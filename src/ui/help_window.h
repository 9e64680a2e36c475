#pragma once

#include <QDialog>

namespace kld::ui {

// The help (F1): what the squelch letters mean, how to read a line of the memory summary, and
// the keys. It stays open beside the window while the operator works (not modal), and opening
// it again brings the same one to the front.
class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent);
};

}  // namespace kld::ui
