#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "cli.h"
#include "cli_transfer_host.h"
#include "list_operations.h"
#include "qt_serial_device.h"
#include "verify.h"

namespace kld::cli {

// Reads the radio back and compares it with what a send of FILE writes: its selected channels
// (every defined one with --select-all) and its erased ones. The file is never changed.
int RunVerify(Session& session, const VerbArgs& args) {
    if (!OpenForVerb(session, args.positional[0])) {
        return kExitFailed;
    }
    if (args.Has("--select-all")) {
        SelAll_Click(session.memory);
    }
    std::string error;
    const auto port = PortForVerb(args, session.memory, error);
    if (!port) {
        session.err << "kld540-cli: " << error << "\n";
        return kExitUsage;
    }
    session.memory.PortNumber = static_cast<std::int16_t>(*port);

    const bool drawProgress = &session.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    QtSerialDevice device;
    CliTransferHost host(session.err, drawProgress);
    ProgressAwareOperator op(session.op, host);
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::current_path(ec);
    if (ec) {
        folder = ".";
    }
    const InterruptGuard guard;
    const VerifyResult result =
        VerifyRadio(session.memory, session.state, device, host, op, folder);
    if (!result.transfer.Complete()) {
        return kExitFailed;  // the operator was told, with the detail
    }
    if (!PrintText(session, VerifyReportText(result))) {
        return kExitFailed;
    }
    return result.Ok() ? kExitOk : kExitFailed;
}

}  // namespace kld::cli
