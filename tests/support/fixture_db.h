#pragma once

#include <QTemporaryDir>

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/sqlite_handle.h"

namespace fixture {

// A connection of its own to a database file, beside the program's, for making fixtures and reading what
// a file holds. Every failure throws std::runtime_error.
class FileConnection {
public:
    explicit FileConnection(const std::string& path, int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // Runs a script of one or more statements.
    void exec(const std::string& sql);
    sqlite3* get() const { return handle_.get(); }

private:
    store::SqliteHandle handle_;
};

// A question as the bank holds it.
struct Question {
    int number = 0;
    std::string text, sol1, sol2, sol3, picture, r1, r2, r3, rb;
};

// A few invented questions, numbered 0..count-1, each with its own texts and a letter A/B/C in turn.
std::vector<Question> sampleQuestions(int count);

// A temporary folder that stands in for the executable's folder; removed with the object.
class Folder {
public:
    Folder();
    std::string path() const { return dir_.path().toStdString(); }
    std::string databasePath() const { return path() + "/Velmaris.mdb"; }

    // Velmaris.mdb with the program's schema (or the one given), the given questions and `scratchRows` rows
    // in ManInt.
    void writeDatabase(const std::vector<Question>& questions, int scratchRows = 0, std::string_view schema = {});
    // Runs SQL on the database file directly (outside any cursor).
    void exec(const std::string& sql);
    // The first column of every row a query returns, as text ("" for NULL).
    std::vector<std::string> column(const std::string& sql) const;
    int count(const std::string& table) const;
    void writeBytes(const std::string& bytes);

private:
    QTemporaryDir dir_;
};

}  // namespace fixture
