#include "store/bank_location.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/bank_lock.h"
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
    std::string learningOnly;
    std::string text;  // the notes, or the error message
};

const char* stepName(store::CopyStep step)
{
    switch (step) {
        case store::CopyStep::WaitingForOtherStart:
            return "waiting";
        case store::CopyStep::CopyWritten:
            return "copy written";
        case store::CopyStep::OldCopyKept:
            return "old copy kept";
    }
    return "?";
}

// One start's choice of the bank, in a child process: root ignores permission bits, so the child gives
// up root and decides as a user who owns only the home folder. It reports each step of its copy work as
// it reaches it; at `holdAt` it waits until the test lets it go on (or kills it), so that a test puts two
// starts in a chosen order without timing them.
class Start {
public:
    explicit Start(const Layout& layout, std::optional<store::CopyStep> holdAt = std::nullopt)
    {
        int steps[2], go[2], report[2];
        if (pipe(steps) != 0 || pipe(go) != 0 || pipe(report) != 0)
            throw std::runtime_error("pipe failed");
        child_ = fork();
        if (child_ == 0) {
            ::close(steps[0]);
            ::close(go[1]);
            ::close(report[0]);
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                _exit(10);
            const store::CopyStepObserver onStep = [&](store::CopyStep step) {
                const std::string line = std::string(stepName(step)) + "\n";
                (void)!write(steps[1], line.data(), line.size());
                char c;
                if (holdAt == step)
                    (void)!read(go[0], &c, 1);
            };
            std::string text;
            try {
                std::string notes;
                const store::BankChoice choice = store::chooseBank(
                    layout.places(), [&](const std::string& line) { notes += line + "\n"; }, nullptr, onStep);
                const char* uses[] = {"beside", "copy", "installed", "missing"};
                text = std::string(uses[static_cast<int>(choice.use)]) + "\n" + choice.folder + "\n" +
                       choice.learningOnly + "\n" + notes;
            } catch (const store::Error& error) {
                text = std::string("error\n\n\n") + error.what();
            }
            (void)!write(report[1], text.data(), text.size());
            _exit(0);
        }
        ::close(steps[1]);
        ::close(go[0]);
        ::close(report[1]);
        steps_ = steps[0];
        go_ = go[1];
        report_ = report[0];
    }
    ~Start()
    {
        if (child_ > 0)
            kill();
        ::close(steps_);
        ::close(go_);
        ::close(report_);
    }

    // The next step the start reports, or "" once it has ended.
    std::string nextStep()
    {
        std::string line;
        char c;
        while (read(steps_, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    void goOn()
    {
        const char c = 1;
        (void)!write(go_, &c, 1);
    }
    void kill()
    {
        ::kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
        child_ = 0;
    }
    Outcome finish()
    {
        std::string text;
        char buffer[512];
        for (ssize_t got; (got = read(report_, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(got));
        int status = 0;
        waitpid(child_, &status, 0);
        child_ = 0;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
        std::vector<std::string> lines;
        for (std::size_t from = 0; lines.size() < 3;) {
            const auto end = text.find('\n', from);
            if (end == std::string::npos)
                return {"no report", "", "", text};
            lines.push_back(text.substr(from, end - from));
            from = end + 1;
            if (lines.size() == 3)
                return {lines[0], lines[1], lines[2], text.substr(from)};
        }
        return {};
    }

private:
    pid_t child_ = 0;
    int steps_ = -1, go_ = -1, report_ = -1;
};

Outcome chooseAsUser(const Layout& layout)
{
    return Start(layout).finish();
}

std::string inQuotes(const std::string& path)
{
    return "'" + path + "'";
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A bank that opens and reads, but whose structure SQLite's quick_check finds wrong: its header counts
// free pages it does not have.
void damageDeep(const std::string& path)
{
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(36);
    file.write("\0\0\0\5", 4);
}

// A bank that lost its last page.
void cutShort(const std::string& path)
{
    fs::resize_file(path, fs::file_size(path) - 4096);
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
        {"a newer installed bank replaces the copy; the old one is kept under its version, once",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed v3", 3);
             writeBank(l.user() + "/Velmaris.mdb", "edited v1", 1, 7);
             writeBank(l.user() + "/Velmaris-v1.mdb", "an earlier keeping", 1);
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(label(l.user()), "installed v3");
             EXPECT_EQ(rows(l.user() + "/Velmaris.mdb"), "0") << "scratch rows stay with the old copy";
             EXPECT_EQ(label(l.user(), "Velmaris-v1.mdb"), "edited v1") << "the latest copy of a version is kept";
             EXPECT_EQ(rows(l.user() + "/Velmaris-v1.mdb"), "7");
             EXPECT_EQ(o.text,
                       "Banca de întrebări a fost înnoită la versiunea 3. Copia dumneavoastră de până acum "
                       "(versiunea 1), cu corecturile și testul neterminat din ea, este păstrată ca '" +
                           l.user() + "/Velmaris-v1.mdb'.\n");
             EXPECT_EQ(namesIn(l.user()), (std::vector<std::string>{"Velmaris-v1.mdb", "Velmaris.mdb"}));
         }},
        {"a newer installed bank that is damaged leaves the copy in use and says to reinstall",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed v3", 3);
             damageDeep(l.installed() + "/Velmaris.mdb");
             writeBank(l.user() + "/Velmaris.mdb", "edited v1", 1, 7);
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(label(l.user()), "edited v1");
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"});
             EXPECT_NE(o.text.find("mai nouă (versiunea 3), dar ea nu poate fi folosită (Main freelist"),
                       std::string::npos)
                 << o.text;
             EXPECT_NE(o.text.find("Reinstalați Velmaris"), std::string::npos) << o.text;
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
             EXPECT_NE(o.text.find("se înlocuiește la următoarea pornire"), std::string::npos) << o.text;
         }},
        {"a read-only user folder: the installed bank is opened as it is, for learning only",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 1);
             fs::create_directories(l.user());
         },
         [&](Layout& l) { readOnly(l.user()); }, "installed", installed,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_TRUE(namesIn(l.user()).empty());
             EXPECT_EQ(o.learningOnly, "banca de întrebări instalată '" + l.installed() +
                                           "/Velmaris.mdb' este deschisă numai pentru învățare, pentru că copia "
                                           "dumneavoastră nu poate fi făcută în '" +
                                           l.user() + "/Velmaris.mdb' (în dosarul '" + l.user() +
                                           "' nu se poate scrie). Îndepărtați ce împiedică copia și porniți din "
                                           "nou Velmaris.");
             EXPECT_EQ(o.text, "Copia dumneavoastră a băncii de întrebări nu poate fi făcută în '" + l.user() +
                                   "/Velmaris.mdb': în dosarul '" + l.user() +
                                   "' nu se poate scrie. Se deschide banca instalată '" + l.installed() +
                                   "/Velmaris.mdb', numai pentru învățare. Ca să puteți da teste și face corecturi, "
                                   "îndepărtați ce împiedică copia și porniți din nou Velmaris.\n");
         }},
        {"a user folder that cannot be made: the installed bank is opened as it is",
         [](Layout& l) { writeBank(l.installed() + "/Velmaris.mdb", "installed", 1); },
         [&](Layout& l) { readOnly(l.base() + "/home"); }, "installed", installed,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_FALSE(fs::exists(l.user()));
             EXPECT_NE(o.text.find("dosarul '" + l.user() + "' nu poate fi făcut"), std::string::npos) << o.text;
         }},
        // Whatever stands where the copy or its folder should be, the same rule: the installed bank, for
        // learning only, and what is in the way named.
        {"a file where the user folder should be: the installed bank, and the file named",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 1);
             writeBytes(l.base() + "/home/.local/share/velmaris", "not a folder");
         },
         nullptr, "installed", installed,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_NE(o.text.find(inQuotes(l.user()) + " este un fișier, nu un dosar"), std::string::npos) << o.text;
             EXPECT_NE(o.learningOnly.find("numai pentru învățare"), std::string::npos);
         }},
        {"a folder where the copy should be: the installed bank, and the folder named",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 1);
             fs::create_directories(l.user() + "/Velmaris.mdb");
         },
         nullptr, "installed", installed,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_NE(o.text.find(inQuotes(l.user() + "/Velmaris.mdb") + " nu este un fișier"), std::string::npos)
                 << o.text;
             EXPECT_NE(o.learningOnly.find("numai pentru învățare"), std::string::npos);
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"}) << "nothing left beside it";
         }},
        {"a read-only user folder keeps its old copy in use and says why",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed v2", 2);
             writeBank(l.user() + "/Velmaris.mdb", "edited v1", 1);
         },
         [&](Layout& l) { readOnly(l.user()); }, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(label(l.user()), "edited v1");
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"});
             EXPECT_NE(o.text.find("nu poate lua locul copiei dumneavoastră"), std::string::npos) << o.text;
             EXPECT_NE(o.text.find("Se folosește mai departe copia dumneavoastră"), std::string::npos) << o.text;
         }},
        {"no bank anywhere: the executable's folder is named, so that opening reports it", nullptr, nullptr, "missing",
         exe, [&](const Layout& l, const Outcome&) { EXPECT_FALSE(fs::exists(l.user())); }},
        {"an installed bank that cannot be read is reported, with what to do, and leaves nothing",
         [](Layout& l) { writeBank(l.installed() + "/Velmaris.mdb", "installed", 1); },
         [](Layout& l) { ::chmod((l.installed() + "/Velmaris.mdb").c_str(), 0); }, "error",
         [](const Layout&) { return std::string(); },
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(o.text, "Banca de întrebări instalată '" + l.installed() +
                                   "/Velmaris.mdb' nu poate fi folosită (unable to open database file), așa că din "
                                   "ea nu se face copia dumneavoastră. Reinstalați Velmaris.");
             EXPECT_TRUE(namesIn(l.user()).empty()) << "nothing half-copied";
         }},
        // A damaged installed bank would be copied to every user, and a sound one installed later (of the
        // same version) would heal none of them.
        {"a damaged installed bank is never copied: the user is told to reinstall",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 1);
             damageDeep(l.installed() + "/Velmaris.mdb");
         },
         nullptr, "error", [](const Layout&) { return std::string(); },
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(o.text, "Banca de întrebări instalată '" + l.installed() +
                                   "/Velmaris.mdb' nu poate fi folosită (Main freelist: size is 0 but should be 5), "
                                   "așa că din ea nu se face copia dumneavoastră. Reinstalați Velmaris.");
             EXPECT_TRUE(namesIn(l.user()).empty());
         }},
        {"a copy that is not a database is put aside under one name and made again from the installed bank",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 1);
             writeBytes(l.user() + "/Velmaris.mdb", std::string(8192, 'x'));
             writeBytes(l.user() + "/Velmaris-deteriorat.mdb", "damaged the time before");
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(label(l.user()), "installed");
             EXPECT_EQ(readBytes(l.user() + "/Velmaris-deteriorat.mdb"), std::string(8192, 'x'));
             EXPECT_EQ(namesIn(l.user()), (std::vector<std::string>{"Velmaris-deteriorat.mdb", "Velmaris.mdb"}));
             EXPECT_EQ(o.text,
                       "Copia dumneavoastră a băncii de întrebări era deteriorată (file is not a database) "
                       "și a fost făcută din nou din banca instalată. Copia deteriorată este păstrată ca '" +
                           l.user() + "/Velmaris-deteriorat.mdb'.\n");
         }},
        {"a copy cut short is put aside and made again, whatever its version",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 1);
             writeBank(l.user() + "/Velmaris.mdb", "edited", 1, 300);
             cutShort(l.user() + "/Velmaris.mdb");
         },
         nullptr, "copy", user,
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(label(l.user()), "installed");
             EXPECT_EQ(namesIn(l.user()), (std::vector<std::string>{"Velmaris-deteriorat.mdb", "Velmaris.mdb"}));
             EXPECT_NE(o.text.find("era deteriorată ("), std::string::npos) << o.text;
         }},
        {"a damaged copy and a damaged installed bank: the user is told to reinstall, nothing is moved",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed", 1);
             damageDeep(l.installed() + "/Velmaris.mdb");
             writeBytes(l.user() + "/Velmaris.mdb", std::string(8192, 'x'));
         },
         nullptr, "error", [](const Layout&) { return std::string(); },
         [&](const Layout& l, const Outcome& o) {
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"});
             EXPECT_EQ(readBytes(l.user() + "/Velmaris.mdb"), std::string(8192, 'x'));
             EXPECT_NE(o.text.find("este deteriorată (file is not a database), iar banca instalată"), std::string::npos)
                 << o.text;
             EXPECT_NE(o.text.find("Reinstalați Velmaris"), std::string::npos) << o.text;
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

// Starts that meet while the user's copy is made or renewed, or that end in the middle of it (killed): each
// start is held at a chosen step, so that the order is the test's, not the machine's.
TEST(BankLocation, StartsThatMeetOrAreCutShort)
{
    const auto label = [](const std::string& folder, const char* file = "Velmaris.mdb") {
        return single(folder + "/" + file, "SELECT Intrebare FROM Intrebari");
    };
    const auto rows = [](const std::string& path) { return single(path, "SELECT count(*) FROM ManInt"); };
    using Names = std::vector<std::string>;
    struct Scenario {
        const char* name;
        std::function<void(Layout&)> arrange;
        std::function<void(const Layout&)> run;
    };
    const Scenario scenarios[] = {
        {"two first starts: one copies, the other waits for it and uses that copy",
         [](Layout& l) { writeBank(l.installed() + "/Velmaris.mdb", "installed", 1); },
         [&](const Layout& l) {
             Start first(l, store::CopyStep::CopyWritten);
             ASSERT_EQ(first.nextStep(), "copy written");
             Start second(l);
             EXPECT_EQ(second.nextStep(), "waiting") << "the second start must not copy beside the first";
             first.goOn();
             const Outcome made = first.finish();
             const Outcome used = second.finish();
             EXPECT_EQ(second.nextStep(), "") << "the second start made no copy of its own";
             EXPECT_EQ(made.use, "copy");
             EXPECT_EQ(used.use, "copy");
             EXPECT_EQ(used.folder, l.user());
             EXPECT_EQ(used.text, "");
             EXPECT_EQ(label(l.user()), "installed");
             EXPECT_EQ(namesIn(l.user()), Names{"Velmaris.mdb"});
         }},
        {"a copy cut short by a kill leaves its temporary file, which the next start removes",
         [](Layout& l) { writeBank(l.installed() + "/Velmaris.mdb", "installed", 1); },
         [&](const Layout& l) {
             Start cut(l, store::CopyStep::CopyWritten);
             ASSERT_EQ(cut.nextStep(), "copy written");
             cut.kill();
             const Names left = namesIn(l.user());
             ASSERT_TRUE(std::any_of(left.begin(), left.end(), [](const std::string& n) {
                 return n.rfind(".Velmaris.mdb.", 0) == 0;
             })) << "the kill leaves the temporary file";
             const Outcome next = chooseAsUser(l);
             EXPECT_EQ(next.use, "copy");
             EXPECT_EQ(label(l.user()), "installed");
             EXPECT_EQ(namesIn(l.user()), Names{"Velmaris.mdb"}) << "no temporary file, no stale lock";
         }},
        {"renewals cut short twice leave one old copy of the version",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed v2", 2);
             writeBank(l.user() + "/Velmaris.mdb", "edited v1", 1, 3);
         },
         [&](const Layout& l) {
             for (int round = 0; round < 2; ++round) {
                 Start cut(l, store::CopyStep::OldCopyKept);
                 ASSERT_EQ(cut.nextStep(), "old copy kept");
                 cut.kill();
             }
             const Outcome next = chooseAsUser(l);
             EXPECT_EQ(next.use, "copy");
             EXPECT_EQ(label(l.user()), "installed v2");
             EXPECT_EQ(label(l.user(), "Velmaris-v1.mdb"), "edited v1");
             EXPECT_EQ(rows(l.user() + "/Velmaris-v1.mdb"), "3");
             EXPECT_EQ(namesIn(l.user()), (Names{"Velmaris-v1.mdb", "Velmaris.mdb"}));
         }},
        // Replacing a copy that a running program has open would leave it writing to a file nobody opens
        // again: its edits would be lost.
        {"a copy another program holds is not renewed under it; the next start after it renews it",
         [](Layout& l) {
             writeBank(l.installed() + "/Velmaris.mdb", "installed v2", 2);
             writeBank(l.user() + "/Velmaris.mdb", "edited v1", 1);
         },
         [&](const Layout& l) {
             store::BankLock running;
             ASSERT_EQ(running.claim(l.user() + "/Velmaris.mdb"), store::BankLock::State::Held);
             const Outcome meanwhile = chooseAsUser(l);
             EXPECT_EQ(meanwhile.use, "copy");
             EXPECT_EQ(meanwhile.text, "");
             EXPECT_EQ(label(l.user()), "edited v1");
             running.release();
             EXPECT_EQ(chooseAsUser(l).use, "copy");
             EXPECT_EQ(label(l.user()), "installed v2");
             EXPECT_EQ(namesIn(l.user()), (Names{"Velmaris-v1.mdb", "Velmaris.mdb"}));
         }},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        Layout layout;
        scenario.arrange(layout);
        layout.prepare();
        scenario.run(layout);
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

// A user's copy with a cadet's recorded results: raised to the tables that hold them, as the program's first
// record does, with a student, two tests and their answers.
void recordResults(const std::string& path)
{
    const store::SqliteHandle db(path, SQLITE_OPEN_READWRITE);
    ASSERT_TRUE(db.ok());
    ASSERT_TRUE(store::raiseSchema(db.get())) << db.errorMessage();
    ASSERT_TRUE(
        store::execute(db.get(),
                       "INSERT INTO Studenti(Nume, Prenume, Grupa) VALUES('Țăranu', 'Ștefan', 'M-21');"
                       "INSERT INTO Rezultate(Id_Student, Data, Nota, Procent, Corecte, Gresite, Exersare) VALUES"
                       "  (1, '2026-12-01T10:00:00', 9, 90, 27, 3, 0), (1, '2026-12-02T10:00:00', 4, 50, 1, 1, 1);"
                       "INSERT INTO Raspunsuri(Id_Rezultat, Nr_Intreb, Regula, Rb, Rd) VALUES"
                       "  (1, 12, 'Regula 5', 'A', 'B'), (2, 12, 'Regula 5', 'A', 'A'), (2, 40, 'Anexa I', 'C', '?');"))
        << db.errorMessage();
}

// Every recorded row of a bank as text; "(none)" for a table it does not have.
std::string recorded(const std::string& path)
{
    return single(path,
                  "SELECT (SELECT group_concat(Id || ifnull(Nume, '-') || ifnull(Prenume, '-') || ifnull(Grupa, '-'), "
                  "'|') FROM Studenti) || '/' || "
                  "(SELECT group_concat(Id || Id_Student || Data || Nota || Procent || ifnull(Corecte, '-') || "
                  "ifnull(Gresite, '-') || ifnull(Exersare, '-'), '|') FROM Rezultate) || '/' || "
                  "ifnull((SELECT group_concat(Id || Id_Rezultat || Nr_Intreb || Regula || Rb || Rd, '|') "
                  "FROM Raspunsuri), '-')");
}

// A newer installed bank takes the place of the user's copy: the cadet's history comes with it, or the
// old copy stays in use. It never stays behind in the kept copy alone.
TEST(BankLocation, ARenewalCarriesTheRecordedResultsIntoTheNewBank)
{
    using Names = std::vector<std::string>;
    const auto label = [](const std::string& path) { return single(path, "SELECT Intrebare FROM Intrebari"); };
    const auto version = [](const std::string& path) { return single(path, "PRAGMA user_version"); };
    const std::string carriedNote = "Rezultatele testelor dumneavoastră au trecut în banca nouă.";
    struct Scenario {
        const char* name;
        std::function<void(Layout&)> arrange;
        std::function<Outcome(const Layout&)> start;
        std::function<void(const Layout&, const Outcome&, const std::string& before)> check;
    };
    const auto plainStart = [](const Layout& l) { return chooseAsUser(l); };
    const Scenario scenarios[] = {
        {"a copy that recorded tests: they come over, and the new copy keeps the new bank's stamp",
         [](Layout& l) { recordResults(l.user() + "/Velmaris.mdb"); }, plainStart,
         [&](const Layout& l, const Outcome& o, const std::string& before) {
             EXPECT_EQ(o.use, "copy");
             EXPECT_EQ(label(l.user() + "/Velmaris.mdb"), "installed v2");
             EXPECT_EQ(recorded(l.user() + "/Velmaris.mdb"), before);
             EXPECT_EQ(version(l.user() + "/Velmaris.mdb"),
                       std::to_string(store::userVersionFor(2, store::kCurrentSchemaLevel)));
             EXPECT_EQ(store::bankVersion(l.user() + "/Velmaris.mdb"), 2);
             EXPECT_NE(o.text.find(carriedNote), std::string::npos) << o.text;
             EXPECT_EQ(recorded(l.user() + "/Velmaris-v1.mdb"), before) << "the kept copy keeps them too";
             EXPECT_EQ(single(l.user() + "/Velmaris.mdb", "PRAGMA integrity_check"), "ok");
         }},
        {"a copy of the previous layout with rows of its own in Studenti and Rezultate",
         [](Layout& l) {
             exec(l.user() + "/Velmaris.mdb",
                  "INSERT INTO Studenti(Nume) VALUES('Pop');"
                  "INSERT INTO Rezultate(Id_Student, Data, Nota, Procent) VALUES"
                  "(1, '2026-01-05T08:00:00', 7, 70);");
         },
         plainStart,
         [&](const Layout& l, const Outcome& o, const std::string&) {
             EXPECT_EQ(recorded(l.user() + "/Velmaris.mdb"), "1Pop--/112026-01-05T08:00:00770.0---/-");
             EXPECT_NE(o.text.find(carriedNote), std::string::npos) << o.text;
         }},
        {"a copy that recorded nothing: the new bank as installed", [](Layout&) {}, plainStart,
         [&](const Layout& l, const Outcome& o, const std::string&) {
             EXPECT_EQ(label(l.user() + "/Velmaris.mdb"), "installed v2");
             EXPECT_EQ(version(l.user() + "/Velmaris.mdb"), "2");
             EXPECT_EQ(o.text.find(carriedNote), std::string::npos) << o.text;
         }},
        {"a renewal killed when the new bank is written, before the results came over, is made again",
         [](Layout& l) { recordResults(l.user() + "/Velmaris.mdb"); },
         [&](const Layout& l) {
             {
                 Start cut(l, store::CopyStep::CopyWritten);
                 EXPECT_EQ(cut.nextStep(), "old copy kept");
                 EXPECT_EQ(cut.nextStep(), "copy written");
                 cut.kill();
             }
             EXPECT_EQ(label(l.user() + "/Velmaris.mdb"), "edited v1") << "the old copy is still in place";
             return chooseAsUser(l);
         },
         [&](const Layout& l, const Outcome& o, const std::string& before) {
             EXPECT_EQ(o.use, "copy");
             EXPECT_EQ(label(l.user() + "/Velmaris.mdb"), "installed v2");
             EXPECT_EQ(recorded(l.user() + "/Velmaris.mdb"), before);
             EXPECT_EQ(namesIn(l.user()), (Names{"Velmaris-v1.mdb", "Velmaris.mdb"}));
         }},
        {"a new bank that cannot take them (it holds a student of its own): the old copy stays in use",
         [](Layout& l) {
             recordResults(l.user() + "/Velmaris.mdb");
             exec(l.installed() + "/Velmaris.mdb", "INSERT INTO Studenti(Id, Nume) VALUES(1, 'Instalat');");
         },
         plainStart,
         [&](const Layout& l, const Outcome& o, const std::string& before) {
             EXPECT_EQ(o.use, "copy");
             EXPECT_EQ(label(l.user() + "/Velmaris.mdb"), "edited v1");
             EXPECT_EQ(recorded(l.user() + "/Velmaris.mdb"), before);
             EXPECT_NE(o.text.find("nu au putut fi trecute în banca nouă"), std::string::npos) << o.text;
             EXPECT_EQ(namesIn(l.user()), Names{"Velmaris.mdb"}) << "no kept copy, no temporary file";
         }},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        Layout layout;
        writeBank(layout.installed() + "/Velmaris.mdb", "installed v2", 2);
        writeBank(layout.user() + "/Velmaris.mdb", "edited v1", 1, 3);
        scenario.arrange(layout);
        const std::string before = recorded(layout.user() + "/Velmaris.mdb");
        layout.prepare();
        const Outcome outcome = scenario.start(layout);
        scenario.check(layout, outcome, before);
    }
}
