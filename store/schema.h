#pragma once

#include <string_view>
#include <vector>

struct sqlite3;

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

// PRAGMA user_version holds two numbers. Its low 16 bits are the bank's content stamp: the bank tool writes
// it from bank/VERSION, and the user's copy is renewed when the installed bank's stamp is higher. The bits
// above are the schema level: the tables the program added to files made before them. A copy whose schema
// was raised keeps its content stamp, so it is still renewed by a newer bank (whose own level may be lower:
// renewing carries the recorded results over and raises it), and a new content stamp never reads as a
// schema level.
constexpr int kContentStampBits = 16;
int contentStamp(long long userVersion);
int schemaLevel(long long userVersion);
long long userVersionFor(int contentStamp, int schemaLevel);

// Level 1: the record of graded tests. Rezultate gains the counts and the practice flag, Raspunsuri holds
// each judged question of a recorded test.
constexpr int kResultsSchemaLevel = 1;
// Level 2: Sumar_Intrebari, per question and Rule the answers judged, those wrong and the latest of them,
// kept by the engine's triggers on Raspunsuri (whatever writes the answers, and in its transaction), so
// that the results window reads a few hundred rows instead of every answer ever recorded; and an index
// of the answers by their test, for the last five tests.
constexpr int kSummarySchemaLevel = 2;
constexpr int kCurrentSchemaLevel = kSummarySchemaLevel;

// The schema level of the open file; -1 when it cannot be read.
int schemaLevelOf(sqlite3* db);
// Brings the file's tables up to kCurrentSchemaLevel, keeping every row and the content stamp. Runs inside
// the caller's transaction, so that the raise and what the caller writes next arrive together or not at
// all. Returns false when the engine refused (its message is on the handle); nothing is changed by a file
// already at the level.
bool raiseSchema(sqlite3* db);

}  // namespace store
