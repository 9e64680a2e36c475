#include "cli.h"
#include "cli_transfer_host.h"
#include "data_file.h"
#include "file_io.h"

namespace kld::cli {

// Reads the radio's memory and saves it. The memory check at the end of the transfer may offer
// to move channels out of disabled modes; --repair-modes accepts.
int RunReceive(Session& session, const VerbArgs& args) {
    const std::string out = *args.Option("-o");
    // A receive that cannot be saved would be lost: find that out before the radio is asked.
    if (const auto failed = WhyNotWritable(out)) {
        return ExitStatus(session, failed);
    }
    session.op.okCancel = args.Has("--repair-modes") ? Answer::Ok : Answer::Cancel;
    const int status = RunTransfer(session, args, Direction::Receive);
    if (status != kExitOk) {
        return status;
    }
    const int saved = ExitStatus(session, SaveChannelFile(out, session.memory, session.state));
    KeepBackup(session, BackupKind::Received);  // the more welcome when the save failed
    return saved;
}

}  // namespace kld::cli
