#pragma once
// An environment variable set, or unset, for one scope; its value before comes back at the end.
#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* before = std::getenv(name_.c_str())) saved_ = before;
        Put(value);
    }
    ~ScopedEnvironment() { Put(saved_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Put(const std::optional<std::string>& value) const {
        if (value) setenv(name_.c_str(), value->c_str(), 1);
        else unsetenv(name_.c_str());
    }

    std::string name_;
    std::optional<std::string> saved_;
};
