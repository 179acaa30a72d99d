#include "store/connection.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "store/error.h"

namespace store {

namespace {

constexpr const char* kDataSourceKey = "Data Source=";

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

}  // namespace

std::string connectionStringFor(const std::string& executableFolder)
{
    std::string folder = executableFolder;
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder + "Velmaris.mdb;Persist Security Info=False";
}

Connection::~Connection()
{
    close();
}

std::string Connection::dataSource() const
{
    const auto start = connectionString_.find(kDataSourceKey);
    if (start == std::string::npos)
        return {};
    const auto from = start + std::char_traits<char>::length(kDataSourceKey);
    const auto end = connectionString_.find(';', from);
    return connectionString_.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

void Connection::open()
{
    if (db_)
        return;
    const std::string path = dataSource();
    if (path.empty())
        throw Error("The connection string names no database file");

    // SQLite would create a missing file; the program must report it instead.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw Error("Could not find file " + quoted(path));
    if (!S_ISREG(info.st_mode))
        throw Error(quoted(path) + " is not a database file");

    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw Error("Cannot open the database " + quoted(path) + ": " + message);
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);

    // A file of random bytes opens "OK" and fails at the first statement; find out now, once.
    sqlite3_stmt* probe = nullptr;
    int step = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &probe, nullptr);
    if (step == SQLITE_OK)
        step = sqlite3_step(probe);
    const bool empty = step == SQLITE_ROW && sqlite3_column_int(probe, 0) == 0;
    sqlite3_finalize(probe);
    if (step != SQLITE_ROW) {
        const int code = sqlite3_errcode(db) & 0xff;
        const std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        if (code == SQLITE_NOTADB)
            throw Error(quoted(path) + " is not a Velmaris database (" + message + ")");
        if (code == SQLITE_BUSY)
            throw Error("The database " + quoted(path) + " is locked by another program (" + message + ")");
        throw Error("Cannot read the database " + quoted(path) + ": " + message);
    }
    if (empty) {
        sqlite3_close(db);
        throw Error("The database file " + quoted(path) + " is empty: it holds no tables");
    }
    db_ = db;
}

namespace {

void run(sqlite3* db, const char* sql, const std::string& what, const std::string& file)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return;
    const int code = sqlite3_errcode(db) & 0xff;
    const std::string message = sqlite3_errmsg(db);
    if (code == SQLITE_BUSY)
        throw Error(what + ": the database " + file + " is locked by another program (" + message + ")");
    if (code == SQLITE_READONLY)
        throw Error(what + ": the database " + file + " is read-only (" + message + ")");
    throw Error(what + ": " + message);
}

}  // namespace

void Connection::begin()
{
    open();
    // IMMEDIATE takes the write lock now, so a locked file is reported before any change is made.
    run(db_, "BEGIN IMMEDIATE", "Cannot begin a transaction", quoted(dataSource()));
}

void Connection::commit()
{
    try {
        run(db_, "COMMIT", "Cannot commit the transaction", quoted(dataSource()));
    } catch (...) {
        rollback();
        throw;
    }
}

void Connection::rollback() noexcept
{
    if (inTransaction())
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Connection::inTransaction() const
{
    return db_ && !sqlite3_get_autocommit(db_);
}

void Connection::close()
{
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

}  // namespace store
