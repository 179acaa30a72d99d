#include "bench/page_reads.h"

#include <atomic>

#include "tests/support/pass_through_vfs.h"

namespace bench {

namespace {

std::atomic<std::int64_t> reads{0};

}  // namespace

void PageReads::install()
{
    fixture::installPassThroughVfs({.mainDatabaseRead = [] { ++reads; }});
}

std::int64_t PageReads::count()
{
    return reads.load();
}

}  // namespace bench
