#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "results/types.h"
#include "testing/question_draw.h"

namespace store {
struct Database;
}

namespace selftest {

// The state of the test, one set for the whole run, named as the test's rules name it. Nothing is
// saved; each starts at 0 or empty. Only the session's steps change it.
struct TestState {
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

    friend bool operator==(const TestState&, const TestState&) = default;
};

// The self-test: its state and the steps of the test window's handlers that are not about controls.
// Each step works on the shared cursors and returns what the window shows next; the window keeps
// nothing but its controls.
class TestSession {
public:
    explicit TestSession(store::Database& data);
    ~TestSession();
    TestSession(const TestSession&) = delete;
    TestSession& operator=(const TestSession&) = delete;

    // What the session reads from outside: the draw's generator, the time of day and the regional
    // settings (decimal separator, long time format). The program keeps the clock-seeded draw, the
    // system clock and the user's settings; tests put in their own, kept until replaced.
    void setGenerator(std::unique_ptr<Generator> generator);
    void setTimeSource(std::function<QDateTime()> now);
    void setRegionalSettings(const QLocale& locale);

    const TestState& state() const { return state_; }

    // A practice test draws the cadet's mistakes first (results::practiceQuestions); everything else is
    // the ordinary test. The mode holds until it is set again.
    void setPractice(bool practice) { practice_ = practice; }
    bool practice() const { return practice_; }
    // The questions judged since "Start" or the previous grade, as "Nota" records them.
    const std::vector<results::JudgedQuestion>& judged() const { return judged_; }

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
    // The draw alone (numere[1..35]), as "Start" makes it before its copy.
    void drawNumbers();
    // Empties the scratch table and copies the questions numere[1..30] name (replacing numbers the bank
    // lacks) into it, in one transaction, ending on its first record.
    void copyDrawnQuestions();

    // ---- "Confirm" ----
    // True when the scratch table stands past its end: "Confirm" then does nothing at all.
    bool atEnd() const;
    struct Score {
        QString percent;  // Rp as shown
        QString correct;  // Rc
        QString given;    // Rc + Ri
        QString wrong;    // Ri
        bool gradeDue;    // the 29th answer: "Nota" appears now
    };
    struct Answered {
        QString remainingBefore;  // the questions remaining before this answer
        bool correct = false;
        Score score;
        // The views failed to show the record again after the letter was stored (an undecodable
        // picture); the answer stands, the window reports this once it has shown the answer.
        std::exception_ptr viewFailure;
    };
    // Stores the chosen letter ("A", "B", "C"; empty when none was chosen: the record keeps its "?")
    // in the current record, then judges and counts it and recomputes the percentage. A letter that
    // cannot be stored is neither judged nor counted: the record, the cursor and the counts stay as
    // they were and the failure is thrown, so that trying again counts the question once.
    Answered answer(const QString& letter);
    struct MovedOn {
        bool atEnd = false;  // there was no further question: the end notice
        QString remaining;   // the questions remaining now
        // The views failed to show the question reached; reported once the window has shown the move.
        std::exception_ptr viewFailure;
    };
    // Moves to the next question; one question fewer remains.
    MovedOn moveOn();

    // ---- "Nota" ----
    struct Graded {
        QString grade;  // as shown
        // Recording the test failed: the grade and the counts stand, the window reports this after it
        // has shown the grade.
        std::exception_ptr recordFailure;
    };
    // The grade of the correct answers counted; the counts start again from 0. When something was judged
    // since "Start" or the previous grade, the test is recorded (results::recordTest).
    Graded grade();

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
    // Empties the scratch table, one record at a time, in the leaving order; `ordered` sorts it by
    // question number first ("Terminat"). It never throws: the window is left whatever fails. It empties
    // what it can (a change the file no longer takes is dropped, the table read again as the file
    // holds it) and returns the first failure, for the error box.
    std::exception_ptr emptyScratchTable(bool ordered);

private:
    void readTime();
    // Returns a failure of the views shown after the copy (the copy itself is in place).
    std::exception_ptr copyInTransaction(num& drawn);
    // The practice draw's 30 numbers, given that the bank holds enough for an ordinary test.
    std::vector<std::int32_t> practiceNumbers();
    void emptyInLeavingOrder(bool ordered);

    store::Database& data_;
    std::unique_ptr<Generator> generator_;
    std::function<QDateTime()> now_;
    QLocale regional_;
    TestState state_;
    bool practice_ = false;
    std::vector<results::JudgedQuestion> judged_;
};

}  // namespace selftest
