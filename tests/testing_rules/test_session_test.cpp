// The self-test session on a real database file, without any window or application object.

#include "testing/test_session.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "store/database.h"
#include "store/error.h"
#include "store/sqlite_handle.h"
#include "testing/test_clock.h"
#include "tests/support/fixed_draw.h"
#include "tests/support/fixture_db.h"

namespace {

using namespace selftest;

using fixture::FixedDraw;

const QDateTime kFivePastTwo(QDate(2026, 12, 10), QTime(14, 5, 9));

// The four cursors on the folder's database, opened as start-up does.
void connect(const fixture::Folder& folder, store::Database& data)
{
    data.conColreg.setFile(store::bankFileIn(folder.path()));
    for (store::TableCursor* c : {&data.tblIntrebari, &data.tblTest, &data.tblRezultate, &data.tblStudenti}) {
        c->setConnection(&data.conColreg);
        c->Open();
    }
}

// Nothing of the machine comes in: a repeatable draw, a clock that stands at 14:05:09, the C locale.
void pin(TestSession& session)
{
    session.setGenerator(std::make_unique<FixedDraw>(4242));
    session.setTimeSource([] { return kFivePastTwo; });
    session.setRegionalSettings(QLocale::c());
}

// The letter that answers the current question right or wrong.
QString letterFor(store::Database& data, bool right)
{
    const std::string rb = data.tblTest.FieldByName("Rb").AsString();
    return QString::fromStdString(right ? rb : (rb == "A" ? "B" : "A"));
}

struct Confirmed {
    TestSession::Answered answered;
    TestSession::MovedOn moved;
};

// "Confirm" as the window makes it: answer, then move on.
Confirmed confirm(TestSession& session, store::Database& data, bool right)
{
    Confirmed c;
    c.answered = session.answer(letterFor(data, right));
    c.moved = session.moveOn();
    return c;
}

class Session : public ::testing::Test {
protected:
    // The bank and `leftoverRows` rows an earlier run left in ManInt.
    void open(int leftoverRows = 0, int questions = 274)
    {
        folder.writeDatabase(fixture::sampleQuestions(questions), leftoverRows);
        connect(folder, data);
        pin(session);
    }
    std::string current(const char* field) { return data.tblTest.FieldByName(field).AsString(); }
    std::vector<std::string> scratch() const
    {
        return folder.column("SELECT Id || '|' || Nr_Intreb || '|' || Intrebare || '|' || Rd FROM ManInt ORDER BY Id");
    }
    Confirmed answerAndMove(bool right) { return confirm(session, data, right); }

    fixture::Folder folder;
    store::Database data;
    TestSession session{data};
};

TEST_F(Session, StartCopiesThirtyDistinctQuestionsInDrawOrderAndResetsTheCounts)
{
    open(12);  // rows an abnormal end left behind
    // A state no Start has reset yet: the old rows answered, a grade given, the clock run on.
    answerAndMove(true);
    session.grade();
    answerAndMove(true);
    answerAndMove(false);
    for (int i = 0; i < 9 * 30 + 17; ++i)
        session.tick();
    ASSERT_EQ(std::make_tuple(session.state().Rc, session.state().Ri, session.state().k2, session.state().K3,
                              session.state().nota),
              std::make_tuple(1, 1, 9, 17, 4));
    const TestSession::Started started = session.start();

    const auto numbers = folder.column("SELECT Nr_Intreb FROM ManInt ORDER BY Id");
    ASSERT_EQ(numbers.size(), 30u) << "the old rows are gone; the test holds exactly its own questions";
    EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), 30u);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(numbers[i], std::to_string(session.state().numere[i + 1])) << i;
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt m JOIN Intrebari q USING (Nr_Intreb) WHERE m.Rd = '?' AND "
                            "m.Intrebare = q.Intrebare AND m.Rb = q.Rb AND m.R1 = q.R1")[0],
              "30")
        << "each row a copy of its bank question, \"?\" given";
    EXPECT_EQ(data.tblTest.RecordCount(), 30);
    EXPECT_EQ(current("Nr_Intreb"), numbers[0]) << "on the first record";
    EXPECT_EQ(data.tblIntrebari.FieldByName("Nr_Intreb").AsString(), numbers[29]) << "the bank on the last copied";
    EXPECT_FALSE(data.conColreg.inTransaction());

    const TestState& state = session.state();
    EXPECT_EQ(std::make_tuple(state.Rc, state.Ri, state.Rp, state.ir, state.k1, state.k2),
              std::make_tuple(0, 0, 0.0, testSize, 0, 0));
    EXPECT_EQ(state.K3, 17) << "the clock's tick count is not reset";
    EXPECT_EQ(state.nota, 4);
    EXPECT_EQ(started.counts, "0");
    EXPECT_EQ(started.time, "14:05:09");
    EXPECT_EQ(state.str, "14:05:09");
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
         "tblTest: Înregistrarea nu a putut fi salvată. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: disk full)"},
        {"an insert half-way", 3,
         "CREATE TRIGGER f BEFORE INSERT ON ManInt WHEN (SELECT count(*) FROM ManInt) >= 20 "
         "BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         "tblTest: Înregistrarea nu a putut fi salvată. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: disk full)"},
        {"the emptying", 3, "CREATE TRIGGER f BEFORE DELETE ON ManInt BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         "tblTest: Înregistrarea nu a putut fi ștearsă. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: disk full)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fixture::Folder own;
        store::Database db;
        TestSession s{db};
        own.writeDatabase(fixture::sampleQuestions(274), c.leftoverRows);
        connect(own, db);
        pin(s);
        // The old rows answered before Start, as the window offers them.
        if (c.leftoverRows > 0) {
            confirm(s, db, true);
            confirm(s, db, false);
        }
        own.exec(c.fault);
        const auto before = own.column("SELECT Id || Intrebare || Rd FROM ManInt ORDER BY Id");
        const TestState stateBefore = s.state();
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
        EXPECT_TRUE(s.state() == stateBefore) << "counts, remaining questions and drawn numbers as before";
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
    store::SqliteHandle other(folder.databasePath(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ASSERT_TRUE(other.ok()) << other.errorMessage();
    ASSERT_EQ(sqlite3_exec(other.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        session.start();
        ADD_FAILURE() << "Start did not fail";
    } catch (const store::Error& e) {
        EXPECT_NE(std::string(e.what()).find("este folosită acum de alt program"), std::string::npos) << e.what();
    }
    sqlite3_exec(other.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    other.close();
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

// Answering: the letter stored, judged and counted, the percentage recomputed, the grade due at the
// 29th answer and the end reached at the 30th.
TEST_F(Session, AnsweringCountsJudgesAndStoresEachLetter)
{
    open();
    session.start();
    std::vector<Confirmed> answers;
    for (int i = 1; i <= 30; ++i) {
        const std::string number = current("Nr_Intreb");
        answers.push_back(answerAndMove(i % 3 != 0));
        EXPECT_EQ(folder.column("SELECT Rd = Rb FROM ManInt WHERE Nr_Intreb = " + number)[0], i % 3 != 0 ? "1" : "0")
            << "stored before the move: " << i;
    }
    EXPECT_EQ(answers[0].answered.score.percent, "100");
    EXPECT_EQ(answers[0].answered.remainingBefore, "30");
    EXPECT_EQ(answers[0].moved.remaining, "29");
    EXPECT_EQ(answers[2].answered.score.percent, "66.6666666666667");
    EXPECT_EQ(answers[2].answered.score.correct, "2");
    EXPECT_EQ(answers[2].answered.score.wrong, "1");
    EXPECT_EQ(answers[2].answered.score.given, "3");
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(answers[i].answered.correct, (i + 1) % 3 != 0) << i;
        EXPECT_EQ(answers[i].answered.score.gradeDue, i == 28) << i;
        EXPECT_EQ(answers[i].moved.atEnd, i == 29) << i;
        EXPECT_FALSE(answers[i].answered.viewFailure || answers[i].moved.viewFailure);
    }
    EXPECT_EQ(answers[29].answered.score.percent, "66.6666666666667");
    EXPECT_EQ(answers[29].moved.remaining, "0");
    EXPECT_EQ(session.state().ir, 0);
    EXPECT_TRUE(session.atEnd());
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE Rd = Rb")[0], "20");
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE Rd = '?'")[0], "0");

    EXPECT_EQ(session.grade().grade, "6") << "20 correct";
    EXPECT_EQ(std::make_pair(session.state().Rc, session.state().Ri), std::make_pair(0, 0));
    EXPECT_EQ(session.grade().grade, "4") << "the first grade set the counts to 0";
}

// The shown texts follow the regional settings the session is given: the decimal separator of the
// percentage and the long time format.
TEST_F(Session, ThePercentageAndTheTimeFollowTheRegionalSettings)
{
    struct Case {
        QLocale locale;
        const char* percent;  // 2 correct of 3
        const char* time;     // 14:05:09
    };
    const Case cases[] = {
        {QLocale(QLocale::Romanian, QLocale::Romania), "66,6666666666667", "14:05:09"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "66.6666666666667", "2:05:09 PM"},
        {QLocale::c(), "66.6666666666667", "14:05:09"},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        session.setRegionalSettings(c.locale);
        EXPECT_EQ(session.start().time, c.time);
        answerAndMove(true);
        answerAndMove(true);
        EXPECT_EQ(answerAndMove(false).answered.score.percent, c.percent);
        EXPECT_EQ(session.tick().time, c.time);
    }
}

TEST_F(Session, NoChoiceKeepsTheQuestionMarkAndIsWrong)
{
    open();
    session.start();
    const TestSession::Answered answered = session.answer(QString());
    EXPECT_FALSE(answered.correct);
    EXPECT_EQ(answered.score.wrong, "1");
    session.moveOn();
    EXPECT_EQ(folder.column("SELECT Rd FROM ManInt ORDER BY Id LIMIT 1")[0], "?");
    EXPECT_EQ(session.state().Ri, 1);
}

// A letter the file does not take is neither judged nor counted: the counts, the record and the
// cursor stay as they were before "Confirm", and once the file takes it, "Confirm" counts the question
// once.
TEST_F(Session, AnAnswerTheFileDoesNotTakeIsNotCounted)
{
    struct Case {
        const char* what;
        std::function<void(fixture::Folder&)> fault;
        std::function<void(fixture::Folder&)> mend;
        const char* message;  // the failure begins so
    };
    store::SqliteHandle other;
    const Case cases[] = {
        {"a full disk",
         [](fixture::Folder& f) {
             f.exec(
                 "CREATE TRIGGER f BEFORE UPDATE ON ManInt BEGIN SELECT RAISE(ABORT, 'database or disk is full'); "
                 "END");
         },
         [](fixture::Folder& f) { f.exec("DROP TRIGGER f"); },
         "tblTest: Înregistrarea nu a putut fi salvată. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: database or disk is full)"},
        {"another program holding the write lock",
         [&other](fixture::Folder& f) {
             other = store::SqliteHandle(f.databasePath(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
             sqlite3_exec(other.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
         },
         [&other](fixture::Folder&) {
             sqlite3_exec(other.get(), "ROLLBACK", nullptr, nullptr, nullptr);
             other.close();
         },
         "tblTest: Înregistrarea nu a putut fi salvată. Baza de date"},
        {"the test's rows deleted by another program",
         [](fixture::Folder& f) { f.exec("CREATE TABLE Kept AS SELECT * FROM ManInt; DELETE FROM ManInt"); },
         [](fixture::Folder& f) { f.exec("INSERT INTO ManInt SELECT * FROM Kept"); }, "Întrebarea nr. "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fixture::Folder own;
        store::Database db;
        TestSession s{db};
        own.writeDatabase(fixture::sampleQuestions(274));
        connect(own, db);
        pin(s);
        s.start();
        confirm(s, db, true);
        const TestState before = s.state();
        const std::string number = db.tblTest.FieldByName("Nr_Intreb").AsString();
        const QString right = letterFor(db, true);

        c.fault(own);
        try {
            s.answer(right);
            ADD_FAILURE() << "the answer was taken";
        } catch (const store::Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
        EXPECT_TRUE(s.state() == before) << "nothing counted";
        EXPECT_TRUE(db.tblTest.State() == store::CursorState::Browse) << "no letter left pending";
        EXPECT_EQ(db.tblTest.FieldByName("Nr_Intreb").AsString(), number) << "still on the question";
        EXPECT_EQ(db.tblTest.FieldByName("Rd").AsString(), "?");
        EXPECT_FALSE(s.atEnd());

        c.mend(own);
        const TestSession::Answered answered = s.answer(right);
        EXPECT_TRUE(answered.correct);
        EXPECT_EQ(answered.score.correct, "2") << "counted once";
        EXPECT_EQ(answered.score.given, "2");
        EXPECT_EQ(answered.remainingBefore, "29");
        EXPECT_EQ(s.moveOn().remaining, "28");
        EXPECT_EQ(own.column("SELECT Rd FROM ManInt WHERE Nr_Intreb = " + number)[0], right.toStdString());
    }
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
    EXPECT_EQ(session.state().culRR, second.culRR);
    for (int record = 3; record <= 30; ++record) {
        const TestSession::ReviewStep step = session.reviewStep(true);
        EXPECT_TRUE(step.correct && step.culRB == step.culRR) << record;
    }
    EXPECT_TRUE(session.reviewStep(true).atEdge);
    EXPECT_EQ(session.state().culRR, session.state().culRB) << "the letters of the last record judged stay";
    const TestSession::ReviewStep back = session.reviewStep(false);
    EXPECT_FALSE(back.atEdge) << "the 29th, after the end notice";
}

TEST_F(Session, TheClockStepsAMinuteEveryThirtyTicksAndGoesBelowZero)
{
    open();
    QDateTime now = kFivePastTwo;
    session.setTimeSource([&now] { return now; });
    const std::pair<int, const char*> marks[] = {{1, "30 min"}, {29, "30 min"}, {30, "29 min"}, {930, "-1 min"}};
    int ticks = 0;
    for (const auto& [tick, shown] : marks) {
        TestSession::Tick last;
        while (ticks < tick) {
            now = kFivePastTwo.addSecs(2 * ticks);
            last = session.tick();
            ++ticks;
        }
        EXPECT_EQ(last.remaining, shown) << tick;
        EXPECT_EQ(last.time, now.time().toString(QStringLiteral("HH:mm:ss"))) << "each tick reads the time";
        EXPECT_EQ(session.state().str, last.time);
        EXPECT_EQ(session.state().DateTime, toDateTime(now));
    }
}

TEST_F(Session, LeavingEmptiesEveryRecordOldAndNew)
{
    for (const bool ordered : {false, true}) {
        SCOPED_TRACE(ordered ? "Terminat" : "Înapoi");
        fixture::Folder own;
        store::Database db;
        TestSession s{db};
        own.writeDatabase(fixture::sampleQuestions(274), 30);
        connect(own, db);
        EXPECT_FALSE(s.emptyScratchTable(ordered));
        EXPECT_EQ(s.state().RecMax, 30);
        EXPECT_EQ(own.count("ManInt"), 0);
        EXPECT_FALSE(s.emptyScratchTable(ordered));
        EXPECT_EQ(s.state().RecMax, 0) << "a second leave finds nothing";
    }
}

// Each pass of the emptying moves on one record and deletes the one it stands on; "Terminat" sorts the
// table by question number first, "Înapoi" keeps the file's order.
TEST_F(Session, LeavingDeletesInTheOrderOfItsButton)
{
    struct Case {
        const char* button;
        bool ordered;
        std::vector<std::string> deleted;
    };
    // Five rows whose numbers, in the file's order, are 40 10 50 20 30: the passes delete the 2nd and
    // the 4th record, then the last one left, each time.
    const Case cases[] = {
        {"Înapoi", false, {"10", "20", "30", "50", "40"}},
        {"Terminat", true, {"20", "40", "50", "30", "10"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        fixture::Folder own;
        store::Database db;
        TestSession s{db};
        own.writeDatabase(fixture::sampleQuestions(274));
        own.exec(
            "INSERT INTO ManInt(Nr_Intreb, Rb, Rd) VALUES (40, 'A', '?'), (10, 'A', '?'), (50, 'A', '?'), (20, 'A', "
            "'?'), (30, 'A', '?'); CREATE TABLE Deleted(Nr_Intreb); CREATE TRIGGER logged AFTER DELETE ON ManInt "
            "BEGIN INSERT INTO Deleted VALUES (old.Nr_Intreb); END");
        connect(own, db);
        EXPECT_FALSE(s.emptyScratchTable(c.ordered));
        EXPECT_EQ(s.state().RecMax, 5);
        EXPECT_EQ(own.column("SELECT Nr_Intreb FROM Deleted ORDER BY rowid"), c.deleted);
        EXPECT_EQ(own.count("ManInt"), 0);
    }
}

// Leaving never stops at a failure: it empties what the file lets it and returns the first failure.
TEST_F(Session, LeavingEmptiesWhatItCanAndReturnsWhatFailed)
{
    struct Case {
        const char* what;
        std::function<void(fixture::Folder&, store::Database&)> make;
        const char* failure;  // begins so
        int rowsLeft;         // in the file afterwards
    };
    const Case cases[] = {
        {"a change typed into a record another program deleted",
         [](fixture::Folder& f, store::Database& db) {
             db.tblTest.Next();
             db.tblTest.Edit();
             db.tblTest.FieldByName("Intrebare").setAsString("scris de cursant");
             f.exec("DELETE FROM ManInt WHERE Id = " + db.tblTest.FieldByName("Id").AsString());
         },
         "Întrebarea nr. ", 0},
        {"a file that takes no deletion",
         [](fixture::Folder& f, store::Database&) {
             f.exec("CREATE TRIGGER f BEFORE DELETE ON ManInt BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
         },
         "tblTest: Înregistrarea nu a putut fi ștearsă. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: disk I/O error)",
         30},
        {"a scratch table that could not be opened", [](fixture::Folder&, store::Database& db) { db.tblTest.Close(); },
         "tblTest: Cannot perform this operation on a closed dataset", 30},
    };
    for (const bool ordered : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (ordered ? ", Terminat" : ", Înapoi"));
            fixture::Folder own;
            store::Database db;
            TestSession s{db};
            own.writeDatabase(fixture::sampleQuestions(274));
            connect(own, db);
            pin(s);
            s.start();
            c.make(own, db);
            std::exception_ptr failure;
            EXPECT_NO_THROW(failure = s.emptyScratchTable(ordered));
            ASSERT_TRUE(failure);
            try {
                std::rethrow_exception(failure);
            } catch (const store::Error& e) {
                EXPECT_EQ(std::string(e.what()).rfind(c.failure, 0), 0u) << e.what();
            }
            EXPECT_EQ(own.count("ManInt"), c.rowsLeft);
            if (db.tblTest.Active()) {
                EXPECT_EQ(db.tblTest.RecordCount(), c.rowsLeft) << "the cursor holds what the file holds";
                EXPECT_TRUE(db.tblTest.State() == store::CursorState::Browse);
            }
        }
    }
}

}  // namespace
