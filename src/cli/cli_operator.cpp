#include "cli_operator.h"

namespace kld::cli {

Answer CliOperator::Ask(const Message& message) {
    ++shown_;
    err_ << message.text << "\n";
    if (!message.detail.empty()) {
        err_ << message.detail << "\n";
    }
    err_ << "\n";
    err_.flush();
    switch (message.buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return okCancel;
        case Buttons::YesNo:
            return yesNo;
        case Buttons::YesNoCancel:
        case Buttons::StoreDiscardCancel:
            return Answer::Cancel;
    }
    return Answer::Cancel;
}

}  // namespace kld::cli
