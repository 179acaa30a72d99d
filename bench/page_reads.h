#pragma once

#include <cstdint>

namespace bench {

// Counts the reads SQLite makes from database files, whatever connection makes them, through the
// pass-through file system of tests/support, which wraps SQLite's default one. Every read of a page (or of the file
// header) is one call, including the overflow pages SQLite copies straight past its page cache.
class PageReads {
public:
    static void install();
    static std::int64_t count();
};

}  // namespace bench
