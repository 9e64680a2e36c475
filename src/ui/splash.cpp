#include "splash.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <cmath>

#include "qt_text.h"

namespace kld::ui {

namespace {

// The application font grown by `factor`, in whichever unit the font is given.
QFont Scaled(QFont font, double factor) {
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * factor);
    } else {
        font.setPixelSize(static_cast<int>(std::lround(font.pixelSize() * factor)));
    }
    return font;
}

QLabel* NamedLabel(const QString& text, const char* name, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    return label;
}

}  // namespace

QPixmap DrawLogo(int size) {
    if (size <= 0) {
        return {};
    }
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);  // drawn on a 64-unit square

    // The badge: a rounded square, night blue deepening downwards.
    QLinearGradient ground(0, 0, 0, 64);
    ground.setColorAt(0, QColor(0x24, 0x5c, 0x9c));
    ground.setColorAt(1, QColor(0x0c, 0x26, 0x47));
    painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
    painter.setBrush(ground);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // The mast: two legs from the tip to the ground, braced twice.
    const QPointF tip(32, 24);
    painter.setPen(QPen(QColor(0xf2, 0xf5, 0xf9), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({QPointF(23, 55), tip, QPointF(41, 55)}));
    painter.setPen(QPen(QColor(0xf2, 0xf5, 0xf9), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(28.2, 38), QPointF(35.8, 38));
    painter.drawLine(QPointF(25.6, 47), QPointF(38.4, 47));

    // The waves: three arcs each side of the tip, fainter as they spread.
    for (int ring = 1; ring <= 3; ++ring) {
        const double radius = 6.5 * ring;
        QColor wave(0x86, 0xd6, 0xff);
        wave.setAlphaF(1.0 - 0.25 * (ring - 1));
        painter.setPen(QPen(wave, 2.5, Qt::SolidLine, Qt::RoundCap));
        const QRectF circle(tip.x() - radius, tip.y() - radius, 2 * radius, 2 * radius);
        painter.drawArc(circle, -40 * 16, 80 * 16);
        painter.drawArc(circle, 140 * 16, 80 * 16);
    }

    // The tip's light.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xb3, 0x3b));
    painter.drawEllipse(tip, 3.2, 3.2);
    return pixmap;
}

SplashWindow::SplashWindow(const ProgramVersion& version,
                           std::function<void(const ProgramVersion&)> setVersion,
                           std::function<void()> prepare, std::function<void()> showMain,
                           int delayMs)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      prepare_(std::move(prepare)),
      showMain_(std::move(showMain)) {
    setObjectName(QStringLiteral("frmSplash"));
    // The splash closes before the main window shows: that must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    const QFont base = font();
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    frame->setForegroundRole(QPalette::Mid);  // a quiet border round a window without a frame
    auto* caption = NamedLabel(QStringLiteral("Dataloader Programming Software"), "lblCaption",
                               Scaled(base, 1.15), frame);
    QFont productFont = Scaled(base, 2.6);
    productFont.setBold(true);
    auto* productName = NamedLabel(QStringLiteral("KLD-540"), "lblProductName", productFont, frame);
    auto* versionLabel = NamedLabel(QString(), "lblVersion", base, frame);
    auto* company =
        NamedLabel(QStringLiteral("Corvane Industries Ltd"), "lblCompanyProduct", base, frame);

    // The logo five lines of text high, drawn at the screen's own resolution.
    const int unit = fontMetrics().height();
    const double ratio = devicePixelRatioF();
    QPixmap logo = DrawLogo(static_cast<int>(std::lround(5 * unit * ratio)));
    logo.setDevicePixelRatio(ratio);
    auto* imgLogo = new QLabel(frame);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(logo);

    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(2 * unit, 2 * unit, 2 * unit, unit);
    grid->setHorizontalSpacing(2 * unit);
    grid->addWidget(imgLogo, 0, 0, 3, 1, Qt::AlignCenter);
    grid->addWidget(caption, 0, 1, Qt::AlignBottom);
    grid->addWidget(productName, 1, 1);
    grid->addWidget(versionLabel, 2, 1, Qt::AlignTop);
    grid->addWidget(company, 3, 0, 1, 2, Qt::AlignRight);
    grid->setRowMinimumHeight(3, 2 * unit);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    // The version goes up, and to the main window.
    versionLabel->setText(QStringLiteral("Version ") + ToQ(VersionText(version)));
    if (setVersion) {
        setVersion(version);
    }

    adjustSize();
    if (const QScreen* where = screen()) {
        move(where->availableGeometry().center() - rect().center());
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &SplashWindow::HandOver);
    Timer1->start(delayMs);
}

void SplashWindow::HandOver() {
    if (prepare_) {
        prepare_();
    }
    Timer1->stop();
    close();
    if (showMain_) {
        showMain_();
    }
}

}  // namespace kld::ui
