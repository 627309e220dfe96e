#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace tintor {

// Buffers from this size on are laid on huge-page boundaries and the system
// is asked to back them with huge pages: one fault then maps 2 MiB instead
// of 4 KiB, and faults are most of what filling a fresh buffer costs.
inline constexpr std::size_t kHugePageSize = std::size_t{2} << 20;
inline constexpr std::size_t kHugeBufferFrom = SIZE_MAX;
void* AllocateHugeBuffer(std::size_t bytes);
void FreeHugeBuffer(void* buffer) noexcept;

// An allocator whose containers leave new elements uninitialised when they
// grow by resize: a buffer that a read or an inflate is about to fill need
// not be zeroed first, and a header that lies about the length costs nothing
// until data really arrives (in huge pages, for a large one).
template <typename T> class CDefaultInitAllocator : public std::allocator<T> {
public:
    template <typename U> struct rebind {
        using other = CDefaultInitAllocator<U>;
    };
    using std::allocator<T>::allocator;

    T* allocate(std::size_t n)
    {
        if (n >= kHugeBufferFrom / sizeof(T) && n <= SIZE_MAX / sizeof(T))
            return static_cast<T*>(AllocateHugeBuffer(n * sizeof(T)));
        return std::allocator<T>::allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        if (n >= kHugeBufferFrom / sizeof(T))
            FreeHugeBuffer(p);
        else
            std::allocator<T>::deallocate(p, n);
    }

    template <typename U> void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args> void construct(U* p, Args&&... args)
    {
        std::construct_at(p, std::forward<Args>(args)...);
    }
};

// Bytes of a movie or a file, grown without zero-fill.
using ByteBuffer = std::vector<std::uint8_t, CDefaultInitAllocator<std::uint8_t>>;

} // namespace tintor
