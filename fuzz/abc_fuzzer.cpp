// One ABC block of any bytes: the record readers, the instruction reader and
// the stack walk. Whatever the bytes, nothing is read outside the block;
// every colour place found lies wholly inside it and holds the colour it is
// listed with and takes every colour that fits it, a block that could not
// be read to its end yields none, and writing a place changes no byte
// outside it.
#include "swf/abc_colours.h"
#include "swf/abc_readers.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Somewhere inside a movie, as a block always is.
    constexpr std::uint32_t kAt = 1000;
    std::vector<std::uint8_t> block(data, data + size);
    const tintor::AbcColours colours = tintor::FindAbcColours(block, kAt);
    if (colours.fault != tintor::AbcFault::None && !colours.places.empty())
        std::abort();
    if (colours.fault != tintor::AbcFault::None && (colours.faultPos < kAt || colours.faultPos > kAt + size))
        std::abort();
    const std::vector<std::uint8_t> loaded = block;
    for (const tintor::AbcColourPlace& place : colours.places) {
        if (place.pos < kAt || std::size_t{place.pos - kAt} + place.length > size)
            std::abort();
        const auto bytes = std::span(block).subspan(place.pos - kAt, place.length);
        if (tintor::AbcColourOf(place.source, bytes) != place.colour)
            std::abort();
        // A colour every place holds, then one only some hold, then its own.
        for (const std::uint32_t colour : {0x000012u, 0x3F1F0Fu, place.colour}) {
            const bool fits = tintor::AbcColourFits(place.source, bytes.size(), colour);
            if (tintor::WriteAbcColour(place.source, bytes, colour) != fits)
                std::abort();
            if (fits && tintor::AbcColourOf(place.source, bytes) != colour)
                std::abort();
        }
        if (!tintor::AbcColourFits(place.source, bytes.size(), place.colour))
            std::abort();
        // The bytes as loaded go back as they were, as a movie's do.
        std::copy_n(loaded.begin() + (place.pos - kAt), place.length, bytes.begin());
    }
    if (block != loaded)
        std::abort();
    return 0;
}
