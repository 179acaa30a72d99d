#pragma once

// What Velmaris remembers of the cadet's graded tests, read and written in plain C++ (no window):
// the results window shows it, the test window records into it, the bank tool exports it.
// The results window's library builds on this header; the functions are defined in history.cpp.

#include <QDateTime>
#include <QString>

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
    QString name;               // "Regula 5", or the Part's caption
    int seen = 0;               // answers judged over all recorded tests
    double wrongShare = 0.0;    // share answered wrong over all recorded tests, 0..1
    int seenLastFive = 0;       // answers judged in the last five recorded tests
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
};

// Everything the results window shows, read in one go from the open bank. Throws store::Error.
Overview loadOverview(store::Database& data);

// Sets the cadet's names and group (makes the Studenti row when there is none). Throws store::Error.
void saveStudent(store::Database& data, const QString& nume, const QString& prenume, const QString& grupa);

// The history as CSV for a spreadsheet: UTF-8 with BOM, ';' separator, one row per test with student
// name, group, date, grade, correct, wrong, percentage and one column per COLREG Part (share correct).
QByteArray historyCsv(store::Database& data);

}  // namespace results
