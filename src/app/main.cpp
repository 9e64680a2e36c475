// kld540: the desktop program. The splash comes up first; its timer has the main window prepare
// itself (settings, enabled modes, the reset memory, the port list), then shows it.
#include <QApplication>
#include <QStringList>
#include <filesystem>
#include <string>

#include "main_window.h"
#include "program_state.h"
#include "splash.h"
#include "window_operator.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KLD-540"));
    // No display name: X11 and Wayland would append it to every title ("... — KLD-540"), and the
    // window, its dialogs and its message boxes carry titles of their own.
    QGuiApplication::setDesktopFileName(QStringLiteral("kld540"));  // its menu entry, on Wayland
    QApplication::setApplicationVersion(
        QString::fromStdString(kld::VersionText(kld::ProgramVersion{})));

    // The operating-mode switches ("w", "n", "d") as one line, the way the program reads them.
    // Qt has already taken its own options (-platform, -style) out of the list.
    QStringList switches = QApplication::arguments();
    switches.removeFirst();
    const std::string commandLine = switches.join(QLatin1Char(' ')).toStdString();

    std::error_code ec;
    std::filesystem::path folder = std::filesystem::current_path(ec);
    if (ec) {
        folder = ".";
    }

    kld::ui::WindowOperator op;
    kld::ui::MainWindow window(op, folder, commandLine);
    kld::ui::SplashWindow splash(
        kld::ProgramVersion{}, [&](const kld::ProgramVersion& v) { window.SetVersion(v); },
        [&] { window.StartPortSearch(); }, [&] { window.show(); }, 120);
    splash.show();
    return QApplication::exec();
}
