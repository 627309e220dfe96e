// Loads arbitrary bytes as a movie, under both collection rules. Whatever
// they hold, Load must return without reading outside its buffers, every
// colour it registers must lie wholly inside the movie, and so must every
// image tag it lists, which is then listed and decoded.
#include "bitmap/bitmap_image.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"

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
        const auto body = movie.Buffer().subspan(image.bodyOffset, image.bodyLength);
        tintor::CBitmapImage::Describe(image, body);
        tintor::CBitmapImage::Decode(image, body);
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckLoad(data, size, tintor::CollectionRule::Extended);
    CheckLoad(data, size, tintor::CollectionRule::Classic);
    return 0;
}
