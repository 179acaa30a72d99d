#include "store/soundness.h"

#include <QFileInfo>
#include <QString>

#include <sqlite3.h>

#include <cstdint>

#include "store/statement.h"

namespace store::soundness {

namespace {

std::int64_t pragmaNumber(const SqliteHandle& db, const char* sql)
{
    Statement statement(db.get(), sql);
    return statement.ok() && statement.step() == Statement::Step::Row ? statement.integer(0) : -1;
}

bool walMode(const SqliteHandle& db)
{
    Statement statement(db.get(), "PRAGMA journal_mode");
    return statement.ok() && statement.step() == Statement::Step::Row && statement.text(0) == "wal";
}

}  // namespace

Tables readTables(const SqliteHandle& db)
{
    Statement statement(db.get(), "SELECT count(*) FROM sqlite_master");
    if (!statement.ok() || statement.step() != Statement::Step::Row)
        return Tables::Unreadable;
    return statement.integer(0) == 0 ? Tables::None : Tables::Present;
}

std::string missingPages(const SqliteHandle& db, const std::string& path, NewestPages newest)
{
    // The path is UTF-8, as SQLite takes it; Qt reads it so on Windows too.
    const QFileInfo info(QString::fromStdString(path));
    if (!info.isFile())
        return {};
    const std::int64_t pageSize = pragmaNumber(db, "PRAGMA page_size");
    const std::int64_t pages = pragmaNumber(db, "PRAGMA page_count");
    if (pageSize <= 0 || pages < 0)
        return {};
    const std::int64_t size = info.size();
    if (size % pageSize != 0)
        return "fișierul are " + std::to_string(size) + " octeți, nu un număr întreg de pagini de " +
               std::to_string(pageSize);
    if (size < pages * pageSize && (newest == NewestPages::InFile || !walMode(db)))
        return "fișierul are " + std::to_string(size / pageSize) + " pagini din " + std::to_string(pages);
    return {};
}

QuickCheck quickCheck(const SqliteHandle& db)
{
    QuickCheck check;
    bool read = false;
    {
        Statement statement(db.get(), "PRAGMA quick_check");
        read = statement.ok() && statement.step() == Statement::Step::Row;
        check.finding = read ? statement.text(0) : statement.errorMessage();
    }
    if (!read) {
        // Read once the statement is gone: its code stays on the handle.
        check.code = sqlite3_errcode(db.get()) & 0xff;
        check.conclusive = check.code == SQLITE_CORRUPT || check.code == SQLITE_NOTADB;
    }
    if (read && check.finding == "ok")
        check.finding.clear();
    else if (check.finding.empty())
        check.finding = "quick_check";
    return check;
}

std::string readableFinding(std::string finding)
{
    const std::string head = "*** in database main ***";
    if (finding.rfind(head, 0) == 0)
        finding.erase(0, head.size() + 1);
    for (char& c : finding)
        if (c == '\n' || c == '\r')
            c = ' ';
    if (finding.size() > 200)
        finding = finding.substr(0, 200) + "...";
    return finding;
}

}  // namespace store::soundness
