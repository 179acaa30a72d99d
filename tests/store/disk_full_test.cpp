// A disk that fills up while the program writes. The file system is simulated under SQLite (a VFS that
// passes everything to the real one and answers "disk full" once a budget of written bytes is spent),
// so the test needs no mount and fails at exactly the byte it chooses.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/connection.h"
#include "store/error.h"
#include "store/table_cursor.h"
#include "tests/support/fixture_db.h"

namespace {

// ---- a VFS with a limited amount of free space ----

sqlite3_vfs* realVfs = nullptr;
sqlite3_int64 freeBytes = -1;  // negative: unlimited

struct LimitedFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* real(sqlite3_file* f)
{
    return reinterpret_cast<LimitedFile*>(f)->real;
}

int limitedWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset)
{
    if (freeBytes >= 0) {
        if (amount > freeBytes)
            return SQLITE_FULL;
        freeBytes -= amount;
    }
    return real(f)->pMethods->xWrite(real(f), data, amount, offset);
}

// Every other method goes to the real file unchanged.
int close(sqlite3_file* f)
{
    return real(f)->pMethods->xClose(real(f));
}
int read(sqlite3_file* f, void* p, int n, sqlite3_int64 o)
{
    return real(f)->pMethods->xRead(real(f), p, n, o);
}
int truncate(sqlite3_file* f, sqlite3_int64 size)
{
    return real(f)->pMethods->xTruncate(real(f), size);
}
int sync(sqlite3_file* f, int flags)
{
    return real(f)->pMethods->xSync(real(f), flags);
}
int fileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}
int lock(sqlite3_file* f, int level)
{
    return real(f)->pMethods->xLock(real(f), level);
}
int unlock(sqlite3_file* f, int level)
{
    return real(f)->pMethods->xUnlock(real(f), level);
}
int checkReservedLock(sqlite3_file* f, int* out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int fileControl(sqlite3_file* f, int op, void* arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int sectorSize(sqlite3_file* f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int deviceCharacteristics(sqlite3_file* f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int shmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out)
{
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
}
int shmLock(sqlite3_file* f, int offset, int n, int flags)
{
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void shmBarrier(sqlite3_file* f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}
int shmUnmap(sqlite3_file* f, int deleteFlag)
{
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}

const sqlite3_io_methods limitedMethods = {2,
                                           close,
                                           read,
                                           limitedWrite,
                                           truncate,
                                           sync,
                                           fileSize,
                                           lock,
                                           unlock,
                                           checkReservedLock,
                                           fileControl,
                                           sectorSize,
                                           deviceCharacteristics,
                                           shmMap,
                                           shmLock,
                                           shmBarrier,
                                           shmUnmap,
                                           nullptr,
                                           nullptr};

int limitedOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags)
{
    auto* file = reinterpret_cast<LimitedFile*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    file->base.pMethods = nullptr;
    const int rc = realVfs->xOpen(realVfs, name, file->real, flags, outFlags);
    if (file->real->pMethods)
        file->base.pMethods = &limitedMethods;
    return rc;
}

sqlite3_vfs limitedVfs;

// Installs the VFS as the default for the whole test program, once.
void installLimitedDisk()
{
    if (realVfs)
        return;
    realVfs = sqlite3_vfs_find(nullptr);
    limitedVfs = *realVfs;
    limitedVfs.iVersion = 1;  // no xCurrentTimeInt64 and system-call overrides through this one
    limitedVfs.zName = "limited-disk";
    limitedVfs.szOsFile = static_cast<int>(sizeof(LimitedFile)) + realVfs->szOsFile;
    limitedVfs.xOpen = limitedOpen;
    limitedVfs.pAppData = nullptr;
    // Forward the rest through the real VFS object.
    limitedVfs.xDelete = [](sqlite3_vfs*, const char* n, int s) { return realVfs->xDelete(realVfs, n, s); };
    limitedVfs.xAccess = [](sqlite3_vfs*, const char* n, int f, int* o) { return realVfs->xAccess(realVfs, n, f, o); };
    limitedVfs.xFullPathname = [](sqlite3_vfs*, const char* n, int size, char* out) {
        return realVfs->xFullPathname(realVfs, n, size, out);
    };
    limitedVfs.xDlOpen = [](sqlite3_vfs*, const char* n) { return realVfs->xDlOpen(realVfs, n); };
    limitedVfs.xDlError = [](sqlite3_vfs*, int n, char* out) { realVfs->xDlError(realVfs, n, out); };
    limitedVfs.xDlSym = [](sqlite3_vfs*, void* h, const char* s) { return realVfs->xDlSym(realVfs, h, s); };
    limitedVfs.xDlClose = [](sqlite3_vfs*, void* h) { realVfs->xDlClose(realVfs, h); };
    limitedVfs.xRandomness = [](sqlite3_vfs*, int n, char* out) { return realVfs->xRandomness(realVfs, n, out); };
    limitedVfs.xSleep = [](sqlite3_vfs*, int us) { return realVfs->xSleep(realVfs, us); };
    limitedVfs.xCurrentTime = [](sqlite3_vfs*, double* t) { return realVfs->xCurrentTime(realVfs, t); };
    limitedVfs.xGetLastError = [](sqlite3_vfs*, int n, char* out) { return realVfs->xGetLastError(realVfs, n, out); };
    sqlite3_vfs_register(&limitedVfs, 1);
}

struct FreeSpace {
    explicit FreeSpace(sqlite3_int64 bytes)
    {
        installLimitedDisk();
        freeBytes = bytes;
    }
    ~FreeSpace() { freeBytes = -1; }
};

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// "Start"'s copy, as the test window makes it: a record appended and posted per question. The disk
// fills up part of the way: the failing Post reports the disk, keeps its record pending, and leaves a
// file that passes the integrity check, with every question as it was and only whole copies.
TEST(DiskFull, AppendsStopWithAClearErrorAndTheFileStaysSound)
{
    installLimitedDisk();  // the program's connection must open through it
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(40));
    const std::string questionsBefore = folder.column("SELECT group_concat(Intrebare, '|') FROM Intrebari")[0];

    store::Connection connection;
    connection.setConnectionString(store::connectionStringFor(folder.path()));
    store::TableCursor test("tblTest", "ManInt");
    test.setConnection(&connection);
    test.Open();
    // The structure check and the switch to writing happen before the space runs out.
    connection.ensureWritable();

    const std::string text(3000, 'q');
    int stored = 0;
    std::string failure;
    {
        FreeSpace space(40 * 1024);
        for (int i = 0; i < 30 && failure.empty(); ++i) {
            test.Append();
            test.FieldByName("Nr_Intreb").setAsString(std::to_string(i));
            test.FieldByName("Intrebare").setAsString(text);
            test.FieldByName("Rb").setAsString("A");
            test.FieldByName("Rd").setAsString("?");
            try {
                test.Post();
                ++stored;
            } catch (const store::Error& error) {
                failure = error.what();
            }
        }
    }
    ASSERT_FALSE(failure.empty()) << "the disk never filled up";
    EXPECT_GT(stored, 0);
    EXPECT_EQ(failure, "tblTest: Cannot store the record: database or disk is full");
    EXPECT_EQ(test.State(), store::CursorState::Insert) << "the record that failed stays pending";
    EXPECT_EQ(test.RecordCount(), stored);

    EXPECT_EQ(folder.column("PRAGMA integrity_check")[0], "ok");
    EXPECT_EQ(folder.count("ManInt"), stored) << "nothing half-stored";
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE length(Intrebare) <> 3000 OR Rd <> '?'")[0], "0");
    EXPECT_EQ(folder.column("SELECT group_concat(Intrebare, '|') FROM Intrebari")[0], questionsBefore);

    // Space again: the same pending record goes through.
    test.Post();
    EXPECT_EQ(folder.count("ManInt"), stored + 1);
}

// A file that cannot be written at all, as the program finds it at start-up. Opening and reading work;
// every write reports the disk and the file keeps every byte.
TEST(DiskFull, ANoSpaceDiskRefusesEveryWriteAndChangesNothing)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(3), 2);
    const std::string before = bytesOf(folder.databasePath());

    FreeSpace space(0);
    store::Connection connection;
    connection.setConnectionString(store::connectionStringFor(folder.path()));
    store::TableCursor bank("tblIntrebari", "Intrebari");
    store::TableCursor test("tblTest", "ManInt");
    bank.setConnection(&connection);
    test.setConnection(&connection);
    bank.Open();
    test.Open();
    EXPECT_EQ(bank.RecordCount(), 3);

    const auto expectFull = [](const std::function<void()>& write, const std::string& message) {
        try {
            write();
            ADD_FAILURE() << "wrote to a full disk";
        } catch (const store::Error& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    };
    bank.Edit();
    bank.FieldByName("Intrebare").setAsString("schimbată");
    expectFull([&] { bank.Next(); }, "tblIntrebari: Cannot store the record: database or disk is full");
    EXPECT_EQ(bank.State(), store::CursorState::Edit);
    expectFull([&] { test.Delete(); }, "tblTest: Cannot delete the record: database or disk is full");
    EXPECT_EQ(test.RecordCount(), 2);

    EXPECT_TRUE(bytesOf(folder.databasePath()) == before);
    EXPECT_FALSE(std::filesystem::exists(folder.databasePath() + "-journal")) << "no journal left behind";
}

}  // namespace
