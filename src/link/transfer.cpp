#include "transfer.h"

#include <algorithm>
#include <bitset>
#include <optional>

#include "codecs.h"
#include "debug_log.h"
#include "field_rules.h"
#include "file_io.h"
#include "memory_check.h"
#include "modes.h"
#include "send_plan.h"
#include "shadows.h"
#include "transfer_logs.h"
#include "wire_codec.h"

namespace kld {

namespace {

using namespace std::chrono_literals;

// What the exchange of one command does next.
enum SendMode { kDone = 0, kSendFresh = 1, kSendAgain = 2, kWaitAgain = 3 };

// XferFlags of a send.
constexpr int kFirstPass = 0x10;
constexpr int kStampDiffers = 0x08;
constexpr int kListChanged = 0x04;
constexpr int kShadowOrPurge = 0x02;
constexpr int kPurged = 0x01;

constexpr std::chrono::seconds kAnswerLimit{30};
// Everything written must have left the line before the speed changes or the port closes; at
// 9600 baud a whole record frame takes 0.15 s.
constexpr std::chrono::milliseconds kDrainLimit{2000};
// How often the wait looks at the clock while no data comes; data ends the wait at once.
constexpr std::chrono::milliseconds kWaitSlice{100};
// The opening request's code byte counts refusals; a radio refusing this often will not accept.
constexpr int kMaxOpeningRefusals = 16;
// A radio that keeps sending records with addresses beyond the table is asked to repeat this
// often within one step before the transfer gives up.
constexpr int kMaxRepeatRequests = 8;
// Unread text without a line end beyond this is no radio talking.
constexpr std::size_t kMaxPendingChars = 64 * 1024;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

class Transfer {
  public:
    Transfer(Direction direction, TransferContext& context)
        : dir_(direction),
          c_(context),
          mem_(context.memory),
          state_(context.state),
          device_(context.device),
          host_(context.host) {}

    TransferResult Run();

  private:
    bool Sending() const { return dir_ == Direction::Send; }
    bool Prepare();
    void SelectionChecks();
    void MarkForSending(int index);
    bool OpenPort();
    void BuildCommand();
    void BuildRecordCommand();
    void Exchange();
    bool WaitForLine();
    void TakeLine();
    void HandleReply();
    void HandleDataLine();
    void AfterSendStep();
    void RunSteps();
    void SendEndFrame();
    void FinishLogs();
    void ShowCompletion();
    void CloseLine();
    // The transfer ended as the radio's rules call complete (a declined warning included).
    bool Completed() const {
        return !failed_ && (outcome_ == Outcome::Complete || outcome_ == Outcome::WarningDeclined);
    }
    void Fail(std::string detail) {
        failed_ = true;
        if (detail_.empty()) {
            detail_ = std::move(detail);
        }
    }
    // The result as the transfer stands; a failure unless it completed.
    TransferResult Result() const {
        if (Completed()) {
            return {outcome_, step_, std::nullopt};
        }
        return {outcome_, step_, Failure{OutcomeMessage(outcome_, step_), detail_}};
    }

    Direction dir_;
    TransferContext& c_;
    ChannelMemory& mem_;
    ProgramState& state_;
    SerialDevice& device_;
    TransferHost& host_;

    int step_ = step::Opening;
    Outcome outcome_ = Outcome::None;  // ErrCode: what to report if the transfer stops now
    int sendMode_ = kDone;
    int errCount_ = 0;
    int helloTries_ = 0;
    int repeatRequests_ = 0;
    bool failed_ = false;  // a failure outside the answer rules: report ErrCode as it stands
    bool stored_ = false;  // a received record has been stored
    std::bitset<kLastRecord + 1> received_;  // the records this receive has stored
    ChannelMemory before_;  // a receive's memory as it was, until the first record arrives
    std::string cmd_;
    std::string rxBuf_;
    std::string reply_;
    std::string statusText_;
    std::string label_;
    std::string detail_;

    int xferFlags_ = 0;
    int selCount_ = 0;
    std::uint8_t usedModes_ = 0;

    TransferLog log_;
    RadioTextLog textLog_;
    SafeFileWriter debugFile_;
    DebugLogRenderer renderer_;
};

TransferResult Transfer::Run() {
    if (!Prepare()) {
        // Nothing to send: no port is opened and the window is left alone.
        host_.ShowProgress(false);
        mem_.Current = kFirstChannel;
        return Result();
    }

    host_.ShowProgress(true);
    host_.SetProgress(0);
    statusText_ = "Initializing Communication with Radio....";

    if (!failed_ && OpenPort()) {
        step_ = step::Opening;
        helloTries_ = 0;
        RunSteps();
    }

    if (!failed_ && (Completed() || outcome_ == Outcome::Cancelled)) {
        // A send, and a transfer this side stops, tells the radio it is over. (A completed
        // receive or debug log ended with the radio's own end frame.)
        if (Sending() || outcome_ != Outcome::Complete) {
            SendEndFrame();
        }
    }
    FinishLogs();
    if (Completed()) {
        ShowCompletion();
    }
    CloseLine();

    if (Completed()) {
        if (dir_ == Direction::Receive) {
            state_.RxShadowCount = CheckMemory(mem_, c_.op);
        }
    } else if (dir_ == Direction::Receive && !stored_) {
        // A receive that failed before its first record leaves the memory as the operator had
        // it; records that did arrive stay.
        mem_.Records = before_.Records;
        mem_.ZoneCounts = before_.ZoneCounts;
    }
    host_.ShowProgress(false);
    mem_.Current = kFirstChannel;
    return Result();
}

void Transfer::RunSteps() {
    while (true) {
        BuildCommand();
        if (!cmd_.empty() && !failed_) {
            Exchange();
        }
        // A log that can no longer be written is a failure like any other.
        if (!log_.Good()) {
            Fail("The transfer log could not be written: " + log_.Failed()->detail);
        }
        if (debugFile_.IsOpen() && !debugFile_.Good()) {
            Fail("The debug log could not be written: " + debugFile_.Failed()->detail);
        }
        // A failed exchange is reported with the step it failed at.
        if (failed_ || outcome_ != Outcome::None) {
            return;
        }
        if (host_.CancelRequested()) {
            outcome_ = Outcome::Cancelled;
            return;
        }
        // The step counter is a 16-bit number: a radio that never says it is done cannot keep
        // the transfer going for ever.
        if (step_ == step::Last) {
            Fail("The radio went on answering without ever ending the transfer.");
            return;
        }
        ++step_;
        if (Sending()) {
            AfterSendStep();
        }
        if (outcome_ != Outcome::None) {
            return;
        }
    }
}

bool Transfer::Prepare() {
    switch (dir_) {
        case Direction::Send: {
            SelectionChecks();
            if (selCount_ == 0 && state_.PurgeMode == 0) {
                outcome_ = Outcome::NothingSelected;
                return false;
            }
            // A record that cannot go out would stop the send part way, after the purge has
            // emptied the radio. Every record the send may write is tried first; with one that
            // cannot be sent, the radio is never even opened.
            const auto unsendable =
                UnsendableChannels(mem_, RecordsASendMayWrite(mem_, state_.PurgeMode));
            if (!unsendable.empty()) {
                step_ = unsendable.front().index;
                Fail(
                    "Nothing was sent and the radio was left as it was: these channels hold "
                    "values the radio's record cannot carry.\n" +
                    UnsendableText(unsendable));
                return false;
            }
            break;
        }
        case Direction::Receive:
            before_.Records = mem_.Records;
            before_.ZoneCounts = mem_.ZoneCounts;
            ClearMemory(mem_);
            mem_.ZoneCounts[0] = 0;
            mem_.ZoneCounts[kGuardZone] = 0;
            break;
        case Direction::DebugLog:
            // The earlier log stays until this one is complete.
            if (const auto failed = debugFile_.Open(c_.folder / kDebugLogFileName)) {
                Fail("The debug log could not be created: " + failed->detail);
            }
            break;
    }
    return true;
}

void Transfer::SelectionChecks() {
    xferFlags_ = kFirstPass;
    selCount_ = 0;
    usedModes_ = 0;
    const auto modeCheck = [&](const ChannelRecord& r) {
        if (!IsModeAllowed(mem_.EnabledModes, r.Mode, r.TFrq.View())) {
            usedModes_ |= ModeFlag(r.Mode);
        }
    };
    for (int i = 0; i <= kLastOrdinaryChannel; ++i) {
        const ChannelRecord& r = mem_.Rec(i);
        if (!r.IsDefined() || (r.Select & (kSelSend | kSelErased)) == 0) {
            continue;
        }
        ++selCount_;
        modeCheck(r);
        if (r.Select & kSelListChanged) {
            xferFlags_ |= kListChanged;
        }
        if (r.IsShadow()) {
            // A shadow goes out with its primary and all the primary's other shadows.
            xferFlags_ |= kShadowOrPurge;
            for (const int index : SentWithShadow(mem_, i)) {
                MarkForSending(index);
            }
        }
    }
    for (int guard : {kGuard1, kGuard2}) {
        const ChannelRecord& r = mem_.Rec(guard);
        if (r.IsDefined() && (r.Select & kSelSend)) {
            ++selCount_;
            modeCheck(r);
        }
    }
}

void Transfer::MarkForSending(int index) {
    mem_.Rec(index).Select |= kSelSend;
}

bool Transfer::OpenPort() {
    outcome_ = Outcome::PortNotOpened;
    device_.SelectPort(mem_.PortNumber);
    if (!device_.SetLineSettings("9600,N,8,1") || !device_.Open()) {
        detail_ = device_.OpenFailureDetail();
        return false;
    }
    device_.DiscardInput();
    rxBuf_.clear();
    if (state_.DebugMode) {
        if (const auto failed = log_.Open(c_.folder / kTransferLogFileName)) {
            // The port is open: it is closed again, with nothing sent.
            detail_ = "The transfer log could not be created: " + failed->detail;
            return false;
        }
    }
    outcome_ = Outcome::None;
    return true;
}

void Transfer::BuildCommand() {
    cmd_.clear();
    switch (step_) {
        case step::Opening:
            cmd_ = OpeningRequestFrame(kFirstOpeningCode, state_.Version);
            break;
        case step::SpeedChange:
            cmd_ = kFrameSpeedChange;
            break;
        case step::Modes:
            cmd_ = kFrameModesQuestion;
            break;
        case step::TextLogName:
            textLog_.Close();
            cmd_ = kFrameTextLogQuestion;
            break;
        case step::TextLogLine:
            cmd_ = kFrameAccepted;
            break;
        case step::Version:
            if (Sending() && usedModes_ != 0) {
                const Message warning{
                    "The following operating modes are used in the memory data but not enabled "
                    "in the radio:\n\n" +
                        ModeNameLines(usedModes_) +
                        "\nThe radio will not transmit in disabled modes (affected memories "
                        "become receive only).\n\nPress OK to continue or CANCEL to stop the "
                        "transfer",
                    "Radio Operating Modes", Icon::Warning, Buttons::OkCancel};
                if (c_.op.Ask(warning) != Answer::Ok) {
                    outcome_ = Outcome::WarningDeclined;
                    return;
                }
            }
            cmd_ = kFrameVersionQuestion;
            break;
        case step::Stamp:
            if (Sending()) {
                cmd_ = kFrameStampQuestion;
            } else {
                state_.MemoryStamp = MemoryStampFor(host_.LocalTime());
                cmd_ = std::string(kFrameStamp) + state_.MemoryStamp;
            }
            break;
        case step::Begin:
            cmd_ = dir_ == Direction::Send      ? kFrameBeginSend
                   : dir_ == Direction::Receive ? kFrameBeginReceive
                                                : kFrameBeginDebugLog;
            break;
        case step::Purge:
            if (Sending() && (state_.PurgeMode == 1 || (xferFlags_ & 0x0F) != 0)) {
                statusText_ = "Purging Radio....";
                cmd_ = kFramePurge;
                xferFlags_ |= kPurged | kShadowOrPurge;
            }
            break;
        case step::Announce:
            statusText_ =
                Sending() ? "Sending Primary Memory Data...." : "Receiving Memory Data....";
            log_.Note(statusText_);
            break;
        default:
            if (Sending()) {
                BuildRecordCommand();
            } else {
                cmd_ = kFrameAccepted;
            }
            break;
    }
}

void Transfer::BuildRecordCommand() {
    if (step_ < step::Records || step_ > kLastRecord) {
        return;
    }
    const ChannelRecord& r = mem_.Rec(step_);
    if (!r.IsDefined()) {
        return;
    }
    int sel = r.Select & (kSelSend | kSelErased);
    const bool fromRadio = (r.Select & kSelFromRadio) != 0;
    // A purge wiped the radio: what it held before is written back even when not selected.
    if (step_ >= 1 && state_.PurgeMode == 0 && fromRadio && sel == 0 && (xferFlags_ & kPurged)) {
        sel = 1;
    }
    const bool firstPass = (xferFlags_ & kFirstPass) != 0;
    if (sel == 1) {
        if (r.IsShadow() != firstPass) {
            mem_.Current = static_cast<std::int16_t>(step_);
            // Checked before the send began; this stays as the last guard.
            const auto image = SendImage(mem_, step_);
            if (!image) {
                Fail("Channel " + ChannelBoxText(step_) + " cannot be sent.");
                return;
            }
            cmd_ = RecordFrameText(*image);
        }
    } else if (sel >= 2) {
        if (firstPass && !(xferFlags_ & kStampDiffers) && fromRadio && !r.IsShadow()) {
            cmd_ = EraseFrame(static_cast<std::uint8_t>(step_));
        }
    }
}

void Transfer::Exchange() {
    label_ = statusText_;
    host_.SetStatus(label_);
    sendMode_ = kSendFresh;
    errCount_ = 0;
    repeatRequests_ = 0;
    do {
        if (sendMode_ == kSendFresh || sendMode_ == kSendAgain) {
            if (sendMode_ == kSendFresh) {
                cmd_ = WithChecksum(cmd_);
            }
            log_.Sent(cmd_);
            if (!device_.Write(cmd_ + "\r")) {
                outcome_ = Outcome::Communication;
                return;
            }
        }
        outcome_ = Outcome::Communication;
        reply_.clear();
        if (!WaitForLine() || outcome_ != Outcome::Communication) {
            return;  // the line failed, the radio was too slow, or the operator stopped it
        }
        TakeLine();
        if (!failed_) {
            HandleReply();
        }
    } while (sendMode_ != kDone && outcome_ == Outcome::None && !failed_);
}

// Waits for a complete line. False when the device failed, sent no line ends or the operator
// cancelled: the transfer then ends with ErrCode as it stands (or as cancelled). A time-out
// returns true with ErrCode 4.
bool Transfer::WaitForLine() {
    const auto noted = host_.Now();
    long shownSeconds = 0;
    while (true) {
        rxBuf_ += device_.ReadAvailable();
        // The clock comes first: an answer later than the limit is a time-out even when it has
        // just arrived.
        const long seconds =
            std::chrono::duration_cast<std::chrono::seconds>(host_.Now() - noted).count();
        if (seconds != shownSeconds) {
            shownSeconds = seconds;
            label_ += std::to_string(seconds);
            host_.SetStatus(label_);
        }
        if (seconds > kAnswerLimit.count()) {
            outcome_ = Outcome::Timeout;
            log_.Note("<Timeout>");
            return true;
        }
        if (rxBuf_.find('\r') != std::string::npos) {
            return true;
        }
        if (device_.Failed()) {
            return false;
        }
        if (rxBuf_.size() > kMaxPendingChars) {
            Fail("The radio sent more than " + std::to_string(kMaxPendingChars / 1024) +
                 " KiB without a line end.");
            return false;
        }
        if (host_.CancelRequested()) {
            outcome_ = Outcome::Cancelled;
            return false;
        }
        host_.WaitForData(device_, kWaitSlice);
    }
}

void Transfer::TakeLine() {
    const std::size_t cr = rxBuf_.find('\r');
    const std::string line = rxBuf_.substr(0, cr + 1);
    rxBuf_.erase(0, cr + 1);
    log_.Received(line);

    if (line.empty() || line.front() != 'T') {
        // Not a frame (garbage, or text before the "T"): ignore it and wait again.
        sendMode_ = kWaitAgain;
        outcome_ = Outcome::None;
        return;
    }
    const std::string_view text(line.data(), line.size() - 1);
    const bool valid = text.size() >= 3 && HexValue(text.substr(text.size() - 2)) ==
                                               FrameChecksum(text.substr(0, text.size() - 2));
    if (valid) {
        outcome_ = Outcome::None;
        reply_ = std::string(text.substr(0, text.size() - 2));
        return;
    }
    ++errCount_;
    outcome_ = errCount_ >= 2 ? Outcome::Checksum : Outcome::None;
    // A line from the radio came in damaged: ask for it again rather than skip it.
    if (!Sending()) {
        cmd_ = kFrameRefused;
        sendMode_ = kSendFresh;
    } else {
        sendMode_ = kSendAgain;
    }
}

void Transfer::HandleReply() {
    if (reply_.empty()) {
        return;
    }
    if (reply_ == kFrameAccepted) {
        if (step_ == step::Opening) {
            if (helloTries_ == 0) {
                step_ = step::TextLogLine;
                mem_.EnabledModes = kEnableWide | kEnableNarrow | kEnableDigital;
            } else if (helloTries_ == 1) {
                step_ = step::SpeedChange;
                mem_.EnabledModes = kEnableWide | kEnableNarrow | kEnableDigital;
            }
        } else if (step_ == step::SpeedChange) {
            host_.Pause(50ms);
            // The acceptance's bytes are in; our own last bytes must be out before the speed
            // changes under them.
            if (!device_.Drain(kDrainLimit)) {
                outcome_ = Outcome::Communication;
                return;
            }
            if (!device_.SetLineSettings("115200,N,8,1")) {
                Fail(
                    "The port would not change to 115200 baud after the radio accepted the "
                    "change.");
                return;
            }
        }
        sendMode_ = kDone;
        errCount_ = 0;
        return;
    }
    if (reply_ == kFrameRefused) {
        if (step_ == step::Opening) {
            if (++helloTries_ >= kMaxOpeningRefusals) {
                outcome_ = Outcome::TooManyErrors;
                return;
            }
            // Ask again with the next code (and a fresh checksum).
            cmd_ = OpeningRequestFrame(kFirstOpeningCode + helloTries_, state_.Version);
            sendMode_ = kSendFresh;
            return;
        }
        if (++errCount_ >= 2) {
            outcome_ = Outcome::TooManyErrors;
        } else {
            host_.Pause(500ms);
        }
        sendMode_ = kSendAgain;
        return;
    }
    if (reply_ == kFrameBusy) {
        const std::size_t lastPoint = label_.rfind('.');
        if (lastPoint != std::string::npos) {
            label_.erase(lastPoint + 1);
        }
        label_ += '.';
        host_.SetStatus(label_);
        sendMode_ = kWaitAgain;
        return;
    }
    if (StartsWith(reply_, kFrameVersionAnswer)) {
        state_.RadioVersion = reply_.substr(kFrameVersionAnswer.size(), 6);
        sendMode_ = kDone;
        return;
    }
    if (StartsWith(reply_, kFrameModesAnswer)) {
        mem_.EnabledModes =
            static_cast<std::uint8_t>(HexValue(reply_.substr(kFrameModesAnswer.size(), 2)));
        if (Sending() || helloTries_ == 1) {
            step_ = step::TextLogLine;
        }
        sendMode_ = kDone;
        return;
    }
    if (Sending()) {
        if (StartsWith(reply_, kFrameStamp)) {
            if (reply_.substr(kFrameStamp.size(), 14) != state_.MemoryStamp) {
                xferFlags_ |= kStampDiffers;
            }
            sendMode_ = kDone;
        } else if (reply_ == kFrameEnd) {
            outcome_ = Outcome::TooManyErrors;
        } else {
            // An answer no rule names: let it pass and wait for the real one.
            sendMode_ = kWaitAgain;
        }
        return;
    }
    HandleDataLine();
}

// Receiving and reading the debug log: the end frame, text-log lines, records and log lines.
void Transfer::HandleDataLine() {
    const bool textLogStep = step_ == step::TextLogName || step_ == step::TextLogLine;
    if (reply_ == kFrameEnd) {
        if (textLogStep) {
            textLog_.Close();
            step_ = step::TextLogLine;  // on with step -5
            sendMode_ = kDone;
        } else {
            outcome_ = Outcome::Complete;
        }
        return;
    }
    if (!StartsWith(reply_, kFrameKindData)) {
        sendMode_ = kWaitAgain;  // an answer no rule names
        return;
    }
    if (textLogStep) {
        if (step_ == step::TextLogName) {
            if (state_.DebugMode) {
                textLog_.Open(c_.folder, DataLineText(reply_), host_.LocalTime());
            }
        } else {
            textLog_.Line(DataLineText(reply_));
            step_ = step::TextLogName;  // ask for the next line
        }
        sendMode_ = kDone;
        return;
    }
    if (dir_ == Direction::DebugLog) {
        debugFile_.Write(renderer_.Line(reply_));
        host_.SetProgress(DebugLogRenderer::ProgressFor(reply_, kLastRecord));
        sendMode_ = kDone;
        return;
    }
    if (reply_.size() > kMaxFrameChars) {
        Fail("The radio sent a line of " + std::to_string(reply_.size() + 2) +
             " characters; no record frame is longer than " + std::to_string(kMaxFrameChars + 2) +
             ".");
        return;
    }
    // A radio that sends a record a second time replaces it; its list counts it once.
    const int address = RecordAddress(reply_);
    std::optional<ChannelRecord> earlier;
    if (IsRecordIndex(address) && received_.test(static_cast<std::size_t>(address))) {
        earlier = mem_.Rec(address);
    }
    if (StoreRecordFrame(reply_, mem_) == 1) {
        if (earlier && address != kDefaultRecord && !earlier->IsShadow()) {
            std::int16_t& count = mem_.ZoneCounts[static_cast<std::size_t>(ZoneOf(earlier->Scan))];
            count = static_cast<std::int16_t>(std::max(0, count - 1));
        }
        received_.set(static_cast<std::size_t>(address));
        stored_ = true;
        host_.SetProgress(mem_.Current);
        sendMode_ = kDone;
        return;
    }
    if (++repeatRequests_ > kMaxRepeatRequests) {
        outcome_ = Outcome::TooManyErrors;
        return;
    }
    cmd_ = kFrameRefused;
    sendMode_ = kSendFresh;
}

void Transfer::AfterSendStep() {
    if (step_ >= step::Records && step_ <= kLastRecord) {
        host_.SetProgress(step_);
    }
    if (step_ != kLastRecord + 1) {
        return;
    }
    xferFlags_ &= ~kFirstPass;
    if (xferFlags_ & kShadowOrPurge) {
        step_ = step::Records;
        xferFlags_ &= ~kShadowOrPurge;
        statusText_ = "Sending Shadow Memory Data....";
        host_.SetProgress(0);
        log_.Note("Sending Shadow Memory Data...");
    } else {
        outcome_ = Outcome::Complete;
    }
}

// The end frame goes out without waiting for an answer; it is over only once it has left the
// line. A failed write or drain means the radio may not know the transfer is over.
void Transfer::SendEndFrame() {
    const std::string end = WithChecksum(kFrameEnd);
    log_.Raw(end + "\r");
    if (!device_.Write(end + "\r") || !device_.Drain(kDrainLimit)) {
        outcome_ = Outcome::Communication;
    }
}

// The logs get their last lines and are put in place. The transfer log records every outcome;
// a debug log replaces the earlier one only when the whole log came. A log that cannot be put
// in place is a failure: the operator would otherwise trust a log that is not there.
void Transfer::FinishLogs() {
    if (Completed()) {
        log_.Raw(std::string(kTransferComplete) + "\n");
        if (dir_ == Direction::DebugLog) {
            debugFile_.Write(renderer_.Finish());
        }
    }
    const auto failedLog = [&](std::string_view name, const Failure& failed) {
        outcome_ = Completed() ? Outcome::None : outcome_;
        Fail("The " + std::string(name) + " could not be written: " + failed.detail);
    };
    if (const auto failed = log_.Close()) {
        failedLog("transfer log", *failed);
    }
    textLog_.Close();  // the radio's own text log is a courtesy: its failure stops nothing
    if (debugFile_.IsOpen()) {
        if (!Completed()) {
            debugFile_.Abandon();
        } else if (const auto failed = debugFile_.Commit()) {
            failedLog("debug log", *failed);
        }
    }
}

void Transfer::ShowCompletion() {
    host_.SetStatus(kTransferComplete);
    if (host_.LingersOnCompletion()) {
        // "Transfer Complete." stays on show for two seconds, so the operator sees it however
        // the clock's seconds fall; the window keeps painting meanwhile.
        const auto noted = host_.Now();
        while (host_.Now() - noted < 2s) {
            host_.WaitForData(device_, 50ms);
            device_.ReadAvailable();
        }
    }
}

// Whatever the outcome, everything written leaves the line before the port closes: closing puts
// back the line settings the port had, at once.
void Transfer::CloseLine() {
    if (device_.IsOpen()) {
        device_.Drain(kDrainLimit);
        device_.Close();
    }
}

}  // namespace

std::string OutcomeMessage(Outcome outcome, int step) {
    switch (outcome) {
        case Outcome::Complete:
        case Outcome::WarningDeclined:
            return std::string(kTransferComplete);
        case Outcome::PortNotOpened:
            return "Invalid COM Port (or Port in use)";
        case Outcome::Communication:
            return "Communication Error " + std::to_string(step);
        case Outcome::Timeout:
            return "Timeout Error";
        case Outcome::TooManyErrors:
            return "Too Many Communications Errors " + std::to_string(step);
        case Outcome::Checksum:
            return "Checksum Error " + std::to_string(step);
        case Outcome::NothingSelected:
            return "No data selected for transfer to Radio";
        case Outcome::Cancelled:
            return std::string(kTransferCancelled);
        case Outcome::None:
            break;
    }
    return "Download Failure " + std::to_string(static_cast<int>(outcome)) + " " +
           std::to_string(step);
}

TransferResult RadioTransfer(Direction direction, TransferContext& context) {
    return Transfer(direction, context).Run();
}

int TransferTestResult::Completed() const {
    return static_cast<int>(
        std::count_if(rounds.begin(), rounds.end(), [](const auto& r) { return r.Complete(); }));
}

std::vector<int> TransferTestResult::FailedRounds() const {
    std::vector<int> failed;
    for (std::size_t k = 0; k < rounds.size(); ++k) {
        if (!rounds[k].Complete() && rounds[k].outcome != Outcome::Cancelled) {
            failed.push_back(static_cast<int>(k + 1));
        }
    }
    return failed;
}

std::vector<Failure> TransferTestResult::Failures() const {
    std::vector<Failure> failures;
    if (sync.failure) {
        failures.push_back(*sync.failure);
    }
    for (const TransferResult& round : rounds) {
        if (round.failure) {
            failures.push_back(*round.failure);
        }
    }
    return failures;
}

Message TransferTestSummary(const TransferTestResult& result, int n) {
    const auto of = [n](std::size_t k) { return std::to_string(k) + " of " + std::to_string(n); };
    std::string text = of(static_cast<std::size_t>(result.Completed())) + " sends completed.";
    const auto said = [](const TransferResult& r) { return OutcomeMessage(r.outcome, r.step); };
    if (!result.sync.Complete()) {
        text += "\n\nThe receive before the first send ended with: " + said(result.sync);
    }
    const std::vector<int> failed = result.FailedRounds();
    if (!failed.empty()) {
        text += "\n\nFailed:";
        for (const int k : failed) {
            text += "\n    " + of(static_cast<std::size_t>(k)) + ": " +
                    said(result.rounds[static_cast<std::size_t>(k - 1)]);
        }
    }
    if (!result.rounds.empty() && result.rounds.back().outcome == Outcome::Cancelled) {
        text += "\n\nThe test was stopped during send " + of(result.rounds.size()) + ".";
    }
    const bool clean = result.sync.Complete() && result.Completed() == n;
    return {text, "Repeated Transfer Test", clean ? Icon::Information : Icon::Exclamation,
            Buttons::Ok};
}

TransferTestResult RunTransferTest(int n, TransferContext& context) {
    ChannelMemory& mem = context.memory;
    TransferHost& host = context.host;
    const auto setFrequencies = [&](int index, int base) {
        ChannelRecord& r = mem.Rec(index);
        r.RFrq = FormatFixed((index + base) / 100.0, 4);
        r.TFrq = r.RFrq;
    };

    TransferTestResult result;
    host.SetProgressCaption("Data Transfer Progress (syncing to radio)");
    result.sync = RadioTransfer(Direction::Receive, context);
    if (result.sync.outcome == Outcome::Cancelled) {
        host.SetProgressCaption("Data Transfer Progress");
        return result;
    }

    ClearMemory(mem);
    mem.ZoneCounts[0] = 0;
    int base = 15000;
    for (int i = kFirstChannel; i <= kLastOrdinaryChannel; ++i) {
        const int zone = (i - 1) / kMaxChannelsPerZone;
        const int position = (i - 1) % kMaxChannelsPerZone;
        ChannelRecord& r = mem.Rec(i);
        r.Chnl = r.Prim = static_cast<std::int16_t>(i);
        char desc[16];
        std::snprintf(desc, sizeof desc, "Z%02d/P%02d", zone + 1, position + 1);
        r.Desc = desc;
        r.Scan = ScanOfZone(zone);
        r.Mode = kModeNarrow;
        setFrequencies(i, base);
        r.Select = kSelDefined | kSelSend;
        ++mem.ZoneCounts[static_cast<std::size_t>(zone)];
    }
    for (int guard : {kGuard1, kGuard2}) {
        setFrequencies(guard, base);
        mem.Rec(guard).Select = kSelDefined | kSelSend;
    }

    context.state.PurgeMode = 1;
    for (int k = 1; k <= n; ++k) {
        host.SetProgressCaption("Data Transfer Progress (" + std::to_string(k) + " of " +
                                std::to_string(n) + ")");
        result.rounds.push_back(RadioTransfer(Direction::Send, context));
        context.state.PurgeMode = 0;
        base = base == 15000 ? 16000 : 15000;
        for (int i = kFirstChannel; i <= kLastRecord; ++i) {
            setFrequencies(i, base);
        }
        // A failed send does not stop a soak test; the operator stopping it does.
        if (result.rounds.back().outcome == Outcome::Cancelled) {
            break;
        }
    }
    host.SetProgressCaption("Data Transfer Progress");
    return result;
}

}  // namespace kld
