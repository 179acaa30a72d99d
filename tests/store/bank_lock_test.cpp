// The lock beside a bank: one holder at a time, who it is, and a lock whose program is gone never
// blocks the next start. Processes are forked and killed, so this runs where fork exists.
#include "store/bank_lock.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

std::string userName(uid_t uid)
{
    const passwd* entry = getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

// Sets a file's modification time `age` before now.
void age(const std::string& path, std::chrono::seconds by)
{
    const auto time = fs::file_time_type::clock::now() - by;
    fs::last_write_time(path, time);
}

TEST(BankLock, OneProgramHoldsTheBankAndTheOthersAreToldWho)
{
    QTemporaryDir folder;
    const std::string bank = folder.path().toStdString() + "/Velmaris.mdb";
    store::BankLock first;
    ASSERT_EQ(first.claim(bank), store::BankLock::State::Held);
    EXPECT_TRUE(fs::exists(bank + ".lock"));

    store::BankLock second;
    ASSERT_EQ(second.claim(bank), store::BankLock::State::HeldByOther);
    EXPECT_EQ(second.holder().pid, getpid());
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(second.holder().host, host);
    EXPECT_EQ(second.holder().user, userName(geteuid()));
    EXPECT_TRUE(second.holder().sameHost);
    EXPECT_TRUE(second.holder().sameUser);

    first.release();
    EXPECT_FALSE(fs::exists(bank + ".lock")) << "a released lock leaves no file";
    EXPECT_EQ(second.claim(bank), store::BankLock::State::Held);
}

TEST(BankLock, TheLockOfAProgramThatIsGoneNeverBlocks)
{
    using State = store::BankLock::State;
    // What another machine's program leaves: Qt's lock file names the process and the machine.
    const auto foreignLock = [](const std::string& lock) {
        std::ofstream(lock) << "4242\nVelmaris\nalt-calculator\n";
        if (geteuid() == 0)
            ::chown(lock.c_str(), kNobody, kNobody);
    };
    const auto stale =
        std::chrono::duration_cast<std::chrono::seconds>(store::BankLock::kStaleAfter) + std::chrono::minutes(1);
    struct Case {
        const char* name;
        std::function<void(const std::string& bank)> arrange;
        State expected;
        std::function<void(const store::BankLock&)> check;
    };
    const Case cases[] = {
        {"a program killed while it held the bank",
         [](const std::string& bank) {
             int ready[2];
             ASSERT_EQ(pipe(ready), 0);
             const pid_t child = fork();
             if (child == 0) {
                 store::BankLock lock;
                 const char c = lock.claim(bank) == State::Held ? 1 : 0;
                 (void)!write(ready[1], &c, 1);
                 pause();
                 _exit(0);
             }
             char held = 0;
             ASSERT_EQ(read(ready[0], &held, 1), 1);
             ASSERT_EQ(held, 1);
             ::kill(child, SIGKILL);
             waitpid(child, nullptr, 0);
             ASSERT_TRUE(fs::exists(bank + ".lock")) << "a killed program leaves its lock file";
         },
         State::Held, nullptr},
        {"another machine's program that refreshes its lock holds the bank",
         [&](const std::string& bank) { foreignLock(bank + ".lock"); }, State::HeldByOther,
         [](const store::BankLock& lock) {
             EXPECT_EQ(lock.holder().host, "alt-calculator");
             EXPECT_FALSE(lock.holder().sameHost);
             if (geteuid() == 0) {
                 EXPECT_EQ(lock.holder().user, "nobody");
                 EXPECT_FALSE(lock.holder().sameUser);
             }
         }},
        {"another machine's lock left unrefreshed for longer than a running program allows",
         [&](const std::string& bank) {
             foreignLock(bank + ".lock");
             age(bank + ".lock", stale);
         },
         State::Held, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const std::string bank = folder.path().toStdString() + "/Velmaris.mdb";
        c.arrange(bank);
        store::BankLock lock;
        EXPECT_EQ(lock.claim(bank), c.expected);
        if (c.check)
            c.check(lock);
    }
}

TEST(BankLock, AHolderKeepsItsLockFresh)
{
    QTemporaryDir folder;
    const std::string bank = folder.path().toStdString() + "/Velmaris.mdb";
    store::BankLock lock;
    ASSERT_EQ(lock.claim(bank), store::BankLock::State::Held);
    age(bank + ".lock", std::chrono::hours(1));
    const auto old = fs::last_write_time(bank + ".lock");
    lock.refresh();
    EXPECT_GT(fs::last_write_time(bank + ".lock"), old);
}

TEST(BankLock, NoLockBesideABankInAFolderTheUserMayNotWrite)
{
    QTemporaryDir folder;
    ::chmod(folder.path().toLocal8Bit().constData(), 0755);
    const std::string bank = folder.path().toStdString() + "/Velmaris.mdb";
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(10);
        if (geteuid() != 0)
            ::chmod(folder.path().toLocal8Bit().constData(), 0555);
        store::BankLock lock;
        _exit(lock.claim(bank) == store::BankLock::State::Impossible ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ::chmod(folder.path().toLocal8Bit().constData(), 0755);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(bank + ".lock"));
}

}  // namespace
