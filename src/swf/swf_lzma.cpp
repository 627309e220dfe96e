// The LZMA body of a ZWS movie, read and written through liblzma.
#include "swf/swf_lzma.h"

#include <lzma.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace tintor {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kPropertiesSize = 5;
// The dictionary of the first attempt; few movies need more.
constexpr std::uint32_t kFirstDictionary = 1u << 20;
constexpr std::uint32_t kDictionaryGrowth = 8;

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

// Whatever the file still holds: the stream's real length, which bounds the
// input allocation.
ByteBuffer ReadRest(IInputFile& file)
{
    // One read when the file knows its length (the byte more shows that
    // it ended); otherwise reads of growing size.
    ByteBuffer input;
    std::size_t chunk = static_cast<std::size_t>(file.Remaining().value_or(1 << 16)) + 1;
    for (;;) {
        const std::size_t at = input.size();
        input.resize(at + chunk);
        const std::size_t n = file.Read(std::span(input).subspan(at));
        input.resize(at + n);
        if (n < chunk)
            return input;
        chunk = std::min<std::size_t>(chunk * 2, 1 << 24);
    }
}

enum class Outcome { Done, Failed, DictionaryTooSmall };

// Decodes into movie; consumed tells where the stream ended in input.
Outcome DecodeWith(std::span<const std::uint8_t> input, lzma_options_lzma options, std::uint32_t bodySize,
    ByteBuffer& movie, std::size_t& consumed)
{
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    CLzmaStream zs;
    if (lzma_raw_decoder(zs.get(), filters) != LZMA_OK)
        return Outcome::Failed;
    zs->next_in = input.data();
    zs->avail_in = input.size();
    // Once the body is complete the decoder may still have the end marker
    // to take; it gets one spare byte it must not fill.
    std::uint8_t probe = 0;
    lzma_ret rc = LZMA_OK;
    while (rc == LZMA_OK) {
        const std::size_t produced = zs->total_out;
        if (produced >= bodySize) {
            zs->next_out = &probe;
            zs->avail_out = 1;
        } else {
            if (produced == movie.size() - kHeaderSize)
                movie.resize(kHeaderSize + std::min<std::size_t>(bodySize, 2 * produced));
            zs->next_out = movie.data() + kHeaderSize + produced;
            zs->avail_out = movie.size() - kHeaderSize - produced;
        }
        rc = lzma_code(zs.get(), LZMA_FINISH);
    }
    const std::uint64_t produced = zs->total_out;
    consumed = static_cast<std::size_t>(zs->total_in);
    if (rc == LZMA_STREAM_END)
        return produced == bodySize ? Outcome::Done : Outcome::Failed;
    // A distance beyond the dictionary looks like damage, but only a stream
    // that has yielded more than the dictionary holds can meet one.
    if (rc == LZMA_DATA_ERROR && produced >= options.dict_size)
        return Outcome::DictionaryTooSmall;
    return Outcome::Failed;
}

} // namespace

bool DecodeLzmaBody(IInputFile& file, std::uint32_t bodySize, ByteBuffer& movie, ByteBuffer& trailer)
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

    const ByteBuffer input = ReadRest(file);
    // liblzma allocates the whole dictionary up front, and the size the
    // properties state is no more to be trusted than the header. No stream
    // reaches further back than it has yielded, so decoding starts with a
    // modest dictionary and starts again with a larger one only once the
    // stream has really yielded more than it holds.
    const std::uint32_t needed = std::min(options.dict_size, std::max<std::uint32_t>(bodySize, LZMA_DICT_SIZE_MIN));
    std::uint32_t dictionary = std::min(needed, kFirstDictionary);
    // The output, too, starts from a modest guess and grows with what the
    // stream yields, without being zeroed first.
    movie.resize(kHeaderSize + std::min<std::size_t>(bodySize, std::max<std::size_t>(4 * input.size(), 1 << 16)));
    for (;;) {
        options.dict_size = dictionary;
        std::size_t consumed = 0;
        switch (DecodeWith(input, options, bodySize, movie, consumed)) {
        case Outcome::Done:
            trailer.assign(input.begin() + static_cast<std::ptrdiff_t>(consumed), input.end());
            return true;
        case Outcome::Failed:
            return false;
        case Outcome::DictionaryTooSmall:
            if (dictionary == needed)
                return false;
            dictionary = needed / kDictionaryGrowth < dictionary ? needed : dictionary * kDictionaryGrowth;
            break;
        }
    }
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
