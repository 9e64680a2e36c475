#include "cli.h"
#include "qt_serial_device.h"

namespace kld::cli {

// The ports the desktop program would offer in its port list, with the device behind each.
int RunPorts(Session& session, const VerbArgs& /*args*/) {
    return ListPorts(session, FindOpenablePorts());
}

int ListPorts(Session& session, const std::vector<PortEntry>& ports) {
    if (ports.empty()) {
        session.err << "No serial port can be opened. Plug in the programming cable (or its USB "
                       "adapter); if it is in, you may lack the right to use it (the dialout "
                       "group) or another program holds it.\n";
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
