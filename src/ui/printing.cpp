#include "printing.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <string>

#include "listings.h"
#include "qt_text.h"
#include "summary.h"

namespace kld::ui {

namespace {

constexpr std::string_view kPrefix = "     ";
constexpr int kBlankLinesAtTop = 2;

}  // namespace

QFont ListingFont() {
    QFont font(QStringLiteral("Courier New"), 10);
    // Without Courier New the font matcher should still land on a typewriter face.
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (QFontInfo(font).fixedPitch()) {
        return font;
    }
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fallback.setPointSize(10);
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
    const double lineHeight = metrics.lineSpacing();
    // The painter's origin is the top left corner of the page's paint rect. Lines that do not
    // fit a short page run off its foot: the page break rule stays the same on any paper.
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
