// The desktop window's own measurements, and the README's picture.
//
//   kld540-window-bench --startup         prints the wall-clock time (ms since the epoch) at
//                                         which the main window is first shown, then quits
//   kld540-window-bench --refresh [runs]  times the refresh of all 233 summary lines and the
//                                         scroll bar's run through every channel
//   kld540-window-bench --screenshot PNG  a window holding a few channels, saved as a picture
//   kld540-window-bench --transfer PORT [FOLDER]
//                                         a full receive from the radio on COM<PORT>, then a
//                                         full send of all it holds, each timed against the
//                                         line: wall, wire and processor time, and the longest
//                                         hold-ups of the event loop
//
// Peak resident memory is printed on every run. Runs in a scratch folder (KLD540.ini goes
// there; --transfer puts an empty KLD-540.log there too, so every frame is logged, or runs in
// FOLDER as it is); use QT_QPA_PLATFORM=offscreen or Xvfb where there is no display.
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "document.h"
#include "main_window.h"
#include "radio_commands.h"
#include "splash.h"
#include "transfer_figures.h"
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

template <typename W>
W* Control(QWidget& window, const char* name) {
    return window.findChild<W*>(QLatin1String(name));
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
    auto* scrollBar = Control<QScrollBar>(w, "ChnlScrll");
    for (const Demo& d : demo) {
        scrollBar->setValue(-d.channel);
        Control<QLineEdit>(w, "Desc")->setText(QString::fromLatin1(d.desc));
        Control<QComboBox>(w, "Modes")->setCurrentIndex(d.mode);
        Control<QLineEdit>(w, "RFrq")->setText(QString::fromLatin1(d.rx));
        if (d.tx[0] != '\0') {
            Control<QRadioButton>(w, "Dx")->click();
            Control<QLineEdit>(w, "TFrq")->setText(QString::fromLatin1(d.tx));
        }
        Control<QPushButton>(w, "Save")->click();
    }
    scrollBar->setValue(-3);
}

// The memory counts as saved, so that no question comes up at the end.
void MarkSaved(kld::ui::MainWindow& window) {
    window.Doc().Save([](kld::ChannelMemory& memory, const kld::ProgramState&) {
        memory.Saved = true;
        return true;
    });
}

// A timed run answers every question with OK or Yes, and keeps what was said: a transfer that
// needed a message box did not run as measured.
class BenchOperator : public kld::Operator {
  public:
    kld::Answer Ask(const kld::Message& message) override {
        said.push_back(message.text);
        return message.buttons == kld::Buttons::YesNo ||
                       message.buttons == kld::Buttons::YesNoCancel
                   ? kld::Answer::Yes
                   : kld::Answer::Ok;
    }
    void Beep() override {}

    std::vector<std::string> said;
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);  // every thread of the program
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One transfer through the window, as its button runs it, with a 5 ms timer ticking in the
// event loop meanwhile. The window keeps "Transfer Complete." on show for a while before it
// returns; the ticks note when it appeared, so that the work and the lingering are told apart.
// False when the transfer did not complete.
bool TimeTransfer(kld::ui::MainWindow& window, kld::Direction direction, const char* label,
                  const std::filesystem::path& folder, BenchOperator& op) {
    using Clock = std::chrono::steady_clock;
    kld::bench::GapMeter gaps;
    std::optional<Clock::time_point> shown;
    double cpuShown = 0;
    const QLabel* status = Control<QLabel>(window, "TfrStatus");
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        gaps.Tick(now);
        if (!shown && status->text() == QLatin1String(kld::kTransferComplete)) {
            shown = now;
            cpuShown = CpuSeconds();
        }
    });

    const std::size_t said = op.said.size();
    const double cpuBefore = CpuSeconds();
    const Clock::time_point start = Clock::now();
    gaps.Start(start);
    ticker.start(5);
    const kld::TransferResult result = window.Radio().RadioTransfer(direction);
    const Clock::time_point end = Clock::now();
    gaps.Stop(end);
    ticker.stop();
    const double cpu = CpuSeconds() - cpuBefore;

    for (std::size_t n = said; n < op.said.size(); ++n) {
        std::fprintf(stderr, "%s: the window said: %s\n", label, op.said[n].c_str());
    }
    if (!result.Complete()) {
        std::fprintf(stderr, "%s did not complete: %s %s\n", label, result.Message().c_str(),
                     result.failure ? result.failure->detail.c_str() : "");
        return false;
    }
    const kld::bench::WireBytes wire =
        kld::bench::CountWireBytes(ReadFile(folder / kld::kTransferLogFileName));
    if (wire.Total() == 0) {
        std::fprintf(stderr, "%s: the transfer log is empty (not in debug mode?)\n", label);
        return false;
    }
    if (!shown) {
        shown = end;  // never seen: the whole call counts as work
        cpuShown = cpu + cpuBefore;
    }
    const double work = Seconds(*shown - start);
    const double workCpu = cpuShown - cpuBefore;
    const double wall = Seconds(end - start);
    std::printf(
        "%-8s to complete %6.3f s  wire %6.3f s (%zu bytes)  ratio %5.3f  cpu %5.3f s (%4.1f %%)\n",
        label, work, wire.Seconds(), wire.Total(), work / wire.Seconds(), workCpu,
        100 * workCpu / work);
    std::printf("%-8s wall %6.3f s (complete on show %5.3f s)  cpu %5.3f s (%4.1f %% of wall)\n",
                label, wall, wall - work, cpu, 100 * cpu / wall);
    std::printf("%-8s longest gaps", label);
    for (const auto& gap : gaps.Longest(3)) {
        std::printf("  %.1f ms (at %.3f s)", Seconds(gap.length) * 1e3, Seconds(gap.end));
    }
    std::printf("  over 50 ms: %zu\n", gaps.CountOver(std::chrono::milliseconds(50)));
    return true;
}

int RunTransfers(int port, const QString& givenFolder) {
    QTemporaryDir scratch;
    std::filesystem::path folder = givenFolder.toStdString();
    if (givenFolder.isEmpty()) {
        folder = scratch.path().toStdString();
        std::ofstream(folder / kld::kTransferLogFileName);  // debug mode: every frame logged
    }
    BenchOperator op;
    kld::ui::MainWindow window(op, folder, "n d w");
    // The port search runs on a thread of its own; it is over before the clock starts.
    QEventLoop searching;
    QObject::connect(&window, &kld::ui::MainWindow::PortsFound, &searching, &QEventLoop::quit);
    window.StartPortSearch();
    window.show();
    searching.exec();
    QApplication::processEvents();

    // The port typed into the port box and entered, as the operator would.
    auto* portBox = Control<QComboBox>(window, "CommPort");
    portBox->setEditText(QStringLiteral("COM%1").arg(port));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(portBox->lineEdit(), &enter);
    if (window.Doc().Memory().PortNumber != port) {
        std::fprintf(stderr, "COM%d cannot be used\n", port);
        return 1;
    }
    if (!TimeTransfer(window, kld::Direction::Receive, "receive", folder, op)) {
        return 1;
    }
    Control<QPushButton>(window, "SelAll")->click();
    if (!TimeTransfer(window, kld::Direction::Send, "send", folder, op)) {
        return 1;
    }
    MarkSaved(window);
    std::printf("peak_rss_kb %ld\n", PeakResidentKb());
    return 0;
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
            [&] { window.StartPortSearch(); },
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

    if (what == QLatin1String("--transfer")) {
        bool isNumber = false;
        const int port = args.value(2).toInt(&isNumber);
        if (isNumber && port > 0) {
            return RunTransfers(port, args.value(3));
        }
    }

    kld::ui::MainWindow window(op, scratch.path().toStdString(), "n d w");
    window.StartPortSearch();
    window.resize(window.sizeHint());
    window.show();
    QApplication::processEvents();

    if (what == QLatin1String("--screenshot")) {
        FillDemoChannels(window);
        MarkSaved(window);
        window.adjustSize();
        QApplication::processEvents();
        const bool ok = window.grab().save(args.value(2), "PNG");
        std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(args.value(2)));
        return ok ? 0 : 1;
    }
    if (what == QLatin1String("--refresh")) {
        const int runs = std::max(args.value(2).toInt(), 20);
        auto* summary = Control<QListView>(window, "Summary");
        auto* scrollBar = Control<QScrollBar>(window, "ChnlScrll");
        std::vector<double> refresh;
        std::vector<double> scroll;
        std::vector<double> painted;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            // A whole refresh of the list is one change of its model's lines.
            QAbstractItemModel* lines = summary->model();
            emit lines->dataChanged(lines->index(0, 0), lines->index(232, 0));
            summary->viewport()->repaint();
            refresh.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            timer.restart();
            for (int n = 0; n <= 232; ++n) {
                scrollBar->setValue(-n);
            }
            scroll.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6 / 233.0);
            timer.restart();
            for (int n = 0; n <= 232; n += 8) {  // and each step painted, as the event loop would
                scrollBar->setValue(-n);
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
                 "--screenshot FILE.png | --transfer PORT_NUMBER [FOLDER]\n");
    return 2;
}
