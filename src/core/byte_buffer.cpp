#include "core/byte_buffer.h"

#include <sys/mman.h>

#include <new>

namespace tintor {

void* AllocateHugeBuffer(std::size_t bytes)
{
    void* buffer = ::operator new (bytes, std::align_val_t{kHugePageSize});
    // Only whole huge pages; a system without them keeps the small ones.
    ::madvise(buffer, bytes / kHugePageSize * kHugePageSize, MADV_HUGEPAGE);
    return buffer;
}

void FreeHugeBuffer(void* buffer) noexcept { ::operator delete (buffer, std::align_val_t{kHugePageSize}); }

} // namespace tintor
