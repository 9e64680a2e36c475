#include "cli.h"
#include "listings.h"

namespace kld::cli {

int RunListing(Session& session, const VerbArgs& args) {
    if (!OpenForVerb(session, args.positional[0])) {
        return kExitFailed;
    }
    return WriteOutput(session, args.Option("-o"), TextListing(session.memory));
}

}  // namespace kld::cli
