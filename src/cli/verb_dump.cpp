#include "cli.h"
#include "listings.h"

namespace kld::cli {

int RunDump(Session& session, const VerbArgs& args) {
    if (!OpenForVerb(session, args.positional[0])) {
        return kExitFailed;
    }
    return WriteOutput(session, args.Option("-o"), ChannelDump(session.memory));
}

}  // namespace kld::cli
