#include "cli.h"
#include "qt_serial_device.h"
#include "radio_finder.h"

namespace kld::cli {

// The ports the desktop program would offer in its port list, with the device behind each.
int RunPorts(Session& session, const VerbArgs& /*args*/) {
    return ListPorts(session, FindOpenablePorts());
}

int ListPorts(Session& session, const std::vector<PortEntry>& ports) {
    if (ports.empty()) {
        Tell(session, NoPortFailure());
        return kExitFailed;
    }
    std::string list;
    for (const PortEntry& port : ports) {
        const std::string adapter = port.AdapterText();
        list += "COM" + std::to_string(port.number) + '\t' + port.device +
                (adapter.empty() ? "" : '\t' + adapter) + '\n';
    }
    return PrintText(session, list) ? kExitOk : kExitFailed;
}

}  // namespace kld::cli
