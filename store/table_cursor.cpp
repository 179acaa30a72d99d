#include "store/table_cursor.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

#include "store/connection.h"
#include "store/data_source.h"
#include "store/error.h"

namespace store {

namespace {

std::string quoteIdentifier(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// SQLite's own type-affinity rules, plus the declared length of VARCHAR(n).
TableCursor::Column columnFromDeclaration(std::string name, const std::string& declared)
{
    TableCursor::Column column;
    column.name = std::move(name);
    const std::string type = upper(declared);
    if (type.find("INT") != std::string::npos)
        column.kind = TableCursor::ColumnKind::Integer;
    else if (type.find("CHAR") != std::string::npos || type.find("CLOB") != std::string::npos ||
             type.find("TEXT") != std::string::npos)
        column.kind = TableCursor::ColumnKind::Text;
    else if (type.empty() || type.find("BLOB") != std::string::npos)
        column.kind = TableCursor::ColumnKind::Blob;
    else if (type.find("REAL") != std::string::npos || type.find("FLOA") != std::string::npos ||
             type.find("DOUB") != std::string::npos)
        column.kind = TableCursor::ColumnKind::Real;
    else
        column.kind = TableCursor::ColumnKind::Text;
    const auto open = type.find('(');
    if (column.kind == TableCursor::ColumnKind::Text && open != std::string::npos)
        column.size = std::atoi(type.c_str() + open + 1);
    return column;
}

std::optional<std::int64_t> parseInteger(const std::string& text)
{
    std::int64_t value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end)
        return std::nullopt;
    return value;
}

std::optional<double> parseReal(const std::string& text)
{
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// The first `count` characters of UTF-8 text.
std::string firstCharacters(const std::string& text, int count)
{
    std::size_t i = 0;
    for (int n = 0; n < count && i < text.size(); ++n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return text.substr(0, i);
}

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) : db_(db)
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
            stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool ok() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }
    std::string error() const { return sqlite3_errmsg(db_); }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace

// ---- Field ----

std::string Field::AsString() const
{
    return cursor_->fieldText(index_);
}

void Field::setAsString(const std::string& text) const
{
    cursor_->setFieldText(index_, text);
}

const std::string& Field::FieldName() const
{
    return cursor_->columns().at(index_).name;
}

// ---- TableCursor ----

TableCursor::TableCursor(std::string name, std::string tableName)
    : name_(std::move(name)), tableName_(std::move(tableName))
{
}

void TableCursor::fail(const std::string& message) const
{
    throw Error(name_ + ": " + message);
}

void TableCursor::failEngine(const std::string& what) const
{
    sqlite3* db = connection_ ? connection_->handle() : nullptr;
    const int code = db ? (sqlite3_errcode(db) & 0xff) : SQLITE_ERROR;
    const std::string message = db ? sqlite3_errmsg(db) : "no connection";
    const std::string file = connection_ ? " '" + connection_->dataSource() + "'" : std::string();
    if (code == SQLITE_BUSY)
        fail(what + ": the database" + file + " is locked by another program (" + message + ")");
    if (code == SQLITE_READONLY)
        fail(what + ": the database" + file + " is read-only (" + message + ")");
    if (code == SQLITE_CORRUPT && connection_)
        fail(what + ": " + damagedFileText(connection_->dataSource(), message));
    fail(what + ": " + message);
}

void TableCursor::checkActive() const
{
    if (!active_)
        fail("Cannot perform this operation on a closed dataset");
}

void TableCursor::attach(DataSource* source)
{
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
        sources_.push_back(source);
}

void TableCursor::detach(DataSource* source)
{
    std::erase(sources_, source);
}

void TableCursor::notify(Notice notice, int field)
{
    // Copy: a view may detach while it is told.
    const auto sources = sources_;
    for (DataSource* source : sources) {
        switch (notice) {
            case Notice::Record:
                source->recordChanged();
                break;
            case Notice::Field:
                source->fieldChanged(field);
                break;
            case Notice::State:
                source->stateChanged();
                break;
            case Notice::Update:
                source->updateRecord();
                break;
        }
    }
}

void TableCursor::loadColumns()
{
    Statement info(connection_->handle(), "PRAGMA table_info(" + quoteIdentifier(tableName_) + ")");
    if (!info.ok())
        failEngine("Cannot read table '" + tableName_ + "'");
    std::vector<Column> columns;
    int rc;
    while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
        const auto* colName = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1));
        const auto* colType = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2));
        columns.push_back(columnFromDeclaration(colName ? colName : "", colType ? colType : ""));
    }
    if (rc != SQLITE_DONE)
        failEngine("Cannot read table '" + tableName_ + "'");
    if (columns.empty())
        fail("Table '" + tableName_ + "' not found in the database '" + connection_->dataSource() + "'");
    columns_ = std::move(columns);
}

void TableCursor::loadRows()
{
    if (columns_.size() > 64)
        fail("Table '" + tableName_ + "' has more fields than the program can hold");
    std::string sql = "SELECT rowid";
    for (const Column& column : columns_)
        sql += column.kind == ColumnKind::Blob ? ", " + quoteIdentifier(column.name) + " IS NOT NULL"
                                               : ", " + quoteIdentifier(column.name);
    sql += " FROM " + quoteIdentifier(tableName_) + " ORDER BY rowid";
    Statement select(connection_->handle(), sql);
    if (!select.ok())
        failEngine("Cannot read table '" + tableName_ + "'");
    std::vector<Row> rows;
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        Row row;
        row.rowid = sqlite3_column_int64(select.get(), 0);
        row.values.reserve(columns_.size());
        for (int i = 0; i < FieldCount(); ++i) {
            sqlite3_stmt* s = select.get();
            if (sqlite3_column_type(s, i + 1) == SQLITE_NULL) {
                row.values.emplace_back();
            } else if (columns_[i].kind == ColumnKind::Blob) {
                row.values.emplace_back();
                if (sqlite3_column_int(s, i + 1))
                    row.unread |= std::uint64_t{1} << i;
            } else {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i + 1));
                row.values.emplace_back(std::string(text ? text : "", sqlite3_column_bytes(s, i + 1)));
            }
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        failEngine("Cannot read table '" + tableName_ + "'");
    rows_ = std::move(rows);
}

void TableCursor::sortRows()
{
    if (indexFieldNames_.empty()) {
        std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.rowid < b.rowid; });
        return;
    }
    const auto index = fieldIndex(indexFieldNames_);
    if (!index)
        fail("Field '" + indexFieldNames_ + "' not found");
    const int i = *index;
    const bool numeric = columns_[i].kind == ColumnKind::Integer || columns_[i].kind == ColumnKind::Real;
    // Empty fields sort first, as in an ascending index.
    std::stable_sort(rows_.begin(), rows_.end(), [i, numeric](const Row& a, const Row& b) {
        const auto& x = a.values[i];
        const auto& y = b.values[i];
        if (!x || !y)
            return !x && y;
        if (numeric)
            return std::strtod(x->c_str(), nullptr) < std::strtod(y->c_str(), nullptr);
        return *x < *y;
    });
}

void TableCursor::Open()
{
    if (active_)
        return;
    if (!connection_)
        fail("Missing Connection or ConnectionString");
    try {
        connection_->open();
        loadColumns();
        loadRows();
        sortRows();
    } catch (const Error&) {
        // A file on which a table cannot be opened is not the database the program knows.
        connection_->refuseWrites();
        throw;
    }
    active_ = true;
    state_ = CursorState::Browse;
    modified_ = false;
    current_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
    notify(Notice::Record);
}

void TableCursor::Close()
{
    if (!active_)
        return;
    // A change still pending is dropped, never stored.
    active_ = false;
    state_ = CursorState::Browse;
    modified_ = false;
    rows_.clear();
    current_ = -1;
    bof_ = eof_ = false;
    notify(Notice::Record);
}

bool TableCursor::hasCurrentRecord() const
{
    return active_ && (state_ == CursorState::Insert || current_ >= 0);
}

void TableCursor::checkBrowseMode()
{
    if (state_ == CursorState::Browse)
        return;
    notify(Notice::Update);
    if (modified_)
        storePending();
    else
        dropPending();
    notify(Notice::State);
    notify(Notice::Record);
}

void TableCursor::ensureWritable(const std::string& what)
{
    try {
        connection_->ensureWritable();
    } catch (const Error& refused) {
        fail(what + ": " + refused.what());
    }
}

void TableCursor::storePending()
{
    ensureWritable("Cannot store the record");
    sqlite3* db = connection_->handle();
    if (state_ == CursorState::Insert) {
        std::vector<int> assigned;
        for (int i = 0; i < FieldCount(); ++i)
            if (pending_.values[i])
                assigned.push_back(i);
        std::string sql = "INSERT INTO " + quoteIdentifier(tableName_);
        if (assigned.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string names, marks;
            for (int i : assigned) {
                names += (names.empty() ? "" : ", ") + quoteIdentifier(columns_[i].name);
                marks += marks.empty() ? "?" : ", ?";
            }
            sql += " (" + names + ") VALUES (" + marks + ")";
        }
        Statement insert(db, sql);
        if (!insert.ok())
            failEngine("Cannot store the record");
        int slot = 1;
        for (int i : assigned) {
            const std::string& v = *pending_.values[i];
            switch (columns_[i].kind) {
                case ColumnKind::Integer:
                    sqlite3_bind_int64(insert.get(), slot, *parseInteger(v));
                    break;
                case ColumnKind::Real:
                    sqlite3_bind_double(insert.get(), slot, *parseReal(v));
                    break;
                case ColumnKind::Text:
                    sqlite3_bind_text(insert.get(), slot, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
                    break;
                case ColumnKind::Blob:
                    sqlite3_bind_blob(insert.get(), slot, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
                    break;
            }
            ++slot;
        }
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            failEngine("Cannot store the record");
        pending_.rowid = sqlite3_last_insert_rowid(db);
        // An INTEGER PRIMARY KEY is the rowid: show the number the file gave it.
        for (int i = 0; i < FieldCount(); ++i)
            if (columns_[i].kind == ColumnKind::Integer && !pending_.values[i]) {
                Statement pk(db, "SELECT " + quoteIdentifier(columns_[i].name) + " FROM " +
                                     quoteIdentifier(tableName_) + " WHERE rowid = ?");
                if (pk.ok()) {
                    sqlite3_bind_int64(pk.get(), 1, pending_.rowid);
                    if (sqlite3_step(pk.get()) == SQLITE_ROW && sqlite3_column_type(pk.get(), 0) != SQLITE_NULL)
                        pending_.values[i] = reinterpret_cast<const char*>(sqlite3_column_text(pk.get(), 0));
                }
            }
        rows_.push_back(std::move(pending_));
        current_ = static_cast<int>(rows_.size()) - 1;
        bof_ = eof_ = false;
    } else {
        std::string sql = "UPDATE " + quoteIdentifier(tableName_) + " SET ";
        std::vector<int> changed;
        const Row& stored = rows_[current_];
        for (int i = 0; i < FieldCount(); ++i)
            if (pending_.values[i] != stored.values[i] ||
                ((pending_.unread ^ stored.unread) & (std::uint64_t{1} << i))) {
                sql += (changed.empty() ? "" : ", ") + quoteIdentifier(columns_[i].name) + " = ?";
                changed.push_back(i);
            }
        if (!changed.empty()) {
            sql += " WHERE rowid = ?";
            Statement update(db, sql);
            if (!update.ok())
                failEngine("Cannot store the record");
            int slot = 1;
            for (int i : changed) {
                const auto& v = pending_.values[i];
                if (!v)
                    sqlite3_bind_null(update.get(), slot);
                else if (columns_[i].kind == ColumnKind::Integer)
                    sqlite3_bind_int64(update.get(), slot, *parseInteger(*v));
                else if (columns_[i].kind == ColumnKind::Real)
                    sqlite3_bind_double(update.get(), slot, *parseReal(*v));
                else if (columns_[i].kind == ColumnKind::Text)
                    sqlite3_bind_text(update.get(), slot, v->data(), static_cast<int>(v->size()), SQLITE_STATIC);
                else
                    sqlite3_bind_blob(update.get(), slot, v->data(), static_cast<int>(v->size()), SQLITE_STATIC);
                ++slot;
            }
            sqlite3_bind_int64(update.get(), slot, stored.rowid);
            if (sqlite3_step(update.get()) != SQLITE_DONE)
                failEngine("Cannot store the record");
            if (sqlite3_changes(db) == 0)
                fail("Row cannot be located for updating. Some values may have been changed since it was last read");
        }
        rows_[current_] = std::move(pending_);
    }
    pending_ = Row{};
    state_ = CursorState::Browse;
    modified_ = false;
}

void TableCursor::dropPending()
{
    // A dropped new record vanishes: the cursor is where it was before the record was begun.
    if (state_ == CursorState::Insert) {
        current_ = currentBeforeInsert_;
        bof_ = bofBeforeInsert_;
        eof_ = eofBeforeInsert_;
    }
    pending_ = Row{};
    state_ = CursorState::Browse;
    modified_ = false;
    if (rows_.empty())
        bof_ = eof_ = true;
}

void TableCursor::beginInsert()
{
    currentBeforeInsert_ = current_;
    bofBeforeInsert_ = bof_;
    eofBeforeInsert_ = eof_;
    pending_ = Row{};
    pending_.values.assign(columns_.size(), std::nullopt);
    state_ = CursorState::Insert;
    modified_ = false;
    bof_ = eof_ = false;
    notify(Notice::State);
    notify(Notice::Record);
}

void TableCursor::First()
{
    checkActive();
    checkBrowseMode();
    current_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
    notify(Notice::Record);
}

void TableCursor::Last()
{
    checkActive();
    checkBrowseMode();
    current_ = static_cast<int>(rows_.size()) - 1;
    eof_ = true;
    bof_ = rows_.empty();
    notify(Notice::Record);
}

void TableCursor::Next()
{
    checkActive();
    checkBrowseMode();
    if (eof_)
        return;
    bof_ = eof_ = false;
    if (current_ + 1 < static_cast<int>(rows_.size()))
        ++current_;
    else
        eof_ = true;
    notify(Notice::Record);
}

void TableCursor::Prior()
{
    checkActive();
    checkBrowseMode();
    if (bof_)
        return;
    bof_ = eof_ = false;
    if (current_ > 0)
        --current_;
    else
        bof_ = true;
    notify(Notice::Record);
}

void TableCursor::Edit()
{
    checkActive();
    if (state_ != CursorState::Browse)
        return;
    if (current_ < 0) {
        beginInsert();
        return;
    }
    pending_ = rows_[current_];
    state_ = CursorState::Edit;
    modified_ = false;
    notify(Notice::State);
}

void TableCursor::Append()
{
    checkActive();
    checkBrowseMode();
    beginInsert();
}

void TableCursor::Post()
{
    checkActive();
    if (state_ == CursorState::Browse)
        fail("Dataset not in edit or insert mode");
    notify(Notice::Update);
    storePending();
    notify(Notice::State);
    notify(Notice::Record);
}

void TableCursor::Delete()
{
    checkActive();
    if (state_ == CursorState::Insert) {
        dropPending();
        notify(Notice::State);
        notify(Notice::Record);
        return;
    }
    if (current_ < 0)
        fail("Cannot perform this operation on an empty dataset");

    ensureWritable("Cannot delete the record");
    Statement remove(connection_->handle(), "DELETE FROM " + quoteIdentifier(tableName_) + " WHERE rowid = ?");
    if (!remove.ok())
        failEngine("Cannot delete the record");
    sqlite3_bind_int64(remove.get(), 1, rows_[current_].rowid);
    if (sqlite3_step(remove.get()) != SQLITE_DONE)
        failEngine("Cannot delete the record");

    // An edit in progress goes with the record.
    const bool wasEditing = state_ != CursorState::Browse;
    pending_ = Row{};
    state_ = CursorState::Browse;
    modified_ = false;
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

int TableCursor::RecordCount() const
{
    checkActive();
    return static_cast<int>(rows_.size());
}

bool TableCursor::Locate(const std::string& fieldName, std::int64_t value)
{
    checkActive();
    checkBrowseMode();
    const auto index = fieldIndex(fieldName);
    if (!index)
        return false;
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const auto& v = rows_[r].values[*index];
        if (v && parseInteger(*v) == value) {
            current_ = r;
            bof_ = eof_ = false;
            notify(Notice::Record);
            return true;
        }
    }
    return false;
}

bool TableCursor::Contains(const std::string& fieldName, std::int64_t value) const
{
    checkActive();
    const auto index = fieldIndex(fieldName);
    if (!index)
        return false;
    return std::any_of(rows_.begin(), rows_.end(), [&](const Row& row) {
        const auto& v = row.values[*index];
        return v && parseInteger(*v) == value;
    });
}

void TableCursor::setIndexFieldNames(const std::string& fieldName)
{
    // A closed cursor keeps the order for its next Open.
    if (!active_) {
        indexFieldNames_ = fieldName;
        return;
    }
    if (!fieldName.empty() && !fieldIndex(fieldName))
        fail("Field '" + fieldName + "' not found");
    checkBrowseMode();
    indexFieldNames_ = fieldName;
    const std::int64_t rowid = current_ >= 0 ? rows_[current_].rowid : 0;
    sortRows();
    if (current_ >= 0)
        for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
            if (rows_[r].rowid == rowid)
                current_ = r;
    notify(Notice::Record);
}

std::optional<int> TableCursor::fieldIndex(const std::string& fieldName) const
{
    const std::string wanted = upper(fieldName);
    for (int i = 0; i < FieldCount(); ++i)
        if (upper(columns_[i].name) == wanted)
            return i;
    return std::nullopt;
}

Field TableCursor::FieldByName(const std::string& fieldName)
{
    checkActive();
    const auto index = fieldIndex(fieldName);
    if (!index)
        fail("Field '" + fieldName + "' not found");
    return Field(*this, *index);
}

Field TableCursor::Fields(int index)
{
    checkActive();
    if (index < 0 || index >= FieldCount())
        throw Error("List index out of bounds (" + std::to_string(index) + ")");
    return Field(*this, index);
}

void TableCursor::readDeferred(Row& row, int index)
{
    Statement select(connection_->handle(), "SELECT " + quoteIdentifier(columns_[index].name) + " FROM " +
                                                quoteIdentifier(tableName_) + " WHERE rowid = ?");
    if (!select.ok())
        failEngine("Cannot read table '" + tableName_ + "'");
    sqlite3_bind_int64(select.get(), 1, row.rowid);
    const int rc = sqlite3_step(select.get());
    if (rc == SQLITE_ROW && sqlite3_column_type(select.get(), 0) != SQLITE_NULL) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(select.get(), 0));
        row.values[index] = std::string(bytes ? bytes : "", sqlite3_column_bytes(select.get(), 0));
    } else if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
        row.values[index].reset();
    } else {
        failEngine("Cannot read table '" + tableName_ + "'");
    }
    row.unread &= ~(std::uint64_t{1} << index);
}

std::string TableCursor::fieldText(int index)
{
    checkActive();
    if (index < 0 || index >= FieldCount())
        return {};
    const std::uint64_t bit = std::uint64_t{1} << index;
    Row* row = nullptr;
    if (state_ != CursorState::Browse) {
        row = &pending_;
        // The stored record learns the value too, so that storing the edit sees it unchanged.
        if ((row->unread & bit) && state_ == CursorState::Edit && current_ >= 0) {
            Row& stored = rows_[current_];
            if (stored.unread & bit)
                readDeferred(stored, index);
            row->values[index] = stored.values[index];
            row->unread &= ~bit;
        }
    } else if (current_ >= 0) {
        row = &rows_[current_];
    }
    if (!row)
        return {};
    if (row->unread & bit)
        readDeferred(*row, index);
    return row->values[index] ? *row->values[index] : std::string();
}

void TableCursor::setFieldText(int index, const std::string& text)
{
    checkActive();
    if (state_ == CursorState::Browse)
        fail("Dataset not in edit or insert mode");
    const Column& column = columns_.at(index);
    std::optional<std::string> value;
    if (!text.empty()) {
        value = text;
        if (column.kind == ColumnKind::Integer && !parseInteger(text))
            throw Error("'" + text + "' is not a valid integer value for field '" + column.name + "'");
        if (column.kind == ColumnKind::Real && !parseReal(text))
            throw Error("'" + text + "' is not a valid floating point value for field '" + column.name + "'");
        if (column.kind == ColumnKind::Text && column.size > 0)
            value = firstCharacters(text, column.size);
    }
    pending_.values[index] = std::move(value);
    pending_.unread &= ~(std::uint64_t{1} << index);
    modified_ = true;
    notify(Notice::Field, index);
}

}  // namespace store
