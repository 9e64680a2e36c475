#include "printing.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <string>

#include "listings.h"
#include "qt_text.h"
#include "summary.h"

namespace kld::ui {

namespace {

constexpr std::string_view kPrefix = "     ";
constexpr int kBlankLinesAtTop = 2;

}  // namespace

bool IsMonospaced(const QFont& font) {
    // Measured, not taken from the font's own claim: some monospaced faces (Debian's Noto Sans
    // Mono) do not declare their spacing, and some faces that do are matched in its place.
    const QFontMetricsF metrics(font);
    const double pitch = metrics.horizontalAdvance(QLatin1Char(' '));
    return pitch > 0 && metrics.horizontalAdvance(QLatin1Char('i')) == pitch &&
           metrics.horizontalAdvance(QLatin1Char('W')) == pitch;
}

QFont ListingFont() {
    QFont font(QStringLiteral("Courier New"), 10);
    // Without Courier New the font matcher should still land on a typewriter face.
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (IsMonospaced(font)) {
        return font;
    }
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fallback.setPointSize(10);
    if (IsMonospaced(fallback)) {
        return fallback;
    }
    for (const QString& family : QFontDatabase::families()) {
        const QFont candidate(family, 10);
        if (IsMonospaced(candidate)) {
            return candidate;
        }
    }
    return fallback;
}

bool PrintListing(const ChannelMemory& memory, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    painter.setFont(ListingFont());
    // Metrics at the printer's resolution, not the screen's.
    const QFontMetricsF metrics(painter.font(), painter.device());
    // A page holds its sixty lines whatever the face's own line spacing: where it would push the
    // last lines off the foot of the page (faces with tall ascenders and descenders), the lines
    // close up, down to the font's size. Only a page too short even for that loses lines at its
    // foot: the page break rule stays the same on any paper. The painter's origin is the top
    // left corner of the page's paint rect.
    const double pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    const double linesOnPage = kBlankLinesAtTop + kListingHeadings.size() + kPrintedLinesPerPage;
    const double em = painter.font().pointSizeF() * printer.resolution() / 72.0;
    const double lineHeight =
        std::max(std::min(metrics.lineSpacing(), pageHeight / linesOnPage), em);
    double y = 0;
    const auto printLine = [&](std::string_view line) {
        std::string text(kPrefix);
        text.append(line);
        painter.drawText(QPointF(0, y + metrics.ascent()), ToQ(text));
        y += lineHeight;
    };

    bool ok = true;
    for (int index = 0; index <= kLastRecord; ++index) {
        if (index % kPrintedLinesPerPage == 0) {
            if (index != 0 && !printer.newPage()) {
                ok = false;
                break;
            }
            y = kBlankLinesAtTop * lineHeight;
            for (std::string_view heading : kListingHeadings) {
                printLine(heading);
            }
        }
        printLine(SummaryLine(memory.Rec(index), index));
    }
    // Ending the document sends what was drawn, after a failure too.
    ok = painter.end() && ok;
    return ok && printer.printerState() != QPrinter::Error;
}

}  // namespace kld::ui
