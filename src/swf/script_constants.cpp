#include "swf/script_constants.h"

#include <bit>
#include <cmath>

namespace tintor {

namespace {

constexpr std::uint32_t kLargestColour = 0xFFFFFF;
constexpr std::uint32_t kLargestShort = 0x7FFF;
constexpr std::uint32_t kLargestByte = 0x7F;
constexpr unsigned kLongestVarInt = 5;
constexpr unsigned kVarIntBits = 7;
constexpr std::uint8_t kMore = 0x80;

std::uint32_t Little32(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16) | std::uint32_t{b[at + 3]} << 24;
}

void PutLittle32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v)
{
    for (unsigned i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::optional<std::uint32_t> ColourOfDouble(double d)
{
    // Negative zero is zero; NaN fails both comparisons.
    if (!(d >= 0 && d <= kLargestColour) || d != std::floor(d))
        return std::nullopt;
    return static_cast<std::uint32_t>(d);
}

// A variable-length integer of exactly length bytes: every byte but the
// last carries the continuation bit.
std::optional<std::uint32_t> ReadVarInt(std::span<const std::uint8_t> bytes, unsigned length)
{
    if (length == 0 || length > kLongestVarInt || bytes.size() < length)
        return std::nullopt;
    std::uint64_t value = 0;
    for (unsigned i = 0; i < length; ++i) {
        const bool more = (bytes[i] & kMore) != 0;
        if (more != (i + 1 < length))
            return std::nullopt;
        value |= std::uint64_t{bytes[i] & 0x7Fu} << (kVarIntBits * i);
    }
    return static_cast<std::uint32_t>(value);
}

bool FitsVarInt(std::uint32_t value, unsigned length)
{
    return length >= kLongestVarInt || (length > 0 && value >> (kVarIntBits * length) == 0);
}

void PutVarInt(std::span<std::uint8_t> bytes, unsigned length, std::uint32_t value)
{
    for (unsigned i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>((value & 0x7F) | (i + 1 < length ? kMore : 0));
        value >>= kVarIntBits;
    }
}

std::optional<std::uint32_t> Colour(std::uint32_t value, std::uint32_t largest = kLargestColour)
{
    return value <= largest ? std::optional<std::uint32_t>(value) : std::nullopt;
}

} // namespace

std::string ScriptUseList(std::uint32_t uses)
{
    std::string list;
    for (std::size_t i = 0; i < std::size(kScriptUseNames); ++i)
        if (uses & (1u << i)) {
            if (!list.empty())
                list += ", ";
            list += kScriptUseNames[i];
        }
    return list;
}

bool IsScriptForm(PlaceForm form)
{
    switch (form) {
    case PlaceForm::Tint:
    case PlaceForm::TintWithAlpha:
    case PlaceForm::HtmlHex:
        return false;
    case PlaceForm::ActionInteger:
    case PlaceForm::ActionDouble:
    case PlaceForm::AbcVarInt:
    case PlaceForm::AbcShort:
    case PlaceForm::AbcByte:
    case PlaceForm::AbcDouble:
        return true;
    }
    return false;
}

std::size_t ScriptPlaceSize(const EncodedPlace& place)
{
    switch (place.form) {
    case PlaceForm::ActionInteger:
        return 4;
    case PlaceForm::ActionDouble:
    case PlaceForm::AbcDouble:
        return 8;
    case PlaceForm::AbcVarInt:
    case PlaceForm::AbcShort:
        return place.length;
    case PlaceForm::AbcByte:
        return 1;
    default:
        return 0;
    }
}

std::optional<std::uint32_t> ReadScriptConstant(std::span<const std::uint8_t> bytes, const EncodedPlace& place)
{
    const std::size_t size = ScriptPlaceSize(place);
    if (size == 0 || bytes.size() < size)
        return std::nullopt;
    switch (place.form) {
    case PlaceForm::ActionInteger:
        return Colour(Little32(bytes, 0));
    case PlaceForm::ActionDouble:
        return ColourOfDouble(std::bit_cast<double>(std::uint64_t{Little32(bytes, 0)} << 32 | Little32(bytes, 4)));
    case PlaceForm::AbcDouble:
        return ColourOfDouble(std::bit_cast<double>(std::uint64_t{Little32(bytes, 4)} << 32 | Little32(bytes, 0)));
    case PlaceForm::AbcVarInt: {
        const auto value = ReadVarInt(bytes, place.length);
        return value ? Colour(*value) : std::nullopt;
    }
    case PlaceForm::AbcShort: {
        // Only the low 16 bits count, read as a signed number.
        const auto value = ReadVarInt(bytes, place.length);
        return value ? Colour(*value & 0xFFFF, kLargestShort) : std::nullopt;
    }
    case PlaceForm::AbcByte:
        return Colour(bytes[0], kLargestByte);
    default:
        return std::nullopt;
    }
}

bool WriteScriptConstant(std::span<std::uint8_t> bytes, const EncodedPlace& place, std::uint32_t value)
{
    const std::size_t size = ScriptPlaceSize(place);
    if (size == 0 || bytes.size() < size || value > kLargestColour)
        return false;
    switch (place.form) {
    case PlaceForm::ActionInteger:
        PutLittle32(bytes, 0, value);
        return true;
    case PlaceForm::ActionDouble:
    case PlaceForm::AbcDouble: {
        const auto bits = std::bit_cast<std::uint64_t>(static_cast<double>(value));
        const bool highFirst = place.form == PlaceForm::ActionDouble;
        PutLittle32(bytes, highFirst ? 0 : 4, static_cast<std::uint32_t>(bits >> 32));
        PutLittle32(bytes, highFirst ? 4 : 0, static_cast<std::uint32_t>(bits));
        return true;
    }
    case PlaceForm::AbcShort:
        if (value > kLargestShort)
            return false;
        [[fallthrough]];
    case PlaceForm::AbcVarInt:
        if (!FitsVarInt(value, place.length))
            return false;
        PutVarInt(bytes, place.length, value);
        return true;
    case PlaceForm::AbcByte:
        if (value > kLargestByte)
            return false;
        bytes[0] = static_cast<std::uint8_t>(value);
        return true;
    default:
        return false;
    }
}

bool HoldsEveryColour(const EncodedPlace& place)
{
    switch (place.form) {
    case PlaceForm::AbcVarInt:
        return FitsVarInt(kLargestColour, place.length);
    case PlaceForm::AbcShort:
    case PlaceForm::AbcByte:
        return false;
    default:
        return true;
    }
}

} // namespace tintor
