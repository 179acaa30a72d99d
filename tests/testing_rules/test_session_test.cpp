// The self-test session on a real database file, without any window or application object.

#include "testing/test_session.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/error.h"
#include "tests/support/fixed_draw.h"
#include "tests/support/fixture_db.h"

namespace {

using namespace TestColreg_Proc;

using fixture::FixedDraw;

class Session : public ::testing::Test {
protected:
    // The bank and `leftoverRows` rows an earlier run left in ManInt; the cursors opened as start-up does.
    void open(int leftoverRows = 0, int questions = 274)
    {
        folder.writeDatabase(fixture::sampleQuestions(questions), leftoverRows);
        data.conColreg.setConnectionString(store::connectionStringFor(folder.path() + "/"));
        for (store::TableCursor* c : {&data.tblIntrebari, &data.tblTest, &data.tblRezultate, &data.tblStudenti}) {
            c->setConnection(&data.conColreg);
            c->Open();
        }
        session.setGenerator(std::make_unique<FixedDraw>(4242));
    }
    std::string current(const char* field) { return data.tblTest.FieldByName(field).AsString(); }
    std::vector<std::string> scratch() const
    {
        return folder.column("SELECT Id || '|' || Nr_Intreb || '|' || Intrebare || '|' || Rd FROM ManInt ORDER BY Id");
    }
    // Answers the current question right or wrong, as the window's "Confirm" does.
    bool answerAndMove(bool right, TestSession::Score* score = nullptr)
    {
        const std::string rb = current("Rb");
        const bool correct = session.answer(QString::fromStdString(right ? rb : (rb == "A" ? "B" : "A")));
        const TestSession::Score s = session.count(correct);
        if (score)
            *score = s;
        const bool end = session.moveOn();
        session.countDown();
        return end;
    }

    fixture::Folder folder;
    store::Database data;
    TestSession session{data};
};

TEST_F(Session, StartCopiesThirtyDistinctQuestionsInDrawOrderAndResetsTheCounts)
{
    open(12);  // rows an abnormal end left behind
    session.Rc = 5;
    session.Ri = 4;
    session.Rp = 55.5;
    session.k2 = 9;
    session.K3 = 17;
    session.nota = 8;
    const TestSession::Started started = session.start();

    const auto numbers = folder.column("SELECT Nr_Intreb FROM ManInt ORDER BY Id");
    ASSERT_EQ(numbers.size(), 30u) << "the old rows are gone; the test holds exactly its own questions";
    EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), 30u);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(numbers[i], std::to_string(session.numere[i + 1])) << i;
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt m JOIN Intrebari q USING (Nr_Intreb) WHERE m.Rd = '?' AND "
                            "m.Intrebare = q.Intrebare AND m.Rb = q.Rb AND m.R1 = q.R1")[0],
              "30")
        << "each row a copy of its bank question, \"?\" given";
    EXPECT_EQ(data.tblTest.RecordCount(), 30);
    EXPECT_EQ(current("Nr_Intreb"), numbers[0]) << "on the first record";
    EXPECT_EQ(data.tblIntrebari.FieldByName("Nr_Intreb").AsString(), numbers[29]) << "the bank on the last copied";
    EXPECT_FALSE(data.conColreg.inTransaction());

    EXPECT_EQ(std::make_tuple(session.Rc, session.Ri, session.Rp, session.ir, session.k1, session.k2),
              std::make_tuple(0, 0, 0.0, testSize, 0, 0));
    EXPECT_EQ(session.K3, 17) << "the clock's tick count is not reset";
    EXPECT_EQ(session.nota, 8);
    EXPECT_EQ(started.counts, "0");
    EXPECT_FALSE(started.time.isEmpty());
    EXPECT_EQ(started.time, session.str);
    EXPECT_FALSE(started.viewFailure);
}

// Every way the copy can fail leaves the file, the cursor and the state exactly as before Start.
TEST_F(Session, AFailedStartIsUndoneWhole)
{
    struct Case {
        const char* what;
        int leftoverRows;
        const char* fault;
        const char* message;
    };
    const Case cases[] = {
        {"first insert", 0, "CREATE TRIGGER f BEFORE INSERT ON ManInt BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         "tblTest: Cannot store the record: disk full"},
        {"an insert half-way", 3,
         "CREATE TRIGGER f BEFORE INSERT ON ManInt WHEN (SELECT count(*) FROM ManInt) >= 20 "
         "BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         "tblTest: Cannot store the record: disk full"},
        {"the emptying", 3, "CREATE TRIGGER f BEFORE DELETE ON ManInt BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         "tblTest: Cannot delete the record: disk full"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fixture::Folder own;
        store::Database db;
        TestSession s{db};
        own.writeDatabase(fixture::sampleQuestions(274), c.leftoverRows);
        own.exec(c.fault);
        db.conColreg.setConnectionString(store::connectionStringFor(own.path() + "/"));
        db.tblIntrebari.setConnection(&db.conColreg);
        db.tblTest.setConnection(&db.conColreg);
        db.tblIntrebari.Open();
        db.tblTest.Open();
        const auto before = own.column("SELECT Id || Intrebare || Rd FROM ManInt ORDER BY Id");
        s.Rc = 3;
        s.ir = 12;
        s.numere[1] = 77;
        try {
            s.start();
            ADD_FAILURE() << "Start did not fail";
        } catch (const store::Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(own.column("SELECT Id || Intrebare || Rd FROM ManInt ORDER BY Id"), before);
        EXPECT_FALSE(db.conColreg.inTransaction());
        EXPECT_EQ(db.tblTest.RecordCount(), c.leftoverRows);
        EXPECT_TRUE(db.tblTest.State() == store::CursorState::Browse);
        EXPECT_EQ(s.Rc, 3);
        EXPECT_EQ(s.ir, 12);
        EXPECT_EQ(s.numere[1], 77) << "the drawn numbers of a failed Start are not kept";
        EXPECT_EQ(s.atEnd(), c.leftoverRows == 0) << "an empty table: Confirm judges nothing";

        own.exec("DROP TRIGGER f");
        s.start();
        EXPECT_EQ(own.count("ManInt"), 30);
    }
}

// Another program holding the write lock: Start waits its while, then reports, with nothing written.
TEST_F(Session, AStartOnALockedFileReportsTheLock)
{
    open(2);
    const auto before = scratch();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(folder.databasePath().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        session.start();
        ADD_FAILURE() << "Start did not fail";
    } catch (const store::Error& e) {
        EXPECT_NE(std::string(e.what()).find("locked by another program"), std::string::npos) << e.what();
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(scratch(), before);
    EXPECT_EQ(data.tblTest.RecordCount(), 2);
}

TEST_F(Session, ABankTooSmallStopsStartBeforeAnythingIsWritten)
{
    open(4, 29);
    const auto before = scratch();
    EXPECT_THROW(session.start(), store::Error);
    EXPECT_EQ(scratch(), before);
    EXPECT_FALSE(data.conColreg.inTransaction());
}

// Answering: the letter is stored on the move, counted, the percentage recomputed, the grade due at
// the 29th answer and the end reached at the 30th.
TEST_F(Session, AnsweringCountsJudgesAndStoresEachLetter)
{
    open();
    session.start();
    std::vector<TestSession::Score> scores;
    std::vector<bool> ends;
    for (int i = 1; i <= 30; ++i) {
        TestSession::Score score{};
        ends.push_back(answerAndMove(i % 3 != 0, &score));
        scores.push_back(score);
    }
    EXPECT_EQ(scores[0].percent, "100");
    EXPECT_EQ(scores[2].percent, "66.6666666666667");
    EXPECT_EQ(scores[2].correct, "2");
    EXPECT_EQ(scores[2].wrong, "1");
    EXPECT_EQ(scores[2].given, "3");
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(scores[i].gradeDue, i == 28) << i;
        EXPECT_EQ(ends[i], i == 29) << i;
    }
    EXPECT_EQ(scores[29].percent, "66.6666666666667");
    EXPECT_EQ(session.ir, 0);
    EXPECT_TRUE(session.atEnd());
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE Rd = Rb")[0], "20");
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE Rd = '?'")[0], "0");

    EXPECT_EQ(session.grade(), "6") << "20 correct";
    EXPECT_EQ(std::make_pair(session.Rc, session.Ri), std::make_pair(0, 0));
    EXPECT_EQ(session.grade(), "4") << "the first grade set the counts to 0";
}

TEST_F(Session, NoChoiceKeepsTheQuestionMarkAndIsWrong)
{
    open();
    session.start();
    EXPECT_FALSE(session.answer(QString()));
    session.count(false);
    session.moveOn();
    EXPECT_EQ(folder.column("SELECT Rd FROM ManInt ORDER BY Id LIMIT 1")[0], "?");
    EXPECT_EQ(session.Ri, 1);
}

TEST_F(Session, ReviewWalksTheTableAndJudgesEachRecordReached)
{
    open();
    session.start();
    for (int i = 1; i <= 30; ++i)
        answerAndMove(i != 2);
    session.enterReview();
    const TestSession::ReviewStep up = session.reviewStep(false);
    EXPECT_TRUE(up.atEdge);
    const TestSession::ReviewStep second = session.reviewStep(true);
    EXPECT_FALSE(second.atEdge);
    EXPECT_FALSE(second.correct);
    EXPECT_NE(second.culRB, second.culRR);
    EXPECT_EQ(second.culRB.toStdString(), current("Rb"));
    EXPECT_EQ(session.culRR, second.culRR);
    for (int record = 3; record <= 30; ++record) {
        const TestSession::ReviewStep step = session.reviewStep(true);
        EXPECT_TRUE(step.correct && step.culRB == step.culRR) << record;
    }
    EXPECT_TRUE(session.reviewStep(true).atEdge);
    EXPECT_EQ(session.culRR, session.culRB) << "the letters of the last record judged stay";
    const TestSession::ReviewStep back = session.reviewStep(false);
    EXPECT_FALSE(back.atEdge) << "the 29th, after the end notice";
}

TEST_F(Session, TheClockStepsAMinuteEveryThirtyTicksAndGoesBelowZero)
{
    open();
    const std::pair<int, const char*> marks[] = {{1, "30 min"}, {29, "30 min"}, {30, "29 min"}, {930, "-1 min"}};
    int ticks = 0;
    for (const auto& [tick, shown] : marks) {
        TestSession::Tick last;
        while (ticks < tick) {
            last = session.tick();
            ++ticks;
        }
        EXPECT_EQ(last.remaining, shown) << tick;
        EXPECT_EQ(last.time, session.str);
    }
    EXPECT_GT(session.DateTime, 40000.0) << "days since 1899-12-30";
}

TEST_F(Session, LeavingEmptiesEveryRecordOldAndNew)
{
    for (const bool ordered : {false, true}) {
        SCOPED_TRACE(ordered ? "Terminat" : "Înapoi");
        fixture::Folder own;
        store::Database db;
        TestSession s{db};
        own.writeDatabase(fixture::sampleQuestions(274), 30);
        db.conColreg.setConnectionString(store::connectionStringFor(own.path() + "/"));
        db.tblTest.setConnection(&db.conColreg);
        db.tblTest.Open();
        s.leave(ordered);
        EXPECT_EQ(s.RecMax, 30);
        EXPECT_EQ(own.count("ManInt"), 0);
        s.leave(ordered);
        EXPECT_EQ(s.RecMax, 0) << "a second leave finds nothing";
    }
}

}  // namespace
