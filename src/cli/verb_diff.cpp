#include "cli.h"
#include "compare.h"
#include "data_file.h"

namespace kld::cli {

// Lists the fields in which two channel plans differ. Exit 0 when they are the same, 1 when they
// differ or when either cannot be read (with the open routine's message).
int RunDiff(Session& session, const VerbArgs& args) {
    // Both are opened from the same start: the one the desktop program would give them.
    ChannelMemory second = session.memory;
    ProgramState secondState = session.state;
    if (!OpenForVerb(session, args.positional[0]) ||
        !OpenForVerb(session, args.positional[1], second, secondState)) {
        return kExitFailed;
    }
    const std::vector<FieldDifference> rows = CompareMemories(session.memory, second);
    if (rows.empty()) {
        return kExitOk;
    }
    PrintText(session, DiffText(rows));
    return kExitFailed;
}

}  // namespace kld::cli
