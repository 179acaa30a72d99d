#pragma once

#include <string>

#include "store/error.h"
#include "store/sqlite_handle.h"

namespace store {

// The bank file of a folder: the folder plus the fixed file name, Velmaris.mdb.
std::string bankFileIn(const std::string& folder);

// What a cadet can do about a bank file the program cannot use: let a new copy take its place.
std::string replaceFileAdvice();

// What the user reads about a damaged database file: which file, what was found, and what to do.
std::string damagedFileText(const std::string& path, const std::string& finding);

// The one database connection. It opens when the first cursor needs it and never creates the file:
// a missing database is reported, not silently replaced by an empty one.
//
// Nothing can write a file before it has proved sound: the connection reads it read-only until its
// structure check has passed and no table failed to open on it, and only then reopens it read-write.
// A file that failed either is never written in this run, not even by a checkpoint at close (a
// write-ahead log beside it may belong to another database).
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The database file this connection opens.
    void setFile(std::string path) { file_ = std::move(path); }
    const std::string& file() const { return file_; }

    // Opens the file if not yet open; throws store::Error with a clear message when it cannot be used.
    void open();
    void close();
    sqlite3* handle() const { return db_.get(); }

    // "<what>: <the engine's last failure>", naming a locked or read-only file as such.
    std::string engineFailure(const std::string& what) const;
    // Every write calls this first: it throws when the write would land outside a transaction that a
    // failure has already rolled back (SQLite ends a transaction by itself on some failures, and later
    // statements would then commit one by one).
    void checkWritable() const;
    bool inTransaction() const { return transaction_ != nullptr; }
    // A table could not be opened on this file: it is not the database the program expects, and
    // nothing writes to it for the rest of the run.
    void refuseWrites();
    // SQLite's quick_check, once per run: empty when the file is sound, else what it found first.
    // A failure refuses writes. Call it only when no statement or transaction is open.
    std::string checkStructure();
    // Whether the check has run (and how it went); false while the file is still unchecked.
    bool structureChecked() const { return access_ != Access::Unchecked; }
    // Before any write: reopens the file read-write once it has proved sound (running the check now
    // if nobody has yet); throws store::Error when the file must not be written.
    void ensureWritable();
    // This run only reads the file, though it may prove sound (another program holds the bank, or the
    // user's copy could not be used): `why` is the reason every refused change gives, in the user's words.
    void keepReadOnly(std::string why) { readOnly_ = std::move(why); }
    // Empty unless the run keeps the file read-only.
    const std::string& readOnlyReason() const { return readOnly_; }

    // Who shows the failures that nothing above them catches: those of the views bound to this
    // connection's cursors, and of putting a cursor back after a rollback.
    void setFailureReporter(FailureReporter reporter) { reporter_ = std::move(reporter); }
    const FailureReporter& failureReporter() const { return reporter_; }

    // How long a write waits for another process's lock before it reports.
    static constexpr int kBusyTimeoutMs = 2000;

private:
    friend class Transaction;

    struct TransactionState* transaction_ = nullptr;  // the open transaction's, owned by its outermost guard
    enum class Access { Unchecked, Writable, Refused, ReadOnly };
    SqliteHandle openFile(const std::string& path, int flags) const;
    [[noreturn]] void failRefused() const;

    std::string file_;
    SqliteHandle db_;
    Access access_ = Access::Unchecked;
    std::string refusal_;  // what the check found, or empty when a table failed to open
    std::string readOnly_;
    FailureReporter reporter_;
};

}  // namespace store
