// kld540-render-icon: the program's logo as PNG files for the desktop's icon theme, drawn by the
// same code that draws the window's icon and the splash's logo, so the menu entry always shows
// what the program shows.
//
//   kld540-render-icon OUT_DIR SIZE...   writes OUT_DIR/kld540-<SIZE>.png, SIZE pixels square
//
// Runs during the build, where there may be no display: it always uses Qt's offscreen platform.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QString>
#include <cstdio>
#include <vector>

#include "splash.h"

namespace {

// The sizes on the command line, or nothing when any of them is not a whole number in 1..1024.
std::vector<int> ParseSizes(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            std::fprintf(stderr, "kld540-render-icon: not a size: %s\n", argv[i]);
            return {};
        }
        sizes.push_back(size);
    }
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: kld540-render-icon OUT_DIR SIZE...\n");
        return 2;
    }
    const std::vector<int> sizes = ParseSizes(argc, argv);
    if (sizes.empty()) {
        return 2;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kld540-render-icon: cannot make the folder %s\n", argv[1]);
        return 1;
    }
    for (const int size : sizes) {
        const QString path = out.filePath(QStringLiteral("kld540-%1.png").arg(size));
        const QPixmap logo = kld::ui::DrawLogo(size);
        if (logo.isNull() || logo.width() != size || !logo.save(path, "PNG")) {
            std::fprintf(stderr, "kld540-render-icon: cannot write %s\n",
                         qPrintable(QDir::toNativeSeparators(path)));
            return 1;
        }
    }
    return 0;
}
