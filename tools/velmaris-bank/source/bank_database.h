#pragma once

#include <QList>
#include <QString>

#include "velmaris-bank/bank/question.h"

namespace bank {

// Writes a new database at path with store::schemaSql(): Intrebari holds the questions in the order given,
// ManInt, Studenti and Rezultate stay empty; PRAGMA user_version holds the version stamp. path must not exist
// yet. Throws BankError.
void writeDatabase(const QString& path, const QList<Question>& questions, int version = 1);

// Builds the database in a temporary file of the same folder and renames it over path at the end, so that
// a failure leaves neither a half-built file nor a changed old one. Without force an existing file is refused.
void replaceDatabase(const QString& path, const QList<Question>& questions, bool force, int version = 1);

// Reads Intrebari in number order (rows of the same number in the order they were stored). Throws BankError
// with a clear message for a missing file, a file that is not SQLite, no table Intrebari or missing columns.
QList<Question> readDatabase(const QString& path);

}  // namespace bank
