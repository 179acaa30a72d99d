// A process killed (SIGKILL) while it records a graded test: at every write the record makes, in turn.
// The file must pass SQLite's integrity check and hold the whole record or none of it, and a bank of the
// previous layout must be raised whole or not at all. It forks, so it runs where fork exists.

#include <gtest/gtest.h>

#include <QFile>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "results/record.h"
#include "store/database.h"
#include "store/schema.h"
#include "tests/support/fixture_db.h"
#include "tests/support/pass_through_vfs.h"

namespace {

int writesLeft = 0;

// Kills the process before the write that would exceed the allowance, as a power cut or a kill -9 would.
int countWrite(int)
{
    if (--writesLeft < 0)
        raise(SIGKILL);
    return 0;  // SQLITE_OK
}

results::GradedTest thirtyAnswers()
{
    results::GradedTest test;
    test.when = QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9));
    for (int n = 0; n < 30; ++n) {
        const bool right = n % 4 != 0;
        test.questions.push_back({n, QStringLiteral("Regula ") + QString::number(n % 38 + 1), QStringLiteral("A"),
                                  right ? QStringLiteral("A") : QStringLiteral("C")});
        (right ? test.correct : test.wrong) += 1;
    }
    test.percentage = 100.0 * test.correct / 30;
    test.grade = 7;
    return test;
}

// Records one test in a child that is killed at write number `allowed` + 1; true when the child finished
// the record before that.
bool recordInChild(const fixture::Folder& folder, int allowed)
{
    const pid_t child = fork();
    if (child == 0) {
        store::Database data;
        data.open(store::bankFileIn(folder.path()));
        writesLeft = allowed;
        fixture::installPassThroughVfs({nullptr, countWrite});
        try {
            results::recordTest(data, thirtyAnswers());
        } catch (...) {
            _exit(3);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return false;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return true;
}

TEST(RecordingCrash, AKillAtAnyWriteLeavesTheWholeRecordOrNoneOfIt)
{
    const struct {
        const char* name;
        int recordedBefore;  // tests recorded (and the schema raised) before the one that is killed
    } cases[] = {
        {"the first record, which raises a bank of the previous layout", 0},
        {"a later record", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool finished = false;
        int allowed = 0;
        for (; !finished && allowed < 200; ++allowed) {
            fixture::Folder folder;
            folder.writeDatabase(fixture::sampleQuestions(40), 5);
            if (c.recordedBefore > 0) {
                store::Database data;
                data.open(store::bankFileIn(folder.path()));
                for (int i = 0; i < c.recordedBefore; ++i)
                    results::recordTest(data, thirtyAnswers());
            }
            finished = recordInChild(folder, allowed);
            SCOPED_TRACE("killed before write " + std::to_string(allowed + 1));

            // Opened read-write, as the next start opens it: a journal left by the kill is rolled back.
            ASSERT_EQ(folder.column("PRAGMA integrity_check")[0], "ok");
            EXPECT_EQ(folder.count("Intrebari"), 40);
            EXPECT_EQ(folder.count("ManInt"), 5);
            const int raised = folder.column("SELECT count(*) FROM sqlite_master WHERE name = 'Raspunsuri'")[0] == "1";
            const int level = store::schemaLevel(std::stoll(folder.column("PRAGMA user_version")[0]));
            EXPECT_EQ(level, raised ? store::kCurrentSchemaLevel : 0) << "the tables and the schema level go together";
            const int tests = raised ? folder.count("Rezultate") : 0;
            const int expected = finished ? c.recordedBefore + 1 : tests;
            EXPECT_TRUE(tests == c.recordedBefore || tests == c.recordedBefore + 1) << tests;
            EXPECT_EQ(tests, expected) << "a finished record is kept";
            if (raised) {
                EXPECT_EQ(folder.count("Raspunsuri"), 30 * tests) << "every test with all its answers";
                EXPECT_EQ(folder.column("SELECT IFNULL(sum(Vazute), 0) FROM Sumar_Intrebari")[0],
                          std::to_string(30 * tests))
                    << "the summary counts the answers the file holds";
                EXPECT_EQ(folder.count("Studenti"), tests > 0 ? 1 : 0);
            } else {
                EXPECT_EQ(folder.count("Rezultate"), 0);
                EXPECT_EQ(folder.count("Studenti"), 0);
            }
        }
        EXPECT_TRUE(finished) << "the record never finished";
        EXPECT_GT(allowed, 2) << "the kill landed inside the record's writes";
    }
}

}  // namespace
