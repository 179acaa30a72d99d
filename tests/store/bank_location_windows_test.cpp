// Where the bank lives on Windows: the portable folder keeps it beside the program, an installed program
// (its bank marked read-only by the installer) gives the user a writable copy in the roaming data
// folder. Paths carry diacritics, as a user name may.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sqlite3.h>

#include "store/bank_location.h"
#include "store/bank_lock.h"
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "store/schema.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"

namespace fs = std::filesystem;

namespace {

fs::path pathOf(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::wstring wide(const std::string& utf8)
{
    return pathOf(utf8).wstring();
}

bool exec(const std::string& path, const std::string& sql)
{
    const store::SqliteHandle db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    return db.ok() && store::execute(db.get(), sql);
}

std::string single(const std::string& path, const std::string& sql)
{
    const store::SqliteHandle db(path, SQLITE_OPEN_READONLY);
    std::string value = "(none)";
    if (db.ok()) {
        store::Statement s(db.get(), sql);
        if (s.step() == store::Statement::Step::Row)
            value = s.text(0);
    }
    return value;
}

std::string label(const std::string& folder, const char* file = "Velmaris.mdb")
{
    return single(folder + "/" + file, "SELECT Intrebare FROM Intrebari");
}

void writeBank(const std::string& path, const std::string& label, int version, int scratchRows = 0)
{
    fs::create_directories(pathOf(path).parent_path());
    std::string sql = std::string(store::schemaSql()) + "INSERT INTO Intrebari(Nr_Intreb, Intrebare, Rb) VALUES(0, '" +
                      label + "', 'A'); PRAGMA user_version = " + std::to_string(version) + ";";
    for (int i = 0; i < scratchRows; ++i)
        sql += "INSERT INTO ManInt(Nr_Intreb, Rd) VALUES(" + std::to_string(i) + ", '?');";
    ASSERT_TRUE(exec(path, sql)) << path;
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    fs::create_directories(pathOf(path).parent_path());
    std::ofstream(pathOf(path), std::ios::binary | std::ios::trunc) << bytes;
}

void markReadOnly(const std::string& path)
{
    ASSERT_TRUE(::SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY)) << path;
}

bool isReadOnly(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (fs::is_directory(pathOf(folder)))
        for (const auto& entry : fs::directory_iterator(pathOf(folder))) {
            const std::u8string name = entry.path().filename().u8string();
            names.emplace_back(name.begin(), name.end());
        }
    std::sort(names.begin(), names.end());
    return names;
}

// An install folder and a user's roaming folder, both under names with diacritics.
struct Layout {
    QTemporaryDir root;
    std::string base() const { return root.path().toStdString(); }
    std::string exe() const { return base() + "/Program Files/Velmaris ș ț"; }
    std::string user() const { return base() + "/Users/Ștefan Țăran/AppData/Roaming/Velmaris"; }
    store::BankPlaces places() const { return {exe(), "", user()}; }
    ~Layout()
    {
        for (const auto& entry : fs::recursive_directory_iterator(pathOf(base())))
            ::SetFileAttributesW(entry.path().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
};

struct Case {
    const char* name;
    std::function<void(const Layout&)> arrange;
    store::BankUse use;
    std::function<std::string(const Layout&)> folder;
    std::function<void(const Layout&, const std::string& notes)> check;
};

TEST(BankLocationOnWindows, EveryPlaceTheBankCanBeIn)
{
    const auto exe = [](const Layout& l) { return l.exe(); };
    const auto user = [](const Layout& l) { return l.user(); };
    const Case cases[] = {
        {"the portable folder: the bank beside the program is used as it is",
         [](const Layout& l) { writeBank(l.exe() + "/Velmaris.mdb", "portabil", 1); }, store::BankUse::BesideExecutable,
         exe,
         [](const Layout& l, const std::string& notes) {
             EXPECT_EQ(notes, "");
             EXPECT_FALSE(fs::exists(pathOf(l.user()))) << "no copy is made";
             EXPECT_EQ(namesIn(l.exe()), std::vector<std::string>{"Velmaris.mdb"}) << "no probe left behind";
         }},
        {"installed: the read-only bank is copied for the user, the folders made on the way",
         [](const Layout& l) {
             writeBank(l.exe() + "/Velmaris.mdb", "instalat", 1);
             markReadOnly(l.exe() + "/Velmaris.mdb");
         },
         store::BankUse::UserCopy, user,
         [](const Layout& l, const std::string& notes) {
             EXPECT_EQ(notes, "");
             EXPECT_EQ(label(l.user()), "instalat");
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"}) << "no temporary left";
             EXPECT_FALSE(isReadOnly(l.user() + "/Velmaris.mdb")) << "the copy must not inherit the attribute";
             EXPECT_TRUE(exec(l.user() + "/Velmaris.mdb", "INSERT INTO ManInt(Nr_Intreb, Rd) VALUES(1, '?')"));
             EXPECT_EQ(single(l.exe() + "/Velmaris.mdb", "SELECT count(*) FROM ManInt"), "0");
             EXPECT_TRUE(isReadOnly(l.exe() + "/Velmaris.mdb"));
         }},
        {"a copy already there is kept, with what the user left in it",
         [](const Layout& l) {
             writeBank(l.exe() + "/Velmaris.mdb", "instalat", 2);
             markReadOnly(l.exe() + "/Velmaris.mdb");
             writeBank(l.user() + "/Velmaris.mdb", "editat", 2, 5);
         },
         store::BankUse::UserCopy, user,
         [](const Layout& l, const std::string& notes) {
             EXPECT_EQ(notes, "");
             EXPECT_EQ(label(l.user()), "editat");
             EXPECT_EQ(single(l.user() + "/Velmaris.mdb", "SELECT count(*) FROM ManInt"), "5");
         }},
        {"an empty copy, which only a crash while it was made leaves, is made again",
         [](const Layout& l) {
             writeBank(l.exe() + "/Velmaris.mdb", "instalat", 2);
             markReadOnly(l.exe() + "/Velmaris.mdb");
             fs::create_directories(pathOf(l.user()));
             fs::path empty = pathOf(l.user() + "/Velmaris.mdb");
             ::CloseHandle(::CreateFileW(empty.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
             ASSERT_EQ(fs::file_size(empty), 0u);
         },
         store::BankUse::UserCopy, user,
         [](const Layout& l, const std::string&) { EXPECT_EQ(label(l.user()), "instalat"); }},
        {"a newer installed bank replaces the copy; the old one is kept under its version",
         [](const Layout& l) {
             writeBank(l.exe() + "/Velmaris.mdb", "instalat v3", 3);
             markReadOnly(l.exe() + "/Velmaris.mdb");
             writeBank(l.user() + "/Velmaris.mdb", "editat v1", 1, 7);
         },
         store::BankUse::UserCopy, user,
         [](const Layout& l, const std::string& notes) {
             EXPECT_EQ(label(l.user()), "instalat v3");
             EXPECT_EQ(label(l.user(), "Velmaris-v1.mdb"), "editat v1");
             EXPECT_EQ(single(l.user() + "/Velmaris-v1.mdb", "SELECT count(*) FROM ManInt"), "7");
             EXPECT_EQ(notes,
                       "Banca de întrebări a fost înnoită la versiunea 3. Copia dumneavoastră de până acum "
                       "(versiunea 1), cu corecturile și testul neterminat din ea, este păstrată ca '" +
                           l.user() + "/Velmaris-v1.mdb'.\n");
             EXPECT_FALSE(isReadOnly(l.user() + "/Velmaris.mdb"));
             EXPECT_EQ(namesIn(l.user()), (std::vector<std::string>{"Velmaris-v1.mdb", "Velmaris.mdb"}));
         }},
        {"a copy that is not a database is put aside under one name and made again",
         [](const Layout& l) {
             writeBank(l.exe() + "/Velmaris.mdb", "instalat", 1);
             markReadOnly(l.exe() + "/Velmaris.mdb");
             writeBytes(l.user() + "/Velmaris.mdb", std::string(8192, 'x'));
         },
         store::BankUse::UserCopy, user,
         [](const Layout& l, const std::string& notes) {
             EXPECT_EQ(label(l.user()), "instalat");
             EXPECT_EQ(namesIn(l.user()), (std::vector<std::string>{"Velmaris-deteriorat.mdb", "Velmaris.mdb"}));
             EXPECT_NE(notes.find("era deteriorată"), std::string::npos) << notes;
         }},
        {"what a copy cut short left is removed, and the copy made",
         [](const Layout& l) {
             writeBank(l.exe() + "/Velmaris.mdb", "instalat", 1);
             markReadOnly(l.exe() + "/Velmaris.mdb");
             writeBytes(l.user() + "/.Velmaris.mdb.1234-5678-0", "half a copy");
         },
         store::BankUse::UserCopy, user,
         [](const Layout& l, const std::string&) {
             EXPECT_EQ(label(l.user()), "instalat");
             EXPECT_EQ(namesIn(l.user()), std::vector<std::string>{"Velmaris.mdb"});
         }},
        {"no bank anywhere: the program's folder is named, so that opening reports it", nullptr,
         store::BankUse::Missing, exe,
         [](const Layout& l, const std::string&) { EXPECT_FALSE(fs::exists(pathOf(l.user()))); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout;
        fs::create_directories(pathOf(layout.exe()));
        if (c.arrange)
            c.arrange(layout);
        std::string notes;
        const store::BankChoice choice =
            store::chooseBank(layout.places(), [&](const std::string& line) { notes += line + "\n"; });
        EXPECT_EQ(static_cast<int>(choice.use), static_cast<int>(c.use)) << notes;
        EXPECT_EQ(choice.folder, c.folder(layout));
        c.check(layout, notes);
    }
}

// The lock beside a bank under a folder name with diacritics: one holder at a time, and the others told
// who it is.
TEST(BankLocationOnWindows, OneProgramHoldsTheBank)
{
    Layout layout;
    fs::create_directories(pathOf(layout.user()));
    const std::string bank = layout.user() + "/Velmaris.mdb";
    store::BankLock first;
    ASSERT_EQ(first.claim(bank), store::BankLock::State::Held);
    store::BankLock second;
    ASSERT_EQ(second.claim(bank), store::BankLock::State::HeldByOther);
    EXPECT_EQ(second.holder().pid, static_cast<std::int64_t>(::GetCurrentProcessId()));
    EXPECT_TRUE(second.holder().sameHost);
    EXPECT_TRUE(second.holder().sameUser);
    EXPECT_FALSE(second.holder().user.empty());
    first.refresh();
    first.release();
    EXPECT_EQ(second.claim(bank), store::BankLock::State::Held);
    second.release();
    EXPECT_TRUE(namesIn(layout.user()).empty()) << "a released lock leaves no file";
}

// The user's copy goes to the roaming %APPDATA%, whatever the program was started as; there is no data
// folder apart from the program's own.
TEST(BankLocationOnWindows, TheUserFolderIsInTheRoamingAppData)
{
    const wchar_t* before = ::_wgetenv(L"APPDATA");
    const std::wstring saved = before ? before : L"";
    ::_wputenv_s(L"APPDATA", L"C:\\Users\\\u0218tefan\\AppData\\Roaming");
    const store::BankPlaces places = store::bankPlacesFor("C:/Program Files/Velmaris");
    ::_wputenv_s(L"APPDATA", saved.c_str());
    EXPECT_EQ(places.executableFolder, "C:/Program Files/Velmaris");
    EXPECT_EQ(places.installedFolder, "");
    EXPECT_EQ(places.userFolder, "C:/Users/\xC8\x98tefan/AppData/Roaming/Velmaris");
}

}  // namespace
