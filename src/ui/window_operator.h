#pragma once

#include "operator.h"

class QWidget;

namespace kld::ui {

// The Operator of the desktop program: every message is a modal QMessageBox over the active
// window with the message's exact text, title (the program's own, "KLD-540", when it has none),
// icon and buttons; a detail goes into the box's detailed text. Beep is the desktop's beep.
class WindowOperator : public Operator {
  public:
    explicit WindowOperator(QWidget* fallbackParent = nullptr) : fallbackParent_(fallbackParent) {}
    Answer Ask(const Message& message) override;
    void Beep() override;

  private:
    QWidget* fallbackParent_;
};

}  // namespace kld::ui
