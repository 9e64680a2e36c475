// What the operator is told when a transfer ends: the outcome message the radio's rules give, and
// beneath it the step it stopped at and what to check.
#include <string>

#include "field_rules.h"
#include "transfer.h"

namespace kld {

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

std::string StepDescription(int step, Direction direction) {
    const bool sending = direction == Direction::Send;
    switch (step) {
        case step::Opening:
            return "calling the radio (the opening request)";
        case step::SpeedChange:
            return "switching the line to 115200 baud";
        case step::Modes:
            return "asking for the radio's enabled operating modes";
        case step::TextLogName:
        case step::TextLogLine:
            return "reading the radio's text log";
        case step::Version:
            return "asking for the radio's version";
        case step::Stamp:
            return sending ? "asking for the radio's memory stamp" : "writing the memory stamp";
        case step::Begin:
            return sending                           ? "starting the send"
                   : direction == Direction::Receive ? "starting the receive"
                                                     : "starting the debug log";
        case step::Purge:
            return "purging the radio";
        case step::Announce:
            return "starting on the channel data";
        default:
            break;
    }
    if (!sending) {
        return (direction == Direction::Receive ? "receiving the memory (answer "
                                                : "reading the debug log (line ") +
               std::to_string(step + 1) + ")";
    }
    return step <= kLastRecord ? "sending channel " + ChannelBoxText(step) : "ending the transfer";
}

std::string OutcomeAdvice(Outcome outcome, int step, Direction direction, int port) {
    const std::string com = "COM" + std::to_string(port);
    const std::string where = "It stopped at step " + std::to_string(step) + ", " +
                              StepDescription(step, direction) + ".";
    const bool opening = step == step::Opening;
    switch (outcome) {
        case Outcome::Complete:
        case Outcome::WarningDeclined:
            return {};
        case Outcome::PortNotOpened:
            return com +
                   " could not be opened: it has no device, another program holds it, or you "
                   "may not use it (not in the dialout group). Choose the port the programming "
                   "cable is on in the CommPort box.";
        case Outcome::Communication:
            return "The line to the radio failed: the port reported an error, or the cable or "
                   "its USB adapter came out. " +
                   where + " Check the programming cable at both ends and that " + com +
                   " is still the port it is on, then try again.";
        case Outcome::Timeout:
            return opening ? "The radio did not answer within 30 seconds. " + where +
                                 " Check that the radio is switched on and in programming mode, "
                                 "that the programming cable is plugged in at both ends, and "
                                 "that " +
                                 com + " is the port the cable is on."
                           : "The radio stopped answering for 30 seconds. " + where +
                                 " Check that it is still switched on and in programming mode "
                                 "and that the cable is plugged in at both ends, then try again.";
        case Outcome::TooManyErrors:
            return (opening ? "The radio refused the opening request again and again. "
                            : "The radio refused a command twice, ended the transfer itself, or "
                              "kept sending records that have no place in the memory. ") +
                   where +
                   " Check that the radio is in programming mode and that nothing else is "
                   "talking to it; switch it off and on into programming mode, then try again.";
        case Outcome::Checksum:
            return "Two answers from the radio arrived damaged. " + where +
                   " Check the programming cable's plugs, keep the cable away from transmitting "
                   "radios and mains leads, and try again.";
        case Outcome::NothingSelected:
            return "No channel is marked to go to the radio. Tick the boxes beside the channels "
                   "in the summary, or press Select All for every defined channel; Un/Erase "
                   "Current marks the channel shown to be erased in the radio, and Purge clears "
                   "the radio as the send begins.";
        case Outcome::Cancelled:
            return "You stopped the transfer at step " + std::to_string(step) + ", " +
                   StepDescription(step, direction) + ".";
        case Outcome::None:
            break;
    }
    return where;
}

Failure TransferFailure(Outcome outcome, int step, Direction direction, int port,
                        const std::string& reason) {
    // A port's own reason says which of the causes it is and what to do about it.
    if (outcome == Outcome::PortNotOpened && !reason.empty()) {
        return {OutcomeMessage(outcome, step), reason};
    }
    const std::string advice = OutcomeAdvice(outcome, step, direction, port);
    return {OutcomeMessage(outcome, step), reason.empty()   ? advice
                                           : advice.empty() ? reason
                                                            : reason + "\n" + advice};
}

std::string TransferResult::Message() const {
    return OutcomeMessage(outcome, step);
}

}  // namespace kld
