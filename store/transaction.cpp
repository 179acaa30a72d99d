#include "store/transaction.h"

#include <sqlite3.h>

#include <utility>
#include <vector>

#include "store/connection.h"
#include "store/error.h"
#include "store/sqlite_handle.h"
#include "store/table_cursor.h"

namespace store {

// The open transaction of a connection, shared by its nested guards.
struct TransactionState {
    SqliteTransaction file;
    bool rolledBack = false;
    std::vector<std::pair<TableCursor*, TableCursor::Saved>> cursors;
};

namespace {

void remember(TransactionState& state, std::initializer_list<TableCursor*> cursors)
{
    for (TableCursor* cursor : cursors) {
        bool known = false;
        for (const auto& entry : state.cursors)
            known = known || entry.first == cursor;
        if (!known)
            state.cursors.emplace_back(cursor, cursor->save());
    }
}

// Undoes the file's part and returns the cursors; never throws, as it runs in destructors.
void rollBack(Connection& connection, TransactionState& state)
{
    if (state.rolledBack)
        return;
    state.rolledBack = true;
    // A connection closed under the transaction ended it with the handle.
    if (connection.handle())
        state.file.rollback();
    else
        state.file.abandon();
    for (auto& entry : state.cursors)
        reportingFailures(&connection.failureReporter(), [&entry] { entry.first->restore(std::move(entry.second)); });
}

}  // namespace

void Connection::checkWritable() const
{
    if (!transaction_)
        return;
    if (transaction_->rolledBack || (db_.get() && sqlite3_get_autocommit(db_.get())))
        throw Error("Modificările au fost anulate după o eroare și nu s-a salvat nimic din ele. Încercați din nou.");
}

Transaction::Transaction(Connection& connection, std::initializer_list<TableCursor*> cursors) : connection_(connection)
{
    if (connection.transaction_) {
        connection.checkWritable();
        remember(*connection.transaction_, cursors);
        return;
    }
    connection.open();
    // A file that has not proved sound is never written, not even inside a transaction.
    connection.ensureWritable();
    state_ = std::make_unique<TransactionState>();
    remember(*state_, cursors);
    // IMMEDIATE takes the write lock now (waiting as any write does), so that a locked file fails here,
    // before anything is changed.
    if (!state_->file.begin(connection.handle(), SqliteTransaction::Lock::Immediate))
        throw Error(connection.engineFailure("Modificările nu au putut începe"));
    connection.transaction_ = state_.get();
}

Transaction::~Transaction()
{
    TransactionState* state = connection_.transaction_;
    if (!state)
        return;
    if (!done_)
        rollBack(connection_, *state);
    if (state_)
        connection_.transaction_ = nullptr;
}

void Transaction::commit()
{
    if (done_)
        return;
    TransactionState& state = *connection_.transaction_;
    connection_.checkWritable();
    if (!state_) {
        done_ = true;
        return;
    }
    if (!state.file.commit()) {
        const std::string failure = connection_.engineFailure("Modificările nu au putut fi salvate");
        rollBack(connection_, state);
        done_ = true;
        throw Error(failure);
    }
    done_ = true;
}

}  // namespace store
