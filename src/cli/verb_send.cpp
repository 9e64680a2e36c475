#include "cli.h"
#include "cli_transfer_host.h"
#include "safe_send.h"

namespace kld::cli {

// Sends FILE's selected channels (all defined ones with --select-all) to the radio. A send that
// erases the radio first goes only with --yes, and reads the radio into the backups folder
// before (unless --no-radio-backup).
int RunSend(Session& session, const VerbArgs& args) {
    // The open's own questions (the mode repair) are declined, as for the other verbs.
    if (!OpenSelection(session, args)) {
        return kExitFailed;
    }
    if (args.Has("--purge")) {
        session.state.PurgeMode = 1;
    }
    // --yes answers both questions of a send: erasing the radio, and going on despite modes the
    // radio has not enabled.
    const bool yes = args.Has("--yes");
    session.op.okCancel = yes ? Answer::Ok : Answer::Cancel;
    KeepBackup(session, BackupKind::BeforeSend);
    return WithRadio(session, args, [&](TransferContext& context) {
        const auto mayErase = [&](const SendForecast& forecast) {
            if (!yes) {
                context.op.Tell(Failure{EraseWarningText(forecast) + " Nothing was sent.",
                                        "Give --yes to erase the radio and send."}
                                    .AsMessage());
            }
            return yes;
        };
        const SafeSendResult result = SafeSend(context, !args.Has("--no-radio-backup"), mayErase);
        if (result.declined) {
            return kExitFailed;
        }
        if (result.radioCopy) {
            session.err << "Backup: " << result.radioCopy->string() << "\n";
        }
        return TransferExitStatus(session, context.op, result.transfer);
    });
}

}  // namespace kld::cli
