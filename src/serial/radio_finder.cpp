#include "radio_finder.h"

#include <QThread>

#include <filesystem>
#include <memory>

#include "operator.h"
#include "port_names.h"

namespace kld {

namespace {

// Asking a port asks nobody: a probe has no question of its own.
class SilentOperator : public Operator {
  public:
    Answer Ask(const Message& message) override {
        return message.buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    void Beep() override {}
};

class QtWorkerThread : public WorkerThread {
  public:
    explicit QtWorkerThread(std::function<void()> work)
        : thread_(QThread::create(std::move(work))) {
        thread_->start();
    }
    ~QtWorkerThread() override { Join(); }
    void Join() override { thread_->wait(); }

  private:
    std::unique_ptr<QThread> thread_;
};

}  // namespace

std::unique_ptr<WorkerThread> StartQtThread(std::function<void()> work) {
    return std::make_unique<QtWorkerThread>(std::move(work));
}

std::unique_ptr<SerialDevice> MakePortLine(int /*port*/) {
    return std::make_unique<QtSerialDevice>();
}

std::string DeviceNodeForPort(int number) {
    const std::string device = DeviceForPort(number).value_or("");
    std::error_code ec;
    const std::filesystem::path node = std::filesystem::canonical(device, ec);
    return ec ? device : node.string();
}

std::vector<FoundRadio> FindRadios(const std::vector<PortEntry>& ports,
                                   std::chrono::seconds answerLimit,
                                   const ProgramVersion& version) {
    std::vector<RadioIdentity> identities(ports.size());
    std::vector<std::unique_ptr<WorkerThread>> askers;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        askers.push_back(StartQtThread([&, i] {
            // The port is made, used and closed on this thread: it belongs to it.
            QtSerialDevice line;
            WorkerTransferHost host(answerLimit);
            SilentOperator op;
            identities[i] = IdentifyRadio(ports[i].number, line, host, op, version);
        }));
    }
    for (const auto& asker : askers) {
        asker->Join();
    }
    std::vector<FoundRadio> found;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (identities[i].transfer.Complete()) {
            found.push_back({ports[i], identities[i]});
        }
    }
    return found;
}

Failure NoPortFailure() {
    return {"No serial port can be opened.",
            "Plug in the programming cable (or its USB adapter); if it is in, you may lack the "
            "right to use it (the dialout group) or another program holds it."};
}

Failure NoRadioFailure(const std::vector<PortEntry>& asked) {
    std::string names;
    for (const PortEntry& port : asked) {
        names += (names.empty() ? "" : ", ") + ("COM" + std::to_string(port.number));
    }
    return {"No radio answered.",
            "Asked " + names +
                ". Check that the cable is in, the radio is switched on and in programming mode, "
                "and that no other program is talking to it."};
}

std::string FoundRadioLine(const FoundRadio& found) {
    return "COM" + std::to_string(found.port.number) + "  " + found.port.device + "  " +
           found.identity.Text();
}

}  // namespace kld
