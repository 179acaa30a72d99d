#pragma once

#include <QString>

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>

#include "testing/question_draw.h"

namespace store {
struct Database;
}

namespace TestColreg_Proc {

// The self-test: its state, one set for the whole run, and the steps of the test window's handlers
// that are not about controls. Each step works on the shared cursors and returns what the window
// shows next; the window keeps nothing but its controls. The members keep the names the test's rules
// are written in (Rc, Ri, ir, k1, K3, numere, culRB ...).
class TestSession {
public:
    explicit TestSession(store::Database& data);
    ~TestSession();
    TestSession(const TestSession&) = delete;
    TestSession& operator=(const TestSession&) = delete;

    // Tests put in a generator they can seed; the session keeps using it until another is set.
    void setGenerator(std::unique_ptr<Generator> generator);

    // ---- "Start" ----
    struct Started {
        QString counts;  // what each count box shows now: "0"
        QString time;    // the time of day, as the clock shows it
        // A picture of the first copied question that the views could not show; reported once the
        // window has shown the start (the test itself is in place).
        std::exception_ptr viewFailure;
    };
    // Draws, empties what an earlier run left in the scratch table and copies testSize questions, all
    // in one transaction, then resets the counts and reads the time. All or nothing: on a failure
    // nothing is appended or emptied, the state is as before, and the failure is thrown, saying what
    // failed.
    Started start();
    // Draw only (numere[1..35]), as "Start" does before its copy.
    void Gen_Num();
    // Empties the scratch table and copies the questions numere[1..30] name (replacing numbers the bank
    // lacks) into it, in one transaction, ending on its first record.
    void CopFis_FisT();

    // ---- "Confirm" ----
    // True when the scratch table stands past its end: "Confirm" then does nothing at all.
    bool atEnd() const;
    // Stores the chosen letter ("A", "B", "C"; empty when none was chosen: "?" stays) in the current
    // record, still unposted, and judges it. True when it is right.
    bool answer(const QString& letter);
    struct Score {
        QString percent;  // Rp as shown
        QString correct;  // Rc
        QString given;    // Rc + Ri
        QString wrong;    // Ri
        bool gradeDue;    // the 29th answer: "Nota" appears now
    };
    // Counts the judged answer and recomputes the percentage.
    Score count(bool correct);
    // Moves to the next question, storing the answer. True when there was none (the end notice).
    bool moveOn();
    // One question fewer remains; the number to show.
    QString countDown();

    // ---- "Nota" ----
    // The grade of the correct answers counted; the counts start again from 0.
    QString grade();

    // ---- review ----
    void enterReview();
    struct ReviewStep {
        bool atEdge = false;  // no record that way: the cursor stays
        bool correct = false;
        QString culRB, culRR;
    };
    ReviewStep reviewStep(bool down);

    // ---- clock ----
    struct Tick {
        QString time;       // PanTime
        QString remaining;  // PanTime1
    };
    Tick tick();

    // ---- leaving ----
    // Empties the scratch table, one record at a time; `ordered` sorts it by question number first
    // ("Terminat").
    void leave(bool ordered);

    // The state. Nothing is saved; each starts at 0 or empty.
    std::int32_t Rc = 0;      // correct answers counted
    std::int32_t Ri = 0;      // wrong answers counted
    std::int32_t ir = 0;      // questions remaining
    std::int32_t nota = 0;    // the grade last given
    std::int32_t k1 = 0;      // minutes remaining, 30 - k2
    std::int32_t k2 = 0;      // countdown steps elapsed
    std::int32_t K3 = 0;      // clock ticks since the countdown last stepped
    std::int32_t RecMax = 0;  // scratch records counted when the window is left
    double Rp = 0.0;          // percentage of correct answers
    num numere{};             // drawn numbers, 1 to 35 used
    double DateTime = 0.0;    // the time of day last read by the clock, in days since 1899-12-30
    QString str;              // that time as text
    QString culRB;            // correct letter of the record under review
    QString culRR;            // given letter of the record under review

private:
    void readTime();
    // Returns a failure of the views shown after the copy (the copy itself is in place).
    std::exception_ptr copyInTransaction(const num& drawn);

    store::Database& data_;
    std::unique_ptr<Generator> generator_;
};

}  // namespace TestColreg_Proc
