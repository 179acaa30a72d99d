#pragma once

// What the sources of results_history share among themselves: the steps of their statements, the student
// row every write and the overview read, and the number of a Rule. Private to results/*.cpp of that
// library; nothing outside it includes this header.

#include <QString>

#include <sqlite3.h>

#include <optional>
#include <string>

#include "results/types.h"
#include "store/connection.h"
#include "store/database.h"
#include "store/error.h"
#include "store/statement.h"

namespace results::internal {

inline QString text(const store::Statement& statement, int column)
{
    return QString::fromStdString(statement.text(column));
}

inline std::string utf8(const QString& value)
{
    return value.toStdString();
}

[[noreturn]] inline void fail(const store::Connection& connection, const std::string& what)
{
    throw store::Error(connection.engineFailure(what));
}

// Steps `select` through its rows, calling `onRow` at each; a statement that did not prepare or failed a
// step is reported as `what`.
template <typename OnRow>
void eachRow(const store::Connection& connection, store::Statement& select, const std::string& what, OnRow onRow)
{
    if (!select.ok())
        fail(connection, what);
    store::Statement::Step step;
    while ((step = select.step()) == store::Statement::Step::Row)
        onRow();
    if (step != store::Statement::Step::Done)
        fail(connection, what);
}

// The open connection's handle (the cursors open it; the bank tool's export may come first).
inline sqlite3* handleOf(store::Database& data)
{
    data.conColreg.open();
    return data.conColreg.handle();
}

// The Studenti row, the first by Id; none before the first record (student.cpp).
std::optional<Student> readStudent(store::Connection& connection);
// Adds a Studenti row and returns its Id (student.cpp).
int insertStudent(store::Connection& connection, const Student& student);

// The number of "Regula N", 1000 for any other name, so that Annexes and typed names sort after the Rules
// (rules.cpp).
int ruleNumber(const QString& rule);

}  // namespace results::internal
