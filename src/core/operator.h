#pragma once

#include <string>

namespace kld {

enum class Icon { None, Information, Exclamation, Warning, Critical };
// StoreDiscardCancel answers Yes for Store and No for Discard.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, StoreDiscardCancel };
enum class Answer { Ok, Cancel, Yes, No };

// One message box as the operator sees it: exact text (line breaks as "\n"), title, icon
// and buttons. An empty title means the program's own title. `detail` says more than the box's
// own text (why a file could not be written, what the system reported): the window shows it as
// the box's detailed text, the command line on the line after the message.
struct Message {
    std::string text;
    std::string title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    std::string detail = {};

    friend bool operator==(const Message&, const Message&) = default;
};

// Everything the program says to the operator or asks of them goes through here, so that the
// window, the command line and the tests can each answer in their own way.
class Operator {
  public:
    virtual ~Operator() = default;
    virtual Answer Ask(const Message& message) = 0;
    virtual void Beep() = 0;

    void Tell(const Message& message) { Ask(message); }
};

}  // namespace kld
