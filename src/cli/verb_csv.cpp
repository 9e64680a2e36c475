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
    const Result<CsvImport> imported = ImportCsv(
        *bytes, session.memory,
        args.flags.count("--skip-bad-rows") ? CsvRows::SkipUnusable : CsvRows::AllOrNothing);
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
    // The rows left out, and names cut to the radio's length, are said a line each, named as
    // the refusals are.
    std::istringstream skipped(SkippedRowsText(*imported));
    for (std::string reason; std::getline(skipped, reason);) {
        session.err << args.positional[0] << ": skipped: " << reason << "\n";
    }
    for (const std::string& warning : imported->warnings) {
        session.err << args.positional[0] << ": warning: " << warning << "\n";
    }
    FinishOpen(session.memory, session.state, session.op);
    return ExitStatus(session, SaveChannelFile(*args.Option("-o"), session.memory, session.state));
}

}  // namespace kld::cli
