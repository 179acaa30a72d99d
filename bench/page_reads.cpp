#include "bench/page_reads.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace bench {

namespace {

std::atomic<std::int64_t> reads{0};
sqlite3_vfs* inner = nullptr;

// Our file object, with the wrapped VFS's file right behind it in the same allocation.
struct CountingFile {
    sqlite3_file base;
    sqlite3_file* real;
    bool mainDatabase;
};

sqlite3_file* real(sqlite3_file* file)
{
    return reinterpret_cast<CountingFile*>(file)->real;
}

int xClose(sqlite3_file* f)
{
    return real(f)->pMethods->xClose(real(f));
}
int xRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
{
    if (reinterpret_cast<CountingFile*>(f)->mainDatabase)
        ++reads;
    return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
}
int xWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
{
    return real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
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
// Memory-mapped pages count as reads too (mapping is off by default).
int xFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out)
{
    if (reinterpret_cast<CountingFile*>(f)->mainDatabase)
        ++reads;
    return real(f)->pMethods->xFetch(real(f), offset, amount, out);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* page)
{
    return real(f)->pMethods->xUnfetch(real(f), offset, page);
}

const sqlite3_io_methods methods = {3,
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

int xOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* ours = reinterpret_cast<CountingFile*>(file);
    ours->real = reinterpret_cast<sqlite3_file*>(ours + 1);
    ours->mainDatabase = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    const int rc = inner->xOpen(inner, name, ours->real, flags, outFlags);
    // SQLite calls xClose only when pMethods is set: leave it unset when the inner open failed.
    ours->base.pMethods = ours->real->pMethods ? &methods : nullptr;
    return rc;
}

}  // namespace

void PageReads::install()
{
    if (inner)
        return;
    inner = sqlite3_vfs_find(nullptr);
    static sqlite3_vfs vfs;
    std::memcpy(&vfs, inner, sizeof vfs);
    vfs.szOsFile = static_cast<int>(sizeof(CountingFile)) + inner->szOsFile;
    vfs.zName = "velmaris-counting";
    vfs.pNext = nullptr;
    vfs.xOpen = xOpen;
    sqlite3_vfs_register(&vfs, 1);
}

std::int64_t PageReads::count()
{
    return reads.load();
}

}  // namespace bench
