#include "transfer.h"

#include <algorithm>
#include <optional>

#include "codecs.h"
#include "field_rules.h"
#include "memory_check.h"
#include "modes.h"
#include "send_plan.h"
#include "transfer_engine.h"
#include "wire_codec.h"

namespace kld {

using namespace std::chrono_literals;

namespace {

// A radio that keeps sending records with addresses beyond the table is asked to repeat this
// often within one step before the transfer gives up.
constexpr int kMaxRepeatRequests = 8;

}  // namespace

TransferResult TransferEngine::Run() {
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
    if (Completed() && probe_ == Probe::None) {
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

void TransferEngine::RunSteps() {
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
        if (probe_ != Probe::None && step_ == step::Stamp) {
            outcome_ = Outcome::Complete;  // the stamp is in; Run sends the end frame
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

bool TransferEngine::Prepare() {
    switch (dir_) {
        case Direction::Send: {
            const SendStart start = StartSend(mem_);
            xferFlags_ = start.xferFlags;
            // A probe sends no record, so the modes the records use are no question yet.
            usedModes_ = probe_ == Probe::None ? start.disabledModes : 0;
            if (probe_ == Probe::Identity) {
                break;  // no memory of its own to send: only the radio's answers count
            }
            if (start.selected == 0 && state_.PurgeMode == 0) {
                outcome_ = Outcome::NothingSelected;
                return false;
            }
            // With a record that cannot be sent, the radio is never even opened.
            if (const auto blocked = CheckBeforeSending(mem_, state_.PurgeMode)) {
                step_ = blocked->index;
                Fail(blocked->detail);
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

bool TransferEngine::OpenPort() {
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

void TransferEngine::BuildCommand() {
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
                state_.MemoryStamp =
                    stampToWrite_.empty() ? MemoryStampFor(host_.LocalTime()) : stampToWrite_;
                cmd_ = std::string(kFrameStamp) + state_.MemoryStamp;
            }
            break;
        case step::Begin:
            cmd_ = dir_ == Direction::Send      ? kFrameBeginSend
                   : dir_ == Direction::Receive ? kFrameBeginReceive
                                                : kFrameBeginDebugLog;
            break;
        case step::Purge:
            if (Sending() && SendPurges(state_.PurgeMode, xferFlags_)) {
                statusText_ = "Purging Radio....";
                cmd_ = kFramePurge;
                xferFlags_ |= kXferPurged | kXferShadowOrPurge;
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

void TransferEngine::BuildRecordCommand() {
    switch (RecordStepOf(mem_, step_, state_.PurgeMode, xferFlags_)) {
        case RecordStep::Write: {
            mem_.Current = static_cast<std::int16_t>(step_);
            // Checked before the send began; this stays as the last guard.
            const auto image = SendImage(mem_, step_);
            if (!image) {
                Fail("Channel " + ChannelBoxText(step_) + " cannot be sent.");
                return;
            }
            cmd_ = RecordFrameText(*image);
            break;
        }
        case RecordStep::Erase:
            cmd_ = EraseFrame(static_cast<std::uint8_t>(step_));
            break;
        case RecordStep::Skip:
            break;
    }
}

void TransferEngine::HandleReply() {
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
        HandleRefused();
        return;
    }
    if (reply_ == kFrameBusy) {
        HandleBusy();
        return;
    }
    if (reply_.starts_with(kFrameVersionAnswer)) {
        state_.RadioVersion = reply_.substr(kFrameVersionAnswer.size(), 6);
        sendMode_ = kDone;
        return;
    }
    if (reply_.starts_with(kFrameModesAnswer)) {
        mem_.EnabledModes =
            static_cast<std::uint8_t>(HexValue(reply_.substr(kFrameModesAnswer.size(), 2)));
        if (Sending() || helloTries_ == 1) {
            step_ = step::TextLogLine;
        }
        sendMode_ = kDone;
        return;
    }
    if (Sending()) {
        if (reply_.starts_with(kFrameStamp)) {
            radioStamp_ = reply_.substr(kFrameStamp.size(), 14);
            if (radioStamp_ != state_.MemoryStamp) {
                xferFlags_ |= kXferStampDiffers;
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
void TransferEngine::HandleDataLine() {
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
    if (!reply_.starts_with(kFrameKindData)) {
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

void TransferEngine::AfterSendStep() {
    if (step_ >= step::Records && step_ <= kLastRecord) {
        host_.SetProgress(step_);
    }
    if (step_ != kLastRecord + 1) {
        return;
    }
    xferFlags_ &= ~kXferFirstPass;
    if (xferFlags_ & kXferShadowOrPurge) {
        step_ = step::Records;
        xferFlags_ &= ~kXferShadowOrPurge;
        statusText_ = "Sending Shadow Memory Data....";
        host_.SetProgress(0);
        log_.Note("Sending Shadow Memory Data...");
    } else {
        outcome_ = Outcome::Complete;
    }
}

// The end frame goes out without waiting for an answer; it is over only once it has left the
// line. A failed write or drain means the radio may not know the transfer is over.
void TransferEngine::SendEndFrame() {
    const std::string end = WithChecksum(kFrameEnd);
    log_.Raw(end + "\r");
    if (!device_.Write(end + "\r") || !device_.Drain(kDrainLimit)) {
        outcome_ = Outcome::Communication;
    }
}

// The logs get their last lines and are put in place. The transfer log records every outcome;
// a debug log replaces the earlier one only when the whole log came. A log that cannot be put
// in place is a failure: the operator would otherwise trust a log that is not there.
void TransferEngine::FinishLogs() {
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

void TransferEngine::ShowCompletion() {
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
void TransferEngine::CloseLine() {
    if (device_.IsOpen()) {
        device_.Drain(kDrainLimit);
        device_.Close();
    }
}

bool TransferEngine::StampDiffers() const {
    return (xferFlags_ & kXferStampDiffers) != 0;
}

TransferResult RadioTransfer(Direction direction, TransferContext& context) {
    return TransferEngine(direction, context).Run();
}

StampProbe ProbeRadioStamp(const TransferContext& context) {
    // On copies: a send's opening learns the radio's modes and version into them.
    ChannelMemory memory = context.memory;
    ProgramState state = context.state;
    TransferContext probe{memory, state, context.device, context.host, context.op, context.folder};
    TransferEngine engine(Direction::Send, probe, Probe::Stamp);
    StampProbe result;
    result.transfer = engine.Run();
    if (result.transfer.Complete()) {
        result.stampDiffers = engine.StampDiffers();
        result.radioStamp = engine.RadioStamp();
    }
    return result;
}

TransferResult ReceiveWithStamp(TransferContext& context, const std::string& stamp) {
    return TransferEngine(Direction::Receive, context, Probe::None, stamp).Run();
}

RadioIdentity IdentifyRadio(int port, SerialDevice& device, TransferHost& host, Operator& op,
                            const ProgramVersion& version) {
    ChannelMemory memory;
    memory.PortNumber = static_cast<std::int16_t>(port);
    ProgramState state;
    state.Version = version;
    state.RadioVersion.clear();
    TransferContext context{memory, state, device, host, op, {}};
    TransferEngine engine(Direction::Send, context, Probe::Identity);
    RadioIdentity identity;
    identity.transfer = engine.Run();
    identity.level = engine.OpeningRefusals();
    if (identity.transfer.Complete()) {
        identity.version = state.RadioVersion;
        identity.modes = memory.EnabledModes;
        identity.stamp = engine.RadioStamp();
    }
    return identity;
}

std::string RadioIdentity::Text() const {
    std::string text = "version " + (version.empty() ? std::string("not given") : version) +
                       ", protocol level " + std::to_string(level);
    if (!stamp.empty()) {
        text += ", memory stamp " + stamp;
    }
    return text;
}

}  // namespace kld
