#include "cli.h"
#include "listings.h"

namespace kld::cli {

int RunListing(Session& session, const VerbArgs& args) {
    return WriteRendered(session, args, TextListing);
}

int RunDump(Session& session, const VerbArgs& args) {
    return WriteRendered(session, args, ChannelDump);
}

}  // namespace kld::cli
