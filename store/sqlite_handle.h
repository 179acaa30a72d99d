#pragma once

#include <string>

struct sqlite3;

namespace store {

// The owner of one SQLite connection handle: the handle is closed when its owner goes. Every handle the
// program, its tools, its tests and its benchmarks open is held by one of these.
class SqliteHandle {
public:
    SqliteHandle() = default;
    // Opens `path` with sqlite3_open_v2's `flags`. Whether it worked is ok(); a failed open may still have a
    // handle, which carries the engine's message and is closed with the owner all the same.
    SqliteHandle(const std::string& path, int flags);
    ~SqliteHandle() { close(); }
    SqliteHandle(SqliteHandle&& other) noexcept;
    SqliteHandle& operator=(SqliteHandle&& other) noexcept;
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;

    sqlite3* get() const { return db_; }
    bool ok() const;
    // The open's result code (SQLITE_OK when it worked).
    int openResult() const { return result_; }
    // The engine's last message on the handle, or, with no handle at all, the text of the open's result.
    std::string errorMessage() const;

    // Closes now; a statement still open ends the close when it is finalized.
    void close() noexcept;
    // Closes without the checkpoint of the write-ahead log SQLite makes when a file's last connection
    // closes: a file that is not known to be sound must not be written, not even then.
    void closeWithoutCheckpoint() noexcept;

private:
    sqlite3* db_ = nullptr;
    int result_ = 0;
};

// One transaction on a handle, for code that writes through a bare handle (the store's own transaction
// joins the cursors to it). begin() starts it, commit() stores it, and a guard that goes without a commit
// (an exception left the block, or the commit failed) rolls it back. The guard reports the engine's
// refusal and leaves the words to its caller, whose message and error type are its own; the engine's
// message is on the handle.
class SqliteTransaction {
public:
    // Deferred takes the write lock at the first write; Immediate at once, so that a locked file fails at
    // the start, before anything is changed.
    enum class Lock { Deferred, Immediate };

    SqliteTransaction() = default;
    ~SqliteTransaction() { rollback(); }
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // False when the engine refused; nothing is open then.
    [[nodiscard]] bool begin(sqlite3* db, Lock lock = Lock::Deferred);
    // False when the engine refused; what is still open is rolled back by rollback() or the destructor.
    [[nodiscard]] bool commit();
    // Undoes what is still open (the engine may have ended it already after a failure). Never throws.
    void rollback() noexcept;
    // Forgets the transaction without a word to the engine, for a handle that was closed under it (a
    // close ends the transaction).
    void abandon() noexcept { db_ = nullptr; }
    bool active() const { return db_ != nullptr; }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace store
