#pragma once

#include <QSignalBlocker>
#include <initializer_list>
#include <memory>
#include <vector>

namespace kld::ui {

// Blocks the signals of every object given for the lifetime of the guard: the window fills its
// controls without running their handlers, and calls the handlers it means to run itself.
class Quiet {
  public:
    Quiet(std::initializer_list<QObject*> objects) {
        for (QObject* object : objects) {
            blockers_.emplace_back(std::make_unique<QSignalBlocker>(object));
        }
    }

  private:
    std::vector<std::unique_ptr<QSignalBlocker>> blockers_;
};

}  // namespace kld::ui
