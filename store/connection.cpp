#include "store/connection.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <cstdint>
#include <utility>

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

std::string damagedFileText(const std::string& path, const std::string& finding)
{
    // The first few findings name the damage; the rest would only fill the screen.
    std::string found = finding;
    // quick_check heads its list with the schema's name, which tells the user nothing.
    const std::string head = "*** in database main ***";
    if (found.rfind(head, 0) == 0)
        found.erase(0, head.size() + 1);
    for (char& c : found)
        if (c == '\n' || c == '\r')
            c = ' ';
    if (found.size() > 200)
        found = found.substr(0, 200) + "...";
    return "Fișierul bazei de date " + quoted(path) + " este deteriorat (" + found +
           "). Programul nu scrie nimic în el. Refaceți banca de întrebări din surse cu velmaris-bank "
           "(velmaris-bank build SURSE -o Velmaris.mdb --force) sau puneți în locul lui o copie bună.";
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

SqliteHandle Connection::openFile(const std::string& path, int flags) const
{
    SqliteHandle db(path, flags | SQLITE_OPEN_NOMUTEX);
    if (!db.ok())
        throw Error("Cannot open the database " + quoted(path) + ": " + db.errorMessage());
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    sqlite3_extended_result_codes(db.get(), 1);
    // The cursors read every table once at open and keep what they need, pictures included (a few), so a
    // large page cache would only hold picture pages a second time while the learner pages on. A change is
    // never written out early to make room: "Start"'s copy, its largest, holds about three megabytes.
    store::execute(db.get(), "PRAGMA cache_size = -256; PRAGMA cache_spill = OFF");
    return db;
}

namespace {

// A file of random bytes opens "OK" and fails at the first statement; find out now, once.
// Returns SQLITE_ROW when the file reads as a database.
int probe(const SqliteHandle& db, bool& empty)
{
    Statement statement(db.get(), "SELECT count(*) FROM sqlite_master");
    const bool read = statement.ok() && statement.step() == Statement::Step::Row;
    empty = read && statement.integer(0) == 0;
    return read ? SQLITE_ROW : SQLITE_ERROR;
}

}  // namespace

void Connection::open()
{
    if (db_.get())
        return;
    const std::string path = dataSource();
    if (path.empty())
        throw Error("The connection string names no database file");

    // SQLite would create a missing file; the program must report it instead. The path is UTF-8, as
    // SQLite takes it; Qt reads it so on Windows too, where a folder name may hold "ș" or "ț".
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists())
        throw Error("Could not find file " + quoted(path));
    if (!info.isFile())
        throw Error(quoted(path) + " is not a database file");

    SqliteHandle db = openFile(path, SQLITE_OPEN_READONLY);
    bool empty = false;
    int step = probe(db, empty);
    if (step != SQLITE_ROW && sqlite3_extended_errcode(db.get()) == SQLITE_READONLY_ROLLBACK) {
        // A write that never finished left its journal: SQLite puts the file back as it was before
        // that write, which takes a read-write connection for a moment.
        db.closeWithoutCheckpoint();
        SqliteHandle recovery = openFile(path, SQLITE_OPEN_READWRITE);
        bool ignored = false;
        probe(recovery, ignored);
        recovery.closeWithoutCheckpoint();
        db = openFile(path, SQLITE_OPEN_READONLY);
        step = probe(db, empty);
    }
    if (step != SQLITE_ROW) {
        const int code = sqlite3_errcode(db.get()) & 0xff;
        const std::string message = sqlite3_errmsg(db.get());
        db.closeWithoutCheckpoint();
        if (code == SQLITE_NOTADB)
            throw Error(quoted(path) + " is not a Velmaris database (" + message + ")");
        if (code == SQLITE_CORRUPT)
            throw Error(damagedFileText(path, message));
        if (code == SQLITE_BUSY)
            throw Error("The database " + quoted(path) + " is locked by another program (" + message + ")");
        throw Error("Cannot read the database " + quoted(path) + ": " + message);
    }
    if (empty) {
        db.closeWithoutCheckpoint();
        throw Error("The database file " + quoted(path) + " is empty: it holds no tables");
    }
    db_ = std::move(db);
}

std::string Connection::engineFailure(const std::string& what) const
{
    sqlite3* db = db_.get();
    const int code = db ? (sqlite3_errcode(db) & 0xff) : SQLITE_ERROR;
    const std::string message = db ? sqlite3_errmsg(db) : "no connection";
    const std::string file = " '" + dataSource() + "'";
    if (code == SQLITE_BUSY)
        return what + ": the database" + file + " is locked by another program (" + message + ")";
    if (code == SQLITE_READONLY)
        return what + ": the database" + file + " is read-only (" + message + ")";
    if (code == SQLITE_CORRUPT)
        return what + ": " + damagedFileText(dataSource(), message);
    return what + ": " + message;
}

void Connection::close()
{
    // Only a file that proved sound gets its write-ahead log checkpointed.
    if (access_ == Access::Writable)
        db_.close();
    else
        db_.closeWithoutCheckpoint();
}

void Connection::refuseWrites()
{
    access_ = Access::Refused;
}

std::string Connection::checkStructure()
{
    if (access_ != Access::Unchecked || !db_.get())
        return refusal_;
    std::string finding = missingPages();
    if (!finding.empty()) {
        refusal_ = finding;
        access_ = Access::Refused;
        return refusal_;
    }
    bool read = false;
    {
        Statement statement(db_.get(), "PRAGMA quick_check");
        read = statement.ok() && statement.step() == Statement::Step::Row;
        finding = read ? statement.text(0) : statement.errorMessage();
    }
    const int code = sqlite3_errcode(db_.get()) & 0xff;
    if (!read && code != SQLITE_CORRUPT && code != SQLITE_NOTADB) {
        // Not a finding about the file (another program's lock, say): the next write checks again.
        if (code == SQLITE_BUSY)
            throw Error("The database " + quoted(dataSource()) + " is locked by another program (" + finding + ")");
        throw Error("Cannot read the database " + quoted(dataSource()) + ": " + finding);
    }
    if (finding != "ok") {
        refusal_ = finding.empty() ? std::string("quick_check") : finding;
        access_ = Access::Refused;
        return refusal_;
    }

    if (!readOnly_.empty()) {
        access_ = Access::ReadOnly;
        return {};
    }
    // Sound: the read-only connection gives way to a read-write one on the same file.
    if (!sqlite3_get_autocommit(db_.get()))
        throw Error("The database " + quoted(dataSource()) + " cannot be reopened inside a transaction");
    SqliteHandle writable = openFile(dataSource(), SQLITE_OPEN_READWRITE);
    db_.closeWithoutCheckpoint();
    db_ = std::move(writable);
    access_ = Access::Writable;
    return {};
}

namespace {

std::int64_t pragmaNumber(sqlite3* db, const char* sql)
{
    Statement statement(db, sql);
    return statement.ok() && statement.step() == Statement::Step::Row ? statement.integer(0) : -1;
}

}  // namespace

std::string Connection::missingPages() const
{
    // SQLite reads pages past the end of a cut file as zeros, and quick_check does not look at the
    // content of overflow pages: a file that lost its tail passes it. SQLite writes whole pages only.
    const QFileInfo info(QString::fromStdString(dataSource()));
    if (!info.isFile())
        return {};
    const std::int64_t pageSize = pragmaNumber(db_.get(), "PRAGMA page_size");
    const std::int64_t pages = pragmaNumber(db_.get(), "PRAGMA page_count");
    if (pageSize <= 0 || pages < 0)
        return {};
    const std::int64_t size = info.size();
    std::string found;
    if (size % pageSize != 0)
        found = "fișierul are " + std::to_string(size) + " octeți, nu un număr întreg de pagini de " +
                std::to_string(pageSize);
    // With a write-ahead log the newest pages may still be in the log; without one all are in the file.
    if (found.empty() && !walMode() && size < pages * pageSize)
        found = "fișierul are " + std::to_string(size / pageSize) + " pagini din " + std::to_string(pages);
    return found;
}

bool Connection::walMode() const
{
    Statement statement(db_.get(), "PRAGMA journal_mode");
    return statement.ok() && statement.step() == Statement::Step::Row && statement.text(0) == "wal";
}

void Connection::ensureWritable()
{
    if (!readOnly_.empty())
        throw Error("Nu se poate scrie în banca de întrebări: " + readOnly_);
    if (access_ == Access::Unchecked)
        checkStructure();
    if (access_ == Access::Refused || !db_.get())
        failRefused();
}

void Connection::failRefused() const
{
    if (refusal_.empty())
        throw Error("baza de date " + quoted(dataSource()) +
                    " nu se modifică în această rulare, pentru că nu a putut fi deschisă la pornire");
    throw Error("baza de date " + quoted(dataSource()) +
                " nu se modifică în această rulare, pentru că este deteriorată (" + refusal_ + ")");
}

}  // namespace store
