#pragma once

#include <string_view>

namespace store {

// The SQL that creates the four tables of Velmaris.mdb and marks the schema version (PRAGMA user_version). Only the
// bank tool and tests run it: the program never creates a database, so that a missing file is reported instead of
// silently replaced.
std::string_view schemaSql();

}  // namespace store
