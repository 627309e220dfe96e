#pragma once

#include "swf/swf_records.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tintor {

// Writes the movie format's fields: bit fields most significant bit first,
// byte fields little-endian and byte-aligned (pending bits are padded with 0).
class CBitWriter {
public:
    void WriteBits(std::uint32_t value, int n);
    void WriteSBits(std::int32_t value, int n);
    // Pads the pending bits with zeros to the next byte boundary.
    void Align();

    void WriteByte(std::uint8_t v);
    void WriteWord(std::uint16_t v);
    void WriteDWord(std::uint32_t v);
    void WriteBytes(std::span<const std::uint8_t> bytes);
    // The string and its terminating zero.
    void WriteString(std::string_view s);
    void WriteRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    void WriteRgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

    // Records are written with the fewest bits that hold their values.
    void WriteRect(const SwfRect& rect);
    void WriteMatrix(const SwfMatrix& matrix);
    void WriteCxform(const SwfCxform& cxform, bool withAlpha);
    // The same with the flags and the term width given, as a movie may
    // store them: terms that do not fit the width are cut to it.
    void WriteCxform(const SwfCxform& cxform, bool withAlpha, bool hasAdd, bool hasMult, int bits);

    // Bytes written so far (pending bits not included).
    std::size_t Size() const { return m_bytes.size(); }
    // Aligns and hands over the bytes.
    std::vector<std::uint8_t> Take();

private:
    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_pending = 0;
    int m_pendingCount = 0;
};

// Bits needed to hold every value as a signed bit field.
int SignedBitsFor(std::initializer_list<std::int32_t> values);

// A RECORDHEADER and body; the long form when asked or when the body needs it.
std::vector<std::uint8_t> TagBytes(std::uint16_t code, std::span<const std::uint8_t> body, bool longForm = false);

// Puts a movie together tag by tag and remembers where each tag body lands
// in the uncompressed movie, so tests can name the positions they expect.
class CMovieBuilder {
public:
    explicit CMovieBuilder(std::uint8_t version = 6, SwfRect frame = {0, 11000, 0, 8000},
        std::uint16_t frameRate = 0x0C00, std::uint16_t frameCount = 1);

    // Appends a tag; returns the offset of its body in the movie.
    std::uint32_t AddTag(std::uint16_t code, std::span<const std::uint8_t> body, bool longForm = false);
    // Appends raw bytes (hand-made tags, garbage).
    std::uint32_t AddRaw(std::span<const std::uint8_t> bytes);
    // Offset the next tag's header will have.
    std::uint32_t Offset() const;

    // The movie: header, frame header, the tags and an End tag when asked.
    // FileLength is the real length unless one is given.
    std::vector<std::uint8_t> Build(
        bool compressed = false, bool appendEnd = true, std::uint32_t fileLengthOverride = 0) const;
    // The same movie LZMA-compressed ("ZWS").
    std::vector<std::uint8_t> BuildLzma(std::uint32_t fileLengthOverride = 0) const;

private:
    std::uint8_t m_version;
    std::vector<std::uint8_t> m_frameHeader;
    std::vector<std::uint8_t> m_tags;
};

// A plain movie LZMA-compressed ("ZWS"); empty when liblzma fails.
std::vector<std::uint8_t> LzmaMovie(std::vector<std::uint8_t> plainMovie);

// A small movie of the project's own with a background, solid, gradient and
// outlined shapes and text in both text tags; the program's
// demonstration movie.
std::vector<std::uint8_t> BuildSampleMovie(bool compressed = false);

// A 400 x 300 pixel movie on white: a red 100 x 100 square at (150, 100),
// placed with a green (#00c000) outer glow 16 pixels wide at strength 2,
// and a blue square that no frame places.
std::vector<std::uint8_t> BuildGlowMovie();

// A movie of one of each thing whose colours stay as they are: a lossless
// bitmap (4 x 3, a 12-byte body), a DoAction naming beginFill, a colour
// transform that is no tint, a red-blue tint of 8 bits without room for
// white (#400080), a colour-matrix filter, an HTML colour "red" and a video
// stream of two frames.
std::vector<std::uint8_t> BuildLeftoversMovie();

} // namespace tintor
