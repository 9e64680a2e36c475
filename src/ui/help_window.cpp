#include "help_window.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kld::ui {

namespace {

// Written for a radio technician: the radio's own names first, then what the program adds.
// The summary's letters and columns are those of the listing files too, so the same page
// explains a printed list.
const char* const kHelpText = R"(
<h2>Squelch codes</h2>
<p>The letter after R (receive) and T (transmit) in the memory summary, and in the Rx and Tx
squelch boxes, is the squelch mode the radio uses on that side of the channel.</p>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>Code</th><th>Mode</th><th>Meaning</th><th>Offered on</th></tr>
<tr><td>x</td><td>Noise</td><td>Opens on any carrier above the memory's noise squelch level
(the "Noise Squelch" button, 0 to 15).</td><td>analog Rx and Tx</td></tr>
<tr><td>t</td><td>CTCSS</td><td>Opens (or sends) with the sub-audible tone chosen in the Tone
box.</td><td>analog Rx and Tx</td></tr>
<tr><td>c</td><td>DCS</td><td>Opens (or sends) with the digital code chosen in the Code
box.</td><td>analog Rx and Tx</td></tr>
<tr><td>m</td><td>Monitor</td><td>Opens on any P25 traffic on the frequency.</td>
<td>digital Rx</td></tr>
<tr><td>n</td><td>NAC</td><td>Opens on P25 traffic with the Network Access Code in the NAC box
(hexadecimal).</td><td>digital Rx</td></tr>
<tr><td>g</td><td>Talk Group</td><td>Opens on (or calls) the talk group in the T.G. box
(hexadecimal).</td><td>digital Rx and Tx</td></tr>
<tr><td>i</td><td>ID Call</td><td>Calls one radio by the seven-digit ID in the ID Call box. Not
offered on shadow channels.</td><td>digital Tx</td></tr>
<tr><td>-</td><td>Tx Inhibit</td><td>The channel does not transmit (receive only).</td>
<td>analog and digital Tx</td></tr>
</table>

<h2>The memory summary</h2>
<p>One line per channel, in the columns of the heading above the list; the same lines make the
printed list and "Print to File".</p>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>Column</th><th>Shows</th></tr>
<tr><td>Chan</td><td>The channel: DEF (the template new channels start from), 001 to 230, GD1
and GD2 (the two guard channels).</td></tr>
<tr><td>Scan</td><td>P: a primary channel with shadows. S: a scan member. Then the list (zone),
01 to 16. A shadow channel shows S- and its primary instead ("S-005").</td></tr>
<tr><td>Description</td><td>The eight-character name the radio displays.</td></tr>
<tr><td>Mode</td><td>w wideband, n narrowband, D digital (P25).</td></tr>
<tr><td>Freq</td><td>Receive frequency in MHz; the second Freq column is the transmit
frequency.</td></tr>
<tr><td>Sql</td><td>R or T and the squelch code above.</td></tr>
<tr><td>Tone</td><td>The CTCSS tone in Hz.</td></tr>
<tr><td>Code</td><td>The DCS code.</td></tr>
<tr><td>T.G.</td><td>The talk group.</td></tr>
<tr><td>NAC</td><td>The Network Access Code.</td></tr>
</table>
<p>UNDEFINED: nothing stored on the channel. ERASED: a channel read from the radio that the next
send erases there. The six boxes beside the list choose the channels a send includes; grey marks
a channel to erase in the radio.</p>

<h2>Keys</h2>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>Key</th><th>Does</th></tr>
<tr><td>Ctrl+S</td><td>Save the memory as a .540 file (as "Save File", Alt+F)</td></tr>
<tr><td>Ctrl+O</td><td>Open a channel file (as "Open File", Alt+O)</td></tr>
<tr><td>Ctrl+P</td><td>Print the list (as "Print List", Alt+L)</td></tr>
<tr><td>Ctrl+Q</td><td>Quit (asks first when the memory is not saved)</td></tr>
<tr><td>Ctrl+Z</td><td>Undo the last change to the memory (Edit menu: a store, an erase, a
selection, a receive, an open, an import, ...)</td></tr>
<tr><td>Ctrl+Shift+Z, Ctrl+Y</td><td>Redo it</td></tr>
<tr><td>F1</td><td>This help</td></tr>
<tr><td>Esc</td><td>Cancel the transfer under way</td></tr>
<tr><td>Alt+I, Alt+X, Alt+H</td><td>The File, Extras and Help menus</td></tr>
<tr><td>Alt+R</td><td>Save Record: store the channel shown and go to the next</td></tr>
<tr><td>Alt+T</td><td>Print to File</td></tr>
<tr><td>Alt+V</td><td>Export CSV</td></tr>
<tr><td>Alt+U</td><td>Upload (from Radio): read the radio's memory</td></tr>
<tr><td>Alt+D</td><td>Download (to Radio): send the chosen channels</td></tr>
<tr><td>Alt+S, Alt+C</td><td>Select All, Clear All (the channels a send includes)</td></tr>
<tr><td>Alt+E</td><td>Un/Erase Current</td></tr>
<tr><td>Tab, Shift+Tab</td><td>Through the editor, the list and the buttons</td></tr>
<tr><td>Enter in the Memory box</td><td>Go to the channel typed (a number, DEF, GD1, GD2)</td></tr>
<tr><td>Up, Down, Page Up, Page Down in the Memory box</td><td>The next or previous channel, or
six on, as the scroll bar beside it</td></tr>
</table>
<p>A channel data file (.540), any older file "Open File" reads, or a CSV plan (.csv) dropped
onto the window is opened or imported as those commands would. The last eight files opened or
saved are under File, Open Recent.</p>
<p>Moving to another channel while the boxes hold changes not yet stored asks whether to store
them (Store), drop them (Discard) or stay (Cancel). Inside a text box Ctrl+Z undoes the typing
there; elsewhere it undoes the last change to the memory.</p>
)";

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("KLD-540 Help"));
    setModal(false);
    auto* text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("HelpText"));
    text->setHtml(QString::fromUtf8(kHelpText));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    // Wide enough for the tables without wrapping every cell, whatever the font.
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 90, metrics.height() * 36);
}

}  // namespace kld::ui
