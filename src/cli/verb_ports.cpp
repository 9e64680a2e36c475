#include "cli.h"
#include "qt_serial_device.h"

namespace kld::cli {

// The ports the desktop program would offer in its port list, with the device behind each.
int RunPorts(Session& session, const VerbArgs& /*args*/) {
    for (const PortEntry& port : FindCommPorts()) {
        session.out << "COM" << port.number << '\t' << port.device << '\n';
    }
    session.out.flush();
    return session.out ? kExitOk : kExitFailed;
}

}  // namespace kld::cli
