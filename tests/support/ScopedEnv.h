#pragma once
// An environment variable changed for one scope and put back as it was at its end (set to
// its old value, or removed when it was not set), also when an assertion leaves early.

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace vellumo::test {

class ScopedEnv {
  public:
    /// Sets `name` to `value`; nothing removes it.
    ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    /// Changes the variable again within the scope.
    void Set(const std::optional<std::string>& value) const {
        if (value)
            setenv(name_.c_str(), value->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

  private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace vellumo::test
