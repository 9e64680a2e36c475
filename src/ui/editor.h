#pragma once

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "channel_editor.h"
#include "operator.h"

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kld::ui {

class Document;
class ShadowDialog;
class SquelchDialog;

// The channel editor over record Current: the "Basic Information", "Rx Information" and
// "Tx Information" frames, Sx and Dx, the channel scroll bar and the Noise Squelch, Create
// Shadow and Save Record buttons. Every rule is the core's: the editor reads its boxes into
// EditorValues, calls the rule and shows what it returns. Nothing reaches the memory before
// Save Record; the editor shows whatever channel the document moves to.
//
// Programmatic changes of a control do not run its handler (signals are blocked while the
// editor fills itself); where a handler must run at that point, it is called explicitly, so
// every behaviour runs once and in the order the editor expects.
class ChannelEditor : public QWidget {
    Q_OBJECT
  public:
    // `folder` is where a stored template is kept (KLD540.ini).
    ChannelEditor(Document& document, Operator& op, std::filesystem::path folder,
                  QWidget* parent = nullptr);

    // Fills the lists, creates the dialogs and installs the key and leave rules: once, before
    // the document starts.
    void Prepare();
    // While the window asks whether it may close, a box the focus leaves is not judged.
    void HoldLeaveRules(bool hold) { held_ = hold; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildLayout();
    void InstallRules();
    void Connect();

    // The boxes as a store reads them, and back.
    EditorValues ReadEditor() const;
    static EditorValues StoredForm(EditorValues values);
    bool HasUnstoredEdits() const;
    bool MayLeaveChannel();
    void WriteTransmitSide(const EditorValues& values);
    void SetSquelchLists(const SquelchLists& lists);
    static void SelectSquelch(QComboBox* box, std::optional<std::int16_t> code);
    static void SetLocked(QWidget* control, bool locked);
    bool IsShownShadow() const;

    void ShowCurrent();
    void MoveWithScrollBar();
    // Up, Down, Page Up and Page Down in the channel box; false for any other key.
    bool StepWithKey(const QKeyEvent& key);
    void ChooseSimplex();
    void ChooseDuplex();
    void RefillSquelchListsForMode();

    // Leave rules, run when the focus moves to another control of this window.
    void RunLeaveRule(QLineEdit* box);
    bool GoToTypedChannel();
    bool LeaveRxFrequency();
    bool LeaveTxFrequency();

    void StoreChannel();
    void CreateShadow();
    void SetNoiseSquelchLevel();

    Document& document_;
    Operator& op_;
    std::filesystem::path folder_;
    bool leaving_ = false;  // a leave rule is running; its own message box must not run it again
    bool held_ = false;
    bool asking_ = false;       // the unstored-edits question is up
    EditorValues shownValues_;  // what the boxes held when the channel was shown
    int shownMode_ = 0;         // the mode list's selection as its handler last saw it
    int wheelTurn_ = 0;         // the scroll bar's wheel turned short of a notch (touch pads)
    ShadowDialog* shadowDialog_ = nullptr;
    SquelchDialog* squelchDialog_ = nullptr;

    // The controls, by the names the technicians' manual gives them.
    QLineEdit* Channel = nullptr;
    QScrollBar* ChnlScrll = nullptr;
    QLabel* lblPrimary = nullptr;
    QLineEdit* Primary = nullptr;
    QLabel* lblScan = nullptr;
    QCheckBox* SM1 = nullptr;
    QLabel* lblZone = nullptr;
    QComboBox* Zone = nullptr;
    QLineEdit* Desc = nullptr;
    QComboBox* Modes = nullptr;
    QLineEdit* RFrq = nullptr;
    QComboBox* RSql = nullptr;
    QComboBox* RCTCSS = nullptr;
    QComboBox* RDCS = nullptr;
    QLineEdit* RTG = nullptr;
    QLineEdit* RNAC = nullptr;
    QRadioButton* Sx = nullptr;
    QRadioButton* Dx = nullptr;
    QLineEdit* TFrq = nullptr;
    QComboBox* TSql = nullptr;
    QComboBox* TCTCSS = nullptr;
    QComboBox* TDCS = nullptr;
    QLineEdit* TTG = nullptr;
    QLineEdit* TNAC = nullptr;
    QLineEdit* IDCall = nullptr;
    QPushButton* NoiseSquelch = nullptr;
    QPushButton* CreateShadowButton = nullptr;
    QPushButton* Save = nullptr;
};

}  // namespace kld::ui
