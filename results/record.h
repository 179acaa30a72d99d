#pragma once

// Recording a graded test: what one press of "Nota" leaves in the bank.

#include "results/types.h"

namespace store {
struct Database;
}  // namespace store

namespace results {

// Records the test in one transaction: the Rezultate row, one Raspunsuri row per judged question, and the
// Studenti row on the first record (named after the system user). A bank made before these tables gains
// them in the same transaction. Returns the Rezultate row's Id. Throws store::Error; the file then holds
// none of it. A file that is read-only in this run or failed its check is never written.
int recordTest(store::Database& data, const GradedTest& test);

}  // namespace results
