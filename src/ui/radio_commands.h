#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>

#include "operator.h"
#include "qt_serial_device.h"
#include "transfer.h"

class QWidget;

namespace kld::ui {

class Document;
class IterationDialog;
class TransferView;

// The radio commands: send ("Download (to Radio)"), receive ("Upload (from Radio)"), the
// debug log, the verify (after every completed send when asked for, or at once), and the dump
// or repeated-transfer test behind "Dump". Each transfer is one step of the document, run on
// the window's thread through the transfer view; every completed receive, and every send before
// it starts, leaves a copy in the backups folder. A send that erases the radio asks first, and
// reads the radio into the backups folder before the erase (SafeSend).
class RadioCommands : public QObject {
    Q_OBJECT
  public:
    // `folder` is the working directory (transfer log, debug log); `window` the parent of the
    // iteration dialog.
    RadioCommands(Document& document, Operator& op, TransferView& view,
                  std::filesystem::path folder, QWidget* window);

    void Send();
    void Receive();
    void ReadDebugLog();
    void VerifyRadio();
    // "Dump": asks for a count; 0 writes the channel dump (DumpAsked), any other number runs
    // the repeated-transfer test that many rounds.
    void AskDumpOrTransferTest();
    void SetVerifyAfterSending(bool verify) { verifyAfterSending_ = verify; }
    // Whether a send that erases the radio reads it into the backups folder first (on at start).
    void SetCopyRadioBeforeErase(bool copy) { copyRadioBeforeErase_ = copy; }

    // One exchange with the radio through the port in use, the window disabled meanwhile. A
    // transfer asked for while another runs does nothing (its outcome is None).
    TransferResult RadioTransfer(Direction direction);
    bool Transferring() const;
    // Asks the running transfer to stop; TransferEnded follows once it has.
    void StopTransfer();

  signals:
    void PortWanted();  // a port is about to be opened: the port search must be over
    void DumpAsked();
    void StatusMessage(const QString& text);
    void TransferEnded();

  private:
    void RunTransferTest(int rounds);
    void RunWithRadio(const QString& step, const std::function<void(TransferContext&)>& work);
    void KeepBackup(bool received);

    Document& document_;
    Operator& op_;
    TransferView& view_;
    std::filesystem::path folder_;
    IterationDialog* iterationDialog_;
    QtSerialDevice device_;  // the one serial device; open only during a transfer
    bool verifyAfterSending_ = false;
    bool copyRadioBeforeErase_ = true;
    bool backupFailureTold_ = false;  // a backup that cannot be written is said once a run
};

}  // namespace kld::ui
