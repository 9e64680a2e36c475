// The line under the transfer: each command goes out with its checksum, and its answer is
// awaited, taken off the line and checked, as the radio's rules say.
#include "codecs.h"
#include "transfer_engine.h"
#include "wire_codec.h"

namespace kld {

using namespace std::chrono_literals;

namespace {

// How often the wait looks at the clock while no data comes; data ends the wait at once.
constexpr std::chrono::milliseconds kWaitSlice{100};
// The opening request's code byte counts refusals; a radio refusing this often will not accept.
constexpr int kMaxOpeningRefusals = 16;
// Unread text without a line end beyond this is no radio talking.
constexpr std::size_t kMaxPendingChars = 64 * 1024;

}  // namespace

void TransferEngine::Exchange() {
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
bool TransferEngine::WaitForLine() {
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
        if (seconds > host_.AnswerLimit().count()) {
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

void TransferEngine::TakeLine() {
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

// Refused: the opening is asked again with its next code; anything else is sent again after a
// pause, and a second refusal within one command ends the transfer.
void TransferEngine::HandleRefused() {
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
}

// Busy: the status text loses the seconds it was counting and gains a point, and the answer is
// awaited again.
void TransferEngine::HandleBusy() {
    const std::size_t lastPoint = label_.rfind('.');
    if (lastPoint != std::string::npos) {
        label_.erase(lastPoint + 1);
    }
    label_ += '.';
    host_.SetStatus(label_);
    sendMode_ = kWaitAgain;
}

}  // namespace kld
