#include "tests/support/pass_through_vfs.h"

#include <sqlite3.h>

#include <algorithm>

namespace fixture {

namespace {

sqlite3_vfs* inner = nullptr;
FileHooks hooks;

// Our file object, with the wrapped VFS's file right behind it in the same allocation.
struct WrappedFile {
    sqlite3_file base;
    sqlite3_file* real;
    bool mainDatabase;
};

WrappedFile* wrapped(sqlite3_file* f)
{
    return reinterpret_cast<WrappedFile*>(f);
}

sqlite3_file* real(sqlite3_file* f)
{
    return wrapped(f)->real;
}

int xRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
{
    if (hooks.mainDatabaseRead && wrapped(f)->mainDatabase)
        hooks.mainDatabaseRead();
    return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
}
int xWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
{
    if (hooks.write)
        if (const int rc = hooks.write(amount); rc != SQLITE_OK)
            return rc;
    return real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
}
int xFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out)
{
    if (hooks.mainDatabaseRead && wrapped(f)->mainDatabase)
        hooks.mainDatabaseRead();
    return real(f)->pMethods->xFetch(real(f), offset, amount, out);
}

// Every other method goes to the real file unchanged.
int xClose(sqlite3_file* f)
{
    return real(f)->pMethods->xClose(real(f));
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    return real(f)->pMethods->xTruncate(real(f), size);
}
int xSync(sqlite3_file* f, int flags)
{
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}
int xLock(sqlite3_file* f, int level)
{
    return real(f)->pMethods->xLock(real(f), level);
}
int xUnlock(sqlite3_file* f, int level)
{
    return real(f)->pMethods->xUnlock(real(f), level);
}
int xCheckReservedLock(sqlite3_file* f, int* out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int xFileControl(sqlite3_file* f, int op, void* arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int xSectorSize(sqlite3_file* f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out)
{
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags)
{
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file* f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file* f, int deleteFlag)
{
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* page)
{
    return real(f)->pMethods->xUnfetch(real(f), offset, page);
}

constexpr sqlite3_io_methods methodsOfVersion(int version)
{
    return {version,
            xClose,
            xRead,
            xWrite,
            xTruncate,
            xSync,
            xFileSize,
            xLock,
            xUnlock,
            xCheckReservedLock,
            xFileControl,
            xSectorSize,
            xDeviceCharacteristics,
            xShmMap,
            xShmLock,
            xShmBarrier,
            xShmUnmap,
            xFetch,
            xUnfetch};
}

// SQLite calls only the methods of the version a file's table declares: ours declares the real file's.
const sqlite3_io_methods methods[] = {methodsOfVersion(1), methodsOfVersion(2), methodsOfVersion(3)};

int xOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    WrappedFile* ours = wrapped(file);
    ours->real = reinterpret_cast<sqlite3_file*>(ours + 1);
    ours->real->pMethods = nullptr;
    ours->mainDatabase = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    const int rc = inner->xOpen(inner, name, ours->real, flags, outFlags);
    // SQLite calls xClose only when pMethods is set: leave it unset when the inner open failed.
    const sqlite3_io_methods* realMethods = ours->real->pMethods;
    ours->base.pMethods = realMethods ? &methods[std::clamp(realMethods->iVersion, 1, 3) - 1] : nullptr;
    return rc;
}

sqlite3_vfs vfs;

}  // namespace

void installPassThroughVfs(const FileHooks& newHooks)
{
    hooks = newHooks;
    if (inner)
        return;
    inner = sqlite3_vfs_find(nullptr);
    vfs = {};
    vfs.iVersion = std::min(inner->iVersion, 2);
    vfs.szOsFile = static_cast<int>(sizeof(WrappedFile)) + inner->szOsFile;
    vfs.mxPathname = inner->mxPathname;
    vfs.zName = "velmaris-pass-through";
    vfs.xOpen = xOpen;
    // The file system's own calls go to the wrapped VFS object, with its own data.
    vfs.xDelete = [](sqlite3_vfs*, const char* n, int s) { return inner->xDelete(inner, n, s); };
    vfs.xAccess = [](sqlite3_vfs*, const char* n, int f, int* o) { return inner->xAccess(inner, n, f, o); };
    vfs.xFullPathname = [](sqlite3_vfs*, const char* n, int size, char* out) {
        return inner->xFullPathname(inner, n, size, out);
    };
    vfs.xDlOpen = [](sqlite3_vfs*, const char* n) { return inner->xDlOpen(inner, n); };
    vfs.xDlError = [](sqlite3_vfs*, int n, char* out) { inner->xDlError(inner, n, out); };
    vfs.xDlSym = [](sqlite3_vfs*, void* h, const char* s) { return inner->xDlSym(inner, h, s); };
    vfs.xDlClose = [](sqlite3_vfs*, void* h) { inner->xDlClose(inner, h); };
    vfs.xRandomness = [](sqlite3_vfs*, int n, char* out) { return inner->xRandomness(inner, n, out); };
    vfs.xSleep = [](sqlite3_vfs*, int us) { return inner->xSleep(inner, us); };
    vfs.xCurrentTime = [](sqlite3_vfs*, double* t) { return inner->xCurrentTime(inner, t); };
    vfs.xGetLastError = [](sqlite3_vfs*, int n, char* out) { return inner->xGetLastError(inner, n, out); };
    if (vfs.iVersion >= 2)
        vfs.xCurrentTimeInt64 = [](sqlite3_vfs*, sqlite3_int64* t) { return inner->xCurrentTimeInt64(inner, t); };
    sqlite3_vfs_register(&vfs, 1);
}

}  // namespace fixture
