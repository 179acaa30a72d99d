#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QLockFile;

namespace store {

// Who holds a bank: what its lock file says, and the lock file's owner.
struct BankHolder {
    std::int64_t pid = 0;
    std::string host;
    std::string user;       // empty when the system cannot name the owner
    bool sameHost = false;  // the holder runs on this machine
    bool sameUser = false;  // under this user
};

// The lock beside a bank (Velmaris.mdb.lock): while one program holds it, no other opens that bank for
// writing. It is Qt's lock file, whose stale-lock detection frees the lock of a program that ended
// without releasing it: on this machine at once (its process is gone, or the machine restarted); from
// another machine (a shared folder) once its holder has not refreshed it for kStaleAfter, which a
// running holder does every kRefreshEvery.
class BankLock {
public:
    static constexpr std::chrono::minutes kStaleAfter{10};
    static constexpr std::chrono::minutes kRefreshEvery{1};

    enum class State {
        Free,         // not claimed (or released)
        Held,         // this object holds it
        HeldByOther,  // another program holds it: see holder()
        Impossible,   // no lock can be made beside the bank (a folder the user may not write)
    };

    BankLock();
    ~BankLock();
    BankLock(const BankLock&) = delete;
    BankLock& operator=(const BankLock&) = delete;

    // The lock file of a bank file.
    static std::string lockFileOf(const std::string& bankFile);

    // Takes the lock of `bankFile` without waiting, first removing a stale one; releases any lock this
    // object held before.
    State claim(const std::string& bankFile);
    void release();
    State state() const { return state_; }
    const std::string& bankFile() const { return bankFile_; }
    // Valid after claim() found the lock held by another program.
    const BankHolder& holder() const { return holder_; }
    // Keeps a held lock from looking stale to another machine.
    void refresh() const;

private:
    std::unique_ptr<QLockFile> lock_;
    std::string bankFile_;
    State state_ = State::Free;
    BankHolder holder_;
};

}  // namespace store
