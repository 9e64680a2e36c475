#include "cli.h"
#include "data_file.h"

namespace kld::cli {

// The open routine runs the memory check itself; the verb reports whether it had anything to
// say, and saves the (possibly repaired) memory when asked.
int RunCheck(Session& session, const VerbArgs& args) {
    session.op.okCancel = args.Has("--repair-modes") ? Answer::Ok : Answer::Cancel;
    if (!OpenForVerb(session, args.positional[0])) {
        return kExitFailed;
    }
    const bool quiet = session.op.MessagesShown() == 0;
    if (const auto out = args.Option("-o")) {
        if (!SaveChannelFile(*out, session.memory, session.state, session.op)) {
            return kExitFailed;
        }
    }
    return quiet ? kExitOk : kExitFailed;
}

}  // namespace kld::cli
