#include "results/record.h"

#include <sqlite3.h>

#include <optional>
#include <string>

#include "results/internal.h"
#include "results/student.h"
#include "store/connection.h"
#include "store/database.h"
#include "store/error.h"
#include "store/schema.h"
#include "store/statement.h"
#include "store/transaction.h"

namespace results {

using namespace internal;

namespace {

const char* const kDateFormat = "yyyy-MM-ddTHH:mm:ss";

int record(store::Database& data, const GradedTest& test)
{
    store::Connection& connection = data.conColreg;
    // Opens the file read-write once it has proved sound; a file that has not is never written.
    store::Transaction transaction(connection);
    sqlite3* db = connection.handle();
    const std::string what = "Testul nu a putut fi înregistrat";
    if (!store::raiseSchema(db))
        fail(connection, what);

    const std::optional<Student> known = readStudent(connection);
    const int student = known ? known->id : insertStudent(connection, systemUserStudent());

    store::Statement result(db,
                            "INSERT INTO Rezultate(Id_Student, Data, Nota, Procent, Corecte, Gresite, Exersare) "
                            "VALUES(?, ?, ?, ?, ?, ?, ?)");
    result.bindInteger(1, student);
    result.bindText(2, utf8(test.when.toString(QString::fromLatin1(kDateFormat))));
    result.bindInteger(3, test.grade);
    result.bindReal(4, test.percentage);
    result.bindInteger(5, test.correct);
    result.bindInteger(6, test.wrong);
    result.bindInteger(7, test.practice ? 1 : 0);
    if (!result.ok() || !result.run())
        fail(connection, what);
    const int id = static_cast<int>(sqlite3_last_insert_rowid(db));

    store::Statement answer(db, "INSERT INTO Raspunsuri(Id_Rezultat, Nr_Intreb, Regula, Rb, Rd) VALUES(?, ?, ?, ?, ?)");
    if (!answer.ok())
        fail(connection, what);
    for (const JudgedQuestion& q : test.questions) {
        answer.reset();
        answer.bindInteger(1, id);
        answer.bindInteger(2, q.questionNumber);
        answer.bindText(3, utf8(q.rule));
        answer.bindText(4, utf8(q.correctLetter));
        answer.bindText(5, utf8(q.givenLetter));
        if (!answer.run())
            fail(connection, what);
    }
    transaction.commit();
    return id;
}

}  // namespace

int recordTest(store::Database& data, const GradedTest& test)
{
    try {
        return record(data, test);
    } catch (const store::Error& e) {
        // The cadet reads this after the grade: the grade stands, only its record is missing.
        throw store::Error(std::string("Rezultatul testului nu a fost înregistrat. ") + e.what());
    }
}

}  // namespace results
