#include "cli.h"
#include "cli_transfer_host.h"
#include "verify.h"

namespace kld::cli {

// Reads the radio back and compares it with what a send of FILE writes: its selected channels
// (every defined one with --select-all) and its erased ones. The file is never changed.
int RunVerify(Session& session, const VerbArgs& args) {
    if (!OpenSelection(session, args)) {
        return kExitFailed;
    }
    return WithRadio(session, args, [&](TransferContext& context) {
        const VerifyResult result = VerifyRadio(session.memory, session.state, context.device,
                                                context.host, context.folder);
        if (result.transfer.failure) {
            context.op.Tell(result.transfer.failure->AsMessage());
        }
        if (!result.transfer.Complete()) {
            return kExitFailed;
        }
        if (!PrintText(session, VerifyReportText(result))) {
            return kExitFailed;
        }
        return result.Ok() ? kExitOk : kExitFailed;
    });
}

}  // namespace kld::cli
