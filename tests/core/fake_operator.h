#pragma once

#include <deque>
#include <functional>
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

namespace test {

// An Operator for tests: records every message and counts beeps. A box with only an OK button
// is answered OK; questions take the scripted answers in order, and Cancel when none is left.
class ScriptedOperator : public Operator {
  public:
    std::vector<Message> shown;
    std::deque<Answer> answers;
    int beeps = 0;
    std::function<void()> whileShown;  // runs while each message is up, as if looking at the screen

    Answer Ask(const Message& message) override {
        shown.push_back(message);
        if (whileShown) {
            whileShown();
        }
        if (message.buttons == Buttons::Ok || answers.empty()) {
            return message.buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void Beep() override { ++beeps; }
};

}  // namespace test
}  // namespace kld
