// The cursor's writes: storing a pending record (insert or update) and deleting the current one. Each is
// its own committed transaction, or part of an open store::Transaction.
#include <sqlite3.h>

#include <algorithm>
#include <vector>

#include "store/connection.h"
#include "store/error.h"
#include "store/sql_text.h"
#include "store/statement.h"
#include "store/table_cursor.h"

namespace store {

void TableCursor::ensureWritable(const std::string& what)
{
    try {
        connection_->ensureWritable();
    } catch (const Error& refused) {
        fail(what + ": " + refused.what());
    }
}

void TableCursor::checkChangeable() const
{
    if (connection_ && !connection_->readOnlyReason().empty())
        throw Error("Corecturile nu se pot salva: " + connection_->readOnlyReason());
}

void TableCursor::storePending()
{
    ensureWritable("Înregistrarea nu a putut fi salvată");
    connection_->checkWritable();
    if (state_ == CursorState::Insert)
        insertPending();
    else
        updatePending();
    pending_ = Row{};
    state_ = CursorState::Browse;
    modified_ = false;
}

int TableCursor::bindFields(Statement& statement, const std::vector<int>& fields) const
{
    int slot = 1;
    for (const int i : fields) {
        const auto& value = pending_.values[i];
        if (!value)
            statement.bindNull(slot);
        else if (columns_[i].kind == ColumnKind::Integer)
            statement.bindInteger(slot, *parseInteger(*value));
        else if (columns_[i].kind == ColumnKind::Real)
            statement.bindReal(slot, *parseReal(*value));
        else if (columns_[i].kind == ColumnKind::Text)
            statement.bindText(slot, *value);
        else
            statement.bindBlob(slot, *value);
        ++slot;
    }
    return slot;
}

void TableCursor::insertPending()
{
    std::vector<int> assigned;
    for (int i = 0; i < FieldCount(); ++i)
        if (pending_.values[i])
            assigned.push_back(i);
    std::string sql = "INSERT INTO " + quoteIdentifier(tableName_);
    if (assigned.empty()) {
        sql += " DEFAULT VALUES";
    } else {
        std::string names, marks;
        for (const int i : assigned) {
            names += (names.empty() ? "" : ", ") + quoteIdentifier(columns_[i].name);
            marks += marks.empty() ? "?" : ", ?";
        }
        sql += " (" + names + ") VALUES (" + marks + ")";
    }
    sqlite3* db = connection_->handle();
    Statement insert(db, sql);
    if (!insert.ok())
        failEngine("Înregistrarea nu a putut fi salvată");
    bindFields(insert, assigned);
    if (insert.step() != Statement::Step::Done)
        failEngine("Înregistrarea nu a putut fi salvată");
    pending_.rowid = sqlite3_last_insert_rowid(db);
    // An INTEGER PRIMARY KEY is the rowid: show the number the file gave it.
    for (int i = 0; i < FieldCount(); ++i)
        if (columns_[i].kind == ColumnKind::Integer && !pending_.values[i]) {
            Statement key(db, "SELECT " + quoteIdentifier(columns_[i].name) + " FROM " + quoteIdentifier(tableName_) +
                                  " WHERE rowid = ?");
            if (!key.ok())
                continue;
            key.bindInteger(1, pending_.rowid);
            if (key.step() == Statement::Step::Row)
                pending_.values[i] = key.value(0);
        }
    rows_.push_back(std::move(pending_));
    parkPictures(rows_.back());
    current_ = static_cast<int>(rows_.size()) - 1;
    bof_ = eof_ = false;
}

void TableCursor::updatePending()
{
    const Row& stored = rows_[current_];
    std::vector<int> changed;
    std::string sql = "UPDATE " + quoteIdentifier(tableName_) + " SET ";
    for (int i = 0; i < FieldCount(); ++i)
        if (pending_.values[i] != stored.values[i] || ((pending_.unread ^ stored.unread) & (std::uint64_t{1} << i))) {
            sql += (changed.empty() ? "" : ", ") + quoteIdentifier(columns_[i].name) + " = ?";
            changed.push_back(i);
        }
    if (!changed.empty()) {
        Statement update(connection_->handle(), sql + " WHERE rowid = ?");
        if (!update.ok())
            failEngine("Înregistrarea nu a putut fi salvată");
        update.bindInteger(bindFields(update, changed), stored.rowid);
        if (update.step() != Statement::Step::Done)
            failEngine("Înregistrarea nu a putut fi salvată");
        if (sqlite3_changes(connection_->handle()) == 0)
            fail("Row cannot be located for updating. Some values may have been changed since it was last read");
    }
    rows_[current_] = std::move(pending_);
    parkPictures(rows_[current_]);
}

void TableCursor::Delete()
{
    checkActive();
    checkChangeable();
    if (state_ == CursorState::Insert) {
        dropPending();
        notify(Notice::State);
        notify(Notice::Record);
        return;
    }
    if (current_ < 0)
        fail("Cannot perform this operation on an empty dataset");

    ensureWritable("Înregistrarea nu a putut fi ștearsă");
    connection_->checkWritable();
    Statement remove(connection_->handle(), "DELETE FROM " + quoteIdentifier(tableName_) + " WHERE rowid = ?");
    if (!remove.ok())
        failEngine("Înregistrarea nu a putut fi ștearsă");
    remove.bindInteger(1, rows_[current_].rowid);
    if (remove.step() != Statement::Step::Done)
        failEngine("Înregistrarea nu a putut fi ștearsă");

    // An edit in progress goes with the record.
    const bool wasEditing = state_ != CursorState::Browse;
    pending_ = Row{};
    state_ = CursorState::Browse;
    modified_ = false;
    // SQLite may give the number of a deleted row to the next one added.
    forgetPictures(rows_[current_].rowid);
    rows_.erase(rows_.begin() + current_);
    if (rows_.empty()) {
        current_ = -1;
        bof_ = eof_ = true;
    } else {
        current_ = std::min(current_, static_cast<int>(rows_.size()) - 1);
        bof_ = eof_ = false;
    }
    if (wasEditing)
        notify(Notice::State);
    notify(Notice::Record);
}

}  // namespace store
