#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace store {

// The one failure type of the store. The message is the text the user reads in the error box, worded
// exactly ("tblTest: Cannot perform this operation on a closed dataset"); the box adds the full stop.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Failures that arise in a view's own event handling (a key, a lost focus) have no handler above them
// to end; the program installs the reporter that shows them in the error box.
using FailureReporter = void (*)(const std::exception&);
void setFailureReporter(FailureReporter reporter);
void reportFailure(const std::exception& failure);

template <typename Action>
void reportingFailures(Action&& action) noexcept
{
    try {
        std::forward<Action>(action)();
    } catch (const std::exception& failure) {
        reportFailure(failure);
    }
}

}  // namespace store
