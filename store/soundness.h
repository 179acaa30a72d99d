#pragma once

#include <string>

#include "store/sqlite_handle.h"

// The checks of whether a database file is sound, for every place that opens one: the connection before it
// lets a write through, and the placing of the bank before it copies, keeps or renews a file. Each works on
// an open handle and reports what it found in the user's words; what to do about it is the caller's.
namespace store::soundness {

// What reading the list of tables finds. A file of random bytes opens "OK" and fails at the first statement.
enum class Tables { Present, None, Unreadable };
// After Unreadable, the handle carries the engine's code and message.
Tables readTables(const SqliteHandle& db);

// Where the newest pages of the file may be: with a write-ahead log they may still be in the log, so a file
// shorter than its count is not yet cut; without one, all of them are in the file.
enum class NewestPages { InFile, MayBeInLog };
// The file's size against the pages the database counts (page_count × page_size). SQLite reads pages past
// the end of a cut file as zeros, and quick_check does not look at the content of overflow pages: a file
// that lost its tail passes it. SQLite writes whole pages only. Empty when every page is there, else what
// is missing; empty too for a path that is not a file.
std::string missingPages(const SqliteHandle& db, const std::string& path, NewestPages newest);

// What SQLite's quick_check found; it reads every page.
struct QuickCheck {
    // Empty when the file is sound, else what the check found first (the engine's message when the
    // check could not be read).
    std::string finding;
    // False when the check could not run for a reason that says nothing about the file (another
    // program's lock, say); `code` is then the engine's primary result code.
    bool conclusive = true;
    int code = 0;
};
QuickCheck quickCheck(const SqliteHandle& db);

// A finding as the user reads it: quick_check's list without the schema's name that heads it, on one
// line, the first few findings only.
std::string readableFinding(std::string finding);

}  // namespace store::soundness
