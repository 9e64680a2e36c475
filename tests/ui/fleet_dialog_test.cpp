// Several radios at once and Find Radio, against simulated radios on pseudo-terminals through
// the real serial ports.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableWidget>

#include "../serial/pty.h"
#include "../test_memory.h"
#include "fleet_dialog.h"
#include "radio_search.h"
#include "settings_file.h"
#include "window_fixture.h"

namespace kld::ui {
namespace {

using Radios = Window;

// Two radios ticked, erased where needed and verified; the rows and the report say how each
// went, and the window's memory is the plan still.
TEST_F(Radios, ProgramTwoAtOnceAndSaveTheReport) {
    StartSim(7);
    StartSim(8);
    Start();
    Edit([](ChannelMemory& memory) { memory.Records = test::PlanMemory().Records; });
    Click("SelAll");
    const ChannelMemory plan = Mem();
    op.answers = {Answer::Yes};  // erase the radios that need it
    dialogs.names = {Q(dir / "report.csv")};
    QStringList rows;
    QString summary;
    QTimer::singleShot(0, [&] {
        auto* fleet = window->findChild<FleetDialog*>("frmFleet");
        ASSERT_NE(fleet, nullptr);
        auto* table = fleet->findChild<QTableWidget*>("FleetTable");
        EXPECT_FALSE(table->toolTip().isEmpty());
        for (QWidget* control : fleet->findChildren<QAbstractButton*>(
                 QRegularExpression("^Fleet"))) {  // Qt's own pieces show their control's
            EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
        }
        for (int row = 0; row < table->rowCount(); ++row) {
            table->item(row, 0)->setCheckState(Qt::Checked);
        }
        fleet->findChild<QAbstractButton*>("FleetErase")->setChecked(true);
        fleet->findChild<QAbstractButton*>("FleetVerify")->setChecked(true);
        QSignalSpy ended(fleet, &FleetDialog::AllEnded);
        QTest::mouseClick(fleet->findChild<QAbstractButton*>("FleetStart"), Qt::LeftButton);
        EXPECT_TRUE(fleet->findChild<QAbstractButton*>("FleetStop")->isEnabled());
        EXPECT_TRUE(ended.wait(60000));
        for (int row = 0; row < table->rowCount(); ++row) {
            const auto* bar = static_cast<QProgressBar*>(table->cellWidget(row, 2));
            rows << table->item(row, 0)->text() + " " + table->item(row, 3)->text() + " " +
                        QString::number(bar->value());
        }
        QTest::mouseClick(fleet->findChild<QAbstractButton*>("FleetSaveReport"), Qt::LeftButton);
        summary = fleet->findChild<QLabel*>("FleetSummary")->text();
        QTest::mouseClick(fleet->findChild<QAbstractButton*>("FleetClose"), Qt::LeftButton);
    });
    window->findChild<QAction*>("ProgramSeveralRadios")->trigger();
    EXPECT_EQ(rows, QStringList({"COM7 Transfer Complete.  Verify OK 232",
                                 "COM8 Transfer Complete.  Verify OK 232"}));
    EXPECT_TRUE(summary.startsWith("2 of 2 radios programmed.\nReport saved to"))
        << summary.toStdString();
    EXPECT_EQ(std::tuple(Mem().Records == plan.Records, op.shown.size(),
                         window->statusBar()->currentMessage()),
              std::tuple(true, 1u, QString("2 of 2 radios programmed.")));
    const std::string report = test::ReadBytes(dir / "report.csv");
    EXPECT_EQ(std::ranges::count(report, '\n'), 3) << report;
}

// One radio answers among two ports: its port is the port in use, kept in KLD540.ini; the
// button is greyed while the ports are asked.
TEST_F(Radios, FindRadioUsesThePortWhereOneAnswers) {
    test::Pty silent;
    std::filesystem::create_symlink(silent.SlavePath(), dir / "ports" / "COM5");
    StartSim(9);
    Start();
    QSignalSpy ended(window->findChild<RadioSearch*>(), &RadioSearch::Ended);
    Click("FindRadio");
    EXPECT_FALSE(Find("FindRadio")->isEnabled());
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(std::tuple(Mem().PortNumber, Find<QComboBox>("CommPort")->currentText(),
                         ReadSettingsFile(dir / "KLD540.ini", ProgramVersion{})->Template.RFRec,
                         Find("FindRadio")->isEnabled(), op.shown.size()),
              std::tuple(9, QString("COM9"), 9, true, 0u));
    EXPECT_EQ(window->statusBar()->currentMessage(), "Radio found on COM9 (version 021100).");
}

}  // namespace
}  // namespace kld::ui
