// Colours where ActionScript 3 code keeps a number, in the forms the script
// constants are written in.
#include "swf/abc_places.h"

#include "swf/script_constants.h"

#include <array>

namespace tintor {

namespace {

constexpr std::size_t kLongestPlace = 8;

EncodedPlace PlaceOf(AbcSource source, std::size_t length)
{
    EncodedPlace place;
    place.form = AbcFormOf(source);
    place.length = static_cast<std::uint8_t>(length);
    return place;
}

constexpr std::size_t kLongestVarInt = 5;

// A place's own length: a form of fixed size takes no other, a
// variable-length number no more than five bytes.
bool LengthFits(const EncodedPlace& place, std::size_t length)
{
    return length > 0 && length == ScriptPlaceSize(place)
        && (place.form == PlaceForm::AbcDouble || place.form == PlaceForm::AbcByte || length <= kLongestVarInt);
}

} // namespace

PlaceForm AbcFormOf(AbcSource source)
{
    switch (source) {
    case AbcSource::Int:
    case AbcSource::Uint:
        // Both players read an s32 as its bits stand, as a u32, and
        // compilers write 0x40 to 0x7f in one byte.
        return PlaceForm::AbcVarInt;
    case AbcSource::Double:
        return PlaceForm::AbcDouble;
    case AbcSource::Byte:
        return PlaceForm::AbcByte;
    case AbcSource::Short:
        return PlaceForm::AbcShort;
    }
    return PlaceForm::AbcVarInt;
}

bool WriteAbcColour(AbcSource source, std::span<std::uint8_t> bytes, std::uint32_t colour)
{
    const EncodedPlace place = PlaceOf(source, bytes.size());
    return LengthFits(place, bytes.size()) && WriteScriptConstant(bytes, place, colour);
}

bool AbcColourFits(AbcSource source, std::size_t length, std::uint32_t colour)
{
    std::array<std::uint8_t, kLongestPlace> scratch{};
    return length <= scratch.size() && WriteAbcColour(source, std::span(scratch).first(length), colour);
}

std::optional<std::uint32_t> AbcColourOf(AbcSource source, std::span<const std::uint8_t> bytes)
{
    const EncodedPlace place = PlaceOf(source, bytes.size());
    return LengthFits(place, bytes.size()) ? ReadScriptConstant(bytes, place) : std::nullopt;
}

} // namespace tintor
