// The editor's frames and their arrangement.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "editor.h"
#include "field_rules.h"
#include "list_operations.h"
#include "window_widgets.h"

namespace kld::ui {

namespace {

using namespace controls;

QLabel* SubHeading(const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// Rx and Tx Information share one shape; only the transmit side has the ID call.
void BuildSide(QGroupBox* frame, QLineEdit* freq, QComboBox* sql, QComboBox* ctcss, QComboBox* dcs,
               QLineEdit* tg, QLineEdit* nac, QLineEdit* idCall) {
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
}

}  // namespace

void ChannelEditor::BuildLayout() {
    // Basic Information
    auto* basicInfo = Named(new QGroupBox(QStringLiteral("Basic Information")), "BasicInfo");
    Channel = Box("Channel", kChannelBoxChars);
    ChnlScrll = Named(new QScrollBar(Qt::Vertical), "ChnlScrll");
    ChnlScrll->setAccessibleName(QStringLiteral("Channel up or down"));
    // Up raises the channel, as on the radio's own channel knob. A scroll bar's top arrow, the Up
    // key and the wheel all lower its value whatever way it is drawn, so the bar runs over the
    // channels negated: value -n shows channel n, with -233 and 1 only there to let it wrap.
    ChnlScrll->setRange(-(kLastRecord + 1), 1);
    // A page is the six lines the memory summary shows.
    ChnlScrll->setPageStep(kSelectionBoxes);
    ChnlScrll->setFocusPolicy(Qt::StrongFocus);
    ChnlScrll->setFixedHeight(Channel->sizeHint().height() * 2);
    Primary = Box("Primary", 4);
    Primary->setReadOnly(true);
    SM1 = Named(new QCheckBox, "SM1");
    Zone = Choice("Zone");
    Desc = Box("Desc", kDescChars);
    Modes = Choice("Modes");

    auto* basic = new QGridLayout(basicInfo);
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

    auto* rxInfo = Named(new QGroupBox(QStringLiteral("Rx Information")), "RxInfo");
    RFrq = Box("RFrq", kFrequencyChars);
    RSql = Choice("RSql");
    RCTCSS = Choice("RCTCSS");
    RDCS = Choice("RDCS");
    RTG = Box("RTG", kTalkGroupChars);
    RNAC = Box("RNAC", kNacChars);
    BuildSide(rxInfo, RFrq, RSql, RCTCSS, RDCS, RTG, RNAC, nullptr);

    auto* txInfo = Named(new QGroupBox(QStringLiteral("Tx Information")), "TxInfo");
    TFrq = Box("TFrq", kFrequencyChars);
    TSql = Choice("TSql");
    TCTCSS = Choice("TCTCSS");
    TDCS = Choice("TDCS");
    TTG = Box("TTG", kTalkGroupChars);
    TNAC = Box("TNAC", kNacChars);
    IDCall = Box("IDCall", kIdCallChars);
    BuildSide(txInfo, TFrq, TSql, TCTCSS, TDCS, TTG, TNAC, IDCall);

    Sx = Named(new QRadioButton(QStringLiteral("Sx")), "Sx");
    Dx = Named(new QRadioButton(QStringLiteral("Dx")), "Dx");
    Sx->setAccessibleName(QStringLiteral("Simplex"));
    Dx->setAccessibleName(QStringLiteral("Duplex"));
    auto* sxdx = new QVBoxLayout;
    sxdx->addStretch();
    sxdx->addWidget(Sx);
    sxdx->addWidget(Dx);
    sxdx->addStretch();

    NoiseSquelch = Button("NoiseSquelch", "Noise Squelch");
    Save = Button("Save", "Save &Record");
    CreateShadowButton = Button("CreateShadow", "Create Shadow");

    auto* editor = new QHBoxLayout(this);
    editor->setContentsMargins(0, 0, 0, 0);
    editor->addWidget(basicInfo);
    editor->addWidget(rxInfo);
    editor->addLayout(sxdx);
    editor->addWidget(txInfo);
    auto* editButtons = new QVBoxLayout;
    editButtons->addStretch();
    editButtons->addWidget(NoiseSquelch);
    editButtons->addWidget(CreateShadowButton);
    editButtons->addWidget(Save);
    editor->addLayout(editButtons);
}

}  // namespace kld::ui
