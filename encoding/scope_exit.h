#pragma once
// Runs an action when the scope ends, on every way out, an error included: how a step puts
// back what it changed (a bracket closed, a hook removed, a mode restored).
#include <utility>

template <typename Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Action action_;
};
