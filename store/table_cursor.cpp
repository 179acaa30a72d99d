#include "store/table_cursor.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

#include "store/connection.h"
#include "store/data_source.h"
#include "store/error.h"
#include "store/schema.h"
#include "store/sql_text.h"
#include "store/statement.h"

namespace store {

namespace {

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
    // Numeric affinity: text that reads as a number is stored as one.
    column.keptAsWritten = column.kind != TableCursor::ColumnKind::Real &&
                           !(column.kind == TableCursor::ColumnKind::Text && type.find("CHAR") == std::string::npos &&
                             type.find("CLOB") == std::string::npos && type.find("TEXT") == std::string::npos);
    const auto open = type.find('(');
    if (column.kind == TableCursor::ColumnKind::Text && open != std::string::npos)
        column.size = std::atoi(type.c_str() + open + 1);
    return column;
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
    fail(connection_ ? connection_->engineFailure(what) : what + ": tabela nu este legată de nicio bază de date.");
}

std::string TableCursor::unreadableTable() const
{
    return "Tabela '" + tableName_ + "' nu poate fi citită";
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
        failEngine(unreadableTable());
    std::vector<Column> columns;
    Statement::Step step;
    while ((step = info.step()) == Statement::Step::Row)
        columns.push_back(columnFromDeclaration(info.text(1), info.text(2)));
    if (step != Statement::Step::Done)
        failEngine(unreadableTable());
    if (columns.empty())
        fail("Tabela '" + tableName_ + "' lipsește din baza de date '" + connection_->file() + "'. " +
             replaceFileAdvice());
    // Fields the program knows come in its order; any other keeps its place in the file, after them.
    const auto& order = presentedFieldOrder(tableName_);
    const auto rank = [&order, &columns](const Column& column) {
        for (std::size_t i = 0; i < order.size(); ++i)
            if (upper(std::string(order[i])) == upper(column.name))
                return i;
        return order.size() + static_cast<std::size_t>(&column - columns.data());
    };
    // A table that lacks a field the program uses cannot be shown or filled; say so here, once, rather
    // than in one box for each view bound to it, and leave the table closed.
    std::string missing;
    for (std::string_view name : order)
        if (std::none_of(columns.begin(), columns.end(),
                         [&name](const Column& column) { return upper(column.name) == upper(std::string(name)); }))
            missing += (missing.empty() ? "" : ", ") + std::string(name);
    if (!missing.empty())
        fail("Tabela '" + tableName_ + "' din baza de date '" + connection_->file() +
             "' nu are câmpurile de care are nevoie programul (lipsesc: " + missing + "). " + replaceFileAdvice());
    std::vector<std::pair<std::size_t, Column>> ranked;
    for (const Column& column : columns)
        ranked.emplace_back(rank(column), column);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    columns_.clear();
    for (auto& [r, column] : ranked)
        columns_.push_back(std::move(column));
}

std::string TableCursor::rowSelectList() const
{
    std::string list = "rowid";
    for (const Column& column : columns_)
        // length() learns a picture's size from the row's header, without reading its bytes.
        list += column.kind == ColumnKind::Blob ? ", length(" + quoteIdentifier(column.name) + ")"
                                                : ", " + quoteIdentifier(column.name);
    return list;
}

TableCursor::Row TableCursor::readRow(const Statement& statement) const
{
    Row row;
    row.rowid = statement.integer(0);
    row.values.reserve(columns_.size());
    for (int i = 0; i < FieldCount(); ++i) {
        if (columns_[i].kind == ColumnKind::Blob) {
            row.values.emplace_back();
            const bool present = !statement.isNull(i + 1);
            row.pictureSizes.push_back(present ? statement.integer(i + 1) : -1);
            if (present)
                row.unread |= std::uint64_t{1} << i;
        } else {
            row.values.push_back(statement.value(i + 1));
        }
    }
    return row;
}

void TableCursor::loadRows()
{
    if (columns_.size() > 64)
        fail("Tabela '" + tableName_ + "' are mai mult de 64 de câmpuri, cât poate citi programul. " +
             replaceFileAdvice());
    Statement select(connection_->handle(),
                     "SELECT " + rowSelectList() + " FROM " + quoteIdentifier(tableName_) + " ORDER BY rowid");
    if (!select.ok())
        failEngine(unreadableTable());
    std::vector<Row> rows;
    Statement::Step step;
    while ((step = select.step()) == Statement::Step::Row)
        rows.push_back(readRow(select));
    if (step != Statement::Step::Done)
        failEngine(unreadableTable());
    rows_ = std::move(rows);
}

std::optional<TableCursor::Row> TableCursor::readStoredRow(std::int64_t rowid)
{
    Statement select(connection_->handle(),
                     "SELECT " + rowSelectList() + " FROM " + quoteIdentifier(tableName_) + " WHERE rowid = ?");
    if (!select.ok())
        failEngine(unreadableTable());
    select.bindInteger(1, rowid);
    switch (select.step()) {
        case Statement::Step::Row:
            return readRow(select);
        case Statement::Step::Done:
            return std::nullopt;
        case Statement::Step::Failed:
            break;
    }
    failEngine(unreadableTable());
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
        fail("Tabela nu este legată de nicio bază de date, deci nu poate fi deschisă. Porniți din nou programul.");
    try {
        connection_->open();
        clearPictures();
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
    takenFromFile_.clear();
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
    takenFromFile_.clear();
    clearPictures();
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
    checkChangeable();
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
    checkChangeable();
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

TableCursor::Saved TableCursor::save() const
{
    Saved saved;
    saved.active = active_;
    saved.columns = columns_;
    saved.rows = rows_;
    saved.current = current_;
    saved.eof = eof_;
    saved.bof = bof_;
    saved.state = state_;
    saved.pending = pending_;
    saved.modified = modified_;
    saved.currentBeforeInsert = currentBeforeInsert_;
    saved.bofBeforeInsert = bofBeforeInsert_;
    saved.eofBeforeInsert = eofBeforeInsert_;
    saved.taken = takenFromFile_.size();
    return saved;
}

void TableCursor::restore(Saved saved)
{
    // The file went back too: what the cache holds may be bytes the rollback undid.
    clearPictures();
    active_ = saved.active;
    columns_ = std::move(saved.columns);
    rows_ = std::move(saved.rows);
    current_ = saved.current;
    eof_ = saved.eof;
    bof_ = saved.bof;
    state_ = saved.state;
    pending_ = std::move(saved.pending);
    modified_ = saved.modified;
    currentBeforeInsert_ = saved.currentBeforeInsert;
    bofBeforeInsert_ = saved.bofBeforeInsert;
    eofBeforeInsert_ = saved.eofBeforeInsert;
    for (std::size_t i = saved.taken; i < takenFromFile_.size(); ++i)
        takeFromFile(takenFromFile_[i].first, takenFromFile_[i].second);
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
        fail("Tabela '" + tableName_ + "' nu are câmpul cu numărul " + std::to_string(index) + ". " +
             replaceFileAdvice());
    return Field(*this, index);
}

std::string TableCursor::fieldText(int index)
{
    checkActive();
    if (index < 0 || index >= FieldCount())
        return {};
    // In edit and insert state the pending record; a value it has not been given lies in the file, under
    // the stored record's number.
    const Row* row = state_ != CursorState::Browse ? &pending_ : current_ >= 0 ? &rows_[current_] : nullptr;
    if (!row)
        return {};
    if (row->unread & (std::uint64_t{1} << index))
        return picture(row->rowid, index);
    return row->values[index] ? *row->values[index] : std::string();
}

void TableCursor::setFieldText(int index, const std::string& text)
{
    checkActive();
    if (state_ == CursorState::Browse)
        fail("Dataset not in edit or insert mode");
    const Column& column = columns_.at(index);
    std::optional<std::string> value;
    if (!text.empty() || column.kind == ColumnKind::Text) {
        value = text;
        if (column.kind == ColumnKind::Integer && !parseInteger(text))
            throw Error("'" + text + "' nu este un număr întreg, deci nu poate fi scris în câmpul '" + column.name +
                        "'. Scrieți doar cifre, cu semnul minus în față dacă e negativ.");
        if (column.kind == ColumnKind::Real && !parseReal(text))
            throw Error("'" + text + "' nu este un număr, deci nu poate fi scris în câmpul '" + column.name +
                        "'. Scrieți un număr, cu punct înaintea zecimalelor.");
        if (column.kind == ColumnKind::Text && column.size > 0)
            value = firstCharacters(text, column.size);
    }
    pending_.values[index] = std::move(value);
    pending_.unread &= ~(std::uint64_t{1} << index);
    modified_ = true;
    notify(Notice::Field, index);
}

}  // namespace store
