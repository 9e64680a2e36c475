#include "cli.h"
#include "cli_transfer_host.h"

namespace kld::cli {

// Sends FILE's selected channels (all defined ones with --select-all) to the radio.
int RunSend(Session& session, const VerbArgs& args) {
    // The open's own questions (the mode repair) are declined, as for the other verbs.
    if (!OpenSelection(session, args)) {
        return kExitFailed;
    }
    if (args.Has("--purge")) {
        session.state.PurgeMode = 1;
    }
    // The one OK/Cancel question of a send: go on despite modes the radio has not enabled.
    session.op.okCancel = args.Has("--yes") ? Answer::Ok : Answer::Cancel;
    KeepBackup(session, BackupKind::BeforeSend);
    return RunTransfer(session, args, Direction::Send);
}

}  // namespace kld::cli
