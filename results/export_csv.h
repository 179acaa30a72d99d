#pragma once

// The record as a spreadsheet reads it.

#include <QByteArray>

namespace store {
struct Database;
}  // namespace store

namespace results {

// The history as CSV for a spreadsheet: UTF-8 with BOM, ';' separator, one row per test with student
// name, group, date, grade, correct, wrong, percentage and one column per COLREG Part (share correct).
QByteArray historyCsv(store::Database& data);

}  // namespace results
