// The window's pieces on their own: the small dialogs, the splash, the message boxes, and the
// printed listing read back from a PDF file with pdftotext.
#include <QFontMetricsF>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>

#include "../cases.h"
#include "../test_memory.h"
#include "listings.h"
#include "printing.h"
#include "qt_text.h"
#include "shadow_dialog.h"
#include "splash.h"
#include "squelch_dialog.h"
#include "summary.h"
#include "window_fixture.h"
#include "window_operator.h"

namespace kld::ui {
namespace {

using namespace Qt::StringLiterals;

// The shadow and noise squelch dialogs: each opens afresh on its first box, text selected; a
// refusal (the core's rule says why) keeps it open on the refused box, text selected; OK and
// Enter accept, Cancel and Escape reject.
TEST(Dialogs, ARefusalKeepsTheDialogOpenOnTheRefusedBox) {
    test::ScriptedOperator op;
    ChannelMemory memory;
    memory.Rec(5).Select = memory.Rec(6).Select = kSelDefined;
    ShadowDialog shadow(memory, op, nullptr);
    SquelchDialog squelch(op, nullptr);
    shadow.findChild<QLineEdit*>("ShadChnl")->setText("99");  // emptied on opening
    for (const auto& row : test::Cases("dialogs.txt")) {
        SCOPED_TRACE(row[1] + " then " + row[2]);
        QDialog* dialog = row[0] == "shadow" ? static_cast<QDialog*>(&shadow) : &squelch;
        const int result = row[5] == "open" ? -1 : int{row[5] == "accepted"};  // Accepted is 1
        const QList<QLineEdit*> boxes = dialog->findChildren<QLineEdit*>();
        boxes.front()->setText(QString::fromStdString(row[1]));
        dialog->setResult(-1);
        dialog->show();
        EXPECT_TRUE(dialog->focusWidget() == boxes.front() &&
                    boxes.front()->selectedText().toStdString() == row[1]);
        QTest::keyClicks(boxes.back(), row[2].c_str());
        if (auto* button = dialog->findChild<QPushButton*>(QString::fromStdString(row[3]))) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            QTest::keyClick(boxes.back(), row[3] == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
        }
        EXPECT_EQ(std::tuple(dialog->result(), dialog->isVisible()),
                  std::tuple(result, result == -1));
        if (!row[4].empty()) {
            auto* box = dialog->findChild<QLineEdit*>(QString::fromStdString(row[4]));
            EXPECT_TRUE(dialog->focusWidget() == box && box->selectedText() == box->text());
        }
        dialog->hide();
    }
    EXPECT_EQ(std::tuple(op.shown.size(), shadow.Primary() + "|" + shadow.Shadow(),
                         int{squelch.Level()}, op.shown.back().text),
              std::tuple(3u, "005|8", 7, "Value is out of range"));
    EXPECT_EQ(shadow.findChild<QLineEdit*>("PrimChnl")->accessibleName() + "|" +
                  squelch.findChild<QLineEdit*>("SquelchValue")->accessibleName(),
              "Primary Memory|Value  (0 - 15)");
}

// The splash hands the version over at once, prepares the main window while it is up, and
// closes before the main window shows, without ending the program.
TEST(Splash, ShowsTheVersionThenPreparesBeforeItHandsOver) {
    std::vector<std::string> steps;
    SplashWindow splash(
        ProgramVersion{3, 1, 4}, [&](const ProgramVersion& v) { steps.push_back(VersionText(v)); },
        [&] { steps.push_back(splash.isVisible() ? "prepare, splash up" : "prepare"); },
        [&] { steps.push_back(splash.isVisible() ? "main, splash up" : "main"); }, 20);
    EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "Version 3.1.4");
    EXPECT_FALSE(splash.testAttribute(Qt::WA_QuitOnClose));
    splash.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return steps.size() == 3; }, 2000));
    EXPECT_EQ(steps, (std::vector<std::string>{"3.1.4", "prepare, splash up", "main"}));
}

TEST(WindowOperator, BoxesShowTheMessageAndAnswerTheButtonPressed) {
    using B = QMessageBox;
    const auto click = [](B::StandardButton b) {
        return [b](B& box) { QTest::mouseClick(box.button(b), Qt::LeftButton); };
    };
    const std::function<void(B&)> escape = [](B& box) { QTest::keyClick(&box, Qt::Key_Escape); };
    const std::function<void(B&)> close = [](B& box) { box.close(); };  // the title bar's X
    // The message, its text (selectable, to be copied) and title shown, the icon, the buttons and
    // the default shown, the press, the answer.
    // clang-format off
    const std::tuple<Message, QString, B::Icon, B::StandardButtons, B::StandardButton,
                     std::function<void(B&)>, Answer> rows[] = {
        {{"Saved", ""}, "Saved|KLD-540", B::NoIcon, B::Ok, B::Ok, click(B::Ok), Answer::Ok},
        {{"Gone", "T", Icon::Information}, "Gone|T", B::Information, B::Ok, B::Ok, close, Answer::Ok},
        {{"Send?\n<b>now</b>", "Send", Icon::Exclamation, Buttons::OkCancel, "No space left"},
         "Send?\n<b>now</b>|Send", B::Warning, B::Ok | B::Cancel, B::Ok, escape, Answer::Cancel},
        {{"Keep?", "T", Icon::Warning, Buttons::YesNo, "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12"
          "\n13\n14\n15\n16\n17\n18\n19\n20"}, "Keep?|T", B::Warning, B::Yes | B::No, B::Yes,
         escape, Answer::No},
        {{"Save?", "", Icon::Critical, Buttons::YesNoCancel}, "Save?|KLD-540", B::Critical,
         B::Yes | B::No | B::Cancel, B::Yes, close, Answer::Cancel},
        // A file name in UTF-8, a channel name in Latin-1.
        {{"M\xC3\xBCller.540", "\xE9t\xE9", Icon::None, Buttons::YesNoCancel},
         u"M\u00fcller.540|\u00e9t\u00e9"_s, B::NoIcon, B::Yes | B::No | B::Cancel, B::Yes,
         click(B::No), Answer::No},
    };
    // clang-format on
    WindowOperator op;
    QDialog dialog;  // the boxes come up over the dialog that asks
    dialog.setModal(true);
    dialog.show();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::get<Message>(row).text);
        QTimer::singleShot(0, [&] {
            const auto& [message, shown, icon, buttons, first, press, answer] = row;
            auto* box = qobject_cast<B*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(
                std::tuple(box->parentWidget() == &dialog, box->text() + "|" + box->windowTitle(),
                           box->textFormat(), box->icon(), box->standardButtons(),
                           box->standardButton(box->defaultButton()),
                           box->textInteractionFlags().testFlag(Qt::TextSelectableByMouse)),
                std::tuple(true, shown, Qt::PlainText, icon, buttons, first, true));
            // The detail in view; a long one cut there and whole behind Show Details.
            const bool cut = std::count(message.detail.begin(), message.detail.end(), '\n') >= 12;
            EXPECT_EQ(box->informativeText().toStdString(),
                      cut ? "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n... and 9 more lines under "
                            "Show Details."
                          : message.detail);
            EXPECT_EQ(box->detailedText().toStdString(), cut ? message.detail : "");
            press(*box);
        });
        EXPECT_EQ(op.Ask(std::get<Message>(row)), std::get<Answer>(row));
    }
}

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
        if (!PrintListing(memory, printer)) {
            EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
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
