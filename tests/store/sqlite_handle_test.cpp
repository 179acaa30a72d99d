// The owner of a bare SQLite handle and the transaction guard on one, which the store's connection, the
// bank tool, the fixtures and the benchmarks share.

#include "store/sqlite_handle.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <utility>

#include "store/statement.h"
#include "tests/support/fixture_db.h"

using store::SqliteHandle;
using store::SqliteTransaction;

namespace {

constexpr int kWrite = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;

// A file with one table of `rows` rows.
struct File {
    explicit File(int rows = 0)
    {
        SqliteHandle db(path(), kWrite);
        EXPECT_TRUE(store::execute(db.get(), "CREATE TABLE t(x)"));
        for (int i = 0; i < rows; ++i)
            EXPECT_TRUE(store::execute(db.get(), "INSERT INTO t VALUES (" + std::to_string(i) + ")"));
    }
    std::string path() const { return folder.databasePath(); }
    int rows() const { return std::stoi(folder.column("SELECT count(*) FROM t").at(0)); }
    fixture::Folder folder;
};

bool insert(const SqliteHandle& db)
{
    return store::execute(db.get(), "INSERT INTO t VALUES (99)");
}

TEST(SqliteHandle, AFailedOpenSaysWhyAndHoldsNothingOpen)
{
    fixture::Folder folder;
    const SqliteHandle db(folder.path() + "/none.mdb", SQLITE_OPEN_READONLY);
    EXPECT_FALSE(db.ok());
    EXPECT_EQ(db.openResult(), SQLITE_CANTOPEN);
    EXPECT_EQ(db.errorMessage(), "unable to open database file");
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/none.mdb")) << "read-only never creates";
}

// A handle passed on is closed once, by its last owner; one replaced by another is closed at once, and
// its lock with it.
TEST(SqliteHandle, MovesItsOwnershipAndClosesWhatItReplaces)
{
    File file(1);
    SqliteHandle first(file.path(), kWrite);
    ASSERT_TRUE(store::execute(first.get(), "BEGIN EXCLUSIVE"));
    sqlite3* const raw = first.get();

    SqliteHandle second(std::move(first));
    EXPECT_EQ(first.get(), nullptr);
    EXPECT_EQ(second.get(), raw);
    EXPECT_TRUE(second.ok());

    SqliteHandle other(file.path(), kWrite);
    EXPECT_FALSE(insert(other)) << "the first handle's lock still holds";
    second = SqliteHandle(file.path(), kWrite);
    EXPECT_NE(second.get(), raw);
    EXPECT_TRUE(insert(other)) << "the replaced handle was closed, and its transaction with it";
    EXPECT_EQ(file.rows(), 2);
}

// In write-ahead-log mode the last close folds the log into the file, unless told not to.
TEST(SqliteHandle, ClosesWithOrWithoutTheCheckpoint)
{
    struct Case {
        const char* name;
        bool checkpoint;
    };
    for (const Case c : {Case{"close", true}, Case{"closeWithoutCheckpoint", false}}) {
        SCOPED_TRACE(c.name);
        File file(1);
        const std::string log = file.path() + "-wal";
        SqliteHandle db(file.path(), kWrite);
        ASSERT_TRUE(store::execute(db.get(), "PRAGMA journal_mode = WAL"));
        ASSERT_TRUE(insert(db));
        ASSERT_GT(std::filesystem::file_size(log), 0u);
        if (c.checkpoint)
            db.close();
        else
            db.closeWithoutCheckpoint();
        EXPECT_EQ(db.get(), nullptr);
        EXPECT_EQ(std::filesystem::exists(log) && std::filesystem::file_size(log) > 0, !c.checkpoint);
        EXPECT_EQ(file.rows(), 2) << "committed either way";
    }
}

TEST(SqliteTransaction, StoresOnCommitAndRollsBackWhenLeftWithoutOne)
{
    for (const bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "committed" : "left");
        File file(3);
        SqliteHandle db(file.path(), kWrite);
        {
            SqliteTransaction transaction;
            ASSERT_TRUE(transaction.begin(db.get()));
            EXPECT_TRUE(transaction.active());
            ASSERT_TRUE(store::execute(db.get(), "DELETE FROM t"));
            ASSERT_TRUE(insert(db));
            if (commit) {
                EXPECT_TRUE(transaction.commit());
                EXPECT_FALSE(transaction.active());
            }
        }
        EXPECT_TRUE(sqlite3_get_autocommit(db.get())) << "nothing left open";
        EXPECT_EQ(file.rows(), commit ? 1 : 3);
    }
}

// Another connection holds the write lock: an immediate transaction fails at its start and leaves
// nothing open; a deferred one begins and fails at its first write.
TEST(SqliteTransaction, ImmediateFailsAtTheStartOnALockedFile)
{
    File file(1);
    SqliteHandle holder(file.path(), kWrite);
    ASSERT_TRUE(store::execute(holder.get(), "BEGIN IMMEDIATE"));
    SqliteHandle db(file.path(), kWrite);

    SqliteTransaction immediate;
    EXPECT_FALSE(immediate.begin(db.get(), SqliteTransaction::Lock::Immediate));
    EXPECT_EQ(sqlite3_errcode(db.get()), SQLITE_BUSY);
    EXPECT_FALSE(immediate.active());
    EXPECT_TRUE(sqlite3_get_autocommit(db.get()));

    SqliteTransaction deferred;
    ASSERT_TRUE(deferred.begin(db.get()));
    EXPECT_FALSE(insert(db));
    deferred.rollback();
    EXPECT_TRUE(sqlite3_get_autocommit(db.get()));
}

// A commit the engine refuses (a reader keeps the file) leaves the transaction to the guard, which rolls
// it back: the file holds what it held.
TEST(SqliteTransaction, ACommitThatFailsIsRolledBackByTheGuard)
{
    File file(2);
    SqliteHandle reader(file.path(), kWrite);
    SqliteHandle db(file.path(), kWrite);
    {
        store::Statement reading(reader.get(), "SELECT x FROM t");
        ASSERT_EQ(reading.step(), store::Statement::Step::Row);
        SqliteTransaction transaction;
        ASSERT_TRUE(transaction.begin(db.get()));
        ASSERT_TRUE(insert(db));
        EXPECT_FALSE(transaction.commit());
        EXPECT_EQ(sqlite3_errcode(db.get()), SQLITE_BUSY);
        EXPECT_TRUE(transaction.active());
    }
    EXPECT_TRUE(sqlite3_get_autocommit(db.get()));
    EXPECT_EQ(file.rows(), 2);
}

}  // namespace
