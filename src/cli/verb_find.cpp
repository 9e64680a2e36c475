#include "cli.h"
#include "radio_finder.h"

namespace kld::cli {

// Asks every port that opens whether a radio is on it, all at once, and lists those where one
// answered. Exit 0 when a radio was found.
int RunFind(Session& session, const VerbArgs& /*args*/) {
    const std::vector<PortEntry> ports = FindOpenablePorts();
    if (ports.empty()) {
        return ListPorts(session, ports);  // says that no port opens, and what to check
    }
    const std::vector<FoundRadio> found =
        FindRadios(ports, kFindAnswerLimit, session.state.Version);
    if (found.empty()) {
        Tell(session, NoRadioFailure(ports));
        return kExitFailed;
    }
    std::string list;
    for (const FoundRadio& radio : found) {
        list += FoundRadioLine(radio) + "\n";
    }
    return PrintText(session, list) ? kExitOk : kExitFailed;
}

}  // namespace kld::cli
