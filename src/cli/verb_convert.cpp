#include "cli.h"
#include "data_file.h"

namespace kld::cli {

int RunConvert(Session& session, const VerbArgs& args) {
    session.op.yesNo = args.Has("--old-540") ? Answer::Yes : Answer::No;
    if (!OpenForVerb(session, args.positional[0])) {
        return kExitFailed;
    }
    return ExitStatus(session, SaveChannelFile(*args.Option("-o"), session.memory, session.state));
}

}  // namespace kld::cli
