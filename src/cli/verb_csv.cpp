#include "cli.h"
#include "csv.h"
#include "data_file.h"
#include "file_io.h"
#include "file_messages.h"

namespace kld::cli {

int RunExportCsv(Session& session, const VerbArgs& args) {
    if (!OpenForVerb(session, args.positional[0])) {
        return kExitFailed;
    }
    return WriteOutput(session, args.Option("-o"), ExportCsv(session.memory));
}

int RunImportCsv(Session& session, const VerbArgs& args) {
    // One byte past the limit, so that a larger file is refused rather than read cut short.
    const auto bytes = ReadFileBytes(args.positional[0], kMaxInputBytes + 1);
    if (!bytes) {
        session.op.Tell(ReadErrorMessage());
        return kExitFailed;
    }
    const CsvImportResult result = ImportCsv(*bytes, session.memory);
    if (!result.loaded) {
        for (const std::string& refusal : result.refusals) {
            session.err << args.positional[0] << ": " << refusal << "\n";
        }
        session.err << "kld540-cli: nothing was imported\n";
        session.err.flush();
        return kExitFailed;
    }
    FinishOpen(session.memory, session.state, session.op);
    return SaveChannelFile(*args.Option("-o"), session.memory, session.state, session.op)
               ? kExitOk
               : kExitFailed;
}

}  // namespace kld::cli
