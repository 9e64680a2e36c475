#pragma once

#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "channel_memory.h"
#include "cli_operator.h"
#include "failure.h"
#include "program_state.h"

namespace kld {
struct PortEntry;
}  // namespace kld

namespace kld::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// What a verb was given after its name: positional words, switches and options with a value.
struct VerbArgs {
    std::vector<std::string> positional;
    std::set<std::string> flags;
    std::map<std::string, std::string> options;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> Option(const std::string& name) const;
};

// Splits words into a VerbArgs, accepting only the switches and value options listed. "--" ends
// the options: every word after it is positional (a file named "-o", say). On a word it does
// not know, it returns none and says why in `error`.
std::optional<VerbArgs> ParseVerbArgs(const std::vector<std::string>& words,
                                      const std::set<std::string>& knownFlags,
                                      const std::set<std::string>& knownOptions,
                                      std::string& error);

// Everything a verb works on: the memory and state as the desktop program would have them at
// start-up in the working directory, the operator and the output streams.
struct Session {
    ChannelMemory memory;
    ProgramState state;
    std::ostream& out;
    std::ostream& err;
    CliOperator op;

    Session(std::ostream& out, std::ostream& err, const std::string& modes);
};

// Says what failed as every message is said: on stderr, the detail on the next line, then an
// empty line.
void Tell(Session& session, const Failure& failure);
// The exit status of an operation that returns nothing: kExitOk, or kExitFailed once its failure
// is told.
int ExitStatus(Session& session, const std::optional<Failure>& failure);

// Writes text to the file named by -o, or to stdout without it. Returns the exit status.
int WriteOutput(Session& session, const std::optional<std::string>& path, const std::string& text);

// Writes text to stdout and flushes it. False, after saying so on stderr, when stdout cannot be
// written (a full disk, a closed pipe).
bool PrintText(Session& session, std::string_view text);
// The same with a line end.
bool PrintLine(Session& session, std::string_view line);

// Opens FILE (the first positional word) and writes what `render` makes of its memory to -o, or
// to stdout without it. Returns the exit status.
int WriteRendered(Session& session, const VerbArgs& args,
                  std::string (*render)(const ChannelMemory& memory));

// Opens FILE and, with --select-all, selects every defined channel for sending, as the send and
// the verify take it. False when it could not be opened.
bool OpenSelection(Session& session, const VerbArgs& args);

// Opens FILE as the open routine does, into the session's memory or the one given. False when it
// failed (told) or was declined.
bool OpenForVerb(Session& session, const std::string& file);
bool OpenForVerb(Session& session, const std::string& file, ChannelMemory& memory,
                 ProgramState& state);

int RunNew(Session& session, const VerbArgs& args);
int RunListing(Session& session, const VerbArgs& args);
int RunDump(Session& session, const VerbArgs& args);
int RunConvert(Session& session, const VerbArgs& args);
int RunCheck(Session& session, const VerbArgs& args);
int RunDiff(Session& session, const VerbArgs& args);
int RunPorts(Session& session, const VerbArgs& args);
// The list RunPorts prints: a line per port, or a word on stderr (exit 1) when there is none.
int ListPorts(Session& session, const std::vector<PortEntry>& ports);
int RunReceive(Session& session, const VerbArgs& args);
int RunSend(Session& session, const VerbArgs& args);
int RunDebugLog(Session& session, const VerbArgs& args);
int RunVerify(Session& session, const VerbArgs& args);
int RunExportCsv(Session& session, const VerbArgs& args);
int RunImportCsv(Session& session, const VerbArgs& args);
int RunFind(Session& session, const VerbArgs& args);
int RunFleet(Session& session, const VerbArgs& args);

// Entry point shared by main() and the tests.
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kld::cli
