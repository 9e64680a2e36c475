#include "fleet.h"

#include <algorithm>
#include <thread>

#include "csv_text.h"
#include "field_rules.h"
#include "safe_send.h"
#include "send_plan.h"
#include "transfer.h"
#include "verify.h"

namespace kld {

namespace {

// A radio's thread has nobody to ask: the one answer given for the whole fleet stands for every
// question, and what is told stays in the radio's report.
class FleetOperator : public Operator {
  public:
    explicit FleetOperator(bool yes) : yes_(yes) {}

    Answer Ask(const Message& message) override {
        switch (message.buttons) {
            case Buttons::OkCancel:
                return yes_ ? Answer::Ok : Answer::Cancel;
            case Buttons::YesNo:
            case Buttons::YesNoCancel:
                return yes_ ? Answer::Yes : Answer::No;
            default:
                return Answer::Ok;
        }
    }
    void Beep() override {}

  private:
    bool yes_;
};

// "Verify OK", or the channels that differ: "Channels 005, 012 differ".
std::string VerifyText(const VerifyResult& result) {
    if (!result.transfer.Complete()) {
        return "Verify failed: " + result.transfer.Message();
    }
    if (result.differences.empty()) {
        return "Verify OK";
    }
    std::vector<std::string> channels;
    for (const VerifyDifference& difference : result.differences) {
        if (std::find(channels.begin(), channels.end(), difference.channel) == channels.end()) {
            channels.push_back(difference.channel);
        }
    }
    std::string text = channels.size() == 1 ? "Channel " : "Channels ";
    for (std::size_t i = 0; i < channels.size(); ++i) {
        text += (i == 0 ? "" : ", ") + channels[i];
    }
    return text + (channels.size() == 1 ? " differs" : " differ");
}

std::string NumberText(double seconds) {
    const long tenths = static_cast<long>(seconds * 10 + 0.5);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace

std::optional<Failure> CheckPlan(const ChannelMemory& plan, const ProgramState& state) {
    ChannelMemory marked = plan;
    if (StartSend(marked).selected == 0 && state.PurgeMode == 0) {
        return TransferFailure(Outcome::NothingSelected, step::Opening, Direction::Send,
                               plan.PortNumber);
    }
    if (const auto blocked = CheckBeforeSending(plan, state.PurgeMode)) {
        return TransferFailure(Outcome::None, blocked->index, Direction::Send, plan.PortNumber,
                               blocked->detail);
    }
    return std::nullopt;
}

RadioReport ProgramRadio(const ChannelMemory& plan, const ProgramState& state, int port,
                         const std::string& device, SerialDevice& line, TransferHost& host,
                         const FleetOptions& options) {
    const auto started = host.Now();
    ChannelMemory memory = plan;
    ProgramState radioState = state;
    memory.PortNumber = static_cast<std::int16_t>(port);
    // The transfer log and the radio's text logs are one file each in the working folder; radios
    // side by side would write over each other's.
    radioState.DebugMode = false;
    radioState.RadioVersion.clear();
    FleetOperator op(options.eraseAllowed);
    TransferContext context{memory, radioState, line, host, op, {}};

    RadioReport report;
    report.port = port;
    report.device = device;
    const SafeSendResult sent = SafeSend(context, options.copyRadio,
                                         [&](const SendForecast&) { return options.eraseAllowed; });
    report.radioVersion = radioState.RadioVersion;
    report.channels = sent.transfer.Complete() ? sent.forecast.channels : 0;
    if (sent.radioCopy) {
        report.backup = sent.radioCopy->string();
    }
    if (sent.declined) {
        report.outcome = EraseWarningText(sent.forecast) + " Nothing was sent.";
        report.detail = "Allow the radios to be erased to program this one.";
    } else if (sent.transfer.outcome == Outcome::WarningDeclined) {
        report.outcome =
            "Nothing was sent: the plan uses operating modes the radio has not "
            "enabled.";
    } else {
        report.outcome = sent.transfer.Message();
        if (sent.transfer.failure) {
            report.detail = sent.transfer.failure->detail;
        }
    }
    report.ok = sent.transfer.Complete();

    if (report.ok && options.verify) {
        const VerifyResult verified = VerifyRadio(memory, radioState, line, host, {});
        report.verify = VerifyText(verified);
        report.stamp = verified.radioStamp;
        report.ok = verified.Ok();
    }
    report.seconds = std::chrono::duration<double>(host.Now() - started).count();
    return report;
}

std::string FleetReportCsv(const std::vector<RadioReport>& rows) {
    std::string text;
    csv::AppendRow(text, {"Port", "Device", "Radio Version", "Stamp", "Channels", "Verify",
                          "Seconds", "Backup", "Outcome"});
    for (const RadioReport& row : rows) {
        const std::string outcome =
            row.detail.empty() ? row.outcome : row.outcome + ": " + row.detail;
        csv::AppendRow(text, {"COM" + std::to_string(row.port), row.device, row.radioVersion,
                              row.stamp, std::to_string(row.channels), row.verify,
                              NumberText(row.seconds), row.backup, outcome});
    }
    return text;
}

void WorkerTransferHost::Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

void WorkerTransferHost::WaitForData(SerialDevice& device, std::chrono::milliseconds bound) {
    device.WaitForData(bound);
}

void WorkerTransferHost::SetStatus(std::string_view text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.status = text;
}

void WorkerTransferHost::SetProgress(int value) {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.value = value;
}

RadioProgress WorkerTransferHost::Progress() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
}

namespace {

class StandardThread : public WorkerThread {
  public:
    explicit StandardThread(std::function<void()> work) : thread_(std::move(work)) {}
    ~StandardThread() override { Join(); }
    void Join() override {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

  private:
    std::thread thread_;
};

}  // namespace

std::unique_ptr<WorkerThread> StartStandardThread(std::function<void()> work) {
    return std::make_unique<StandardThread>(std::move(work));
}

Fleet::Fleet(const ChannelMemory& plan, const ProgramState& state, FleetOptions options,
             LineMaker makeLine, ThreadStarter startThread)
    : plan_(plan),
      state_(state),
      options_(options),
      makeLine_(std::move(makeLine)),
      startThread_(std::move(startThread)) {}

Fleet::~Fleet() {
    StopAll();
    WaitAll();
}

std::size_t Fleet::Start(int port, const std::string& device) {
    auto radio = std::make_unique<Radio>();
    radio->port = port;
    radio->device = device;
    Radio* running = radio.get();
    std::size_t place = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        place = radios_.size();
        radios_.push_back(std::move(radio));
    }
    running->thread = startThread_([this, running] {
        RadioReport report;
        {
            const std::unique_ptr<SerialDevice> line = makeLine_(running->port);
            report = ProgramRadio(plan_, state_, running->port, running->device, *line,
                                  running->host, options_);
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        running->report = std::move(report);
    });
    return place;
}

void Fleet::StopAll() {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& radio : radios_) {
        radio->host.RequestStop();
    }
}

void Fleet::WaitAll() {
    std::vector<Radio*> radios;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& radio : radios_) {
            radios.push_back(radio.get());
        }
    }
    for (Radio* radio : radios) {
        if (radio->thread) {
            radio->thread->Join();
        }
    }
}

std::vector<Fleet::RadioView> Fleet::Snapshot() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<RadioView> views;
    for (const auto& radio : radios_) {
        RadioView view{radio->port, radio->device, radio->host.Progress(), radio->report};
        view.progress.finished = radio->report.has_value();
        views.push_back(std::move(view));
    }
    return views;
}

bool Fleet::Running() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(radios_.begin(), radios_.end(),
                       [](const auto& radio) { return !radio->report.has_value(); });
}

std::vector<RadioReport> Fleet::Reports() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<RadioReport> reports;
    for (const auto& radio : radios_) {
        if (radio->report) {
            reports.push_back(*radio->report);
        }
    }
    return reports;
}

}  // namespace kld
