#include "bitmap/zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <new>

namespace tintor {

namespace {

// Ends the inflate however the caller's work ends.
struct Inflater {
    z_stream zs{};
    Inflater()
    {
        if (inflateInit(&zs) != Z_OK)
            throw std::bad_alloc();
    }
    ~Inflater() { inflateEnd(&zs); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

} // namespace

std::optional<ByteBuffer> Inflate(std::span<const std::uint8_t> stream, std::size_t limit)
{
    Inflater inflater;
    z_stream& zs = inflater.zs;
    ByteBuffer out;
    zs.next_in = const_cast<Bytef*>(stream.data());
    zs.avail_in = static_cast<uInt>(std::min<std::size_t>(stream.size(), UINT_MAX));
    int rc = Z_OK;
    // Grows with what the stream really yields, so that a stream that lies
    // about nothing but is large costs only what it holds.
    std::size_t produced = 0;
    while (rc == Z_OK) {
        if (produced == out.size()) {
            if (out.size() > limit)
                break;
            out.resize(std::min(limit + 1, std::max<std::size_t>(out.size() * 2, 1 << 16)));
        }
        zs.next_out = out.data() + produced;
        zs.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - produced, UINT_MAX));
        const uInt before = zs.avail_out;
        rc = inflate(&zs, Z_NO_FLUSH);
        produced += before - zs.avail_out;
        if (rc == Z_BUF_ERROR && zs.avail_out != 0)
            break; // the stream ends before its end marker
    }
    out.resize(produced);
    if (rc != Z_STREAM_END || out.size() > limit)
        return std::nullopt;
    return out;
}

std::optional<std::size_t> InflatePieces(std::span<const std::uint8_t> stream, std::size_t limit,
    const std::function<void(std::span<const std::uint8_t>)>& take)
{
    Inflater inflater;
    z_stream& zs = inflater.zs;
    zs.next_in = const_cast<Bytef*>(stream.data());
    zs.avail_in = static_cast<uInt>(std::min<std::size_t>(stream.size(), UINT_MAX));
    std::array<std::uint8_t, 1 << 16> piece;
    std::size_t produced = 0;
    int rc = Z_OK;
    while (rc == Z_OK && produced <= limit) {
        zs.next_out = piece.data();
        zs.avail_out = static_cast<uInt>(piece.size());
        rc = inflate(&zs, Z_NO_FLUSH);
        const std::size_t n = piece.size() - zs.avail_out;
        produced += n;
        if (n != 0 && take)
            take(std::span<const std::uint8_t>(piece.data(), n));
        if (rc == Z_BUF_ERROR && zs.avail_out != 0)
            break; // the stream ends before its end marker
    }
    if (rc != Z_STREAM_END || produced > limit)
        return std::nullopt;
    return produced;
}

ByteBuffer Deflate(std::span<const std::uint8_t> data)
{
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    ByteBuffer out(length);
    if (compress(out.data(), &length, data.data(), static_cast<uLong>(data.size())) != Z_OK)
        throw std::bad_alloc(); // zlib fails only for want of memory
    out.resize(length);
    return out;
}

} // namespace tintor
