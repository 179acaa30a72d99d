#pragma once

// What Velmaris remembers of the cadet's graded tests, as plain values (no window, no SQL): the test window
// records a GradedTest, the results window shows an Overview. The functions that read and write them each
// have their own header beside this one (record.h, overview.h, student.h, export_csv.h, practice_draw.h),
// and the Rule and Part names are in rules.h.

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

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

}  // namespace results
