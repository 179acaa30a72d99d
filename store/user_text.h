#pragma once

#include <string>

namespace store {

// A path as the messages name it: in single quotes, so that a name with spaces reads as one. Not named
// `quoted`: an unqualified call on a string that is not const would find std::quoted instead.
inline std::string inQuotes(const std::string& path)
{
    return "'" + path + "'";
}

}  // namespace store
