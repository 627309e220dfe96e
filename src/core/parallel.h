#pragma once

#include <cstddef>
#include <functional>

namespace tintor {

// Runs part(begin, end) over the items [0, n) cut into one share per core,
// the calling thread taking the first share and waiting for the others.
// With fewer than minimumPerThread items for each thread, or when no
// thread can be had, the calling thread does it all. The parts must touch
// disjoint data.
void ForEachShare(
    std::size_t n, std::size_t minimumPerThread, const std::function<void(std::size_t, std::size_t)>& part);

} // namespace tintor
