#pragma once

namespace fixture {

// What the pass-through file system does besides passing each call on. Both may be left empty.
struct FileHooks {
    // Before each read of a main database file, a page (or the file header); a page SQLite maps into
    // memory counts as one read too.
    void (*mainDatabaseRead)() = nullptr;
    // Before each write to any file (database, journal, log): any result but SQLITE_OK fails the write
    // with that result instead.
    int (*write)(int bytes) = nullptr;
};

// Installs, once per process, a VFS that wraps the one that was SQLite's default and becomes the default
// itself, so that every connection opened afterwards goes through it, the program's included. Each call
// sets the hooks anew.
void installPassThroughVfs(const FileHooks& hooks);

}  // namespace fixture
