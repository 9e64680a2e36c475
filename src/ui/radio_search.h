#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "operator.h"
#include "radio_finder.h"

class QPushButton;
class QThread;
class QWidget;

namespace kld::ui {

class Document;
class PortBox;

// "Find Radio": asks every port that opens whether a radio is on it, on a thread of its own (a
// port where nothing answers takes a few seconds, and the window keeps painting meanwhile), then
// makes the port where one answered the port in use, through the port box's own check. Ports are
// asked only when the operator presses the button.
class RadioSearch : public QObject {
    Q_OBJECT
  public:
    // `button` is greyed while the search runs; `transferring` says whether a transfer holds the
    // port; `window` is the parent of the list offered when several radios answer.
    RadioSearch(Document& document, Operator& op, PortBox& portBox, QPushButton& button,
                std::function<bool()> transferring, QWidget* window);
    ~RadioSearch() override;

    void Find();
    // Returns once a search running has ended, so that no transfer opens a port it holds.
    void WaitForEnd();

  signals:
    void StatusMessage(const QString& text);
    void Ended();  // the search is over and what it found has been dealt with

  private:
    void Conclude(const std::vector<PortEntry>& asked, const std::vector<FoundRadio>& found);

    Document& document_;
    Operator& op_;
    PortBox& portBox_;
    QPushButton& button_;
    std::function<bool()> transferring_;
    QWidget* window_;
    QThread* search_ = nullptr;
    // The search is being ended for a transfer about to start: no list is offered then, as no
    // question may open in the middle of a transfer's start.
    bool endingForTransfer_ = false;
};

}  // namespace kld::ui
