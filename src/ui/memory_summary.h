#pragma once

#include <QGroupBox>
#include <array>

#include "operator.h"

class QCheckBox;
class QListView;
class QPushButton;

namespace kld::ui {

class Document;
class SummaryModel;

// "Memory Summary": one fixed-pitch line per record 0 to 232 and, beside the six lines in view,
// the boxes that choose the channels a send includes (grey marks a channel to erase in the
// radio; the operator's click only ticks or clears). The line highlighted is always the channel
// shown, the third line in view where the list allows; a click on a line, or the keyboard in
// the list, shows that channel, while scrolling the list leaves it alone. While the next send
// purges the radio the list is shown inverted.
class MemorySummary : public QGroupBox {
    Q_OBJECT
  public:
    MemorySummary(Document& document, Operator& op, QWidget* parent = nullptr);

    // Select All, Clear All, Un/Erase Current and Purge, wherever the window puts them; the
    // purge button's caption follows the purge.
    void BindListButtons(QPushButton* selectAll, QPushButton* clearAll, QPushButton* eraseCurrent,
                         QPushButton* purge);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Connect();
    void FollowCurrent(int index);
    void SyncSelectBoxes();
    void PlaceSelectBoxes();
    int TopLine() const;
    void TakeBoxClick(int box);
    void EraseOrUneraseCurrent();
    void TogglePurge();
    void ShowPurge(bool purging);

    Document& document_;
    Operator& op_;
    SummaryModel* model_ = nullptr;
    QListView* Summary = nullptr;
    QWidget* selectBoxes_ = nullptr;
    std::array<QCheckBox*, 6> Check{};
    QPushButton* purge_ = nullptr;
    bool following_ = false;  // the list is being moved to the channel shown
    bool syncing_ = false;    // the boxes are being set from the memory
};

}  // namespace kld::ui
