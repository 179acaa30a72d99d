#pragma once

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace bench {

// glibc raises its thresholds for large blocks the first time it frees one it had mapped; the running
// program has done so by the time its welcome window is up (266240 and 532480 bytes, read from the
// program under X), a benchmark process may not have. Below them, a picture's 96 KB freed at the top of
// the heap goes back to the system and is faulted in again at the next read, which made the picture
// figures swing by a third from run to run; so the benchmarks start from the program's state.
inline void useProgramAllocatorState()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 266240);
    mallopt(M_TRIM_THRESHOLD, 532480);
#endif
}

}  // namespace bench
