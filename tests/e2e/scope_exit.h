// Runs a scenario's clean-up when the scenario's scope ends, whichever way it ends. Declared
// before the scenario's AppSession, it runs after the program has been ended.
#pragma once

#include <functional>
#include <utility>

namespace hivewarden::e2e {

class ScopeExit {
  public:
    explicit ScopeExit(std::function<void()> action) : action_(std::move(action)) {}
    ~ScopeExit() {
        if (action_) action_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    std::function<void()> action_;
};

}  // namespace hivewarden::e2e
