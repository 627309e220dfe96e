#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace tintor {

// An allocator whose containers leave new elements uninitialised when they
// grow by resize: a buffer that a read or an inflate is about to fill need
// not be zeroed first, and a header that lies about the length costs nothing
// until data really arrives.
template <typename T> class CDefaultInitAllocator : public std::allocator<T> {
public:
    template <typename U> struct rebind {
        using other = CDefaultInitAllocator<U>;
    };
    using std::allocator<T>::allocator;

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
