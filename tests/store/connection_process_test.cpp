// The store beside other processes: one that holds the write lock, a user who may not write, one
// killed while it writes. They fork, so they run where fork exists.
#include <gtest/gtest.h>

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/connection.h"
#include "store/error.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"
#include "store/table_cursor.h"
#include "tests/support/fixture_db.h"

namespace {

// Another process holds the write lock: the write waits briefly, then reports, and the record stays
// pending so that nothing is lost; once the lock is gone the same Post goes through.
TEST(LockedFile, WriteWaitsThenReportsAndKeepsThePendingRecord)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(2));
    store::Connection connection;
    connection.setFile(store::bankFileIn(folder.path()));
    store::TableCursor cursor("tblTest", "ManInt");
    cursor.setConnection(&connection);
    cursor.Open();

    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        store::SqliteHandle db(folder.databasePath(), SQLITE_OPEN_READWRITE);
        store::execute(db.get(), "BEGIN EXCLUSIVE");
        char c = 1;
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        store::execute(db.get(), "COMMIT");
        db.close();
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);

    cursor.Append();
    cursor.FieldByName("Rd").setAsString("?");
    try {
        cursor.Post();
        ADD_FAILURE() << "Post went through a locked file";
    } catch (const store::Error& error) {
        EXPECT_NE(std::string(error.what()).find("este folosită acum de alt program"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(cursor.State(), store::CursorState::Insert);
    EXPECT_EQ(cursor.FieldByName("Rd").AsString(), "?");

    (void)!write(release[1], &c, 1);
    int status = 0;
    waitpid(child, &status, 0);
    cursor.Post();
    EXPECT_EQ(folder.count("ManInt"), 1);
}

// Root ignores permission bits, so the read-only case runs in a child that has given up root.
TEST(ReadOnlyFile, WriteReportsAndNothingIsHalfWritten)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(2));
    chmod(folder.path().c_str(), 0755);
    chmod(folder.databasePath().c_str(), 0444);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(10);
        store::Connection connection;
        connection.setFile(store::bankFileIn(folder.path()));
        store::TableCursor cursor("tblIntrebari", "Intrebari");
        cursor.setConnection(&connection);
        try {
            cursor.Open();
            cursor.Edit();
            cursor.FieldByName("Intrebare").setAsString("schimbat");
            cursor.Post();
            _exit(11);
        } catch (const store::Error& error) {
            const std::string message = error.what();
            if (message.find("tblIntrebari: Înregistrarea nu a putut fi salvată: baza de date") != 0 ||
                message.find("poate fi doar citită") == std::string::npos)
                _exit(12);
            if (cursor.State() != store::CursorState::Edit)
                _exit(13);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0], "Întrebarea 0");
}

// Each Post is its own committed transaction: a process killed at any moment leaves a file that passes
// SQLite's integrity check, holds only whole records, and keeps every record the process had stored.
// The child reports each finished round of writes through a pipe, so that the kill lands while it writes.
TEST(Crash, LeavesTheFileConsistentAndKeepsWhatWasStored)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(1));
    for (const int rounds : {3, 17, 40}) {
        const int before = folder.count("ManInt");
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(report[0]);
            store::Connection connection;
            connection.setFile(store::bankFileIn(folder.path()));
            store::TableCursor cursor("tblTest", "ManInt");
            cursor.setConnection(&connection);
            cursor.Open();
            for (int i = 0;; ++i) {
                cursor.Append();
                cursor.FieldByName("Intrebare").setAsString(std::string(3000, 'x'));
                cursor.FieldByName("Rb").setAsString("A");
                cursor.FieldByName("Rd").setAsString("?");
                cursor.Post();
                if (i % 7 == 6) {
                    cursor.First();
                    cursor.Delete();
                }
                const char done = 1;
                (void)!write(report[1], &done, 1);
            }
        }
        close(report[1]);
        int finished = 0;
        char done;
        while (finished < rounds && read(report[0], &done, 1) == 1)
            ++finished;
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(report[0]);
        ASSERT_EQ(finished, rounds) << "the child stopped before it had written";
        EXPECT_EQ(folder.column("PRAGMA integrity_check")[0], "ok");
        EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE length(Intrebare) <> 3000 OR Rb IS NULL "
                                "OR Rd IS NULL")[0],
                  "0");
        // Each round adds a record, every seventh also removes one: what was reported stays stored.
        EXPECT_GE(folder.count("ManInt"), before + rounds - rounds / 7);
    }
}

}  // namespace
