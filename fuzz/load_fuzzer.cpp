// Loads arbitrary bytes as a movie, under both collection rules. Whatever
// they hold, Load must return without reading outside its buffers, every
// colour it registers must lie wholly inside the movie, and so must every
// image tag it lists, which is then listed and decoded.
#include "bitmap/bitmap_image.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>

namespace {

class CDiscardingSink final : public tintor::IMessageSink {
public:
    void Show(std::string_view) override {}
};

void CheckLoad(const std::uint8_t* data, std::size_t size, tintor::CollectionRule rule)
{
    CDiscardingSink messages;
    tintor::CSwfFile movie(messages);
    tintor::CMemoryInputFile file(std::vector<std::uint8_t>(data, data + size), "fuzz.swf");
    if (!movie.Load(file, rule)) {
        if (movie.HasMovie() || !movie.Colors().Empty())
            std::abort(); // a failed load holds nothing
        return;
    }
    const std::size_t length = movie.Buffer().size();
    if (length != movie.FileSize())
        std::abort();
    for (const tintor::SwfImageRecord& image : movie.Images()) {
        if (std::size_t{image.bodyOffset} + image.bodyLength > length || image.tagOffset >= image.bodyOffset)
            std::abort();
        const tintor::BitmapSource source{
            image, movie.Buffer().subspan(image.bodyOffset, image.bodyLength), movie.JpegTables()};
        tintor::CBitmapImage::Describe(source);
        tintor::CBitmapImage::Thumbnail(source, 48);
    }
    movie.Colors().ForEach([&](tintor::ColorKey key, const tintor::PositionList& positions) {
        if (positions.empty())
            std::abort();
        for (std::uint32_t p : positions) {
            // Past the end, or a key that is not the colour standing there.
            const std::size_t size = movie.PlaceSize(p);
            if (size == 0 || std::size_t{p} + size > length || tintor::RgbOf(key) != movie.ColourAt(p))
                std::abort();
        }
    });
    // Places stored otherwise than as three bytes take a colour in their own
    // form, keep the movie's length, and give back their bytes as loaded.
    const std::vector<std::uint8_t> loaded(movie.Buffer().begin(), movie.Buffer().end());
    for (const tintor::EncodedPlace& place : movie.EncodedPlaces())
        movie.WriteColour(place.pos, 0x7F3F1F);
    for (const tintor::EncodedPlace& place : movie.EncodedPlaces())
        if (!movie.WriteColour(place.pos, place.loaded))
            std::abort();
    if (movie.Buffer().size() != length || !std::equal(loaded.begin(), loaded.end(), movie.Buffer().begin()))
        std::abort();
}

// A plain movie's body as a raw LZMA stream with its end marker, made
// quickly: the point is how the stream ends, not how small it is.
std::vector<std::uint8_t> LzmaStream(const std::uint8_t* body, std::size_t size)
{
    lzma_options_lzma options{};
    if (lzma_lzma_preset(&options, 0))
        return {};
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream zs = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&zs, filters) != LZMA_OK)
        return {};
    std::vector<std::uint8_t> out(size + size / 2 + 1024);
    zs.next_in = body;
    zs.avail_in = size;
    zs.next_out = out.data();
    zs.avail_out = out.size();
    const lzma_ret rc = lzma_code(&zs, LZMA_FINISH);
    out.resize(rc == LZMA_STREAM_END ? zs.total_out : 0);
    lzma_end(&zs);
    return out;
}

// The movie with the given FileLength as an LZMA one: header, stream
// length, properties and the stream.
std::vector<std::uint8_t> LzmaMovie(
    const std::uint8_t* header, std::uint32_t fileLength, const std::vector<std::uint8_t>& stream)
{
    lzma_options_lzma options{};
    lzma_lzma_preset(&options, 0);
    lzma_filter filter{LZMA_FILTER_LZMA1, &options};
    std::vector<std::uint8_t> movie = {'Z', 'W', 'S', header[3]};
    for (const std::uint32_t field : {fileLength, static_cast<std::uint32_t>(stream.size())})
        for (int i = 0; i < 4; ++i)
            movie.push_back(static_cast<std::uint8_t>(field >> (8 * i)));
    movie.resize(movie.size() + 5);
    if (lzma_properties_encode(&filter, movie.data() + 12) != LZMA_OK)
        return {};
    movie.insert(movie.end(), stream.begin(), stream.end());
    return movie;
}

// A plain movie is also loaded as an LZMA one whose stream ends early: its
// end marker comes before FileLength, or the stream is cut short, by an
// amount the input's last byte chooses. The first must fail; both must
// hold nothing when they fail.
void CheckLzmaEndingEarly(const std::uint8_t* data, std::size_t size)
{
    if (size < 21 || size > UINT32_MAX / 2 || data[0] != 'F' || data[1] != 'W' || data[2] != 'S')
        return;
    const auto stream = LzmaStream(data + 8, size - 8);
    if (stream.empty())
        return;
    const std::size_t amount = 1 + data[size - 1];
    const auto longer = LzmaMovie(data, static_cast<std::uint32_t>(size + amount), stream);
    auto cut = LzmaMovie(data, static_cast<std::uint32_t>(size), stream);
    cut.resize(cut.size() - std::min(stream.size(), amount));
    CDiscardingSink messages;
    tintor::CSwfFile movie(messages);
    tintor::CMemoryInputFile file(longer, "fuzz.swf");
    if (movie.Load(file) || movie.HasMovie() || !movie.Colors().Empty())
        std::abort();
    CheckLoad(cut.data(), cut.size(), tintor::CollectionRule::Extended);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckLoad(data, size, tintor::CollectionRule::Extended);
    CheckLoad(data, size, tintor::CollectionRule::Classic);
    CheckLzmaEndingEarly(data, size);
    return 0;
}
