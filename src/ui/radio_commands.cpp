#include "radio_commands.h"

#include <QWidget>
#include <string>

#include "backups.h"
#include "document.h"
#include "field_rules.h"
#include "iteration_dialog.h"
#include "qt_text.h"
#include "repeated_transfer.h"
#include "safe_send.h"
#include "status_text.h"
#include "transfer_view.h"
#include "verify.h"

namespace kld::ui {

namespace {

using Then = Document::Then;

QString StepOf(Direction direction) {
    switch (direction) {
        case Direction::Send:
            return QStringLiteral("Send");
        case Direction::Receive:
            return QStringLiteral("Receive");
        case Direction::DebugLog:
            break;
    }
    return QStringLiteral("Read Debug Log");
}

}  // namespace

RadioCommands::RadioCommands(Document& document, Operator& op, TransferView& view,
                             std::filesystem::path folder, QWidget* window)
    : QObject(window),
      document_(document),
      op_(op),
      view_(view),
      folder_(std::move(folder)),
      iterationDialog_(new IterationDialog(window)) {}

bool RadioCommands::Transferring() const {
    return view_.Running();
}

void RadioCommands::StopTransfer() {
    view_.RequestCancel();
}

void RadioCommands::Send() {
    // Edits stored now are in the backup and on the air; the transfer shows channel 1 after.
    if (document_.Busy() || !document_.MayLeaveCurrent()) {
        return;
    }
    KeepBackup(false);  // the memory about to be sent, whatever the send then does
    SafeSendResult result;
    RunWithRadio(StepOf(Direction::Send), [&](TransferContext& context) {
        const auto mayErase = [&](const SendForecast& forecast) {
            const std::string copy =
                copyRadioBeforeErase_
                    ? "What the radio holds now is read into the backups folder first."
                    : "No copy of what the radio holds is kept (Extras menu).";
            return op_.Ask({EraseWarningText(forecast) + "\n\n" + copy +
                                "\n\nErase the radio and send?",
                            "Download (to Radio)", Icon::Warning, Buttons::YesNo}) == Answer::Yes;
        };
        result = SafeSend(context, copyRadioBeforeErase_, mayErase);
        if (result.transfer.failure) {
            op_.Tell(result.transfer.failure->AsMessage());
        }
    });
    if (result.declined) {
        emit StatusMessage(QStringLiteral("Nothing was sent: the radio was left as it was."));
    } else if (result.transfer.Complete()) {
        emit StatusMessage(FromSystem(SendSummaryText(result)));
    } else if (result.transfer.failure) {
        emit StatusMessage(
            QStringLiteral("Send failed: %1.").arg(FromSystem(result.transfer.failure->message)));
    }
    if (result.transfer.Complete() && verifyAfterSending_) {
        VerifyRadio();
    }
}

void RadioCommands::Receive() {
    if (document_.Busy() || !document_.MayLeaveCurrent()) {
        return;
    }
    const auto before = document_.Memory().Records;
    const TransferResult result = RadioTransfer(Direction::Receive);
    if (result.outcome == Outcome::None && !result.failure) {
        return;  // another transfer was running: nothing was done
    }
    if (result.Complete()) {
        emit StatusMessage(QStringLiteral("Received %1 from the radio.%2")
                               .arg(ChannelsText(ChannelCount(document_.Memory())), kUndoHint));
        KeepBackup(true);
        return;
    }
    // Records that arrived before the failure stay; the memory as it was is one Ctrl+Z away.
    const bool changed = document_.Memory().Records != before;
    emit StatusMessage(
        QStringLiteral("Receive failed: %1.%2")
            .arg(FromSystem(result.Message()),
                 changed ? QStringLiteral(" The channels that arrived are kept.") + kUndoHint
                         : QStringLiteral(" The memory is as it was.")));
}

void RadioCommands::ReadDebugLog() {
    const TransferResult result = RadioTransfer(Direction::DebugLog);
    if (result.Complete()) {
        emit StatusMessage(QStringLiteral("Read the debug log into ") + ToQ(kDebugLogFileName));
    } else if (result.failure) {
        emit StatusMessage(QStringLiteral("The debug log was not read: ") +
                           FromSystem(result.Message()));
    }
}

void RadioCommands::VerifyRadio() {
    VerifyResult result;
    RunWithRadio(QStringLiteral("Verify"), [&](TransferContext& context) {
        result = kld::VerifyRadio(context.memory, context.state, device_, context.host, folder_);
        if (result.transfer.failure) {
            op_.Tell(result.transfer.failure->AsMessage());
        }
        if (result.transfer.Complete() && result.Ok()) {
            // The radio holds what this memory sends, under the stamp the verify gave it.
            context.state.MemoryStamp = result.radioStamp;
        }
    });
    if (!result.transfer.Complete()) {
        if (result.transfer.failure) {
            emit StatusMessage(QStringLiteral("Verify failed: ") +
                               FromSystem(result.transfer.Message()));
        }
        return;  // told what went wrong
    }
    if (result.Ok()) {
        emit StatusMessage(QStringLiteral("Verify OK"));
        op_.Tell({"Verify OK", "Verify", Icon::Information, Buttons::Ok});
        return;
    }
    emit StatusMessage(
        QStringLiteral("Verify found %1 in the radio")
            .arg(result.differences.size() == 1
                     ? QStringLiteral("1 difference")
                     : QStringLiteral("%1 differences").arg(result.differences.size())));
    op_.Tell(
        {"The radio does not hold what was sent: " + std::to_string(result.differences.size()) +
             (result.differences.size() == 1 ? " difference." : " differences.") +
             "\n\nThe details list each channel and field.",
         "Verify", Icon::Warning, Buttons::Ok, VerifyReportText(result)});
}

void RadioCommands::AskDumpOrTransferTest() {
    if (document_.Busy() || iterationDialog_->exec() != QDialog::Accepted) {
        return;
    }
    const auto rounds = ParseTyped16(FromQ(iterationDialog_->Count()));
    if (!rounds || *rounds < 0) {
        op_.Tell({"Value is out of range", "", Icon::None, Buttons::Ok});
        return;
    }
    if (*rounds != 0) {
        RunTransferTest(*rounds);
    } else {
        emit DumpAsked();
    }
}

TransferResult RadioCommands::RadioTransfer(Direction direction) {
    TransferResult result;
    RunWithRadio(StepOf(direction), [&](TransferContext& context) {
        result = kld::RadioTransfer(direction, context);
        if (result.failure) {
            op_.Tell(result.failure->AsMessage());
        }
    });
    return result;
}

void RadioCommands::RunTransferTest(int rounds) {
    RunWithRadio(QStringLiteral("Transfer Test"), [&](TransferContext& context) {
        const TransferTestResult result = kld::RunTransferTest(rounds, context);
        for (const Failure& failure : result.Failures()) {
            op_.Tell(failure.AsMessage());
        }
        op_.Tell(TransferTestSummary(result, rounds));
    });
}

// The transfer works on the memory in place, as one step; the window keeps painting meanwhile.
void RadioCommands::RunWithRadio(const QString& step,
                                 const std::function<void(TransferContext&)>& work) {
    // Every transfer shows channel 1 afterwards: edits not stored are asked about first.
    if (document_.Busy() || !document_.MayLeaveCurrent()) {
        return;
    }
    emit PortWanted();
    document_.Apply(step, [&](ChannelMemory& memory, ProgramState& state) {
        view_.Run([&](TransferHost& host) {
            TransferContext context{memory, state, device_, host, op_, folder_};
            work(context);
        });
        return Then::Reload;
    });
    emit TransferEnded();
}

void RadioCommands::KeepBackup(bool received) {
    const BackupResult result =
        WriteBackup(document_.Memory(), document_.State(),
                    received ? BackupKind::Received : BackupKind::BeforeSend);
    if (result || backupFailureTold_) {
        return;
    }
    // Never in the operator's way: a transfer goes on without its copy, and this is said once.
    backupFailureTold_ = true;
    emit StatusMessage(FromSystem(result.Error().message + ": " + result.Error().detail));
}

}  // namespace kld::ui
