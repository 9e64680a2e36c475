// The printed listing checked through a PDF file read back with pdftotext (poppler-utils).
#include "printing.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>

#include "../files/temp_dir.h"
#include "../test_memory.h"
#include "listings.h"
#include "qt_text.h"
#include "summary.h"

namespace kld::ui {
namespace {

using namespace Qt::StringLiterals;

// pdftotext's reading of `pdf`, split at its form feeds.
QStringList PdfPages(const QString& pdf, QStringList options) {
    QProcess process;
    process.start(u"pdftotext"_s, options << pdf << u"-"_s);
    EXPECT_TRUE(process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
                process.exitCode() == 0)
        << "pdftotext (poppler-utils, installed by scripts/setup) did not run";
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\f');
}

TEST(PrintedListing, FourPagesOfSixtyChannelsUnderTheHeadingsAtTheirColumns) {
    const QFont font = ListingFont();
    EXPECT_TRUE(IsMonospaced(font)) << QFontInfo(font).family().toStdString();
    EXPECT_EQ(font.pointSize(), 10);
    ChannelMemory memory = test::ResetMemory();
    for (const auto& [index, desc] : {std::pair(7, "Fire"), {75, "Harbour"}, {190, "Rescue"}}) {
        ChannelRecord& r = memory.Rec(index) = memory.Rec(kFirstChannel);
        r.Prim = r.Chnl = static_cast<std::int16_t>(index), r.Desc = desc;
    }
    memory.Rec(130) = memory.Rec(7), memory.Rec(130).Select |= kSelErased;

    // Output that cannot be written gives false, and leaves nothing behind; then each paper.
    const test::TempDir dir;
    for (const auto& [size, file] : {std::pair(QPageSize::A4, dir / "absent" / "listing.pdf"),
                                     {QPageSize::A4, dir / "listing.pdf"},
                                     {QPageSize::Letter, dir / "listing.pdf"}}) {
        SCOPED_TRACE(QPageSize::name(size).toStdString());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(file.string()));
        printer.setPageSize(QPageSize(size));
        const bool printed = PrintListing(memory, printer);
        ASSERT_EQ(printed, std::filesystem::exists(file.parent_path()));
        if (!printed) {
            continue;
        }
        // Read back one character per column of the font's pitch, so the page's margin becomes
        // leading blanks (a whole number of them on these papers) before the five spaces.
        const QFontMetricsF metrics(font, &printer);
        const double toPoints = 72.0 / printer.resolution();
        const double pitch = metrics.horizontalAdvance(u' ') * toPoints;
        const QRectF paint = printer.pageLayout().paintRect(QPageLayout::Point);
        const QString margin(qRound(paint.left() / pitch) + 5, u' ');
        const QString pdf = printer.outputFileName();
        const QStringList pages =
            PdfPages(pdf, {u"-layout"_s, u"-fixed"_s, QString::number(pitch)});
        ASSERT_EQ(pages.size(), 5);  // each of four pages ends in a form feed
        int index = 0;
        for (int page = 0; page < 4; ++page) {
            QStringList expected;
            const auto add = [&](std::string_view line) {  // pdftotext drops trailing blanks
                expected << margin + ToQ(line.substr(0, line.find_last_not_of(' ') + 1));
            };
            std::ranges::for_each(kListingHeadings, add);
            for (; index <= kLastRecord && expected.size() < 3 + 60; ++index) {
                add(SummaryLine(memory.Rec(index), index));
            }
            EXPECT_EQ(pages[page].split(u'\n', Qt::SkipEmptyParts).join(u'\n').toStdString(),
                      expected.join(u'\n').toStdString());
        }
        // Two empty lines above the headings on every page.
        const QRegularExpression firstWord(u"<page[^>]*>\\s*<word [^>]*yMin=\"([\\d.]+)\""_s);
        const double lineSpacing = metrics.lineSpacing() * toPoints;
        int pageCount = 0;
        for (const auto& match : firstWord.globalMatch(PdfPages(pdf, {u"-bbox"_s}).join(""))) {
            EXPECT_NEAR(match.captured(1).toDouble(), paint.top() + 2 * lineSpacing,
                        lineSpacing / 2);
            ++pageCount;
        }
        EXPECT_EQ(pageCount, 4);
    }
}

}  // namespace
}  // namespace kld::ui
