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

    // One transaction around several cursor operations: while it is open, each Post and Delete joins
    // it instead of committing on its own. begin() and commit() throw store::Error saying what failed
    // (a failed commit is rolled back first); rollback() undoes everything since begin() and never
    // throws. Cursors still hold the undone records in memory: close and reopen them after a rollback.
    void begin();
    void commit();
    void rollback() noexcept;
    bool inTransaction() const;

    // How long a write waits for another process's lock before it reports.
    static constexpr int kBusyTimeoutMs = 2000;

private:
    std::string connectionString_;
    sqlite3* db_ = nullptr;
};

}  // namespace store
