#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace store {

class Connection;
class DataSource;
class Statement;
class TableCursor;

enum class CursorState { Browse, Edit, Insert };

// One field of a cursor's current record, addressed by name or position, read and written as text.
class Field {
public:
    Field(TableCursor& cursor, int index) : cursor_(&cursor), index_(index) {}
    std::string AsString() const;
    void setAsString(const std::string& text) const;
    const std::string& FieldName() const;

private:
    TableCursor* cursor_;
    int index_;
};

// A table of the database held in memory in the order the program walks it, with a current record,
// a state and the two end flags. Every change is written to the file at once, one committed
// transaction per Post or Delete, so the file is consistent whenever the program stops; inside a
// store::Transaction they are committed together (store/transaction.h).
//
// Another program may write the same file (the bank tool, a second copy of this one). A record is
// changed or deleted only while the file still holds it as this cursor read it; otherwise the write is
// refused with store::Error, saying what the record holds now, and the cursor takes the record as the
// file has it (or drops it, when it is gone), so that the views show it. Deleting a record that is
// already gone is no failure.
//
// Fields are text: writing empty text to a text field stores empty text, to a number or picture field
// no value (NULL); a NULL field reads as empty text.
class TableCursor {
public:
    enum class ColumnKind { Integer, Real, Text, Blob };
    struct Column {
        std::string name;
        ColumnKind kind = ColumnKind::Text;
        int size = 0;  // declared length of a VARCHAR(n), else 0
        // The file gives back exactly what was written, in the form the cursor reads it (not so for a
        // fraction, nor for text in a column of numeric affinity, which may become a number).
        bool keptAsWritten = true;
    };

    TableCursor(std::string name, std::string tableName);
    TableCursor(const TableCursor&) = delete;
    TableCursor& operator=(const TableCursor&) = delete;

    const std::string& name() const { return name_; }
    const std::string& tableName() const { return tableName_; }
    void setConnection(Connection* connection) { connection_ = connection; }
    Connection* connection() const { return connection_; }

    void Open();
    void Close();
    bool Active() const { return active_; }

    void First();
    void Last();
    void Next();
    void Prior();
    void Edit();
    void Append();
    void Post();
    void Delete();
    int RecordCount() const;
    bool Locate(const std::string& fieldName, std::int64_t value);
    // Whether some record holds the number in that field; nothing moves and nothing is settled.
    bool Contains(const std::string& fieldName, std::int64_t value) const;
    void setIndexFieldNames(const std::string& fieldName);

    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    CursorState State() const { return state_; }
    // True when there is a record to show: the current stored record, or the pending new one.
    bool hasCurrentRecord() const;

    Field FieldByName(const std::string& fieldName);
    Field Fields(int index);
    // Null when no column has that name.
    std::optional<int> fieldIndex(const std::string& fieldName) const;
    const std::vector<Column>& columns() const { return columns_; }
    int FieldCount() const { return static_cast<int>(columns_.size()); }

    std::string fieldText(int index);
    void setFieldText(int index, const std::string& text);

    // Data sources follow the cursor; each notifies its views.
    void attach(DataSource* source);
    void detach(DataSource* source);

    // Picture bytes a cursor keeps in memory, the most recently used first; an older picture is read from
    // the file again when it is asked for. The picture of a record being edited or added is held apart and
    // never dropped.
    static constexpr std::size_t kPictureBytesKept = 512 * 1024;
    std::size_t pictureBytesKept() const { return pictureBytes_; }

private:
    struct Row {
        std::int64_t rowid = 0;
        std::vector<std::optional<std::string>> values;
        // Pictures are read from the file when asked for, not at Open: a bank holds megabytes of them and
        // a learner looks at a few. A set bit marks a value that lies in the file (and perhaps in the
        // picture cache) rather than in `values`.
        std::uint64_t unread = 0;
        // The length of each picture field as read, in field order (-1 for none): a write finds out by it
        // whether another program replaced a picture this cursor does not hold.
        std::vector<std::int64_t> pictureSizes;
    };
    struct CachedPicture {
        std::int64_t rowid;
        int field;
        std::string bytes;
    };

public:
    // The records, position and state at one moment, to which a rolled-back transaction returns.
    class Saved {
        friend class TableCursor;
        bool active = false;
        std::vector<Column> columns;
        std::vector<Row> rows;
        int current = -1;
        bool eof = false, bof = false;
        CursorState state = CursorState::Browse;
        Row pending;
        bool modified = false;
        int currentBeforeInsert = -1;
        bool bofBeforeInsert = false, eofBeforeInsert = false;
        std::size_t taken = 0;
    };
    Saved save() const;
    // Back to the saved moment; the views are told. Records taken from the file since then, after a refused
    // write, stay as the file has them: the rollback that brings a cursor back does not undo another
    // program's change.
    void restore(Saved saved);

private:
    enum class Notice { Record, Field, State, Update };

    void checkActive() const;
    // A run that keeps its bank read-only refuses a change before it begins, not at its storing.
    void checkChangeable() const;
    void ensureWritable(const std::string& what);
    void checkBrowseMode();  // settle: let views write, then store if modified, else drop
    void storePending();
    void insertPending();
    void updatePending();
    // Binds the pending record's fields, in the order given, to the slots from 1 on; returns the next slot.
    int bindFields(Statement& statement, const std::vector<int>& fields) const;
    void dropPending();
    void beginInsert();
    void sortRows();
    void loadColumns();
    void loadRows();
    // What a row is read as: rowid, then each field, a picture as its length.
    std::string rowSelectList() const;
    Row readRow(const Statement& statement) const;
    // The record as the file holds it now; empty when it is gone.
    std::optional<Row> readStoredRow(std::int64_t rowid);
    // " AND ..." that holds while the file's row is still `read`, and its values bound from `slot` on.
    std::string unchangedCondition(const Row& read) const;
    void bindUnchanged(Statement& statement, int slot, const Row& read) const;
    // Makes the record just written, whose `written` fields were stored, the one the cursor holds as read:
    // each field in the form the file gives it back, pictures by their length (their bytes to the cache).
    // The fields in `readBack`, whose stored form only the file knows, are read from it.
    void settleWritten(Row& row, std::int64_t rowid, std::uint64_t written, std::uint64_t readBack);
    // The write of the current record was refused: the cursor takes the record as the file holds it now
    // (none: it is gone), the views are told, and the failure says what happened and what to do.
    [[noreturn]] void refuseWrite(std::optional<Row> now, bool deleting);
    void takeFromFile(std::int64_t rowid, const std::optional<Row>& now);
    [[noreturn]] void fail(const std::string& message) const;
    [[noreturn]] void failEngine(const std::string& what) const;
    // The start of what a failed read of this table reports.
    std::string unreadableTable() const;
    void notify(Notice notice, int field = -1);
    // The bytes of a value that lies in the file, from the cache or read again.
    const std::string& picture(std::int64_t rowid, int index);
    void keepPicture(std::int64_t rowid, int index, std::string bytes);
    // The bytes the cache holds of a picture the row read has, without touching the cache's order.
    const std::string* heldPicture(const Row& row, int index) const;
    void forgetPictures(std::int64_t rowid);
    void clearPictures();

    std::string name_;
    std::string tableName_;
    Connection* connection_ = nullptr;
    std::vector<DataSource*> sources_;

    bool active_ = false;
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    int current_ = -1;  // index into rows_, -1 when the table is empty
    bool eof_ = false;
    bool bof_ = false;
    CursorState state_ = CursorState::Browse;
    Row pending_;  // the edit buffer in edit and insert state
    bool modified_ = false;
    int currentBeforeInsert_ = -1;
    bool bofBeforeInsert_ = false;
    bool eofBeforeInsert_ = false;
    std::string indexFieldNames_;
    // Records taken from the file after refused writes, in order; restore() applies those since its save.
    std::vector<std::pair<std::int64_t, std::optional<Row>>> takenFromFile_;
    std::list<CachedPicture> pictures_;  // most recently used first
    std::size_t pictureBytes_ = 0;
};

}  // namespace store
