#include <sstream>

#include "cli.h"
#include "csv.h"
#include "data_file.h"
#include "file_io.h"

namespace kld::cli {

int RunExportCsv(Session& session, const VerbArgs& args) {
    return WriteRendered(session, args, ExportCsv);
}

int RunImportCsv(Session& session, const VerbArgs& args) {
    // One byte past the limit, so that a larger file is refused rather than read cut short.
    const auto bytes = ReadFileBytes(args.positional[0], kMaxInputBytes + 1);
    if (!bytes) {
        Tell(session, bytes.Error());
        return kExitFailed;
    }
    const Result<CsvImport> imported = ImportCsv(*bytes, session.memory);
    if (!imported) {
        // A refusal a line, each named by its file, as compilers name theirs.
        std::istringstream refusals(imported.Error().detail);
        for (std::string refusal; std::getline(refusals, refusal);) {
            session.err << args.positional[0] << ": " << refusal << "\n";
        }
        session.err << "kld540-cli: nothing was imported\n";
        session.err.flush();
        return kExitFailed;
    }
    // Names cut to the radio's length are said as warnings, named as the refusals are.
    for (const std::string& warning : imported->warnings) {
        session.err << args.positional[0] << ": warning: " << warning << "\n";
    }
    FinishOpen(session.memory, session.state, session.op);
    return ExitStatus(session, SaveChannelFile(*args.Option("-o"), session.memory, session.state));
}

}  // namespace kld::cli
