#include "results/student.h"

#include <sqlite3.h>

#include <optional>

#include "results/internal.h"
#include "store/connection.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/statement.h"
#include "store/transaction.h"

namespace results {

namespace internal {

std::optional<Student> readStudent(store::Connection& connection)
{
    store::Statement select(connection.handle(), "SELECT Id, Nume, Prenume, Grupa FROM Studenti ORDER BY Id LIMIT 1");
    if (!select.ok())
        fail(connection, "Elevul nu a putut fi citit");
    switch (select.step()) {
        case store::Statement::Step::Row:
            return Student{static_cast<int>(select.integer(0)), text(select, 1), text(select, 2), text(select, 3)};
        case store::Statement::Step::Done:
            return std::nullopt;
        case store::Statement::Step::Failed:
            break;
    }
    fail(connection, "Elevul nu a putut fi citit");
}

int insertStudent(store::Connection& connection, const Student& student)
{
    store::Statement insert(connection.handle(), "INSERT INTO Studenti(Nume, Prenume, Grupa) VALUES(?, ?, ?)");
    insert.bindText(1, utf8(student.nume));
    insert.bindText(2, utf8(student.prenume));
    insert.bindText(3, utf8(student.grupa));
    if (!insert.ok() || !insert.run())
        fail(connection, "Elevul nu a putut fi înregistrat");
    return static_cast<int>(sqlite3_last_insert_rowid(connection.handle()));
}

}  // namespace internal

using namespace internal;

void saveStudent(store::Database& data, const QString& nume, const QString& prenume, const QString& grupa)
{
    store::Connection& connection = data.conColreg;
    store::Transaction transaction(connection);
    const std::string what = "Datele elevului nu au putut fi salvate";
    if (!store::raiseSchema(connection.handle()))
        fail(connection, what);
    const std::optional<Student> known = readStudent(connection);
    if (!known) {
        insertStudent(connection, {0, nume, prenume, grupa});
    } else {
        store::Statement update(connection.handle(),
                                "UPDATE Studenti SET Nume = ?, Prenume = ?, Grupa = ? WHERE Id = ?");
        update.bindText(1, utf8(nume));
        update.bindText(2, utf8(prenume));
        update.bindText(3, utf8(grupa));
        update.bindInteger(4, known->id);
        if (!update.ok() || !update.run())
            fail(connection, what);
    }
    transaction.commit();
}

}  // namespace results
