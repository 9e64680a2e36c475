#include "cli.h"
#include "cli_transfer_host.h"
#include "data_file.h"

namespace kld::cli {

// Reads the radio's memory and saves it. The memory check at the end of the transfer may offer
// to move channels out of disabled modes; --repair-modes accepts.
int RunReceive(Session& session, const VerbArgs& args) {
    session.op.okCancel = args.Has("--repair-modes") ? Answer::Ok : Answer::Cancel;
    const int status = RunTransfer(session, args, Direction::Receive);
    if (status != kExitOk) {
        return status;
    }
    return SaveChannelFile(*args.Option("-o"), session.memory, session.state, session.op)
               ? kExitOk
               : kExitFailed;
}

}  // namespace kld::cli
