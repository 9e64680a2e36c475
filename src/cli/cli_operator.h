#pragma once

#include <ostream>

#include "operator.h"

namespace kld::cli {

// The command line's operator: every message goes to stderr with its exact text and an empty
// line after it; questions are answered from the verb's flags.
class CliOperator : public Operator {
  public:
    explicit CliOperator(std::ostream& err) : err_(err) {}

    Answer Ask(const Message& message) override;
    void Beep() override {}

    // The answer to OK/Cancel questions (the mode repair) and to Yes/No questions (the
    // old-file import).
    Answer okCancel = Answer::Cancel;
    Answer yesNo = Answer::No;

    int MessagesShown() const { return shown_; }

  private:
    std::ostream& err_;
    int shown_ = 0;
};

}  // namespace kld::cli
