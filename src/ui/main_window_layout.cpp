// The main window's controls and their arrangement. Names, captions and labels are the ones the
// technicians' manual uses; the layout follows the font, so the window stays legible at any
// scaling.
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "field_rules.h"
#include "main_window.h"
#include "qt_text.h"
#include "summary.h"

namespace kld::ui {

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit* Box(const char* name, int maxLength) {
    auto* box = Named(new QLineEdit, name);
    box->setMaxLength(maxLength);
    // Wide enough for its longest text and a little more, whatever the font.
    const int chars = std::max(maxLength, 3) + 2;
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars);
    return box;
}

QComboBox* Choice(const char* name) {
    auto* box = Named(new QComboBox, name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

QPushButton* Button(const char* name, const char* caption) {
    auto* button = Named(new QPushButton(QString::fromLatin1(caption)), name);
    button->setAccessibleName(QString(QString::fromLatin1(caption)).remove(QLatin1Char('&')));
    return button;
}

// A label that is its control's buddy, so that a screen reader announces the label with the
// control and the label's access key (if any) reaches it.
QLabel* LabelFor(const char* text, QWidget* buddy, const char* name = nullptr) {
    auto* label = new QLabel(QString::fromLatin1(text));
    label->setBuddy(buddy);
    if (name != nullptr) {
        label->setObjectName(QString::fromLatin1(name));
    }
    buddy->setAccessibleName(QString(QString::fromLatin1(text)).remove(QLatin1Char('&')).trimmed());
    return label;
}

// A selection box: grey shows an erase mark, which only the program sets. The operator's click
// toggles between ticked and clear, and a click on a grey box clears it.
class SelectBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
    }
};

QLabel* SubHeading(const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

void MainWindow::BuildLayout() {
    setObjectName(QStringLiteral("frmKLD540"));
    setWindowTitle(QStringLiteral("KLD - 540"));
    auto* central = new QWidget;
    setCentralWidget(central);

    // Basic Information
    BasicInfo = Named(new QGroupBox(QStringLiteral("Basic Information")), "BasicInfo");
    Channel = Box("Channel", kChannelBoxChars);
    ChnlScrll = Named(new QScrollBar(Qt::Vertical), "ChnlScrll");
    ChnlScrll->setAccessibleName(QStringLiteral("Channel up or down"));
    // Up raises the channel, as on the radio's own channel knob. A scroll bar's top arrow, the Up
    // key and the wheel all lower its value whatever way it is drawn, so the bar runs over the
    // channels negated: value -n shows channel n, with -233 and 1 only there to let it wrap.
    ChnlScrll->setRange(-(kLastRecord + 1), 1);
    ChnlScrll->setPageStep(1);
    ChnlScrll->setFocusPolicy(Qt::StrongFocus);
    ChnlScrll->setFixedHeight(Channel->sizeHint().height() * 2);
    Primary = Box("Primary", 4);
    Primary->setReadOnly(true);
    SM1 = Named(new QCheckBox, "SM1");
    Zone = Choice("Zone");
    Desc = Box("Desc", kDescChars);
    Modes = Choice("Modes");

    auto* basic = new QGridLayout(BasicInfo);
    basic->addWidget(LabelFor("Memory:", Channel), 0, 0);
    auto* channelRow = new QHBoxLayout;
    channelRow->addWidget(Channel);
    channelRow->addWidget(ChnlScrll);
    channelRow->addStretch();
    basic->addLayout(channelRow, 0, 1);
    lblPrimary = LabelFor("Primary Memory:", Primary, "lblPrimary");
    basic->addWidget(lblPrimary, 1, 0);
    basic->addWidget(Primary, 1, 1, Qt::AlignLeft);
    lblScan = LabelFor("Scan:", SM1, "lblScan");
    basic->addWidget(lblScan, 2, 0);
    basic->addWidget(SM1, 2, 1);
    lblZone = LabelFor("List:", Zone, "lblZone");
    basic->addWidget(lblZone, 3, 0);
    basic->addWidget(Zone, 3, 1, Qt::AlignLeft);
    basic->addWidget(LabelFor("Description :", Desc), 4, 0);
    basic->addWidget(Desc, 4, 1);
    basic->addWidget(LabelFor("Operating Mode :", Modes), 5, 0);
    basic->addWidget(Modes, 5, 1, Qt::AlignLeft);
    basic->setRowStretch(6, 1);

    // Rx and Tx Information share one shape.
    auto buildSide = [](QGroupBox* frame, QLineEdit* freq, QComboBox* sql, QComboBox* ctcss,
                        QComboBox* dcs, QLineEdit* tg, QLineEdit* nac, QLineEdit* idCall) {
        auto* grid = new QGridLayout(frame);
        grid->addWidget(LabelFor("Frequency :", freq), 0, 0);
        grid->addWidget(freq, 0, 1);
        grid->addWidget(LabelFor("Squelch Mode :", sql), 1, 0);
        grid->addWidget(sql, 1, 1);
        grid->addWidget(SubHeading("Analog"), 2, 0, 1, 2);
        grid->addWidget(LabelFor("Tones :", ctcss), 3, 0);
        grid->addWidget(ctcss, 3, 1, Qt::AlignLeft);
        grid->addWidget(LabelFor("Codes :", dcs), 4, 0);
        grid->addWidget(dcs, 4, 1, Qt::AlignLeft);
        grid->addWidget(SubHeading("Digital"), 5, 0, 1, 2);
        grid->addWidget(LabelFor("Talk Group :", tg), 6, 0);
        grid->addWidget(tg, 6, 1, Qt::AlignLeft);
        grid->addWidget(LabelFor("NAC :", nac), 7, 0);
        grid->addWidget(nac, 7, 1, Qt::AlignLeft);
        if (idCall != nullptr) {
            grid->addWidget(LabelFor("ID Call:", idCall), 8, 0);
            grid->addWidget(idCall, 8, 1, Qt::AlignLeft);
        }
        grid->setRowStretch(9, 1);
    };
    RxInfo = Named(new QGroupBox(QStringLiteral("Rx Information")), "RxInfo");
    RFrq = Box("RFrq", kFrequencyChars);
    RSql = Choice("RSql");
    RCTCSS = Choice("RCTCSS");
    RDCS = Choice("RDCS");
    RTG = Box("RTG", kTalkGroupChars);
    RNAC = Box("RNAC", kNacChars);
    buildSide(RxInfo, RFrq, RSql, RCTCSS, RDCS, RTG, RNAC, nullptr);

    TxInfo = Named(new QGroupBox(QStringLiteral("Tx Information")), "TxInfo");
    TFrq = Box("TFrq", kFrequencyChars);
    TSql = Choice("TSql");
    TCTCSS = Choice("TCTCSS");
    TDCS = Choice("TDCS");
    TTG = Box("TTG", kTalkGroupChars);
    TNAC = Box("TNAC", kNacChars);
    IDCall = Box("IDCall", kIdCallChars);
    buildSide(TxInfo, TFrq, TSql, TCTCSS, TDCS, TTG, TNAC, IDCall);

    Sx = Named(new QRadioButton(QStringLiteral("Sx")), "Sx");
    Dx = Named(new QRadioButton(QStringLiteral("Dx")), "Dx");
    Sx->setAccessibleName(QStringLiteral("Simplex"));
    Dx->setAccessibleName(QStringLiteral("Duplex"));
    Sx->setToolTip(QStringLiteral("Simplex: transmit on the receive settings"));
    Dx->setToolTip(QStringLiteral("Duplex: separate transmit settings"));
    auto* sxdx = new QVBoxLayout;
    sxdx->addStretch();
    sxdx->addWidget(Sx);
    sxdx->addWidget(Dx);
    sxdx->addStretch();

    NoiseSquelch = Button("NoiseSquelch", "Noise Squelch");
    Save = Button("Save", "Save &Record");
    CreateShadow = Button("CreateShadow", "Create Shadow");

    auto* editor = new QHBoxLayout;
    editor->addWidget(BasicInfo);
    editor->addWidget(RxInfo);
    editor->addLayout(sxdx);
    editor->addWidget(TxInfo);
    auto* editButtons = new QVBoxLayout;
    editButtons->addStretch();
    editButtons->addWidget(NoiseSquelch);
    editButtons->addWidget(CreateShadow);
    editButtons->addWidget(Save);
    editor->addLayout(editButtons);

    // Memory Summary: the heading, the six selection boxes beside the six visible lines.
    ChnlSummary = Named(new QGroupBox(QStringLiteral("Memory Summary")), "ChnlSummary");
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // The heading's words sit over their columns in the window's own proportional font, whose
    // blanks are narrower than the list's fixed-pitch ones.
    SummaryHeading = Named(new QLabel(ToQ(kSummaryHeading)), "SummaryHeading");
    SummaryHeading->setTextInteractionFlags(Qt::NoTextInteraction);
    Summary = Named(new QListWidget, "Summary");
    Summary->setFont(fixed);
    Summary->setAccessibleName(QStringLiteral("Memory Summary"));
    Summary->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    Summary->setUniformItemSizes(true);
    Summary->setSelectionMode(QAbstractItemView::SingleSelection);
    Summary->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Summary->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SummaryHeading->setBuddy(Summary);
    auto* boxes = new QWidget;
    boxes->setObjectName(QStringLiteral("SelectBoxes"));
    for (std::size_t k = 0; k < Check.size(); ++k) {
        const QString name = QStringLiteral("Check%1").arg(k + 1);
        Check[k] = new SelectBox(boxes);
        Check[k]->setObjectName(name);  // its accessible name follows the line beside it
    }
    boxes->setFixedWidth(Check[0]->sizeHint().width() + 4);
    boxes->installEventFilter(this);
    Summary->installEventFilter(this);
    auto* summaryGrid = new QGridLayout(ChnlSummary);
    summaryGrid->addWidget(SummaryHeading, 0, 1);
    summaryGrid->addWidget(boxes, 1, 0);
    summaryGrid->addWidget(Summary, 1, 1);
    summaryGrid->setColumnStretch(1, 1);
    summaryGrid->setHorizontalSpacing(0);
    summaryGrid->setVerticalSpacing(2);

    TfrProgress = Named(new QGroupBox(QStringLiteral("Data Transfer Progress")), "TfrProgress");
    TfrProgressBar = Named(new QProgressBar, "TfrProgressBar");
    TfrStatus = Named(new QLabel(QStringLiteral("Status Message")), "TfrStatus");
    auto* progress = new QVBoxLayout(TfrProgress);
    progress->addStretch();
    progress->addWidget(TfrProgressBar);
    progress->addWidget(TfrStatus);
    progress->addStretch();
    TfrProgress->hide();

    // The button frames along the bottom.
    FileFrame = Named(new QGroupBox(QStringLiteral("File")), "FileFrame");
    FileSave = Button("FileSave", "Save &File");
    FileOpen = Button("FileOpen", "&Open File");
    PrintList = Button("PrintList", "Print &List");
    PrintFile = Button("PrintFile", "Print &to File");
    auto* file = new QGridLayout(FileFrame);
    file->addWidget(FileSave, 0, 0);
    file->addWidget(FileOpen, 0, 1);
    file->addWidget(PrintList, 1, 0);
    file->addWidget(PrintFile, 1, 1);
    ExportCsv = Button("ExportCsv", "Export CS&V");
    ImportCsv = Button("ImportCsv", "Import CSV");
    file->addWidget(ExportCsv, 2, 0);
    file->addWidget(ImportCsv, 2, 1);

    TransferFrame = Named(new QGroupBox(QStringLiteral("Data Transfer")), "TransferFrame");
    Upload = Button("Upload", "&Download (to Radio)");
    Download = Button("Download", "&Upload (from Radio)");
    SelAll = Button("SelAll", "&Select All");
    ClearAll = Button("ClearAll", "&Clear All");
    ReadDbgLog = Button("ReadDbgLog", "Read Debug Log");
    ReadDbgLog->setParent(TransferFrame);  // in the frame even while it is not in its grid
    new QGridLayout(TransferFrame);

    EraseFrame = Named(new QGroupBox(QStringLiteral("Erase")), "EraseFrame");
    EraseCurr = Button("EraseCurr", "Un/&Erase Current");
    EraseAll = Button("EraseAll", "Purge");
    auto* erase = new QVBoxLayout(EraseFrame);
    erase->addWidget(EraseCurr);
    erase->addWidget(EraseAll);

    PortFrame = Named(new QGroupBox(QStringLiteral("COM Port")), "PortFrame");
    CommPort = Choice("CommPort");
    CommPort->setEditable(true);
    // Typed text is checked as a port number, never kept as an entry of the list: the list holds
    // the ports found, each with its number as the entry's data.
    CommPort->setInsertPolicy(QComboBox::NoInsert);
    CommPort->setAccessibleName(QStringLiteral("COM Port"));
    // Wide enough for "COM33  /dev/ttyUSB0"; the list arriving later does not resize the window.
    CommPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CommPort->setMinimumContentsLength(19);
    DumpChnlData = Button("DumpChnlData", "Dump");
    auto* port = new QVBoxLayout(PortFrame);
    port->addWidget(CommPort);
    port->addWidget(DumpChnlData);

    auto* frames = new QHBoxLayout;
    frames->addWidget(FileFrame, 2);
    frames->addWidget(TransferFrame, 3);
    frames->addWidget(EraseFrame, 1);
    frames->addWidget(PortFrame, 1);

    auto* main = new QVBoxLayout(central);
    main->addLayout(editor);
    main->addWidget(ChnlSummary);
    main->addWidget(TfrProgress);
    main->addLayout(frames);
    main->addStretch();
    ArrangeTransferButtons();
}

// The debug buttons are there only in debug mode; without them the four others share the frame.
void MainWindow::ArrangeTransferButtons() {
    auto* grid = static_cast<QGridLayout*>(TransferFrame->layout());
    for (QWidget* button : {Upload, Download, SelAll, ClearAll, ReadDbgLog}) {
        grid->removeWidget(button);
    }
    grid->addWidget(Upload, 0, 0);
    grid->addWidget(Download, 0, 1);
    grid->addWidget(SelAll, 1, 0);
    grid->addWidget(ClearAll, 1, 1);
    if (state_.DebugMode) {
        grid->addWidget(ReadDbgLog, 0, 2);
    }
    ReadDbgLog->setVisible(state_.DebugMode);
    ReadDbgLog->setEnabled(state_.DebugMode);
    DumpChnlData->setVisible(state_.DebugMode);
    DumpChnlData->setEnabled(state_.DebugMode);
}

void MainWindow::SetFocusOrder() {
    const std::array<QWidget*, 31> order{
        Channel, ChnlScrll, SM1,    Zone,     Desc,      Modes,    RFrq,     RSql,
        RCTCSS,  RDCS,      RTG,    RNAC,     Sx,        Dx,       TFrq,     TSql,
        TCTCSS,  TDCS,      TTG,    TNAC,     Save,      Summary,  FileSave, FileOpen,
        Upload,  Download,  SelAll, ClearAll, EraseCurr, EraseAll, CommPort};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

}  // namespace kld::ui
