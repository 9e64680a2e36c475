#include <unistd.h>

#include <chrono>
#include <future>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "cli.h"
#include "cli_transfer_host.h"
#include "fleet.h"
#include "listings.h"
#include "port_names.h"
#include "radio_finder.h"

namespace kld::cli {

namespace {

using namespace std::chrono_literals;

constexpr auto kRedrawEvery = 250ms;
// How often --watch looks for radios that have come.
constexpr auto kWatchEvery = 1s;

// The ports of --ports ("COM33,COM34" or "33,34"). None, with the reason, for a word that names
// no port.
std::optional<std::vector<int>> PortList(const std::string& text, std::string& error) {
    std::vector<int> ports;
    std::istringstream words(text);
    for (std::string word; std::getline(words, word, ',');) {
        const int number = PortNumberFromText(word);
        if (number == 0) {
            error = "--ports: \"" + word + "\" names no port; give COM<n> or a number";
            return std::nullopt;
        }
        if (std::find(ports.begin(), ports.end(), number) == ports.end()) {
            ports.push_back(number);
        }
    }
    if (ports.empty()) {
        error = "--ports needs at least one port, such as COM33,COM34";
        return std::nullopt;
    }
    return ports;
}

std::string PortName(int port) {
    return "COM" + std::to_string(port);
}

// "COM33  Transfer Complete.  Verify OK  14 channels  12.3 s" and, on the next line, what the
// outcome cannot say.
std::string ReportLine(const RadioReport& report) {
    std::string line = PortName(report.port) + "  " + report.outcome;
    if (!report.verify.empty()) {
        line += "  " + report.verify;
    }
    line += "  " + std::to_string(report.channels) +
            (report.channels == 1 ? " channel  " : " channels  ") +
            std::to_string(static_cast<long>(report.seconds + 0.5)) + " s";
    if (!report.backup.empty()) {
        line += "\n  Backup: " + report.backup;
    }
    if (!report.ok && !report.detail.empty()) {
        line += "\n  " + report.detail;
    }
    return line + "\n";
}

// Shows where each radio stands: on a terminal a block of progress lines redrawn in place,
// elsewhere a line for each radio as it ends.
class FleetView {
  public:
    FleetView(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}

    void Show(const std::vector<Fleet::RadioView>& radios) {
        if (!terminal_) {
            for (const Fleet::RadioView& radio : radios) {
                if (radio.report && told_.insert(radio.port).second) {
                    err_ << PortName(radio.port) << ": " << radio.report->outcome << "\n";
                    err_.flush();
                }
            }
            return;
        }
        if (drawn_ > 0) {
            err_ << "\x1b[" << drawn_ << "A";  // back to the first line of the block
        }
        for (const Fleet::RadioView& radio : radios) {
            const std::string status = radio.report ? radio.report->outcome : radio.progress.status;
            const int value = radio.report && radio.report->ok ? 232 : radio.progress.value;
            err_ << "\r\x1b[2K" << PortName(radio.port) << " "
                 << ProgressLine(status, value).substr(0, 72) << "\n";
        }
        drawn_ = radios.size();
        err_.flush();
    }

  private:
    std::ostream& err_;
    bool terminal_;
    std::size_t drawn_ = 0;
    std::set<int> told_;  // ports whose end has been said
};

// Waits, showing progress, until `done` says so or Ctrl-C asks every radio to stop.
void Watch(Fleet& fleet, FleetView& view, const std::function<bool()>& done) {
    while (!done()) {
        if (InterruptGuard::Interrupted()) {
            fleet.StopAll();
        }
        view.Show(fleet.Snapshot());
        std::this_thread::sleep_for(kRedrawEvery);
    }
    view.Show(fleet.Snapshot());
}

// What --watch knows of a port: nothing yet, a radio being programmed, or the radio it has
// programmed, still there (with the memory stamp it answered last).
struct PortWatch {
    bool busy = false;
    bool done = false;
    std::string stamp;
};

// Programs each radio that answers on a port, as it comes, until Ctrl-C or `count` radios
// (0: no limit). A radio programmed stays known by its port and stamp until it goes.
void WatchForRadios(Session& session, Fleet& fleet, FleetView& view,
                    const std::optional<std::vector<int>>& only, int count) {
    std::map<int, PortWatch> ports;
    std::size_t collected = 0;
    int started = 0;
    session.err << "Waiting for radios" << (count > 0 ? " (" + std::to_string(count) + ")" : "")
                << "; Ctrl-C ends.\n";
    session.err.flush();
    while (!InterruptGuard::Interrupted() && (count == 0 || started < count)) {
        // Radios that have ended are known by the stamp they were left with.
        const std::vector<Fleet::RadioView> radios = fleet.Snapshot();
        for (; collected < radios.size() && radios[collected].report; ++collected) {
            PortWatch& port = ports[radios[collected].port];
            port.busy = false;
            port.done = true;
            if (!radios[collected].report->stamp.empty()) {
                port.stamp = radios[collected].report->stamp;
            }
        }
        std::vector<PortEntry> free;
        for (const PortEntry& entry : FindOpenablePorts()) {
            const bool wanted =
                !only || std::find(only->begin(), only->end(), entry.number) != only->end();
            if (wanted && !ports[entry.number].busy) {
                free.push_back(entry);
            }
        }
        auto asking = std::async(std::launch::async, [&free, &session] {
            return FindRadios(free, kFindAnswerLimit, session.state.Version);
        });
        while (asking.wait_for(kRedrawEvery) != std::future_status::ready) {
            view.Show(fleet.Snapshot());
        }
        std::map<int, const FoundRadio*> answered;
        const std::vector<FoundRadio> found = asking.get();
        for (const FoundRadio& radio : found) {
            answered[radio.port.number] = &radio;
        }
        for (const PortEntry& entry : free) {
            PortWatch& port = ports[entry.number];
            const auto it = answered.find(entry.number);
            if (it == answered.end()) {
                port = PortWatch{};  // gone, or not a radio: the next one to answer is new
                continue;
            }
            const std::string& stamp = it->second->identity.stamp;
            if (port.done && stamp == port.stamp) {
                continue;  // the radio programmed last, still on its cable
            }
            if (InterruptGuard::Interrupted() || (count > 0 && started >= count)) {
                break;
            }
            port = PortWatch{true, false, stamp};
            fleet.Start(entry.number, entry.device);
            ++started;
        }
        const auto next = std::chrono::steady_clock::now() + kWatchEvery;
        while (std::chrono::steady_clock::now() < next && !InterruptGuard::Interrupted()) {
            view.Show(fleet.Snapshot());
            std::this_thread::sleep_for(kRedrawEvery);
        }
    }
}

}  // namespace

// Sends one plan to many radios at once: those on --ports, or with --watch each radio that
// comes. Exit 0 when every radio ended OK.
int RunFleet(Session& session, const VerbArgs& args) {
    std::optional<std::vector<int>> ports;
    if (const auto text = args.Option("--ports")) {
        std::string error;
        ports = PortList(*text, error);
        if (!ports) {
            session.err << "kld540-cli: " << error << "\n";
            return kExitUsage;
        }
    }
    const bool watching = args.Has("--watch");
    int count = 0;
    if (const auto text = args.Option("--count")) {
        count = PortNumberFromText(*text);  // a plain positive number
        if (!watching || count <= 0 || *text != std::to_string(count)) {
            session.err << "kld540-cli: --count N goes with --watch; N is a number of radios\n";
            return kExitUsage;
        }
    }
    if (!ports && !watching) {
        session.err << "kld540-cli: fleet needs --ports COM<n>,COM<m>,... or --watch\n";
        return kExitUsage;
    }
    if (!OpenSelection(session, args)) {
        return kExitFailed;
    }
    if (args.Has("--purge")) {
        session.state.PurgeMode = 1;
    }
    if (const auto problem = CheckPlan(session.memory, session.state)) {
        Tell(session, *problem);
        return kExitFailed;
    }

    FleetOptions options;
    options.eraseAllowed = args.Has("--yes");
    options.copyRadio = !args.Has("--no-radio-backup");
    options.verify = args.Has("--verify");
    const bool terminal = &session.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    FleetView view(session.err, terminal);
    const InterruptGuard guard;
    Fleet fleet(session.memory, session.state, options, MakePortLine, StartQtThread);
    if (watching) {
        WatchForRadios(session, fleet, view, ports, count);
    } else {
        for (const int port : *ports) {
            fleet.Start(port, DeviceNodeForPort(port));
        }
    }
    Watch(fleet, view, [&fleet] { return !fleet.Running(); });

    const std::vector<RadioReport> reports = fleet.Reports();
    std::string summary;
    int good = 0;
    for (const RadioReport& report : reports) {
        summary += ReportLine(report);
        good += report.ok ? 1 : 0;
    }
    summary += std::to_string(good) + " of " + std::to_string(reports.size()) +
               (reports.size() == 1 ? " radio" : " radios") + " programmed.\n";
    const bool printed = PrintText(session, summary);
    bool reported = true;
    if (const auto path = args.Option("--report")) {
        if (const auto failed = WriteTextFile(*path, FleetReportCsv(reports))) {
            Tell(session, *failed);
            reported = false;
        }
    }
    const bool allOk = !reports.empty() && good == static_cast<int>(reports.size());
    return allOk && printed && reported ? kExitOk : kExitFailed;
}

}  // namespace kld::cli
