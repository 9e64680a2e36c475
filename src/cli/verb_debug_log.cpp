#include "cli.h"
#include "cli_transfer_host.h"

namespace kld::cli {

// Reads the radio's debug log into KVRX-540_Dbg.log in the working directory.
int RunDebugLog(Session& session, const VerbArgs& args) {
    return RunTransfer(session, args, Direction::DebugLog);
}

}  // namespace kld::cli
