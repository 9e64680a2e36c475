#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

#include "program_state.h"

class QTimer;

namespace kld::ui {

// The program's mark, a radio mast sending, drawn `size` pixels square on a transparent ground:
// the splash's logo and the main window's icon.
QPixmap DrawLogo(int size);

// The splash (frmSplash): the product, the company, the version and a logo, up while the main
// window prepares itself. It shows "Version 2.6.0" from the start and hands the version to the
// main window (setVersion). Its one-shot timer (Timer1) then runs `prepare` (the main window's
// start-up and port search), stops, closes the splash and runs `showMain`: the splash stays up
// until the main window is ready.
class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    SplashWindow(const ProgramVersion& version,
                 std::function<void(const ProgramVersion&)> setVersion,
                 std::function<void()> prepare, std::function<void()> showMain, int delayMs = 300);

  private:
    void HandOver();

    QTimer* Timer1;
    std::function<void()> prepare_;
    std::function<void()> showMain_;
};

}  // namespace kld::ui
