// Reading and writing a colour where ActionScript 3 code keeps a number.
//
// The two players read a shorter s32 differently: Flash Player takes its
// bits as they are, Ruffle sign-extends them from the last byte's top bit.
// A colour is therefore read only from bytes whose top bit is clear (or
// that use all five bytes), and written only so. Unneeded bytes are
// written as continuations without payload, which both players read.
#include "swf/abc_places.h"

#include "swf/abc_cursor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace tintor {

namespace {

constexpr std::uint32_t kMaxColour = 0xFFFFFF;
constexpr std::uint32_t kMaxByteColour = 0x7F;
constexpr std::uint32_t kMaxShortColour = 0x7FFF;
constexpr std::size_t kDoubleLength = 8;

// The bits of a variable-length integer that takes exactly bytes.
std::optional<std::uint32_t> VarintBits(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > kAbcVarintMaxLength)
        return std::nullopt;
    CAbcCursor cursor(bytes, 0);
    const AbcVarint v = cursor.ReadVarint();
    if (cursor.Failed() || v.length != bytes.size())
        return std::nullopt;
    return v.value;
}

std::array<std::uint8_t, kDoubleLength> DoubleBytes(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::array<std::uint8_t, kDoubleLength> bytes;
    for (std::size_t i = 0; i < kDoubleLength; ++i)
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return bytes;
}

} // namespace

bool AbcColourFits(AbcSource source, std::size_t length, std::uint32_t colour)
{
    if (colour > kMaxColour)
        return false;
    const auto below = [&](unsigned bits) { return bits >= 32 || colour < (1u << bits); };
    switch (source) {
    case AbcSource::Int:
        return length == kAbcVarintMaxLength || (length >= 1 && length < kAbcVarintMaxLength && below(7 * length - 1));
    case AbcSource::Uint:
        return length >= 1 && length <= kAbcVarintMaxLength && below(static_cast<unsigned>(7 * length));
    case AbcSource::Double:
        return length == kDoubleLength;
    case AbcSource::Byte:
        return length == 1 && colour <= kMaxByteColour;
    case AbcSource::Short:
        return length >= 1 && length <= kAbcVarintMaxLength && colour <= kMaxShortColour
            && below(static_cast<unsigned>(7 * length));
    }
    return false;
}

bool WriteAbcColour(AbcSource source, std::span<std::uint8_t> bytes, std::uint32_t colour)
{
    if (!AbcColourFits(source, bytes.size(), colour))
        return false;
    switch (source) {
    case AbcSource::Int:
    case AbcSource::Uint:
    case AbcSource::Short:
        return WriteAbcVarint(bytes, colour);
    case AbcSource::Double: {
        const auto encoded = DoubleBytes(static_cast<double>(colour));
        std::copy(encoded.begin(), encoded.end(), bytes.begin());
        return true;
    }
    case AbcSource::Byte:
        bytes[0] = static_cast<std::uint8_t>(colour);
        return true;
    }
    return false;
}

std::optional<std::uint32_t> AbcColourOf(AbcSource source, std::span<const std::uint8_t> bytes)
{
    std::optional<std::uint32_t> colour;
    switch (source) {
    case AbcSource::Int:
    case AbcSource::Uint:
    case AbcSource::Short:
        colour = VarintBits(bytes);
        break;
    case AbcSource::Double:
        if (bytes.size() == kDoubleLength) {
            std::uint64_t bits = 0;
            for (std::size_t i = kDoubleLength; i-- > 0;)
                bits = bits << 8 | bytes[i];
            double value;
            std::memcpy(&value, &bits, sizeof value);
            if (value >= 0 && value <= kMaxColour && std::floor(value) == value)
                colour = static_cast<std::uint32_t>(value);
        }
        break;
    case AbcSource::Byte:
        if (bytes.size() == 1)
            colour = bytes[0];
        break;
    }
    // Only bytes that the writer would write for the colour: that rules out
    // whatever the players read differently, negative values and bits
    // above those the value is taken from.
    std::array<std::uint8_t, kDoubleLength> again{};
    if (!colour || bytes.size() > again.size() || !WriteAbcColour(source, std::span(again).first(bytes.size()), *colour)
        || !std::equal(bytes.begin(), bytes.end(), again.begin()))
        return std::nullopt;
    return colour;
}

} // namespace tintor
