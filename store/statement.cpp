#include "store/statement.h"

#include <sqlite3.h>

#include <utility>

namespace store {

Statement::Statement(sqlite3* db, std::string_view sql) : Statement(db, &sql) {}

Statement::Statement(sqlite3* db, std::string_view* sql) : db_(db)
{
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql->data(), static_cast<int>(sql->size()), &stmt_, &tail) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        sql->remove_prefix(sql->size());
        return;
    }
    sql->remove_prefix(static_cast<std::size_t>(tail - sql->data()));
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)) {}

void Statement::bindNull(int slot)
{
    sqlite3_bind_null(stmt_, slot);
}

void Statement::bindInteger(int slot, std::int64_t value)
{
    sqlite3_bind_int64(stmt_, slot, value);
}

void Statement::bindReal(int slot, double value)
{
    sqlite3_bind_double(stmt_, slot, value);
}

void Statement::bindText(int slot, std::string_view text)
{
    // data() of an empty view may be null, which SQLite would bind as NULL: empty text stays text.
    sqlite3_bind_text64(stmt_, slot, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void Statement::bindBlob(int slot, std::string_view bytes)
{
    // A null pointer would bind NULL; an empty blob is a value.
    sqlite3_bind_blob64(stmt_, slot, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

Statement::Step Statement::step()
{
    if (!stmt_)
        return Step::Failed;
    switch (sqlite3_step(stmt_)) {
        case SQLITE_ROW:
            return Step::Row;
        case SQLITE_DONE:
            return Step::Done;
        default:
            return Step::Failed;
    }
}

bool Statement::run()
{
    Step result;
    while ((result = step()) == Step::Row) {
    }
    return result == Step::Done;
}

void Statement::reset()
{
    if (!stmt_)
        return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

std::string Statement::text(int column) const
{
    return value(column).value_or(std::string());
}

std::string_view Statement::textView(int column) const
{
    const int kind = sqlite3_column_type(stmt_, column);
    if (kind == SQLITE_NULL)
        return {};
    // Blobs keep their bytes; anything else is converted to text first (a number as decimal digits).
    const auto* bytes = kind == SQLITE_BLOB ? static_cast<const char*>(sqlite3_column_blob(stmt_, column))
                                            : reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return bytes ? std::string_view(bytes, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string_view();
}

std::optional<std::string> Statement::value(int column) const
{
    if (sqlite3_column_type(stmt_, column) == SQLITE_NULL)
        return std::nullopt;
    return std::string(textView(column));
}

int Statement::type(int column) const
{
    return sqlite3_column_type(stmt_, column);
}

int Statement::errorCode() const
{
    return db_ ? sqlite3_errcode(db_) & 0xff : SQLITE_MISUSE;
}

std::string Statement::errorMessage() const
{
    return db_ ? sqlite3_errmsg(db_) : "no connection";
}

bool execute(sqlite3* db, std::string_view sql)
{
    while (!sql.empty()) {
        Statement statement(db, &sql);
        // A script's trailing blanks or comments prepare to no statement at all, which is not a failure.
        if (!statement.ok())
            return sqlite3_errcode(db) == SQLITE_OK;
        if (!statement.run())
            return false;
    }
    return true;
}

}  // namespace store
