#pragma once

#include <QComboBox>
#include <filesystem>

#include "operator.h"

class QThread;

namespace kld::ui {

class Document;

// The port box (CommPort): the port in use, and a list of the ports that can be opened with
// their devices and USB adapters ("COM33  /dev/ttyUSB0  FTDI, FT232R USB UART, serial A10KX3D2"). A
// port typed or picked there is checked as the operator leaves the box or presses Enter, and kept
// in KLD540.ini; typed text never becomes an entry of the list.
class PortBox : public QComboBox {
    Q_OBJECT
  public:
    // `folder` is where KLD540.ini is kept.
    PortBox(Document& document, Operator& op, std::filesystem::path folder,
            QWidget* parent = nullptr);
    ~PortBox() override;

    // Shows the port the memory uses, as "COM<n>".
    void ShowPortInUse();
    // Starts the search for the ports that can be opened, once; PortsFound follows when the
    // list holds them.
    void StartSearch();
    // Returns once the search has ended: it opens every port in turn, and a port it holds at the
    // moment a transfer opens that port would look "in use".
    void WaitForSearch();
    // Makes COM`number` the port in use as a port typed there would be: checked, then kept in
    // KLD540.ini. False, with the reason told, when it will not open.
    bool UsePort(int number);
    // While the window asks whether it may close, leaving the box checks nothing.
    void HoldLeaveCheck(bool hold) { held_ = hold; }

  signals:
    void PortsFound();
    void StatusMessage(const QString& text);

  protected:
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool CheckPort();

    Document& document_;
    Operator& op_;
    std::filesystem::path folder_;
    QThread* search_ = nullptr;
    bool held_ = false;
};

}  // namespace kld::ui
