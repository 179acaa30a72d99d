#include "store/bank_location.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "store/error.h"
#include "store/schema.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

void exec(const std::string& path, const std::string& sql)
{
    const store::SqliteHandle db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ASSERT_TRUE(db.ok()) << db.errorMessage();
    ASSERT_TRUE(store::execute(db.get(), "PRAGMA synchronous = OFF;" + sql)) << db.errorMessage();
}

std::string single(const std::string& path, const std::string& sql)
{
    const store::SqliteHandle db(path, SQLITE_OPEN_READONLY);
    store::Statement s(db.get(), sql);
    return s.step() == store::Statement::Step::Row ? s.text(0) : "(none)";
}

// A bank whose one question names where it came from, with its version stamp and some scratch rows.
void writeBank(const std::string& path, const std::string& label, int version, int scratchRows = 0)
{
    fs::create_directories(fs::path(path).parent_path());
    exec(path, std::string(store::schemaSql()) + "INSERT INTO Intrebari(Nr_Intreb, Intrebare, Rb) VALUES(0, '" + label +
                   "', 'A'); PRAGMA user_version = " + std::to_string(version) + ";");
    for (int i = 0; i < scratchRows; ++i)
        exec(path, "INSERT INTO ManInt(Nr_Intreb, Rd) VALUES(" + std::to_string(i) + ", '?')");
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The executable's folder, the install's data folder and the user's data folder of one installed layout.
struct Layout {
    QTemporaryDir root;
    std::string base() const { return root.path().toStdString(); }
    std::string exe() const { return base() + "/libexec/velmaris"; }
    std::string installed() const { return base() + "/share/velmaris"; }
    std::string user() const { return base() + "/home/.local/share/velmaris"; }
    store::BankPlaces places() const { return {exe(), installed(), user()}; }

    // Who runs the program owns the home folder; the install belongs to root and is read-only.
    void prepare()
    {
        fs::create_directories(exe());
        fs::create_directories(installed());
        fs::create_directories(base() + "/home");
        for (const auto& entry : fs::recursive_directory_iterator(base()))
            ::chmod(entry.path().c_str(), entry.is_directory() ? 0755 : 0644);
        ::chmod(base().c_str(), 0755);
        if (geteuid() == 0)
            for (const auto& entry : fs::recursive_directory_iterator(base() + "/home"))
                ::chown(entry.path().c_str(), kNobody, kNobody);
        if (geteuid() == 0)
            ::chown((base() + "/home").c_str(), kNobody, kNobody);
    }
};

struct Outcome {
    std::string use;  // "beside", "copy", "installed", "missing" or "error"
    std::string folder;
    std::string text;  // the notes, or the error message
};

// Root ignores permission bits, so the decision is made in a child that has given up root, as a user
// who owns only the home folder.
Outcome chooseAsUser(const Layout& layout)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {"pipe failed", "", ""};
    const pid_t child = fork();
    if (child == 0) {
        ::close(channel[0]);
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(10);
        std::string report;
        try {
            std::string notes;
            const store::BankChoice choice =
                store::chooseBank(layout.places(), [&](const std::string& line) { notes += line + "\n"; });
            const char* uses[] = {"beside", "copy", "installed", "missing"};
            report = std::string(uses[static_cast<int>(choice.use)]) + "\n" + choice.folder + "\n" + notes;
        } catch (const store::Error& error) {
            report = std::string("error\n\n") + error.what();
        }
        (void)!write(channel[1], report.data(), report.size());
        _exit(0);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    const auto first = report.find('\n');
    const auto second = report.find('\n', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return {"no report", "", report};
    return {report.substr(0, first), report.substr(first + 1, second - first - 1), report.substr(second + 1)};
}

struct Case {
    const char* name;
    std::function<void(Layout&)> arrange;   // before the permissions are set
    std::function<void(Layout&)> restrict;  // after them
    const char* use;
    std::function<std::string(const Layout&)> folder;
    std::function<void(const Layout&, const Outcome&)> check;
};

TEST(BankLocation, EveryPlaceTheBankCanBeIn)
{
    const auto exe = [](const Layout& l) { return l.exe(); };
    const auto installed = [](const Layout& l) { return l.installed(); };
    const auto user = [](const Layout& l) { return l.user(); };
    const auto label = [](const std::string& folder, const char* file = "Velmaris.mdb") {
        return single(folder + "/" + file, "SELECT Intrebare FROM Intrebari");
    };
    const auto rows = [](const std::string& path) { return single(path, "SELECT count(*) FROM ManInt"); };
    const auto readOnly = [](const std::string& folder) { ::chmod(folder.c_str(), 0555); };

    const Case cases[] = {
        {"a bank beside the executable that the user may write is used as it is",
         [](Layout& l) { writeBank(l.exe() + "/Velmaris.mdb", "beside", 1); },
         [](Layout& l) {
             if (geteuid() == 0) {
                 ::chown(l.exe().c_str(), kNobody, kNobody);
                 ::chown((l.exe() + "/Velmaris.mdb").c_str(), kNobody, kNobody);
             }
         },
         "beside", exe,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(o.text, "");
             EXPECT_FALSE(fs::exists(l.user())) << "no copy is made";
         }},
        {"a read-only executable folder: its bank is copied for the user",
         [](Layout& l) { writeBank(l.exe() + "/Velmaris.mdb", "beside", 1); },
         [](Layout& l) {
             // The file alone would let the user write; SQLite's journal needs the folder too.
             if (geteuid() == 0)
                 ::chown((l.exe() + "/Velmaris.mdb").c_str(), kNobody, kNobody);
             ::chmod(l.exe().c_str(), 0555);
         },
         "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(o.text, "");
             EXPECT_EQ(label(l.user()), "beside");
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"}) << "no temporary left";
         }},
        {"the installed bank is copied on first start, the folders made on the way",
         [](Layout& l) { writeBank(l.installed() + "/Velmaris.mdb", "installed", 1); }, nullptr, "copy", user,
         [&](const Layout& l, const Outcome&) {
             EXPECT_EQ(label(l.user()), "installed");
             EXPECT_EQ(label(l.installed()), "installed");
         }},
        {"a copy already there is kept, with what the user left in it",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 2);
             writeBank(l.user() + "/Velmaris.mdb", "edited by the user", 2, 5);
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(o.text, "");
             EXPECT_EQ(label(l.user()), "edited by the user");
             EXPECT_EQ(rows(l.user() + "/Velmaris.mdb"), "5");
         }},
        {"an empty copy, which only a crash while it was made leaves, is made again",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 2);
             fs::create_directories(l.user());
             std::FILE* empty = std::fopen((l.user() + "/Velmaris.mdb").c_str(), "w");
             std::fclose(empty);
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(o.text, "");
             EXPECT_EQ(label(l.user()), "installed");
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"});
         }},
        {"a copy newer than the installed bank is kept",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 2);
             writeBank(l.user() + "/Velmaris.mdb", "newer", 3);
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(o.text, "");
             EXPECT_EQ(label(l.user()), "newer");
         }},
        {"a newer installed bank replaces the copy; the old one is kept under its version",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed v3", 3);
             writeBank(l.user() + "/Velmaris.mdb", "edited v1", 1, 7);
             writeBank(l.user() + "/Velmaris-v1.mdb", "an earlier keeping", 1);
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(label(l.user()), "installed v3");
             EXPECT_EQ(rows(l.user() + "/Velmaris.mdb"), "0") << "scratch rows stay with the old copy";
             EXPECT_EQ(label(l.user(), "Velmaris-v1-2.mdb"), "edited v1");
             EXPECT_EQ(rows(l.user() + "/Velmaris-v1-2.mdb"), "7");
             EXPECT_EQ(label(l.user(), "Velmaris-v1.mdb"), "an earlier keeping") << "never overwritten";
             EXPECT_EQ(o.text,
                       "velmaris: question bank updated to version 3; your previous copy (version 1) is "
                       "kept as '" +
                           l.user() + "/Velmaris-v1-2.mdb'\n");
             EXPECT_EQ(namesIn(l.user()),
                       (std::vector<std::string>{"Velmaris-v1-2.mdb", "Velmaris-v1.mdb", "Velmaris.mdb"}));
         }},
        {"a copy with a crash's journal is replaced only after SQLite has rolled it back",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed v2", 2);
             writeBank(l.user() + "/Velmaris.mdb", "edited v1", 1);
             std::FILE* journal = std::fopen((l.user() + "/Velmaris.mdb-journal").c_str(), "w");
             std::fclose(journal);
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(label(l.user()), "edited v1");
             EXPECT_NE(o.text.find("replaced at the next start"), std::string::npos) << o.text;
         }},
        {"a read-only user folder: the installed bank is opened as it is",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 1);
             fs::create_directories(l.user());
         },
         [&](Layout& l) { readOnly(l.user()); }, "installed", installed,
         [&](const Layout& l, const Outcome&) { EXPECT_TRUE(namesIn(l.user()).empty()); }},
        {"a user folder that cannot be made: the installed bank is opened as it is",
         [](Layout& l) { writeBank(l.installed() + "/Velmaris.mdb", "installed", 1); },
         [&](Layout& l) { readOnly(l.base() + "/home"); }, "installed", installed,
         [&](const Layout& l, const Outcome&) { EXPECT_FALSE(fs::exists(l.user())); }},
        {"a read-only user folder keeps its old copy in use and says why",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed v2", 2);
             writeBank(l.user() + "/Velmaris.mdb", "edited v1", 1);
         },
         [&](Layout& l) { readOnly(l.user()); }, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(label(l.user()), "edited v1");
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"});
             EXPECT_NE(o.text.find("cannot be replaced: it stays in use"), std::string::npos) << o.text;
         }},
        {"no bank anywhere: the executable's folder is named, so that opening reports it", nullptr, nullptr, "missing",
         exe, [&](const Layout& l, const Outcome&) { EXPECT_FALSE(fs::exists(l.user())); }},
        {"a copy that cannot be made is reported with the paths tried and leaves nothing",
         [](Layout& l) { writeBank(l.installed() + "/Velmaris.mdb", "installed", 1); },
         [](Layout& l) { ::chmod((l.installed() + "/Velmaris.mdb").c_str(), 0); }, "error",
         [](const Layout&) { return std::string(); },
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(o.text, "Could not make your copy of the database '" + l.user() +
                                   "/Velmaris.mdb' (cannot read '" + l.installed() +
                                   "/Velmaris.mdb': Permission denied); tried '" + l.exe() + "/Velmaris.mdb', '" +
                                   l.installed() + "/Velmaris.mdb' and '" + l.user() + "/Velmaris.mdb'");
             EXPECT_TRUE(namesIn(l.user()).empty()) << "nothing half-copied";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout;
        if (c.arrange)
            c.arrange(layout);
        layout.prepare();
        if (c.restrict)
            c.restrict(layout);
        const Outcome outcome = chooseAsUser(layout);
        EXPECT_EQ(outcome.use, c.use) << outcome.text;
        EXPECT_EQ(outcome.folder, c.folder(layout));
        c.check(layout, outcome);
        for (const auto& entry : fs::recursive_directory_iterator(layout.base()))
            ::chmod(entry.path().c_str(), 0755);
    }
}

TEST(BankLocation, TheUserCopyIsWritableAndTheInstalledBankUnchanged)
{
    Layout layout;
    writeBank(layout.installed() + "/Velmaris.mdb", "installed", 4);
    layout.prepare();
    ::chmod((layout.installed() + "/Velmaris.mdb").c_str(), 0444);
    const std::string before = single(layout.installed() + "/Velmaris.mdb", "SELECT count(*) FROM ManInt");
    ASSERT_EQ(chooseAsUser(layout).use, "copy");
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setuid(kNobody) != 0)
            _exit(10);
        store::SqliteHandle db(layout.user() + "/Velmaris.mdb", SQLITE_OPEN_READWRITE);
        if (!db.ok())
            _exit(11);
        const bool written = store::execute(db.get(), "INSERT INTO ManInt(Nr_Intreb, Rd) VALUES(1, '?')");
        db.close();
        _exit(written ? 0 : 12);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(store::bankVersion(layout.user() + "/Velmaris.mdb"), 4);
    EXPECT_EQ(single(layout.installed() + "/Velmaris.mdb", "SELECT count(*) FROM ManInt"), before);
    EXPECT_EQ(store::bankVersion(layout.base() + "/nothing.mdb"), -1);
}

}  // namespace
