#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tintor {

// A colour transform record (CXFORM, or CXFORMWITHALPHA) as it is stored:
// which terms it has, how many bits each takes, and their values. Red,
// green, blue and alpha are channels 0 to 3; absent terms read as the
// neutral 256 and 0.
struct CxformRecord {
    bool withAlpha = false;
    bool hasAdd = false;
    bool hasMult = false;
    unsigned bits = 0;
    std::array<std::int32_t, 4> mult{256, 256, 256, 256};
    std::array<std::int32_t, 4> add{0, 0, 0, 0};

    unsigned Channels() const { return withAlpha ? 4u : 3u; }
    // The record's length in bits and in whole bytes, as it is padded.
    std::size_t BitLength() const;
    std::size_t ByteLength() const { return (BitLength() + 7) / 8; }
    // Where the add term of a channel starts, in bits from the record's start.
    std::size_t AddBit(unsigned channel) const;
    // Whether a value fits a term of this record's width.
    bool Fits(std::int32_t value) const;

    friend bool operator==(const CxformRecord&, const CxformRecord&) = default;
};

// The record at the front of bytes; nothing when it runs past their end.
std::optional<CxformRecord> ParseCxformRecord(std::span<const std::uint8_t> bytes, bool withAlpha);

// A transform that the authoring tool's Tint or Brightness effect writes:
// add terms, red, green and blue multiplied alike by m (0 <= m < 256), and
// no add term below 0. Every pixel then moves towards one colour by
// (256 - m) / 256; that colour is the tint's.
struct Tint {
    std::int32_t mult = 0;
    std::uint32_t rgb = 0; // red in the low byte, as keys hold it

    friend bool operator==(const Tint&, const Tint&) = default;
};
std::optional<Tint> TintOf(const CxformRecord& record);

// One channel of a tint's colour from its add term, and the add term that
// gives a channel of a colour, for the multiplier m.
std::uint32_t TintChannel(std::int32_t add, std::int32_t mult);
std::int32_t TintAddTerm(std::uint32_t channel, std::int32_t mult);
// The add terms of red, green and blue for the colour rgb.
std::array<std::int32_t, 3> TintAddTerms(std::uint32_t rgb, std::int32_t mult);

// Whether every colour can be written into the tint record: the largest add
// term (for white) fits the record's width.
bool HasRoomForEveryColour(const CxformRecord& record, std::int32_t mult);

// Writes red, green and blue add terms into the record at the front of
// bytes, which ParseCxformRecord read as record, in its own width, every
// other bit as it was. False, with the bytes untouched, when the record has
// no add terms or a term does not fit.
bool WriteAddTerms(std::span<std::uint8_t> bytes, const CxformRecord& record, const std::array<std::int32_t, 3>& add);

} // namespace tintor
