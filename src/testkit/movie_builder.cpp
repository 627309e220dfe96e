#include "testkit/movie_builder.h"

#include "swf/swf_lzma.h"

#include <zlib.h>

#include <algorithm>

namespace tintor {

void CBitWriter::WriteBits(std::uint32_t value, int n)
{
    for (int i = n - 1; i >= 0; --i) {
        m_pending = (m_pending << 1) | ((value >> i) & 1u);
        if (++m_pendingCount == 8) {
            m_bytes.push_back(static_cast<std::uint8_t>(m_pending));
            m_pending = 0;
            m_pendingCount = 0;
        }
    }
}

void CBitWriter::WriteSBits(std::int32_t value, int n) { WriteBits(static_cast<std::uint32_t>(value), n); }

void CBitWriter::Align()
{
    if (m_pendingCount > 0)
        WriteBits(0, 8 - m_pendingCount);
}

void CBitWriter::WriteByte(std::uint8_t v)
{
    Align();
    m_bytes.push_back(v);
}

void CBitWriter::WriteWord(std::uint16_t v)
{
    WriteByte(static_cast<std::uint8_t>(v));
    WriteByte(static_cast<std::uint8_t>(v >> 8));
}

void CBitWriter::WriteDWord(std::uint32_t v)
{
    WriteWord(static_cast<std::uint16_t>(v));
    WriteWord(static_cast<std::uint16_t>(v >> 16));
}

void CBitWriter::WriteBytes(std::span<const std::uint8_t> bytes)
{
    Align();
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void CBitWriter::WriteString(std::string_view s)
{
    Align();
    m_bytes.insert(m_bytes.end(), s.begin(), s.end());
    m_bytes.push_back(0);
}

void CBitWriter::WriteRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    WriteByte(r);
    WriteByte(g);
    WriteByte(b);
}

void CBitWriter::WriteRgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    WriteRgb(r, g, b);
    WriteByte(a);
}

int SignedBitsFor(std::initializer_list<std::int32_t> values)
{
    int bits = 0;
    for (std::int32_t v : values) {
        int n = 1;
        while (n < 32 && (v < -(std::int64_t{1} << (n - 1)) || v >= (std::int64_t{1} << (n - 1))))
            ++n;
        if (v != 0)
            bits = std::max(bits, n);
    }
    return bits;
}

void CBitWriter::WriteRect(const SwfRect& r)
{
    Align();
    const int bits = SignedBitsFor({r.xMin, r.xMax, r.yMin, r.yMax});
    WriteBits(static_cast<std::uint32_t>(bits), 5);
    for (std::int32_t v : {r.xMin, r.xMax, r.yMin, r.yMax})
        WriteSBits(v, bits);
}

void CBitWriter::WriteMatrix(const SwfMatrix& m)
{
    Align();
    const bool hasScale = m.scaleX != 0x10000 || m.scaleY != 0x10000;
    WriteBits(hasScale, 1);
    if (hasScale) {
        const int bits = SignedBitsFor({m.scaleX, m.scaleY});
        WriteBits(static_cast<std::uint32_t>(bits), 5);
        WriteSBits(m.scaleX, bits);
        WriteSBits(m.scaleY, bits);
    }
    const bool hasRotate = m.rotateSkew0 != 0 || m.rotateSkew1 != 0;
    WriteBits(hasRotate, 1);
    if (hasRotate) {
        const int bits = SignedBitsFor({m.rotateSkew0, m.rotateSkew1});
        WriteBits(static_cast<std::uint32_t>(bits), 5);
        WriteSBits(m.rotateSkew0, bits);
        WriteSBits(m.rotateSkew1, bits);
    }
    const int bits = SignedBitsFor({m.translateX, m.translateY});
    WriteBits(static_cast<std::uint32_t>(bits), 5);
    WriteSBits(m.translateX, bits);
    WriteSBits(m.translateY, bits);
}

void CBitWriter::WriteCxform(const SwfCxform& c, bool withAlpha)
{
    Align();
    const bool hasMult
        = c.redMult != 256 || c.greenMult != 256 || c.blueMult != 256 || (withAlpha && c.alphaMult != 256);
    const bool hasAdd = c.redAdd != 0 || c.greenAdd != 0 || c.blueAdd != 0 || (withAlpha && c.alphaAdd != 0);
    int bits = 0;
    if (hasMult)
        bits = std::max(bits, SignedBitsFor({c.redMult, c.greenMult, c.blueMult, withAlpha ? c.alphaMult : 0}));
    if (hasAdd)
        bits = std::max(bits, SignedBitsFor({c.redAdd, c.greenAdd, c.blueAdd, withAlpha ? c.alphaAdd : 0}));
    WriteCxform(c, withAlpha, hasAdd, hasMult, std::min(bits, 15));
}

void CBitWriter::WriteCxform(const SwfCxform& c, bool withAlpha, bool hasAdd, bool hasMult, int bits)
{
    Align();
    WriteBits(hasAdd, 1);
    WriteBits(hasMult, 1);
    WriteBits(static_cast<std::uint32_t>(bits), 4);
    if (hasMult) {
        for (std::int32_t v : {c.redMult, c.greenMult, c.blueMult})
            WriteSBits(v, bits);
        if (withAlpha)
            WriteSBits(c.alphaMult, bits);
    }
    if (hasAdd) {
        for (std::int32_t v : {c.redAdd, c.greenAdd, c.blueAdd})
            WriteSBits(v, bits);
        if (withAlpha)
            WriteSBits(c.alphaAdd, bits);
    }
}

std::vector<std::uint8_t> CBitWriter::Take()
{
    Align();
    return std::move(m_bytes);
}

std::vector<std::uint8_t> TagBytes(std::uint16_t code, std::span<const std::uint8_t> body, bool longForm)
{
    CBitWriter w;
    if (longForm || body.size() >= 0x3F) {
        w.WriteWord(static_cast<std::uint16_t>(code << 6 | 0x3F));
        w.WriteDWord(static_cast<std::uint32_t>(body.size()));
    } else {
        w.WriteWord(static_cast<std::uint16_t>(code << 6 | body.size()));
    }
    w.WriteBytes(body);
    return w.Take();
}

CMovieBuilder::CMovieBuilder(std::uint8_t version, SwfRect frame, std::uint16_t frameRate, std::uint16_t frameCount)
    : m_version(version)
{
    CBitWriter w;
    w.WriteRect(frame);
    w.WriteWord(frameRate);
    w.WriteWord(frameCount);
    m_frameHeader = w.Take();
}

std::uint32_t CMovieBuilder::Offset() const
{
    return static_cast<std::uint32_t>(8 + m_frameHeader.size() + m_tags.size());
}

std::uint32_t CMovieBuilder::AddTag(std::uint16_t code, std::span<const std::uint8_t> body, bool longForm)
{
    const std::vector<std::uint8_t> tag = TagBytes(code, body, longForm);
    const std::uint32_t bodyOffset = Offset() + static_cast<std::uint32_t>(tag.size() - body.size());
    m_tags.insert(m_tags.end(), tag.begin(), tag.end());
    return bodyOffset;
}

std::uint32_t CMovieBuilder::AddRaw(std::span<const std::uint8_t> bytes)
{
    const std::uint32_t at = Offset();
    m_tags.insert(m_tags.end(), bytes.begin(), bytes.end());
    return at;
}

std::vector<std::uint8_t> CMovieBuilder::Build(bool compressed, bool appendEnd, std::uint32_t fileLengthOverride) const
{
    std::vector<std::uint8_t> body = m_frameHeader;
    body.insert(body.end(), m_tags.begin(), m_tags.end());
    if (appendEnd) {
        body.push_back(0);
        body.push_back(0);
    }
    const std::uint32_t length = fileLengthOverride ? fileLengthOverride : static_cast<std::uint32_t>(8 + body.size());
    std::vector<std::uint8_t> movie = {static_cast<std::uint8_t>(compressed ? 'C' : 'F'), 'W', 'S', m_version,
        static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
        static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
    if (!compressed) {
        movie.insert(movie.end(), body.begin(), body.end());
        return movie;
    }
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::vector<std::uint8_t> deflated(size);
    if (compress(deflated.data(), &size, body.data(), static_cast<uLong>(body.size())) != Z_OK)
        return {};
    movie.insert(movie.end(), deflated.begin(), deflated.begin() + static_cast<std::ptrdiff_t>(size));
    return movie;
}

std::vector<std::uint8_t> CMovieBuilder::BuildLzma(std::uint32_t fileLengthOverride) const
{
    return LzmaMovie(Build(false, true, fileLengthOverride));
}

std::vector<std::uint8_t> LzmaMovie(std::vector<std::uint8_t> movie)
{
    movie[0] = 'Z';
    const auto encoded = EncodeLzmaMovie(std::span(movie).first(8), std::span(movie).subspan(8), {});
    if (!encoded)
        return {};
    return {encoded->begin(), encoded->end()};
}

} // namespace tintor
