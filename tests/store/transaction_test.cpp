#include "store/transaction.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>

#include "store/connection.h"
#include "store/error.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"
#include "store/table_cursor.h"
#include "tests/support/fixture_db.h"

using store::CursorState;
using store::TableCursor;
using store::Transaction;

namespace {

// The scratch table with three old rows, and its cursor, as "Start" finds them.
struct Scratch {
    Scratch()
    {
        folder.writeDatabase(fixture::sampleQuestions(2), 3);
        connection.setFile(store::bankFileIn(folder.path()));
        test.setConnection(&connection);
        test.Open();
    }
    // Empties the table and appends `count` new rows, as one unit of work.
    void emptyAndAppend(int count)
    {
        test.First();
        while (!test.Eof())
            test.Delete();
        for (int i = 0; i < count; ++i) {
            test.Append();
            test.FieldByName("Intrebare").setAsString("Nou " + std::to_string(i));
            test.FieldByName("Rd").setAsString("?");
            test.Post();
        }
    }
    std::string fileTexts() const
    {
        std::string texts;
        for (const std::string& text : folder.column("SELECT Intrebare FROM ManInt ORDER BY rowid"))
            texts += text + ";";
        return texts;
    }
    std::string cursorTexts()
    {
        std::string texts;
        for (test.First(); !test.Eof(); test.Next())
            texts += test.FieldByName("Intrebare").AsString() + ";";
        return texts;
    }

    fixture::Folder folder;
    store::Connection connection;
    TableCursor test{"tblTest", "ManInt"};
};

const char* const kOld = "Vechi 0;Vechi 1;Vechi 2;";
const char* const kNew = "Nou 0;Nou 1;";

TEST(Transaction, CommitsEveryWriteAtOnce)
{
    Scratch s;
    {
        Transaction transaction(s.connection, {&s.test});
        s.emptyAndAppend(2);
        // Another reader still sees the file as it was: nothing was committed on its own.
        EXPECT_EQ(s.fileTexts(), kOld);
        transaction.commit();
    }
    EXPECT_EQ(s.fileTexts(), kNew);
    EXPECT_EQ(s.cursorTexts(), kNew);
    // Outside a transaction each Post is committed at once again.
    s.test.Append();
    s.test.FieldByName("Intrebare").setAsString("Singur");
    s.test.Post();
    EXPECT_EQ(s.fileTexts(), std::string(kNew) + "Singur;");
}

// A failure anywhere in the block: the file and the cursor are as before the transaction, the cursor's
// position and state included, and the next write works as usual.
TEST(Transaction, WithoutCommitLeavesFileAndCursorAsBefore)
{
    Scratch s;
    s.test.Last();
    s.test.Edit();
    s.test.FieldByName("Rd").setAsString("B");  // pending when the transaction begins
    try {
        Transaction transaction(s.connection, {&s.test});
        s.test.Post();
        s.emptyAndAppend(2);
        throw std::runtime_error("a later step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(s.fileTexts(), kOld);
    EXPECT_EQ(s.folder.column("SELECT group_concat(Rd, '') FROM ManInt")[0], "???");
    EXPECT_EQ(s.test.State(), CursorState::Edit);
    EXPECT_EQ(s.test.FieldByName("Intrebare").AsString(), "Vechi 2");
    EXPECT_EQ(s.test.FieldByName("Rd").AsString(), "B");
    EXPECT_TRUE(s.test.Eof());
    EXPECT_EQ(s.test.RecordCount(), 3);
    s.test.Post();
    EXPECT_EQ(s.folder.column("SELECT group_concat(Rd, '') FROM ManInt")[0], "??B");
    EXPECT_EQ(s.cursorTexts(), kOld);
}

TEST(Transaction, NestedPartsCommitOnlyWithTheOuterOne)
{
    {
        Scratch s;
        Transaction outer(s.connection, {&s.test});
        {
            Transaction inner(s.connection, {&s.test});
            s.emptyAndAppend(2);
            inner.commit();
        }
        EXPECT_EQ(s.fileTexts(), kOld) << "an inner commit stores nothing yet";
        outer.commit();
        EXPECT_EQ(s.fileTexts(), kNew);
    }
    {
        // A part that failed rolls back the whole, and its caller cannot commit the rest.
        Scratch s;
        Transaction outer(s.connection, {&s.test});
        try {
            Transaction inner(s.connection);
            s.emptyAndAppend(2);
            throw std::runtime_error("part failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(s.cursorTexts(), kOld);
        EXPECT_THROW(s.emptyAndAppend(1), store::Error);
        EXPECT_THROW(outer.commit(), store::Error);
        EXPECT_EQ(s.fileTexts(), kOld);
    }
}

// SQLite ends a transaction by itself on some failures (a full disk, an I/O error); the writes that follow
// must not then be committed one by one behind the caller's back.
TEST(Transaction, EndedByTheEngineRefusesFurtherWrites)
{
    Scratch s;
    s.folder.exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON ManInt WHEN NEW.Intrebare = 'Nou 1' "
        "BEGIN SELECT RAISE(ROLLBACK, 'disk is full'); END");
    {
        Transaction transaction(s.connection, {&s.test});
        try {
            s.emptyAndAppend(2);
            ADD_FAILURE() << "the second Post went through";
        } catch (const store::Error& error) {
            EXPECT_STREQ(error.what(),
                         "tblTest: Înregistrarea nu a putut fi salvată. Încercați din nou; dacă se repetă, porniți din "
                         "nou programul. (detalii: disk is full)");
        }
        // The pending record stays, as after any failed Post; storing it now would commit it alone.
        try {
            s.test.Post();
            ADD_FAILURE() << "a Post after the engine's rollback went through";
        } catch (const store::Error& error) {
            EXPECT_STREQ(
                error.what(),
                "Modificările au fost anulate după o eroare și nu s-a salvat nimic din ele. Încercați din nou.");
        }
        EXPECT_EQ(s.fileTexts(), kOld);
        EXPECT_THROW(transaction.commit(), store::Error);
    }
    EXPECT_EQ(s.fileTexts(), kOld);
    EXPECT_EQ(s.cursorTexts(), kOld);
}

// Another program holds the file: the transaction fails at its start, before anything changed.
TEST(Transaction, LockedFileFailsAtTheStart)
{
    Scratch s;
    // As in the program, the file's structure was checked long before (just after the first paint).
    ASSERT_EQ(s.connection.checkStructure(), "");
    store::SqliteHandle other(s.folder.databasePath(), SQLITE_OPEN_READWRITE);
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(store::execute(other.get(), "BEGIN EXCLUSIVE"));
    try {
        Transaction transaction(s.connection, {&s.test});
        ADD_FAILURE() << "began on a locked file";
    } catch (const store::Error& error) {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Modificările nu au putut începe. Baza de date '" + s.folder.databasePath() +
                                 "' este folosită acum de alt program.",
                             0),
                  0u)
            << error.what();
    }
    store::execute(other.get(), "COMMIT");
    other.close();
    Transaction transaction(s.connection, {&s.test});
    s.emptyAndAppend(2);
    transaction.commit();
    EXPECT_EQ(s.fileTexts(), kNew);
}

}  // namespace
