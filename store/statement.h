#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

// One prepared SQLite statement, finalized with the object. Every SQL the program, its tools and its tests
// run goes through here.
//
// Nothing throws: a statement that failed to prepare is !ok(), and step() says Failed; the caller words the
// failure for its own user from errorCode() and errorMessage(), which read the connection's last error.
// Slots count from 1 and columns from 0, as in SQLite. Bound text and bytes are copied, so a temporary may
// be bound.
class Statement {
public:
    enum class Step { Row, Done, Failed };

    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }

    void bindNull(int slot);
    void bindInteger(int slot, std::int64_t value);
    void bindReal(int slot, double value);
    void bindText(int slot, std::string_view text);
    void bindBlob(int slot, std::string_view bytes);

    Step step();
    // Runs to the end; true when every step went through.
    bool run();
    // Ready to step again from the start, with every slot unbound.
    void reset();

    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    // The value as text (a number in decimal digits, a blob's bytes unchanged); "" for NULL.
    std::string text(int column) const;
    // As text(), without a copy: the bytes stay valid until the next step, reset or the end of the statement.
    std::string_view textView(int column) const;
    // As text(), but NULL stays apart from empty text.
    std::optional<std::string> value(int column) const;
    // SQLite's storage class of the value (SQLITE_INTEGER, SQLITE_TEXT, ...).
    int type(int column) const;

    // The connection's last failure: the primary result code, and the engine's message.
    int errorCode() const;
    std::string errorMessage() const;

private:
    friend bool execute(sqlite3* db, std::string_view sql);
    // Prepares the first statement of `sql` and leaves in it what follows.
    Statement(sqlite3* db, std::string_view* sql);

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Runs a script of one or more statements; false at the first that fails (its error is the connection's).
bool execute(sqlite3* db, std::string_view sql);

}  // namespace store
