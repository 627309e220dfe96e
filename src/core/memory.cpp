#include "core/memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tintor {

void ReturnLargeBlocksWhenFreed()
{
#if defined(__GLIBC__)
    // A fixed threshold also keeps glibc from raising it as blocks are freed.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

} // namespace tintor
