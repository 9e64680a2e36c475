#include "cli.h"
#include "cli_transfer_host.h"
#include "data_file.h"
#include "file_io.h"
#include "file_messages.h"

namespace kld::cli {

// Reads the radio's memory and saves it. The memory check at the end of the transfer may offer
// to move channels out of disabled modes; --repair-modes accepts.
int RunReceive(Session& session, const VerbArgs& args) {
    const std::string out = *args.Option("-o");
    // A receive that cannot be saved would be lost: find that out before the radio is asked.
    if (const auto why = WhyNotWritable(out)) {
        session.op.Tell(WriteErrorMessage(*why));
        return kExitFailed;
    }
    session.op.okCancel = args.Has("--repair-modes") ? Answer::Ok : Answer::Cancel;
    const int status = RunTransfer(session, args, Direction::Receive);
    if (status != kExitOk) {
        return status;
    }
    const bool saved = SaveChannelFile(out, session.memory, session.state, session.op);
    KeepBackup(session, BackupKind::Received);  // the more welcome when the save failed
    return saved ? kExitOk : kExitFailed;
}

}  // namespace kld::cli
