#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>
#include <vector>

#include "fleet.h"
#include "operator.h"
#include "qt_serial_device.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kld::ui {

class Document;
class WindowDialogs;

// "Program Several Radios" (frmFleet): the memory in the window sent, as the window's own send
// would send it (its ticks and its purge), to every radio on the ports ticked, all at once. A
// row per port that opens shows its radio's progress and outcome; the report can be saved as
// CSV. The radios run on threads of their own with a copy of the memory (Fleet), so the window
// keeps painting and the document is never touched. Modal: it stops its radios before it closes.
class FleetDialog : public QDialog {
    Q_OBJECT
  public:
    FleetDialog(Document& document, Operator& op, WindowDialogs& dialogs, QWidget* parent);
    ~FleetDialog() override;

    // Lists the ports that open now and shows the dialog until the operator closes it.
    void Run();

    void ListPorts();
    void Start();
    void Stop();
    void SaveReport();
    bool Running() const;

  signals:
    void StatusMessage(const QString& text);
    void AllEnded();  // every radio of the last start has ended

  protected:
    void reject() override;

  private:
    // The rows whose port is ticked to take part.
    std::vector<int> TickedRows() const;
    void Follow();
    void Finish();
    void ShowIdle();

    Document& document_;
    Operator& op_;
    WindowDialogs& dialogs_;
    QTableWidget* table_;
    QCheckBox* erase_;
    QCheckBox* verify_;
    QPushButton* refresh_;
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* save_;
    QPushButton* close_;
    QLabel* summary_;
    QTimer poll_;
    std::vector<PortEntry> ports_;  // the table's rows
    std::unique_ptr<Fleet> fleet_;
    std::vector<int> rowOfRadio_;  // the table row of each radio started, in the fleet's order
    QString reportName_;           // the last report file chosen
};

}  // namespace kld::ui
