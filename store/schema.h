#pragma once

#include <string_view>

namespace store {

// Version written to PRAGMA user_version by the bank tool.
inline constexpr int kSchemaVersion = 1;

// The SQL that creates the four tables of Velmaris.mdb. Only the bank tool and tests run it: the program
// never creates a database, so that a missing file is reported instead of silently replaced.
std::string_view schemaSql();

}  // namespace store
