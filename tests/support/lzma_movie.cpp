#include "support/lzma_movie.h"

#include <lzma.h>

namespace tintor::test {

std::optional<std::vector<std::uint8_t>> DecodeLzmaMovie(std::span<const std::uint8_t> movie)
{
    constexpr std::size_t kStreamStart = 8 + 4 + 5;
    if (movie.size() < kStreamStart || movie[0] != 'Z')
        return std::nullopt;
    const std::uint32_t stated = movie[8] | movie[9] << 8 | movie[10] << 16 | std::uint32_t{movie[11]} << 24;
    if (stated != movie.size() - kStreamStart)
        return std::nullopt;
    // A .lzma file: the properties, an unknown size (so the end marker must
    // be there), then the stream.
    std::vector<std::uint8_t> alone(movie.begin() + 12, movie.begin() + 17);
    alone.insert(alone.end(), 8, 0xFF);
    alone.insert(alone.end(), movie.begin() + kStreamStart, movie.end());
    std::vector<std::uint8_t> out(1 << 16);
    lzma_stream zs = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&zs, UINT64_MAX) != LZMA_OK)
        return std::nullopt;
    zs.next_in = alone.data();
    zs.avail_in = alone.size();
    lzma_ret rc = LZMA_OK;
    while (rc == LZMA_OK) {
        if (zs.total_out == out.size())
            out.resize(out.size() * 2);
        zs.next_out = out.data() + zs.total_out;
        zs.avail_out = out.size() - zs.total_out;
        rc = lzma_code(&zs, LZMA_FINISH);
    }
    out.resize(zs.total_out);
    const bool whole = rc == LZMA_STREAM_END && zs.avail_in == 0;
    lzma_end(&zs);
    if (!whole)
        return std::nullopt;
    return out;
}

} // namespace tintor::test
