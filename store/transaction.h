#pragma once

#include <initializer_list>
#include <memory>

namespace store {

class Connection;
class TableCursor;
struct TransactionState;

// Makes the writes of several Posts and Deletes one transaction: all stored, or none.
//
//     store::Transaction transaction(connection, {&tblTest});
//     ... tblTest.Delete(); tblTest.Append(); ...; tblTest.Post(); ...
//     transaction.commit();
//
// While a transaction is open, a Post or Delete on the connection's cursors is not committed on its own;
// commit() stores everything at once. A transaction that ends without commit() (an exception left the
// block) is rolled back: the file holds what it held before, and each cursor named at the start is
// returned to its records, position and state of that moment and tells its views. A cursor that writes
// inside the transaction without being named would be left holding records the file no longer has.
//
// Transactions nest: an inner one joins the open one and its commit() only marks its part done. An inner
// one that ends without commit() rolls back the whole transaction at once, and the outer commit() then
// throws, so that a failed part can never be committed by its caller.
//
// Failures throw store::Error: beginning (the file locked or read-only), committing, or committing a
// transaction a failure has already rolled back.
class Transaction {
public:
    Transaction(Connection& connection, std::initializer_list<TableCursor*> cursors = {});
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Connection& connection_;
    std::unique_ptr<TransactionState> state_;  // held by the outermost guard only
    bool done_ = false;
};

}  // namespace store
