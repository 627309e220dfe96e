// One action block of arbitrary bytes in a movie: the first byte picks the
// tag that holds it and the movie's version, the rest are the actions. The
// colour pass must never read outside the block, every place it reports
// must hold a colour inside the block, and writing colours there must change
// no byte outside the reported places.
#include "swf/avm1_colours.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"

#include <cstdlib>

namespace {

class CDiscardingSink final : public tintor::IMessageSink {
public:
    void Show(std::string_view) override {}
};

// DoAction, DoInitAction (a sprite id first), DefineButton (an id and an
// empty record list first).
struct Holder {
    std::uint16_t code;
    std::vector<std::uint8_t> head;
};
const Holder kHolders[] = {{12, {}}, {59, {1, 0}}, {7, {1, 0, 0}}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const Holder& holder = kHolders[data[0] % std::size(kHolders)];
    const std::uint8_t version = (data[0] / std::size(kHolders)) % 2 == 0 ? 6 : 8;
    const std::span<const std::uint8_t> actions(data + 1, size - 1);

    // The pass alone, over a block with nothing after it.
    const auto found = tintor::FindActionColours(actions, 0, actions.size(), version);
    for (const tintor::EncodedPlace& place : found.places)
        if (!found.readable || place.pos >= actions.size() || place.uses == 0)
            std::abort();

    std::vector<std::uint8_t> body = holder.head;
    body.insert(body.end(), actions.begin(), actions.end());
    tintor::CMovieBuilder builder(version);
    const std::uint32_t start = builder.AddTag(holder.code, body);
    CDiscardingSink messages;
    tintor::CSwfFile movie(messages);
    tintor::CMemoryInputFile file(builder.Build(), "fuzz.swf");
    if (!movie.Load(file))
        std::abort(); // a well-formed movie of one tag
    const std::size_t end = start + body.size();
    const std::vector<std::uint8_t> loaded(movie.Buffer().begin(), movie.Buffer().end());
    std::vector<bool> placeByte(loaded.size(), false);
    for (const tintor::EncodedPlace& place : movie.EncodedPlaces()) {
        const std::size_t placeSize = movie.PlaceSize(place.pos);
        if (place.pos < start || place.pos + placeSize > end || movie.ColourAt(place.pos) != place.loaded)
            std::abort();
        std::fill_n(placeByte.begin() + place.pos, placeSize, true);
        movie.WriteColour(place.pos, 0x3F7F1F);
    }
    for (std::size_t i = 0; i < loaded.size(); ++i)
        if (!placeByte[i] && movie.Buffer()[i] != loaded[i])
            std::abort();
    for (const tintor::EncodedPlace& place : movie.EncodedPlaces())
        if (!movie.WriteColour(place.pos, place.loaded))
            std::abort();
    if (!std::equal(loaded.begin(), loaded.end(), movie.Buffer().begin()))
        std::abort();
    return 0;
}
