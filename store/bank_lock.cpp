#include "store/bank_lock.h"

#include <QLockFile>

#include "store/bank_files.h"

namespace store {

BankLock::BankLock() = default;

BankLock::~BankLock()
{
    release();
}

std::string BankLock::lockFileOf(const std::string& bankFile)
{
    return bankFile + ".lock";
}

BankLock::State BankLock::claim(const std::string& bankFile)
{
    release();
    bankFile_ = bankFile;
    lock_ = std::make_unique<QLockFile>(QString::fromStdString(lockFileOf(bankFile)));
    lock_->setStaleLockTime(std::chrono::duration_cast<std::chrono::milliseconds>(kStaleAfter));
    qint64 pid = 0;
    QString host;
    // A lock released between the attempt and the reading of who holds it is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Removing a stale lock and taking it are one step, made by Qt under a lock of its own.
        if (lock_->tryLock(std::chrono::milliseconds::zero()))
            return state_ = State::Held;
        if (lock_->error() != QLockFile::LockFailedError) {
            lock_.reset();
            return state_ = State::Impossible;
        }
        if (lock_->getLockInfo(&pid, &host, nullptr))
            break;
    }
    const bank_files::Owner owner = bank_files::ownerOf(lockFileOf(bankFile));
    holder_ = {pid, host.toStdString(), owner.name, host.isEmpty() || host.toStdString() == bank_files::machineName(),
               owner.mine};
    lock_.reset();
    return state_ = State::HeldByOther;
}

void BankLock::release()
{
    if (lock_)
        lock_->unlock();
    lock_.reset();
    state_ = State::Free;
    holder_ = {};
}

void BankLock::refresh() const
{
    if (state_ == State::Held)
        bank_files::touch(lockFileOf(bankFile_));
}

}  // namespace store
