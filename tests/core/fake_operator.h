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
// counts beeps. A Tell takes its answer from the queue like any Ask. With no answers left it
// presses OK on an OK-only box and Cancel otherwise.
class ScriptedOperator : public kld::Operator {
public:
    std::vector<kld::Message> shown;
    std::deque<kld::Answer> answers;
    int beeps = 0;

    kld::Answer Ask(const kld::Message& message) override {
        shown.push_back(message);
        if (!answers.empty()) {
            const kld::Answer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return message.buttons == kld::Buttons::Ok ? kld::Answer::Ok : kld::Answer::Cancel;
    }

    void Beep() override { ++beeps; }
};

}  // namespace kld::test
