#pragma once

#include <string>

struct sqlite3;

namespace store {

// Builds the connection string of the program: the executable's folder (ending in a path separator)
// plus the fixed file name. The text keeps the form users and support know; dataSource() reads the
// file name back out of it.
std::string connectionStringFor(const std::string& executableFolder);

// The one database connection. It opens when the first cursor needs it and never creates the file:
// a missing database is reported, not silently replaced by an empty one.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(std::string text) { connectionString_ = std::move(text); }
    const std::string& connectionString() const { return connectionString_; }
    // The file named by "Data Source=" in the connection string.
    std::string dataSource() const;

    // Opens the file if not yet open; throws store::Error with a clear message when it cannot be used.
    void open();
    void close();
    sqlite3* handle() const { return db_; }

    // "<what>: <the engine's last failure>", naming a locked or read-only file as such.
    std::string engineFailure(const std::string& what) const;
    // Every write calls this first: it throws when the write would land outside a transaction that a
    // failure has already rolled back (SQLite ends a transaction by itself on some failures, and later
    // statements would then commit one by one).
    void checkWritable() const;
    bool inTransaction() const { return transaction_ != nullptr; }

    // How long a write waits for another process's lock before it reports.
    static constexpr int kBusyTimeoutMs = 2000;

private:
    friend class Transaction;

    std::string connectionString_;
    sqlite3* db_ = nullptr;
    struct TransactionState* transaction_ = nullptr;  // the open transaction's, owned by its outermost guard
};

}  // namespace store
