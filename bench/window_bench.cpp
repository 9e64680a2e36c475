// The desktop window's own measurements, and the README's picture.
//
//   kld540-window-bench --startup         prints the wall-clock time (ms since the epoch) at
//                                         which the main window is first shown, then quits
//   kld540-window-bench --refresh [runs]  times the refresh of all 233 summary lines and the
//                                         scroll bar's run through every channel
//   kld540-window-bench --screenshot PNG  a window holding a few channels, saved as a picture
//
// Peak resident memory is printed on every run. Runs in a scratch folder (KLD540.ini goes
// there); use QT_QPA_PLATFORM=offscreen or Xvfb where there is no display.
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "main_window.h"
#include "splash.h"
#include "window_operator.h"

namespace {

long PeakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A few channels typed in as a technician would, so the picture shows a working memory.
void FillDemoChannels(kld::ui::MainWindow& w) {
    struct Demo {
        int channel;
        const char* desc;
        const char* rx;
        const char* tx;
        int mode;
    };
    const Demo demo[] = {
        {1, "Main", "155.3400", "", 1},           {2, "Fire 1", "154.1300", "", 1},
        {3, "Fire 2", "154.2800", "159.0900", 1}, {4, "EMS", "155.1750", "", 1},
        {5, "P25 Ops", "151.1300", "", 2},        {6, "Marine", "156.8000", "", 0}};
    for (const Demo& d : demo) {
        w.ChnlScrll->setValue(d.channel);
        w.Desc->setText(QString::fromLatin1(d.desc));
        w.Modes->setCurrentIndex(d.mode);
        w.RFrq->setText(QString::fromLatin1(d.rx));
        if (d.tx[0] != '\0') {
            w.Dx->click();
            w.TFrq->setText(QString::fromLatin1(d.tx));
        }
        w.Save_Click();
    }
    w.ChnlScrll->setValue(3);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString what = args.value(1);
    QTemporaryDir scratch;
    kld::ui::WindowOperator op;

    if (what == QLatin1String("--startup")) {
        kld::ui::MainWindow window(op, scratch.path().toStdString(), "");
        kld::ui::SplashWindow splash(
            kld::ProgramVersion{}, [&](const kld::ProgramVersion& v) { window.SetVersion(v); },
            [&] { window.FindCommPorts(); },
            [&] {
                window.show();
                QApplication::processEvents();
                const auto now = std::chrono::system_clock::now().time_since_epoch();
                std::printf(
                    "shown %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
            },
            120);
        // Quits once the port search is over too, so that its thread is measured as well.
        QObject::connect(&window, &kld::ui::MainWindow::PortsFound, &app, &QApplication::quit);
        splash.show();
        QApplication::exec();
        std::printf("peak_rss_kb %ld\n", PeakResidentKb());
        return 0;
    }

    kld::ui::MainWindow window(op, scratch.path().toStdString(), "n d w");
    window.FindCommPorts();
    window.resize(window.sizeHint());
    window.show();
    QApplication::processEvents();

    if (what == QLatin1String("--screenshot")) {
        FillDemoChannels(window);
        window.Memory().Saved = true;
        window.adjustSize();
        QApplication::processEvents();
        const bool ok = window.grab().save(args.value(2), "PNG");
        std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(args.value(2)));
        return ok ? 0 : 1;
    }
    if (what == QLatin1String("--refresh")) {
        const int runs = std::max(args.value(2).toInt(), 20);
        std::vector<double> refresh;
        std::vector<double> scroll;
        std::vector<double> painted;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            window.RefreshSummary();
            window.Summary->viewport()->repaint();
            refresh.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            timer.restart();
            for (int n = 0; n <= 232; ++n) {
                window.ChnlScrll->setValue(n);
            }
            scroll.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6 / 233.0);
            timer.restart();
            for (int n = 0; n <= 232; n += 8) {  // and each step painted, as the event loop would
                window.ChnlScrll->setValue(n);
                QApplication::processEvents();
            }
            painted.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6 / 30.0);
            QApplication::processEvents();
        }
        std::printf("summary_refresh_and_paint_ms %.3f (median of %d)\n", Median(refresh), runs);
        std::printf("scroll_per_channel_ms %.4f (median of %d)\n", Median(scroll), runs);
        std::printf("scroll_and_paint_per_channel_ms %.4f (median of %d)\n", Median(painted), runs);
        std::printf("peak_rss_kb %ld\n", PeakResidentKb());
        return 0;
    }
    std::fprintf(stderr,
                 "usage: kld540-window-bench --startup | --refresh [runs] | "
                 "--screenshot FILE.png\n");
    return 2;
}
