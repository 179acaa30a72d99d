#pragma once

#include <stdexcept>
#include <string>

namespace store {

// The one failure type of the store. The message is the text the user reads in the error box, worded
// exactly ("tblTest: Cannot perform this operation on a closed dataset"); the box adds the full stop.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace store
