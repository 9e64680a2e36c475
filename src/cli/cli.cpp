#include "cli.h"

#include <array>
#include <functional>
#include <iostream>

#include "data_file.h"
#include "list_operations.h"
#include "listings.h"
#include "program_state.h"
#include "settings_file.h"

namespace kld::cli {

namespace {

struct Verb {
    std::string_view name;
    std::string_view usage;
    std::size_t positional;  // exact count of positional words
    std::set<std::string> flags;
    std::set<std::string> options;
    bool needsOutput;
    std::function<int(Session&, const VerbArgs&)> run;
};

const std::vector<Verb>& Verbs() {
    static const std::vector<Verb> verbs{
        {"new",
         "new -o OUT                  save the start-up memory as a channel data file",
         0,
         {},
         {"-o"},
         true,
         RunNew},
        {"listing",
         "listing FILE [-o OUT]       write the text listing of FILE",
         1,
         {},
         {"-o"},
         false,
         RunListing},
        {"dump",
         "dump FILE [-o OUT]          write the channel data dump of FILE",
         1,
         {},
         {"-o"},
         false,
         RunDump},
        {"convert",
         "convert FILE -o OUT [--old-540]\n"
         "                              save FILE as a channel data file",
         1,
         {"--old-540"},
         {"-o"},
         true,
         RunConvert},
        {"check",
         "check FILE [--repair-modes] [-o OUT]\n"
         "                              run the memory check on FILE",
         1,
         {"--repair-modes"},
         {"-o"},
         false,
         RunCheck},
        {"diff",
         "diff A B                    list the fields in which A and B differ",
         2,
         {},
         {},
         false,
         RunDiff},
        {"ports",
         "ports                       list the serial ports that can be opened",
         0,
         {},
         {},
         false,
         RunPorts},
        {"find",
         "find                        ask every port that opens whether a radio is on it",
         0,
         {},
         {},
         false,
         RunFind},
        {"receive",
         "receive -o OUT [--port COM<n>] [--repair-modes]\n"
         "                              read the radio's memory and save it",
         0,
         {"--repair-modes"},
         {"-o", "--port"},
         true,
         RunReceive},
        {"send",
         "send FILE [--port COM<n>] [--select-all] [--purge] [--yes]\n"
         "          [--no-radio-backup]\n"
         "                              send FILE's selected channels to the radio; a send\n"
         "                              that erases the radio first needs --yes, and copies\n"
         "                              the radio into the backups folder before",
         1,
         {"--select-all", "--purge", "--yes", "--no-radio-backup"},
         {"--port"},
         false,
         RunSend},
        {"fleet",
         "fleet FILE --ports COM<n>,COM<m>,... [--select-all] [--purge] [--yes]\n"
         "           [--verify] [--no-radio-backup] [--report OUT.csv]\n"
         "  fleet FILE --watch [--count N] [--ports ...] [the same options]\n"
         "                              send FILE to every radio listed at once, or with\n"
         "                              --watch to each radio that comes, until Ctrl-C or N\n"
         "                              radios; --report writes a CSV row per radio",
         1,
         {"--select-all", "--purge", "--yes", "--verify", "--no-radio-backup", "--watch"},
         {"--ports", "--report", "--count"},
         false,
         RunFleet},
        {"debug-log",
         "debug-log [--port COM<n>]   read the radio's debug log into "
         "KVRX-540_Dbg.log",
         0,
         {},
         {"--port"},
         false,
         RunDebugLog},
        {"verify",
         "verify FILE [--port COM<n>] [--select-all]\n"
         "                              read the radio back and compare what a send of FILE\n"
         "                              writes",
         1,
         {"--select-all"},
         {"--port"},
         false,
         RunVerify},
        {"export-csv",
         "export-csv FILE -o OUT.csv  write FILE's channels as a CSV plan",
         1,
         {},
         {"-o"},
         true,
         RunExportCsv},
        {"import-csv",
         "import-csv IN.csv -o OUT.540 [--skip-bad-rows]\n"
         "                              read a CSV plan (ours or CHIRP's) into a data file;\n"
         "                              with --skip-bad-rows the rows this radio cannot use\n"
         "                              are left out and listed, the rest imported",
         1,
         {"--skip-bad-rows"},
         {"-o"},
         true,
         RunImportCsv},
    };
    return verbs;
}

void PrintUsage(std::ostream& s) {
    s << "Usage: kld540-cli [--modes TEXT] VERB ...\n\n"
         "Verbs:\n";
    for (const Verb& verb : Verbs()) {
        s << "  " << verb.usage << "\n";
    }
    s << "\nOptions:\n"
         "  --modes TEXT  operating modes to allow, as the desktop program's command line:\n"
         "                \"w\", \"n\" and \"d\" separated by blanks (default: \"n d\")\n"
         "  --help        show this text\n"
         "  --version     show the program version\n\n"
         "KLD540.ini in the working directory is read when present; it is never written.\n"
         "Without --port the transfer verbs use its port (else COM1). COM<n> is the entry\n"
         "COM<n> of the folder $KLD540_PORTS_DIR when there is one, else /dev/ttyS<n-1>\n"
         "(COM1-32), /dev/ttyUSB<n-33> (COM33-64) or /dev/ttyACM<n-65> (COM65-96).\n"
         "Messages go to stderr. Exit status: 0 success, 1 failed or refused, 2 usage error.\n";
}

int UsageError(std::ostream& err, const std::string& why) {
    err << "kld540-cli: " << why << "\n\n";
    PrintUsage(err);
    return kExitUsage;
}

}  // namespace

std::optional<std::string> VerbArgs::Option(const std::string& name) const {
    const auto it = options.find(name);
    return it == options.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<VerbArgs> ParseVerbArgs(const std::vector<std::string>& words,
                                      const std::set<std::string>& knownFlags,
                                      const std::set<std::string>& knownOptions,
                                      std::string& error) {
    VerbArgs args;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--") {
            args.positional.insert(args.positional.end(), words.begin() + static_cast<long>(i) + 1,
                                   words.end());
            break;
        }
        if (knownOptions.count(word)) {
            if (i + 1 >= words.size()) {
                error = word + " needs a value";
                return std::nullopt;
            }
            args.options[word] = words[++i];
        } else if (knownFlags.count(word)) {
            args.flags.insert(word);
        } else if (word.size() > 1 && word[0] == '-') {
            error = "unknown option " + word;
            return std::nullopt;
        } else {
            args.positional.push_back(word);
        }
    }
    return args;
}

Session::Session(std::ostream& out, std::ostream& err, const std::string& modes)
    : out(out), err(err), op(err) {
    std::error_code ec;
    const auto folder = std::filesystem::current_path(ec);
    PrepareMemory(memory, state, modes, ec ? std::filesystem::path(".") : folder,
                  SettingsUse::ReadOnly);
}

void Tell(Session& session, const Failure& failure) {
    session.op.Tell(failure.AsMessage());
}

int ExitStatus(Session& session, const std::optional<Failure>& failure) {
    if (failure) {
        Tell(session, *failure);
        return kExitFailed;
    }
    return kExitOk;
}

int WriteOutput(Session& session, const std::optional<std::string>& path, const std::string& text) {
    if (!path) {
        return PrintText(session, text) ? kExitOk : kExitFailed;
    }
    return ExitStatus(session, WriteTextFile(*path, text));
}

bool PrintText(Session& session, std::string_view text) {
    session.out.write(text.data(), static_cast<std::streamsize>(text.size()));
    session.out.flush();
    if (!session.out) {
        session.err << "kld540-cli: standard output could not be written (a full disk, or a "
                       "closed pipe?)\n";
        session.err.flush();
        return false;
    }
    return true;
}

bool PrintLine(Session& session, std::string_view line) {
    return PrintText(session, std::string(line) + "\n");
}

int WriteRendered(Session& session, const VerbArgs& args,
                  std::string (*render)(const ChannelMemory& memory)) {
    if (!OpenForVerb(session, args.positional[0])) {
        return kExitFailed;
    }
    return WriteOutput(session, args.Option("-o"), render(session.memory));
}

bool OpenSelection(Session& session, const VerbArgs& args) {
    if (!OpenForVerb(session, args.positional[0])) {
        return false;
    }
    if (args.Has("--select-all")) {
        SelectAllDefined(session.memory);
    }
    return true;
}

bool OpenForVerb(Session& session, const std::string& file) {
    return OpenForVerb(session, file, session.memory, session.state);
}

bool OpenForVerb(Session& session, const std::string& file, ChannelMemory& memory,
                 ProgramState& state) {
    const Result<Opened> opened = OpenChannelFile(file, memory, state, session.op);
    if (!opened) {
        Tell(session, opened.Error());
        return false;
    }
    return *opened == Opened::Loaded;
}

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string modes;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            PrintUsage(out);
            return kExitOk;
        }
        if (args[i] == "--version") {
            out << "kld540-cli " << VersionText(ProgramVersion{}) << "\n";
            return kExitOk;
        }
        if (args[i] == "--modes") {
            if (i + 1 >= args.size()) {
                return UsageError(err, "--modes needs a value");
            }
            modes = args[++i];
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        return UsageError(err, "no verb given");
    }
    const std::string& name = args[i];
    for (const Verb& verb : Verbs()) {
        if (verb.name != name) {
            continue;
        }
        const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                            args.end());
        for (const std::string& word : rest) {
            if (word == "--") {
                break;
            }
            if (word == "--help" || word == "-h") {
                out << "Usage: kld540-cli [--modes TEXT] " << verb.usage << "\n";
                return kExitOk;
            }
        }
        std::string error;
        const auto parsed = ParseVerbArgs(rest, verb.flags, verb.options, error);
        if (!parsed) {
            return UsageError(err, name + ": " + error);
        }
        if (parsed->positional.size() != verb.positional) {
            return UsageError(err, name + ": expected " + std::to_string(verb.positional) +
                                       (verb.positional == 1 ? " file name" : " file names"));
        }
        if (verb.needsOutput && !parsed->Option("-o")) {
            return UsageError(err, name + ": -o OUT is required");
        }
        Session session(out, err, modes);
        return verb.run(session, *parsed);
    }
    return UsageError(err, "unknown verb " + name);
}

}  // namespace kld::cli
