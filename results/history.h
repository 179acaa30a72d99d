#pragma once

// What Velmaris remembers of the cadet's graded tests, read and written in plain C++ (no window):
// the results window shows it, the test window records into it, the bank tool exports it.
// The results window's library builds on this header; the functions are defined in history.cpp.

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace store {
struct Database;
class Connection;
}  // namespace store

namespace results {

// The cadet the user's bank belongs to (one row of Studenti).
struct Student {
    int id = 0;
    QString nume;     // family name
    QString prenume;  // first name
    QString grupa;    // group
};

// One judged question of a recorded test.
struct JudgedQuestion {
    int questionNumber = 0;  // Nr_Intreb
    QString rule;            // from R1, e.g. "Regula 5"
    QString correctLetter;   // Rb
    QString givenLetter;     // Rd
};

// One recorded test, as the history lists it (newest first).
struct TestRecord {
    int id = 0;
    QDateTime when;  // local time
    int grade = 0;
    int correct = 0;
    int wrong = 0;
    double percentage = 0.0;
    bool practice = false;
};

// How a Rule, or a COLREG Part (A-F, Annexes), has gone over the recorded tests.
struct Weakness {
    QString name;             // "Regula 5", or the Part's caption
    int seen = 0;             // answers judged over all recorded tests
    double wrongShare = 0.0;  // share answered wrong over all recorded tests, 0..1
    int seenLastFive = 0;     // answers judged in the last five recorded tests
    double wrongShareLastFive = 0.0;
};

// A question answered wrong and not answered right since.
struct Mistake {
    int questionNumber = 0;
    QString rule;
};

struct Overview {
    std::optional<Student> student;   // none before the first record
    std::vector<TestRecord> history;  // newest first
    std::vector<Weakness> rules;      // weakest first
    std::vector<Weakness> parts;      // weakest first
    std::vector<Mistake> mistakes;    // weakest Rules first
    std::vector<int> judged;          // every question judged in some recorded test, ascending
};

// What one press of "Nota" that graded something records.
struct GradedTest {
    QDateTime when;  // local time
    int grade = 0;
    int correct = 0;
    int wrong = 0;
    double percentage = 0.0;
    bool practice = false;
    std::vector<JudgedQuestion> questions;  // judged since "Start" or the previous grade
};

// Records the test in one transaction: the Rezultate row, one Raspunsuri row per judged question, and the
// Studenti row on the first record (named after the system user). A bank made before these tables gains
// them in the same transaction. Returns the Rezultate row's Id. Throws store::Error; the file then holds
// none of it. A file that is read-only in this run or failed its check is never written.
int recordTest(store::Database& data, const GradedTest& test);

// The Rule of a question from its R1 field: "14(a), 14(b)" -> "Regula 14", "Anexa I 2(a)(i)" -> "Anexa I";
// any other text stands as it is, trimmed (a typed correction), empty as "Fără regulă".
QString ruleOf(const QString& r1);
// The COLREG Part of a Rule: "Partea A" (Rules 1-3) ... "Partea F" (39-41), "Anexe"; empty for none.
QString partOf(const QString& rule);
// The Parts in their order, as the CSV's columns and the results window name them.
const std::vector<QString>& partNames();

// The 30 questions of a practice test: the cadet's mistakes first (in the Overview's order, weakest Rules
// first), then questions never judged, then the others; each group after the mistakes in random order,
// `between(low, high)` giving a uniform integer in the closed range. Only numbers in `bankNumbers` are
// drawn, none twice; fewer than `count` only when the bank holds fewer.
std::vector<int> practiceQuestions(const Overview& overview, const std::vector<int>& bankNumbers, int count,
                                   const std::function<int(int low, int high)>& between);

// The name of the system user, for the student made on the first record: the full name where the system
// keeps one (split into family and first name at the last blank), else the login name as the family name.
Student systemUserStudent();

// Everything the results window shows, read in one go from the open bank (empty for a bank that recorded
// nothing yet). Throws store::Error.
Overview loadOverview(store::Database& data);

// Sets the cadet's names and group (makes the Studenti row when there is none). Throws store::Error.
void saveStudent(store::Database& data, const QString& nume, const QString& prenume, const QString& grupa);

// The history as CSV for a spreadsheet: UTF-8 with BOM, ';' separator, one row per test with student
// name, group, date, grade, correct, wrong, percentage and one column per COLREG Part (share correct).
QByteArray historyCsv(store::Database& data);

}  // namespace results
