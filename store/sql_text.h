#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace store {

// A table or column name as SQL reads it whatever it holds: in double quotes, inner quotes doubled.
std::string quoteIdentifier(const std::string& name);

// A field's text as the number its column stores; empty when the text is not wholly that number.
std::optional<std::int64_t> parseInteger(const std::string& text);
std::optional<double> parseReal(const std::string& text);

}  // namespace store
