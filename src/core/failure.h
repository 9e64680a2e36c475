#pragma once

// How the files and the link layers report what went wrong. They never tell the operator
// themselves: they return a Failure, and the window or the command line tells it.

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "operator.h"

namespace kld {

// What the operator is told: the message exactly as shown, and what it cannot say (the
// system's reason, the failing part, every refused cell), shown as the box's details or on the
// line after the message.
struct Failure {
    std::string message;
    std::string detail = {};

    // The message box that tells it: the program's own title and no icon unless asked for.
    Message AsMessage(std::string title = {}, Icon icon = Icon::None) const {
        return {message, std::move(title), icon, Buttons::Ok, detail};
    }

    friend bool operator==(const Failure&, const Failure&) = default;
};

// An operation that returns nothing returns std::optional<Failure>: none when it succeeded.

// An operation that returns a value: the value, or the failure that stopped it.
template <class T>
class Result {
  public:
    Result(T value) : held_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : held_(std::in_place_index<1>, std::move(failure)) {}

    bool Ok() const { return held_.index() == 0; }
    explicit operator bool() const { return Ok(); }

    // Only when Ok(); otherwise std::bad_variant_access is thrown.
    T& operator*() { return std::get<0>(held_); }
    const T& operator*() const { return std::get<0>(held_); }
    T* operator->() { return &**this; }
    const T* operator->() const { return &**this; }

    // Only when !Ok().
    const Failure& Error() const { return std::get<1>(held_); }

  private:
    std::variant<T, Failure> held_;
};

}  // namespace kld
