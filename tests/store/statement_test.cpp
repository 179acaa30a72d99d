#include "store/statement.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <optional>
#include <string>

#include "store/sqlite_handle.h"

namespace {

struct Memory {
    store::SqliteHandle handle{":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE};
    sqlite3* db = handle.get();
};

// Every value goes in and comes back as it was stored: empty text and empty bytes stay values apart
// from NULL, bytes with zeros pass whole, numbers read as decimal digits.
TEST(Statement, BindsAndReadsEveryKindWithoutLosingNullOrEmpty)
{
    Memory m;
    ASSERT_TRUE(store::execute(m.db, "CREATE TABLE t(v); -- a script of two statements\nCREATE TABLE u(w);  "));
    store::Statement insert(m.db, "INSERT INTO t VALUES (?)");
    ASSERT_TRUE(insert.ok());
    const std::string bytes("a\0b\xff", 4);
    const auto put = [&](auto bind) {
        bind();
        ASSERT_TRUE(insert.run()) << insert.errorMessage();
        insert.reset();
    };
    put([&] { insert.bindNull(1); });
    put([&] { insert.bindText(1, std::string_view()); });
    put([&] { insert.bindBlob(1, std::string_view()); });
    put([&] { insert.bindText(1, "ș ț"); });
    put([&] { insert.bindBlob(1, bytes); });
    put([&] { insert.bindInteger(1, -9007199254740993); });
    put([&] { insert.bindReal(1, 0.5); });
    put([] {});  // reset left the slot unbound: NULL

    store::Statement select(m.db, "SELECT typeof(v), v FROM t ORDER BY rowid");
    struct Expected {
        const char* type;
        std::optional<std::string> value;
    };
    const Expected expected[] = {{"null", std::nullopt}, {"text", ""},          {"blob", ""},
                                 {"text", "ș ț"},        {"blob", bytes},       {"integer", "-9007199254740993"},
                                 {"real", "0.5"},        {"null", std::nullopt}};
    for (const Expected& e : expected) {
        ASSERT_EQ(select.step(), store::Statement::Step::Row);
        EXPECT_EQ(select.text(0), e.type);
        EXPECT_EQ(select.value(1), e.value) << e.type;
        EXPECT_EQ(select.isNull(1), !e.value);
        EXPECT_EQ(select.text(1), e.value.value_or(""));
    }
    EXPECT_EQ(select.step(), store::Statement::Step::Done);
}

TEST(Statement, FailuresAreReportedNotHidden)
{
    Memory m;
    store::Statement bad(m.db, "SELECT * FROM missing");
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.errorMessage(), "no such table: missing");
    EXPECT_EQ(bad.step(), store::Statement::Step::Failed);
    bad.reset();  // harmless on a statement that never prepared

    ASSERT_TRUE(store::execute(m.db, "CREATE TABLE t(v UNIQUE); INSERT INTO t VALUES (1)"));
    store::Statement twice(m.db, "INSERT INTO t VALUES (1)");
    EXPECT_EQ(twice.step(), store::Statement::Step::Failed);
    EXPECT_EQ(twice.errorCode(), SQLITE_CONSTRAINT);

    // A script stops at its first failing statement: what follows is not run.
    EXPECT_FALSE(store::execute(m.db,
                                "INSERT INTO t VALUES (2); INSERT INTO nowhere VALUES (3); "
                                "INSERT INTO t VALUES (4)"));
    store::Statement count(m.db, "SELECT group_concat(v) FROM t");
    ASSERT_EQ(count.step(), store::Statement::Step::Row);
    EXPECT_EQ(count.text(0), "1,2");
}

}  // namespace
