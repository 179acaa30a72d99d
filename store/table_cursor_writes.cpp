// The cursor's writes: storing a pending record (insert or update) and deleting the current one. Each is
// its own committed transaction, or part of an open store::Transaction.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/connection.h"
#include "store/error.h"
#include "store/sql_text.h"
#include "store/statement.h"
#include "store/table_cursor.h"

namespace store {

namespace {

bool sameName(const std::string& a, const char* b)
{
    return std::equal(a.begin(), a.end(), b, b + std::strlen(b),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// How a cadet names a field of a question.
std::string fieldLabel(const std::string& name)
{
    static const std::pair<const char*, const char*> labels[] = {
        {"Nr_Intreb", "numărul"}, {"Intrebare", "textul"},    {"Sol1", "varianta a)"}, {"Sol2", "varianta b)"},
        {"Sol3", "varianta c)"},  {"Rb", "răspunsul corect"}, {"Rd", "răspunsul dat"},
    };
    for (const auto& [field, label] : labels)
        if (sameName(name, field))
            return label;
    return name;
}

// A field's text in Romanian quotation marks, cut short where it would fill the box.
std::string quotedValue(const std::optional<std::string>& value)
{
    constexpr int kShown = 300;
    const std::string text = value.value_or(std::string());
    std::size_t end = 0;
    int characters = 0;
    while (end < text.size() && characters < kShown) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        ++characters;
    }
    return "„" + text.substr(0, end) + (end < text.size() ? "…" : "") + "”";
}

}  // namespace

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
    std::uint64_t written = 0;
    for (const int i : assigned)
        written |= std::uint64_t{1} << i;
    // A field not given takes what the file gives it (an INTEGER PRIMARY KEY its number, a default).
    const std::uint64_t all = FieldCount() == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << FieldCount()) - 1;
    settleWritten(pending_, sqlite3_last_insert_rowid(db), written, all & ~written);
    rows_.push_back(std::move(pending_));
    current_ = static_cast<int>(rows_.size()) - 1;
    bof_ = eof_ = false;
}

void TableCursor::settleWritten(Row& row, std::int64_t rowid, std::uint64_t written, std::uint64_t readBack)
{
    row.rowid = rowid;
    int picture = 0;
    for (int i = 0; i < FieldCount(); ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        if (columns_[i].kind == ColumnKind::Blob)
            ++picture;
        if (!(written & bit))
            continue;
        if (!columns_[i].keptAsWritten)
            readBack |= bit;
        auto& value = row.values[i];
        if (columns_[i].kind == ColumnKind::Integer && value) {
            // Bound as a number: "+7" and "007" come back as "7".
            if (const auto number = parseInteger(*value))
                value = std::to_string(*number);
        } else if (columns_[i].kind == ColumnKind::Blob) {
            if (row.pictureSizes.size() < static_cast<std::size_t>(picture))
                row.pictureSizes.resize(picture, -1);
            row.pictureSizes[picture - 1] = value ? static_cast<std::int64_t>(value->size()) : -1;
            if (value) {
                keepPicture(rowid, i, std::move(*value));
                value.reset();
                row.unread |= bit;
            } else {
                // No picture now: what the cache holds of the field is gone from the file.
                for (auto it = pictures_.begin(); it != pictures_.end(); ++it)
                    if (it->rowid == rowid && it->field == i) {
                        pictureBytes_ -= it->bytes.size();
                        pictures_.erase(it);
                        break;
                    }
            }
        }
    }
    row.pictureSizes.resize(picture, -1);
    if (!readBack)
        return;
    std::string list;
    std::vector<int> fields;
    for (int i = 0; i < FieldCount(); ++i)
        if (readBack & (std::uint64_t{1} << i)) {
            const std::string name = quoteIdentifier(columns_[i].name);
            list += (list.empty() ? "" : ", ") + (columns_[i].kind == ColumnKind::Blob ? "length(" + name + ")" : name);
            fields.push_back(i);
        }
    Statement select(connection_->handle(),
                     "SELECT " + list + " FROM " + quoteIdentifier(tableName_) + " WHERE rowid = ?");
    // The write is done: a record that cannot be read back keeps what was written, and a later write
    // that finds it otherwise in the file is refused rather than written over it.
    if (!select.ok())
        return;
    select.bindInteger(1, rowid);
    if (select.step() != Statement::Step::Row)
        return;
    for (std::size_t column = 0; column < fields.size(); ++column) {
        const int i = fields[column];
        if (columns_[i].kind != ColumnKind::Blob) {
            row.values[i] = select.value(static_cast<int>(column));
            continue;
        }
        int slot = 0;
        for (int j = 0; j < i; ++j)
            slot += columns_[j].kind == ColumnKind::Blob;
        const bool present = !select.isNull(static_cast<int>(column));
        row.pictureSizes[slot] = present ? select.integer(static_cast<int>(column)) : -1;
        if (present)
            row.unread |= std::uint64_t{1} << i;
        else
            row.unread &= ~(std::uint64_t{1} << i);
    }
}

std::string TableCursor::unchangedCondition(const Row& read) const
{
    std::string condition;
    for (int i = 0; i < FieldCount(); ++i) {
        const std::string name = quoteIdentifier(columns_[i].name);
        if (columns_[i].kind != ColumnKind::Blob)
            // As text, the form the cursor read it in; byte for byte, whatever the column's collation.
            condition += " AND CAST(" + name + " AS TEXT) IS ? COLLATE BINARY";
        else if (heldPicture(read, i))
            condition += " AND CAST(" + name + " AS BLOB) IS ?";
        else
            condition += " AND length(" + name + ") IS ?";
    }
    return condition;
}

void TableCursor::bindUnchanged(Statement& statement, int slot, const Row& read) const
{
    int picture = 0;
    for (int i = 0; i < FieldCount(); ++i, ++slot) {
        if (columns_[i].kind != ColumnKind::Blob) {
            if (read.values[i])
                statement.bindText(slot, *read.values[i]);
            else
                statement.bindNull(slot);
            continue;
        }
        const std::int64_t size = read.pictureSizes[picture++];
        if (const std::string* held = heldPicture(read, i))
            statement.bindBlob(slot, *held);
        else if (size >= 0)
            statement.bindInteger(slot, size);
        else
            statement.bindNull(slot);
    }
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
    if (changed.empty())
        return;
    // Only a row that still holds what this cursor read is written: one statement checks and writes, so
    // no other program's change can come between.
    sqlite3* db = connection_->handle();
    Statement update(db, sql + " WHERE rowid = ?" + unchangedCondition(stored));
    if (!update.ok())
        failEngine("Înregistrarea nu a putut fi salvată");
    const int slot = bindFields(update, changed);
    update.bindInteger(slot, stored.rowid);
    bindUnchanged(update, slot + 1, stored);
    if (update.step() != Statement::Step::Done)
        failEngine("Înregistrarea nu a putut fi salvată");
    if (sqlite3_changes(db) == 0)
        refuseWrite(readStoredRow(stored.rowid), false);
    std::uint64_t written = 0;
    for (const int i : changed)
        written |= std::uint64_t{1} << i;
    settleWritten(pending_, stored.rowid, written, 0);
    rows_[current_] = std::move(pending_);
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
    const Row& read = rows_[current_];
    Statement remove(connection_->handle(),
                     "DELETE FROM " + quoteIdentifier(tableName_) + " WHERE rowid = ?" + unchangedCondition(read));
    if (!remove.ok())
        failEngine("Înregistrarea nu a putut fi ștearsă");
    remove.bindInteger(1, read.rowid);
    bindUnchanged(remove, 2, read);
    if (remove.step() != Statement::Step::Done)
        failEngine("Înregistrarea nu a putut fi ștearsă");
    // Not deleted: changed since it was read, or already gone, which is what was asked.
    if (sqlite3_changes(connection_->handle()) == 0)
        if (std::optional<Row> now = readStoredRow(read.rowid))
            refuseWrite(std::move(now), true);

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

void TableCursor::refuseWrite(std::optional<Row> now, bool deleting)
{
    const Row read = rows_[current_];
    std::string subject = "Întrebarea";
    if (const auto number = fieldIndex("Nr_Intreb"); number && read.values[*number] && !read.values[*number]->empty())
        subject += " nr. " + *read.values[*number];
    std::string message;
    if (!now) {
        // The cursor keeps the record as it was read and drops the refused change, so that the window can
        // move on; a record put back in the file takes the write when it is tried again.
        if (state_ != CursorState::Browse) {
            pending_ = Row{};
            state_ = CursorState::Browse;
            modified_ = false;
            try {
                notify(Notice::State);
                notify(Notice::Record);
            } catch (const std::exception&) {
            }
        }
        throw Error(subject +
                    " a fost ștearsă de alt program după ce acest program a citit-o, de aceea modificarea "
                    "dumneavoastră nu a fost scrisă. Dacă întrebarea nu trebuia ștearsă, cereți instructorului o "
                    "copie a băncii care o are.");
    } else {
        // What the other program left: the text always, and every other field it changed.
        std::vector<std::string> parts;
        bool seen = false;  // a change that the parts name
        int picture = 0;
        for (int i = 0; i < FieldCount(); ++i) {
            if (columns_[i].kind == ColumnKind::Blob) {
                const std::int64_t before = read.pictureSizes[picture], after = now->pictureSizes[picture];
                ++picture;
                if (before != after)
                    parts.push_back(after < 0 ? "nicio imagine" : "altă imagine");
                seen = seen || before != after;
                continue;
            }
            const bool changed = now->values[i] != read.values[i];
            if (changed || sameName(columns_[i].name, "Intrebare"))
                parts.push_back(fieldLabel(columns_[i].name) + " " + quotedValue(now->values[i]));
            seen = seen || changed;
        }
        // Only a picture this cursor held was found replaced by one of the same size.
        if (!seen)
            parts.push_back("altă imagine");
        std::string have;
        for (const std::string& part : parts)
            have += (have.empty() ? "" : "; ") + part;
        message =
            subject + " a fost schimbată de alt program după ce acest program a citit-o, de aceea " +
            (deleting ? std::string("nu a fost ștearsă") : "modificarea dumneavoastră nu a fost scrisă peste ea") +
            ". Acum ea are: " + have + ". Fereastra arată acum întrebarea așa cum este în fișier; " +
            (deleting ? "dacă tot trebuie ștearsă, încercați din nou."
                      : "dacă modificarea mai este necesară, faceți-o din nou.");
    }

    const bool wasEditing = state_ != CursorState::Browse;
    takeFromFile(read.rowid, now);
    takenFromFile_.emplace_back(read.rowid, std::move(now));
    // The refusal is what the user must read: a view that fails to show the record (an undecodable
    // picture) says so at the next move.
    try {
        if (wasEditing)
            notify(Notice::State);
        notify(Notice::Record);
    } catch (const std::exception&) {
    }
    throw Error(message);
}

void TableCursor::takeFromFile(std::int64_t rowid, const std::optional<Row>& now)
{
    forgetPictures(rowid);
    if (state_ == CursorState::Edit && pending_.rowid == rowid) {
        pending_ = Row{};
        state_ = CursorState::Browse;
        modified_ = false;
    }
    const auto found = std::find_if(rows_.begin(), rows_.end(), [rowid](const Row& row) { return row.rowid == rowid; });
    if (found == rows_.end())
        return;
    if (now) {
        *found = *now;
        return;
    }
    const int gone = static_cast<int>(found - rows_.begin());
    rows_.erase(found);
    const int last = static_cast<int>(rows_.size()) - 1;
    // As after Delete: the record after a gone current one becomes current, else the one before.
    const auto follow = [gone, last](int& index, bool& bof, bool& eof) {
        if (index > gone) {
            --index;
        } else if (index == gone) {
            index = std::min(index, last);
            bof = eof = index < 0;
        }
    };
    if (state_ == CursorState::Insert) {
        bool bof = false, eof = false;  // a new record has neither flag
        follow(current_, bof, eof);
        follow(currentBeforeInsert_, bofBeforeInsert_, eofBeforeInsert_);
    } else {
        follow(current_, bof_, eof_);
    }
}

}  // namespace store
