#pragma once

#include <exception>
#include <functional>
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

// Failures that arise in a view's own event handling (a key, a lost focus), or in putting a cursor back
// after a rollback, have no handler above them to end. The connection's owner gives the reporter that
// shows them (Connection::setFailureReporter); without one they are dropped.
using FailureReporter = std::function<void(const std::exception&)>;

template <typename Action>
void reportingFailures(const FailureReporter* reporter, Action&& action) noexcept
{
    try {
        std::forward<Action>(action)();
    } catch (const std::exception& failure) {
        if (reporter && *reporter)
            (*reporter)(failure);
    }
}

}  // namespace store
