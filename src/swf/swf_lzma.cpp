// The LZMA body of a ZWS movie, read and written through liblzma.
#include "swf/swf_lzma.h"

#include "swf/body_output.h"

#include <lzma.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>
#include <optional>

namespace tintor {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kPropertiesSize = 5;
constexpr std::size_t kInputPiece = std::size_t{1} << 16;
// The most bytes one byte of an LZMA stream can yield. Every bit is coded
// with a probability of at most 2017/2048, so it costs at least 0.022 bits
// of the stream; the cheapest bytes, a repeat of the last match at its
// longest length, 273 bytes, take 14 such bits. One byte of stream thus
// yields at most about 7,100 bytes; a dictionary larger than that many times
// the stream can never fill.
constexpr std::uint64_t kMostYieldPerByte = 8192;

// One liblzma coder, ended on every way out.
class CLzmaStream {
public:
    CLzmaStream() = default;
    CLzmaStream(const CLzmaStream&) = delete;
    CLzmaStream& operator=(const CLzmaStream&) = delete;
    ~CLzmaStream() { lzma_end(&m_stream); }
    lzma_stream* operator->() { return &m_stream; }
    lzma_stream* get() { return &m_stream; }

private:
    lzma_stream m_stream = LZMA_STREAM_INIT;
};

std::uint32_t DictionaryFor(std::uint32_t stated, std::uint32_t bodySize, std::optional<std::uint64_t> streamSize)
{
    // liblzma allocates the whole dictionary at once. No match reaches
    // further back than the body is long, nor than the stream can yield.
    std::uint64_t dictionary = std::min(stated, bodySize);
    if (streamSize)
        dictionary = std::min(dictionary, *streamSize * kMostYieldPerByte);
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(dictionary, LZMA_DICT_SIZE_MIN));
}

} // namespace

bool DecodeLzmaBody(IInputFile& file, std::uint32_t bodySize, ByteBuffer& movie, ByteBuffer& leftover)
{
    std::array<std::uint8_t, kLzmaPrologueSize> prologue{};
    if (file.Read(prologue) < prologue.size())
        return false;
    // The stated compressed length (the first four bytes) is not needed:
    // the stream is read up to the body's end, as players read it.
    lzma_filter filter{LZMA_FILTER_LZMA1, nullptr};
    if (lzma_properties_decode(&filter, nullptr, prologue.data() + 4, kPropertiesSize) != LZMA_OK)
        return false;
    lzma_options_lzma options = *static_cast<lzma_options_lzma*>(filter.options);
    std::free(filter.options);
    // The body's length is known, so the end marker may or may not follow it.
    options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma_set_ext_size(options, bodySize);

    // The first read goes far enough to tell whether the stream could fill
    // the dictionary it states: at most a few hundred KiB.
    const std::uint64_t wanted = std::min(options.dict_size, bodySize) / kMostYieldPerByte + 1;
    ByteBuffer input(std::max<std::size_t>(kInputPiece, static_cast<std::size_t>(wanted)));
    std::size_t got = file.Read(input);
    bool atEnd = got < input.size();
    std::optional<std::uint64_t> streamSize;
    if (atEnd)
        streamSize = got;
    else if (const auto remaining = file.Remaining())
        streamSize = got + *remaining;
    options.dict_size = DictionaryFor(options.dict_size, bodySize, streamSize);

    lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    CLzmaStream zs;
    lzma_ret rc = lzma_raw_decoder(zs.get(), filters);
    if (rc == LZMA_MEM_ERROR)
        throw std::bad_alloc();
    if (rc != LZMA_OK)
        return false;
    zs->next_in = input.data();
    zs->avail_in = got;
    // The output, too, starts from a modest guess and grows with what the
    // stream yields.
    const std::uint64_t guess = std::max<std::uint64_t>(4 * streamSize.value_or(got), kInputPiece);
    CBodyOutput body(movie, kHeaderSize, bodySize, static_cast<std::size_t>(std::min<std::uint64_t>(bodySize, guess)));
    while (rc == LZMA_OK) {
        if (zs->avail_in == 0 && !atEnd) {
            got = file.Read(input);
            atEnd = got < input.size();
            zs->next_in = input.data();
            zs->avail_in = got;
        }
        // Once the body is complete the decoder may still have the end
        // marker to take; it gets one spare byte it must not fill.
        std::uint8_t probe = 0;
        const std::span<std::uint8_t> room = body.Room();
        zs->next_out = room.empty() ? &probe : room.data();
        zs->avail_out = room.empty() ? 1 : room.size();
        const std::size_t before = zs->avail_out;
        rc = lzma_code(zs.get(), atEnd ? LZMA_FINISH : LZMA_RUN);
        if (room.empty() && zs->avail_out == 0)
            return false; // more content than the header announced
        if (!room.empty())
            body.Filled(before - zs->avail_out);
    }
    if (rc == LZMA_MEM_ERROR)
        throw std::bad_alloc();
    // An end marker before the body's end, damage or a stream cut short all
    // end here, after the one pass.
    if (rc != LZMA_STREAM_END || body.Size() != bodySize)
        return false;
    body.Finish();
    leftover.assign(zs->next_in, zs->next_in + zs->avail_in);
    return true;
}

std::optional<ByteBuffer> EncodeLzmaMovie(
    std::span<const std::uint8_t> header, std::span<const std::uint8_t> body, std::span<const std::uint8_t> trailer)
{
    lzma_options_lzma options{};
    if (lzma_lzma_preset(&options, LZMA_PRESET_DEFAULT))
        return std::nullopt;
    // A dictionary larger than the body gains nothing and costs the player
    // memory when it plays the movie.
    options.dict_size
        = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(body.size(), LZMA_DICT_SIZE_MIN, options.dict_size));
    // Plain LZMA1 always ends with the end marker, as the movies that
    // authoring tools write do.
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    const std::size_t streamAt = header.size() + kLzmaPrologueSize;
    ByteBuffer out(streamAt + body.size() / 2 + trailer.size() + (1 << 12));
    std::copy(header.begin(), header.end(), out.begin());
    if (lzma_properties_encode(&filters[0], out.data() + header.size() + 4) != LZMA_OK)
        return std::nullopt;
    CLzmaStream zs;
    if (lzma_raw_encoder(zs.get(), filters) != LZMA_OK)
        return std::nullopt;
    zs->next_in = body.data();
    zs->avail_in = body.size();
    lzma_ret rc = LZMA_OK;
    while (rc == LZMA_OK) {
        const std::size_t produced = zs->total_out;
        if (produced == out.size() - streamAt)
            out.resize(out.size() * 2);
        zs->next_out = out.data() + streamAt + produced;
        zs->avail_out = out.size() - streamAt - produced;
        rc = lzma_code(zs.get(), LZMA_FINISH);
    }
    const std::uint64_t length = zs->total_out;
    if (rc != LZMA_STREAM_END || length > UINT32_MAX)
        return std::nullopt;
    out.resize(streamAt + length);
    out.insert(out.end(), trailer.begin(), trailer.end());
    for (std::size_t i = 0; i < 4; ++i)
        out[header.size() + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return out;
}

} // namespace tintor
