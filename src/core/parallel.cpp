#include "core/parallel.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace tintor {

void ForEachShare(
    std::size_t n, std::size_t minimumPerThread, const std::function<void(std::size_t, std::size_t)>& part)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::clamp<std::size_t>(n / std::max<std::size_t>(minimumPerThread, 1), 1, cores);
    const std::size_t share = n / threads;
    std::vector<std::thread> helpers;
    try {
        for (std::size_t t = 1; t < threads; ++t)
            helpers.emplace_back(part, t * share, t + 1 == threads ? n : (t + 1) * share);
    } catch (const std::system_error&) {
        // No thread to be had: this one does the rest as well.
        part(share * (helpers.size() + 1), n);
    }
    part(0, share);
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace tintor
