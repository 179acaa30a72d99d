#pragma once

#include <string_view>
#include <vector>

namespace store {

// The SQL that creates the four tables of Velmaris.mdb and marks the schema version (PRAGMA user_version). Only the
// bank tool and tests run it: the program never creates a database, so that a missing file is reported instead of
// silently replaced.
//
// The picture column comes last in each row: SQLite keeps a large value's bytes on a chain of overflow pages, and a
// column stored after it can only be reached by walking that chain, so reading the texts would read every picture.
std::string_view schemaSql();

// The order in which a cursor presents the fields of one of the program's tables, whatever their order in the
// file (files made before the picture column moved to the end still open); empty for a table it does not know.
const std::vector<std::string_view>& presentedFieldOrder(std::string_view table);

}  // namespace store
