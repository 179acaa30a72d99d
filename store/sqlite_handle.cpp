#include "store/sqlite_handle.h"

#include <sqlite3.h>

#include <utility>

#include "store/statement.h"

namespace store {

SqliteHandle::SqliteHandle(const std::string& path, int flags)
{
    result_ = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
}

SqliteHandle::SqliteHandle(SqliteHandle&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), result_(std::exchange(other.result_, SQLITE_OK))
{
}

SqliteHandle& SqliteHandle::operator=(SqliteHandle&& other) noexcept
{
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        result_ = std::exchange(other.result_, SQLITE_OK);
    }
    return *this;
}

bool SqliteHandle::ok() const
{
    return db_ && result_ == SQLITE_OK;
}

std::string SqliteHandle::errorMessage() const
{
    return db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(result_);
}

void SqliteHandle::close() noexcept
{
    sqlite3_close_v2(std::exchange(db_, nullptr));
}

void SqliteHandle::closeWithoutCheckpoint() noexcept
{
    if (!db_)
        return;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    close();
}

bool SqliteTransaction::begin(sqlite3* db, Lock lock)
{
    rollback();
    if (!execute(db, lock == Lock::Immediate ? "BEGIN IMMEDIATE" : "BEGIN"))
        return false;
    db_ = db;
    return true;
}

bool SqliteTransaction::commit()
{
    if (!db_)
        return false;
    if (!execute(db_, "COMMIT"))
        return false;
    db_ = nullptr;
    return true;
}

void SqliteTransaction::rollback() noexcept
{
    sqlite3* db = std::exchange(db_, nullptr);
    if (db && !sqlite3_get_autocommit(db))
        execute(db, "ROLLBACK");
}

}  // namespace store
