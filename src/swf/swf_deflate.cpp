// The zlib body of a CWS movie: inflated by libdeflate with zlib behind it,
// deflated by libdeflate.
#include "swf/swf_deflate.h"

#include "swf/body_output.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <stdexcept>

namespace tintor {

namespace {

constexpr std::size_t kHeaderSize = 8;
// The most bytes one byte of a deflate stream can yield: a match of the
// longest length, 258 bytes, costs at least two bits (a length code and a
// distance code of one bit each).
constexpr std::uint64_t kMostYieldPerByte = 1032;
// No encoder makes a stream much longer than its content: stored blocks add
// five bytes to every 65,535. Beyond this bound the file holds something
// else, which is not read ahead of the inflate.
constexpr std::size_t StreamBound(std::size_t bodySize) { return bodySize + bodySize / 8 + (std::size_t{1} << 16); }
// Real movies deflate to a quarter of their size or less; the first guess at
// a compressed body follows that, so most movies are read in one piece.
constexpr std::uint64_t kUsualDeflateRatio = 4;
constexpr std::size_t kInputPiece = std::size_t{1} << 16;
// zlib takes at most this much input or output in one call.
constexpr std::size_t kMostPerCall = UINT_MAX;

// Below this a body deflates in well under a millisecond either way, and
// libdeflate's output comes out a few bytes longer than zlib's: zlib keeps it.
constexpr std::size_t kSmallBody = std::size_t{64} << 10;
// libdeflate's greedy level: on bodies of colours, pixels and coordinates,
// which hold few long repeats, it is shorter than zlib's level 6 and a
// fifth of its time.
constexpr int kFastLevel = 1;
// Its lazy level, for bodies that the fast one finds worth more search:
// shapes, text and scripts, where it is shorter than zlib's level 6 in
// about half the time.
constexpr int kDeepLevel = 7;
// The fast level's output, as a share of the body in hundredths, below
// which the deep level is tried as well.
constexpr std::size_t kWorthSearching = 99;

struct CDecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};
struct CCompressorFree {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using CDecompressor = std::unique_ptr<libdeflate_decompressor, CDecompressorFree>;
using CCompressor = std::unique_ptr<libdeflate_compressor, CCompressorFree>;

CCompressor MakeCompressor(int level)
{
    CCompressor compressor(libdeflate_alloc_compressor(level));
    if (!compressor)
        throw std::bad_alloc();
    return compressor;
}

// One zlib inflater, ended on every way out.
class CZlibInflater {
public:
    CZlibInflater() { m_ok = inflateInit(&m_stream) == Z_OK; }
    CZlibInflater(const CZlibInflater&) = delete;
    CZlibInflater& operator=(const CZlibInflater&) = delete;
    ~CZlibInflater()
    {
        if (m_ok)
            inflateEnd(&m_stream);
    }
    bool Ok() const { return m_ok; }
    z_stream* operator->() { return &m_stream; }
    z_stream* get() { return &m_stream; }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

// The compressed stream: the rest of the file, up to the most any stream
// of the body could take.
void ReadStream(IInputFile& file, std::size_t bodySize, ByteBuffer& stream)
{
    const std::size_t most = StreamBound(bodySize);
    if (const auto remaining = file.Remaining()) {
        // Exactly what the file holds: nothing to grow, nothing to copy.
        stream.resize(static_cast<std::size_t>(std::min<std::uint64_t>(*remaining, most)));
        std::size_t got = 0;
        while (got < stream.size()) {
            const std::size_t n = file.Read(std::span(stream).subspan(got));
            if (n == 0)
                break;
            got += n;
        }
        stream.resize(got);
        return;
    }
    CBodyOutput out(stream, 0, most, kFirstBodyGuess);
    ReadInto(file, out);
}

// libdeflate's zlib compression of body at the level into out, which must
// be no longer than avail; its length, or 0 when it does not fit.
std::size_t DeflateInto(int level, std::span<const std::uint8_t> body, std::uint8_t* out, std::size_t avail)
{
    const CCompressor compressor = MakeCompressor(level);
    return libdeflate_zlib_compress(compressor.get(), body.data(), body.size(), out, avail);
}

} // namespace

std::optional<std::size_t> InflateWhole(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out)
{
    const CDecompressor decompressor(libdeflate_alloc_decompressor());
    if (!decompressor)
        throw std::bad_alloc();
    std::size_t used = 0;
    // Without a place for the length it yields, libdeflate succeeds only
    // when the stream fills out exactly.
    if (libdeflate_zlib_decompress_ex(
            decompressor.get(), stream.data(), stream.size(), out.data(), out.size(), &used, nullptr)
        != LIBDEFLATE_SUCCESS)
        return std::nullopt;
    return used;
}

bool InflateZlibBody(IInputFile& file, std::uint32_t bodySize, ByteBuffer& movie, ByteBuffer& leftover)
{
    ByteBuffer stream;
    ReadStream(file, bodySize, stream);
    // A stream too short to yield the body fails either way; zlib tells so
    // without a buffer of the length the header claims.
    if (stream.size() * kMostYieldPerByte >= bodySize) {
        try {
            // Not zeroed: pages that the stream never reaches (a header
            // that claims more than it holds) are never touched.
            movie.reserve(kHeaderSize + bodySize);
            movie.resize(kHeaderSize + bodySize);
            if (const auto used = InflateWhole(stream, std::span(movie).subspan(kHeaderSize))) {
                leftover.assign(stream.begin() + static_cast<std::ptrdiff_t>(*used), stream.end());
                return true;
            }
        } catch (const std::bad_alloc&) {
            // The length the header claims is not to be had at once; zlib
            // asks only for what arrives.
        } catch (const std::length_error&) {
        }
        ByteBuffer().swap(movie);
    }
    return InflateAsRead(stream, file, bodySize, movie, leftover);
}

bool InflateAsRead(std::span<const std::uint8_t> start, IInputFile& file, std::uint32_t bodySize, ByteBuffer& movie,
    ByteBuffer& leftover)
{
    CZlibInflater zs;
    if (!zs.Ok())
        return false;
    // The buffer grows with what the stream really yields, up to FileLength,
    // so a lying header costs no more memory than the data behind it.
    const std::uint64_t known = start.size() + file.Remaining().value_or(0);
    const std::uint64_t firstGuess = std::max<std::uint64_t>(kFirstBodyGuess, known * kUsualDeflateRatio);
    ByteBuffer input;
    int rc = Z_OK;
    CBodyOutput body(movie, kHeaderSize, bodySize, std::min<std::uint64_t>(bodySize, firstGuess));
    while (rc == Z_OK) {
        if (zs->avail_in == 0) {
            std::span<const std::uint8_t> next;
            if (!start.empty()) {
                next = start.first(std::min(start.size(), kMostPerCall));
                start = start.subspan(next.size());
            } else {
                input.resize(kInputPiece);
                next = std::span(input).first(file.Read(input));
            }
            if (next.empty())
                break;
            zs->next_in = const_cast<Bytef*>(next.data());
            zs->avail_in = static_cast<uInt>(next.size());
        }
        const std::span<std::uint8_t> room = body.Room();
        if (room.empty()) {
            // Full: the stream may only have its end marker and checksum left.
            std::uint8_t probe = 0;
            zs->next_out = &probe;
            zs->avail_out = 1;
            rc = inflate(zs.get(), Z_NO_FLUSH);
            if (zs->avail_out == 0)
                rc = Z_DATA_ERROR; // more content than the header announced
            continue;
        }
        zs->next_out = room.data();
        zs->avail_out = static_cast<uInt>(std::min(room.size(), kMostPerCall));
        const uInt before = zs->avail_out;
        rc = inflate(zs.get(), Z_NO_FLUSH);
        body.Filled(before - zs->avail_out);
        if (rc == Z_BUF_ERROR && zs->avail_in == 0)
            rc = Z_OK; // needs more input
    }
    body.Finish();
    if (rc != Z_STREAM_END)
        return false;
    // Whatever follows the stream is the start of the bytes after the movie:
    // the rest of the piece being read, then what start still holds.
    leftover.assign(zs->next_in, zs->next_in + zs->avail_in);
    leftover.insert(leftover.end(), start.begin(), start.end());
    return movie.size() == kHeaderSize + bodySize;
}

std::optional<ByteBuffer> DeflateZlibMovie(
    std::span<const std::uint8_t> header, std::span<const std::uint8_t> body, std::span<const std::uint8_t> trailer)
{
    const auto put = [&](ByteBuffer& out, std::size_t length) {
        std::copy(header.begin(), header.end(), out.begin());
        std::copy(trailer.begin(), trailer.end(), out.begin() + static_cast<std::ptrdiff_t>(header.size() + length));
        out.resize(header.size() + length + trailer.size());
    };
    if (body.size() < kSmallBody) {
        uLongf length = compressBound(static_cast<uLong>(body.size()));
        ByteBuffer out(header.size() + length + trailer.size());
        if (compress2(out.data() + header.size(), &length, body.data(), static_cast<uLong>(body.size()), 6) != Z_OK)
            return std::nullopt;
        put(out, length);
        return out;
    }
    const CCompressor fast = MakeCompressor(kFastLevel);
    const std::size_t bound = libdeflate_zlib_compress_bound(fast.get(), body.size());
    ByteBuffer out(header.size() + bound + trailer.size());
    std::size_t length
        = libdeflate_zlib_compress(fast.get(), body.data(), body.size(), out.data() + header.size(), bound);
    if (length == 0)
        return std::nullopt;
    if (length * 100 < body.size() * kWorthSearching) {
        // Kept only when strictly shorter: a longer one does not fit.
        ByteBuffer deeper(length - 1);
        if (const std::size_t n = DeflateInto(kDeepLevel, body, deeper.data(), deeper.size()); n != 0) {
            std::copy_n(deeper.begin(), n, out.begin() + static_cast<std::ptrdiff_t>(header.size()));
            length = n;
        }
    }
    put(out, length);
    return out;
}

} // namespace tintor
