#include "tool_tips.h"

#include <QDialog>
#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

#include "channel_memory.h"
#include "field_rules.h"
#include "port_names.h"
#include "qt_text.h"
#include "tables.h"

namespace kld::ui {

namespace {

// A control's name ("Desc"), or a dialog's name and its control's ("frmShadow/cmdOK"), with
// its tooltip.
using Tip = std::pair<const char*, QString>;

QString Range(std::span<const TableEntry> table) {
    return ToQ(table.front().text) + QStringLiteral(" to ") + ToQ(table.back().text);
}

// The numbers come from the rules themselves, so a tooltip never promises what a box refuses.
std::vector<Tip> EditorTips() {
    const QString band =
        QStringLiteral("%1.00000 to %2.00000 MHz, on the 2.5 kHz or 6.25 kHz raster")
            .arg(kLowestMhz)
            .arg(kHighestMhz);
    const QString hex =
        QStringLiteral("%1 hexadecimal digits (0-9, A-F),\nfewer padded with zeros on the left.");
    const QString tone =
        QStringLiteral("CTCSS tone in Hz, %1, used by the CTCSS squelch.").arg(Range(CtcssTable()));
    const QString code =
        QStringLiteral("DCS code, %1, used by the DCS squelch.").arg(Range(DcsTable()));
    return {
        {"Channel",
         QStringLiteral("The channel shown: %1 to %2, DEF (the template), GD1 or GD2.\n"
                        "Type one and press Enter; Up, Down, Page Up and Page Down step.")
             .arg(ToQ(ChannelBoxText(kFirstChannel)))
             .arg(ToQ(ChannelBoxText(kLastOrdinaryChannel)))},
        {"ChnlScrll", QStringLiteral("Step through the channels; up raises the number.\n"
                                     "After GD2 comes DEF, and below DEF comes GD2.")},
        {"Primary", QStringLiteral("The primary channel this shadow follows (read only).")},
        {"SM1", QStringLiteral("Scan: ticked, the radio scans this channel.")},
        {"Zone", QStringLiteral("The list the channel belongs to, List 1 to List %1.\n"
                                "A list holds at most %2 channels; a full list is not offered.")
                     .arg(kZoneCount - 1)
                     .arg(kMaxChannelsPerZone)},
        {"Desc", QStringLiteral("Description: up to %1 characters.").arg(kDescChars)},
        {"Modes", QStringLiteral("Operating mode: Wide or Narrow (analog FM), or Digital (P25).\n"
                                 "The squelch lists follow the mode.")},
        {"RFrq", QStringLiteral("Receive frequency: %1.").arg(band)},
        {"TFrq", QStringLiteral("Transmit frequency: %1.\nIn simplex it follows the receive "
                                "frequency; a shadow keeps its primary's.")
                     .arg(band)},
        {"RSql", QStringLiteral("Receive squelch: Noise, CTCSS or DCS in Wide and Narrow;\n"
                                "Monitor, NAC or Talk Group in Digital.")},
        {"TSql", QStringLiteral("Transmit squelch: Noise, CTCSS, DCS or Tx Inhibit in Wide and "
                                "Narrow;\nTalk Group, ID Call (not for a shadow) or Tx Inhibit in "
                                "Digital.")},
        {"RCTCSS", tone},
        {"TCTCSS", tone},
        {"RDCS", code},
        {"TDCS", code},
        {"RTG", QStringLiteral("Receive talk group: ") + hex.arg(kTalkGroupChars)},
        {"TTG", QStringLiteral("Transmit talk group: ") + hex.arg(kTalkGroupChars)},
        {"RNAC", QStringLiteral("Receive network access code (NAC): ") + hex.arg(kNacChars)},
        {"TNAC", QStringLiteral("Transmit network access code (NAC): ") + hex.arg(kNacChars)},
        {"IDCall", QStringLiteral("ID call: up to %1 digits, sent with the ID Call transmit "
                                  "squelch.")
                       .arg(kIdCallChars)},
        {"Sx", QStringLiteral("Simplex: transmit on the receive settings.")},
        {"Dx", QStringLiteral("Duplex: separate transmit settings.")},
        {"NoiseSquelch", QStringLiteral("Set the radio's noise squelch level, 0 to 15.")},
        {"CreateShadow", QStringLiteral("Make a shadow: a channel on a primary's frequencies,\n"
                                        "at most %1 to a primary.")
                             .arg(kShadowSlots)},
        {"Save", QStringLiteral("Store the editor's values into this channel and show the next.\n"
                                "Storing DEF keeps the template for the next start.")},
    };
}

std::vector<Tip> ListAndButtonTips() {
    QString ports = QStringLiteral(
        "COM1-32 are ttyS0-31, COM33-64 ttyUSB0-31, COM65-96 "
        "ttyACM0-31.");
    if (const auto folder = PortsFolder()) {
        ports =
            QStringLiteral("COM<n> is the entry COM<n> of %1.").arg(FromSystem(folder->string()));
    }
    const QString send = QStringLiteral(
        "Ticked: sent with the next Download (to Radio).\n"
        "Grey: to be erased in the radio.");
    return {
        {"Summary", QStringLiteral("One line per channel; click a line to show that channel.")},
        {"Check1", send},
        {"Check2", send},
        {"Check3", send},
        {"Check4", send},
        {"Check5", send},
        {"Check6", send},
        {"FileSave", QStringLiteral("Save the channel memory as a .540 channel data file.")},
        {"FileOpen", QStringLiteral("Open a channel data file; older files and listings are "
                                    "read too.")},
        {"PrintList", QStringLiteral("Print the channel listing.")},
        {"PrintFile", QStringLiteral("Write the channel listing to a text file.")},
        {"ExportCsv", QStringLiteral("Write the channels as a CSV plan for a spreadsheet.")},
        {"ImportCsv", QStringLiteral("Read a CSV plan (this program's or CHIRP's) in place of "
                                     "the memory.")},
        {"Upload", QStringLiteral("Send the ticked channels to the radio and erase the grey "
                                  "ones there.")},
        {"Download", QStringLiteral("Read the radio's channel memory into the program.")},
        {"SelAll", QStringLiteral("Tick every defined channel to be sent.")},
        {"ClearAll", QStringLiteral("Clear every channel's tick.")},
        {"ReadDbgLog", QStringLiteral("Read the radio's debug log into KVRX-540_Dbg.log.")},
        {"EraseCurr", QStringLiteral("Mark the channel shown to be erased in the radio, or take "
                                     "the mark back.\nA channel made here and never sent goes "
                                     "at once.")},
        {"EraseAll", QStringLiteral("Purge: the next send clears the radio's memory first.\n"
                                    "UnPurge takes that back.")},
        {"CommPort", QStringLiteral("The radio's serial port, COM%1 to COM%2: type the number or "
                                    "pick a port found.\n")
                             .arg(kFirstPortNumber)
                             .arg(kLastPortNumber) +
                         ports},
        {"FindRadio", QStringLiteral("Ask every port that opens whether a radio answers there,\n"
                                     "and use the port where one does. Nothing is written "
                                     "into the radio.")},
        {"DumpChnlData", QStringLiteral("Asks for a count: 0 writes the channel data dump,\n"
                                        "any other runs the transfer test that many times.")},
    };
}

std::vector<Tip> DialogTips() {
    const QString channels = QStringLiteral("%1 to %2")
                                 .arg(ToQ(ChannelBoxText(kFirstChannel)))
                                 .arg(ToQ(ChannelBoxText(kLastOrdinaryChannel)));
    return {
        {"frmShadow/PrimChnl", QStringLiteral("The primary, %1: a defined channel, no shadow, "
                                              "fewer than %2 shadows.")
                                   .arg(channels)
                                   .arg(kShadowSlots)},
        {"frmShadow/ShadChnl",
         QStringLiteral("The new shadow, %1: a channel not yet defined.").arg(channels)},
        {"frmShadow/cmdOK", QStringLiteral("Create the shadow and show it.")},
        {"frmShadow/cmdCancel", QStringLiteral("Close without creating a shadow.")},
        {"frmSquelch/SquelchValue", QStringLiteral("The noise squelch level, 0 to 15.")},
        {"frmSquelch/cmdOK", QStringLiteral("Keep this level for the next send.")},
        {"frmSquelch/cmdCancel", QStringLiteral("Close, keeping the level as it was.")},
        {"frmIteration/Iterations", QStringLiteral("0 writes the channel data dump; 1 to 32767 "
                                                   "runs the transfer test that many times.")},
        {"frmFleet/FleetTable",
         QStringLiteral("The ports that open. Tick the port of each radio to program;\n"
                        "each row shows its radio's progress and outcome.")},
        {"frmFleet/FleetErase",
         QStringLiteral("Ticked: a radio whose memory must be cleared before the channels\n"
                        "are sent is read into the backups folder, then erased.\n"
                        "Not ticked: such a radio is left as it was.")},
        {"frmFleet/FleetVerify",
         QStringLiteral("Read each radio back after sending and compare it with what was sent.")},
        {"frmFleet/FleetRefresh", QStringLiteral("List the ports that open now.")},
        {"frmFleet/FleetStart",
         QStringLiteral("Send the memory in the window to every radio ticked, all at once.")},
        {"frmFleet/FleetStop", QStringLiteral("Stop every radio; each ends its transfer cleanly.")},
        {"frmFleet/FleetSaveReport",
         QStringLiteral("Save a row per radio (port, version, outcome, verify, backup) as CSV.")},
        {"frmFleet/FleetClose", QStringLiteral("Close; radios still running are stopped first.")},
        {"frmIteration/cmdOK", QStringLiteral("Start.")},
        {"frmIteration/cmdCancel", QStringLiteral("Close without doing anything.")},
    };
}

}  // namespace

void ExplainControls(QWidget& window) {
    const auto give = [&window](const std::vector<Tip>& tips) {
        for (const auto& tip : tips) {
            const QString path = QLatin1String(tip.first);
            QWidget* control = nullptr;
            if (const qsizetype slash = path.indexOf(u'/'); slash >= 0) {
                // A dialog made later explains itself: it is then the window given.
                auto* dialog = window.objectName() == path.left(slash)
                                   ? qobject_cast<QDialog*>(&window)
                                   : window.findChild<QDialog*>(path.left(slash));
                if (dialog != nullptr) {
                    control = dialog->findChild<QWidget*>(path.mid(slash + 1));
                }
            } else {
                control = window.findChild<QWidget*>(path);
            }
            if (control != nullptr) {
                control->setToolTip(tip.second);
            }
        }
    };
    give(EditorTips());
    give(ListAndButtonTips());
    give(DialogTips());
}

}  // namespace kld::ui
