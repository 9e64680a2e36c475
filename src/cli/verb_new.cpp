#include "cli.h"
#include "data_file.h"

namespace kld::cli {

// A fresh channel data file: the memory as the desktop program starts with it.
int RunNew(Session& session, const VerbArgs& args) {
    return ExitStatus(session, SaveChannelFile(*args.Option("-o"), session.memory, session.state));
}

}  // namespace kld::cli
