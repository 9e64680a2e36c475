#pragma once

#include <deque>
#include <ostream>
#include <vector>

#include "operator.h"

namespace kld {

// Lets GoogleTest show a message readably when an expectation on `shown` fails.
inline void PrintTo(const Message& message, std::ostream* os) {
    *os << "{\"" << message.text << "\", \"" << message.title << "\", icon "
        << static_cast<int>(message.icon) << ", buttons " << static_cast<int>(message.buttons)
        << "}";
}

}  // namespace kld

namespace kld::test {

// An Operator for tests: records every message, hands out scripted answers in order and
// counts beeps. A box with only an OK button is answered OK without using up a scripted answer;
// questions take theirs from the queue in order, and Cancel when it is empty.
class ScriptedOperator : public kld::Operator {
public:
    std::vector<kld::Message> shown;
    std::deque<kld::Answer> answers;
    int beeps = 0;

    kld::Answer Ask(const kld::Message& message) override {
        shown.push_back(message);
        if (message.buttons == kld::Buttons::Ok) {
            return kld::Answer::Ok;
        }
        if (!answers.empty()) {
            const kld::Answer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return kld::Answer::Cancel;
    }

    void Beep() override { ++beeps; }
};

}  // namespace kld::test
