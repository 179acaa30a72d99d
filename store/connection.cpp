#include "store/connection.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "store/error.h"
#include "store/statement.h"

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
    // The cursors read every table once at open and keep what they need, pictures included (a few), so a
    // large page cache would only hold picture pages a second time while the learner pages on. A change is
    // never written out early to make room: "Start"'s copy, its largest, holds about three megabytes.
    store::execute(db, "PRAGMA cache_size = -256; PRAGMA cache_spill = OFF");
    sqlite3_extended_result_codes(db, 1);

    // A file of random bytes opens "OK" and fails at the first statement; find out now, once.
    bool read = false;
    bool empty = false;
    {
        Statement probe(db, "SELECT count(*) FROM sqlite_master");
        read = probe.ok() && probe.step() == Statement::Step::Row;
        empty = read && probe.integer(0) == 0;
    }
    if (!read) {
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

std::string Connection::engineFailure(const std::string& what) const
{
    const int code = db_ ? (sqlite3_errcode(db_) & 0xff) : SQLITE_ERROR;
    const std::string message = db_ ? sqlite3_errmsg(db_) : "no connection";
    const std::string file = " '" + dataSource() + "'";
    if (code == SQLITE_BUSY)
        return what + ": the database" + file + " is locked by another program (" + message + ")";
    if (code == SQLITE_READONLY)
        return what + ": the database" + file + " is read-only (" + message + ")";
    return what + ": " + message;
}

void Connection::close()
{
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

}  // namespace store
