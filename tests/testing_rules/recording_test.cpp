// What "Nota" records: presses of the self-test on a real database file, and the rows they leave.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "store/database.h"
#include "store/error.h"
#include "testing/test_session.h"
#include "tests/support/fixed_draw.h"
#include "tests/support/fixture_db.h"

namespace {

using namespace selftest;

const QDateTime kWhen(QDate(2026, 12, 10), QTime(14, 5, 9));

// Questions whose R1 reads as the bank's does: "<rule>(a)", the last few in an Annex.
std::vector<fixture::Question> bankQuestions(int count)
{
    std::vector<fixture::Question> questions = fixture::sampleQuestions(count);
    for (fixture::Question& q : questions)
        q.r1 = q.number >= count - 5 ? "Anexa II " + std::to_string(q.number % 3 + 1)
                                     : std::to_string(q.number % 41 + 1) + "(a)";
    return questions;
}

class Recording : public ::testing::Test {
protected:
    void open(std::string_view schema = {})
    {
        folder.writeDatabase(bankQuestions(274), 0, schema);
        data.open(store::bankFileIn(folder.path()));
        session.setGenerator(std::make_unique<fixture::FixedDraw>(4242));
        session.setTimeSource([] { return kWhen; });
        session.setRegionalSettings(QLocale::c());
    }
    // "Confirm" as the window makes it; every third answer wrong.
    void confirm()
    {
        const std::string rb = data.tblTest.FieldByName("Rb").AsString();
        const bool right = answered++ % 3 != 0;
        session.answer(QString::fromStdString(right ? rb : (rb == "A" ? "C" : "A")));
        session.moveOn();
    }
    std::vector<std::string> rows(const std::string& sql) const { return folder.column(sql); }

    fixture::Folder folder;
    store::Database data;
    TestSession session{data};
    int answered = 0;
};

// A press sequence: answers to give (n > 0) or "Nota" (0).
struct Presses {
    const char* name;
    std::vector<int> steps;
    // Per record, oldest first: "correct/wrong".
    std::vector<std::string> records;
    std::vector<std::string> shownGrades;
};

TEST_F(Recording, EachNotaThatGradesSomethingRecordsTheTestAndItsJudgedQuestions)
{
    // Answer i (from 0) is wrong when i % 3 == 0.
    const Presses cases[] = {
        {"29 answers then Nota", {29, 0}, {"19/10"}, {"5"}},
        {"30 answers then Nota", {30, 0}, {"20/10"}, {"6"}},
        {"Nota twice", {30, 0, 0}, {"20/10"}, {"6", "4"}},
        {"Nota before any answer", {0}, {}, {"4"}},
        {"Nota mid-test, the 30th answer, Nota", {29, 0, 1, 0}, {"19/10", "1/0"}, {"5", "4"}},
    };
    for (const Presses& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case on its own file and session.
        fixture::Folder own;
        own.writeDatabase(bankQuestions(274));
        store::Database db;
        db.open(store::bankFileIn(own.path()));
        TestSession s(db);
        s.setGenerator(std::make_unique<fixture::FixedDraw>(4242));
        s.setTimeSource([] { return kWhen; });
        s.setRegionalSettings(QLocale::c());
        s.start();
        int given = 0;
        std::vector<std::string> shown;
        std::vector<std::vector<std::string>> expectedAnswers(1);
        for (const int step : c.steps) {
            if (step == 0) {
                const TestSession::Graded graded = s.grade();
                EXPECT_FALSE(graded.recordFailure);
                shown.push_back(graded.grade.toStdString());
                if (!expectedAnswers.back().empty())
                    expectedAnswers.emplace_back();
                continue;
            }
            for (int i = 0; i < step; ++i, ++given) {
                const std::string rb = db.tblTest.FieldByName("Rb").AsString();
                const std::string rd = given % 3 != 0 ? rb : (rb == "A" ? "C" : "A");
                const std::string number = db.tblTest.FieldByName("Nr_Intreb").AsString();
                const std::string r1 = db.tblTest.FieldByName("R1").AsString();
                const int n = std::stoi(number);
                const std::string rule =
                    r1.rfind("Anexa", 0) == 0 ? "Anexa II" : "Regula " + std::to_string(n % 41 + 1);
                expectedAnswers.back().push_back(number + "|" + rule + "|" + rb + "|" + rd);
                s.answer(QString::fromStdString(rd));
                s.moveOn();
            }
        }
        if (expectedAnswers.back().empty())
            expectedAnswers.pop_back();
        EXPECT_EQ(shown, c.shownGrades);

        auto column = [&own](const std::string& sql) { return own.column(sql); };
        if (c.records.empty()) {
            EXPECT_EQ(column("SELECT count(*) FROM Rezultate")[0], "0") << "nothing judged, nothing recorded";
            EXPECT_EQ(column("SELECT count(*) FROM Studenti")[0], "0");
            continue;
        }
        EXPECT_EQ(column("SELECT Corecte || '/' || Gresite FROM Rezultate ORDER BY Id"), c.records);
        EXPECT_EQ(column("SELECT count(*) FROM Studenti")[0], "1") << "one student, made on the first record";
        EXPECT_EQ(column("SELECT DISTINCT Id_Student = (SELECT Id FROM Studenti) FROM Rezultate"),
                  std::vector<std::string>{"1"});
        EXPECT_EQ(column("SELECT DISTINCT Data || ' ' || Exersare FROM Rezultate"),
                  std::vector<std::string>{"2026-12-10T14:05:09 0"});
        // The grade and percentage of each record are those of its counts, as shown.
        const auto grades = column("SELECT Nota FROM Rezultate ORDER BY Id");
        for (std::size_t i = 0; i < grades.size(); ++i)
            EXPECT_EQ(grades[i], c.shownGrades[i]) << i;
        EXPECT_EQ(column("SELECT count(*) FROM Rezultate WHERE abs(Procent - 100.0 * Corecte / (Corecte + Gresite)) > "
                         "1e-9")[0],
                  "0");
        const auto ids = column("SELECT Id FROM Rezultate ORDER BY Id");
        ASSERT_EQ(ids.size(), expectedAnswers.size());
        for (std::size_t i = 0; i < ids.size(); ++i)
            EXPECT_EQ(column("SELECT Nr_Intreb || '|' || Regula || '|' || Rb || '|' || Rd FROM Raspunsuri WHERE "
                             "Id_Rezultat = " +
                             ids[i] + " ORDER BY Id"),
                      expectedAnswers[i])
                << "record " << i;
        // The grade shown and the counts stand as before: the counts start again from 0.
        EXPECT_EQ(s.state().Rc + s.state().Ri, 0);
    }
}

TEST_F(Recording, AFailureToRecordLeavesTheGradeAndLosesNothingElse)
{
    open();
    session.start();
    for (int i = 0; i < 30; ++i)
        confirm();
    // Another program holds the file's write lock for longer than a write waits.
    fixture::FileConnection other(folder.databasePath());
    other.exec("BEGIN IMMEDIATE");
    const TestSession::Graded graded = session.grade();
    other.exec("ROLLBACK");
    EXPECT_EQ(graded.grade, "6");
    ASSERT_TRUE(graded.recordFailure);
    try {
        std::rethrow_exception(graded.recordFailure);
    } catch (const store::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Rezultatul testului nu a fost înregistrat. ", 0), 0u) << e.what();
    }
    EXPECT_EQ(rows("SELECT count(*) FROM sqlite_master WHERE name = 'Raspunsuri'")[0], "0")
        << "the raise of the schema went with the record";
    EXPECT_EQ(rows("SELECT count(*) FROM Studenti")[0], "0");
    EXPECT_EQ(rows("SELECT count(*) FROM ManInt")[0], "30") << "the test itself is still there for its review";
    EXPECT_EQ(session.state().nota, 6);

    // The next graded test records as usual.
    session.start();
    for (int i = 0; i < 30; ++i)
        confirm();
    EXPECT_FALSE(session.grade().recordFailure);
    EXPECT_EQ(rows("SELECT count(*) FROM Raspunsuri")[0], "30") << "nothing of the failed record came along";
}

}  // namespace
