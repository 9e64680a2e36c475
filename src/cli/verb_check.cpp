#include "cli.h"
#include "data_file.h"
#include "send_plan.h"

namespace kld::cli {

// The open routine runs the memory check itself; the verb adds the channels no send could
// write, reports whether it had anything to say, and saves the (possibly repaired) memory when
// asked.
int RunCheck(Session& session, const VerbArgs& args) {
    session.op.okCancel = args.Has("--repair-modes") ? Answer::Ok : Answer::Cancel;
    if (!OpenForVerb(session, args.positional[0])) {
        return kExitFailed;
    }
    // A channel the radio's record cannot carry stops any send of it, so the check names it.
    if (const auto unsendable = UnsendableChannels(session.memory); !unsendable.empty()) {
        session.op.Tell({"These channels cannot be sent to the radio:", "", Icon::Warning,
                         Buttons::Ok, UnsendableText(unsendable)});
    }
    const bool quiet = session.op.MessagesShown() == 0;
    if (const auto out = args.Option("-o")) {
        if (ExitStatus(session, SaveChannelFile(*out, session.memory, session.state)) != kExitOk) {
            return kExitFailed;
        }
    }
    return quiet ? kExitOk : kExitFailed;
}

}  // namespace kld::cli
