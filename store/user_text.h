#pragma once

#include <string>

namespace store {

// A path as the messages name it: in single quotes, so that a name with spaces reads as one.
inline std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

}  // namespace store
