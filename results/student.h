#pragma once

// The cadet the record belongs to: named after the system user at the first record, renamed by the cadet.

#include <QString>

#include "results/types.h"

namespace store {
struct Database;
}  // namespace store

namespace results {

// The name of the system user, for the student made on the first record: the full name where the system
// keeps one (split into family and first name at the last blank), else the login name as the family name.
// Defined in system_user.cpp, the one file that asks the system.
Student systemUserStudent();

// Sets the cadet's names and group (makes the Studenti row when there is none). Throws store::Error.
void saveStudent(store::Database& data, const QString& nume, const QString& prenume, const QString& grupa);

}  // namespace results
