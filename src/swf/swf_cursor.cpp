// The cursor over the movie buffer and the primitive records every reader shares.
#include "swf/swf_file.h"

#include <algorithm>

namespace tintor {

void CSwfFile::SetPos(std::size_t pos)
{
    m_pos = std::min(pos, m_limit);
    ResetBits();
}

std::uint8_t CSwfFile::TakeByte()
{
    // A malformed movie may ask for more than its tag holds; it reads zeros,
    // which end every record list, so no loop can run on forever.
    if (m_pos >= m_limit)
        return 0;
    return m_fileBuf[m_pos++];
}

void CSwfFile::ResetBits()
{
    m_bitCount = 0;
    m_bitBuf = 0;
}

std::uint32_t CSwfFile::ReadBits(int n)
{
    std::uint32_t result = 0;
    for (;;) {
        const int need = n - m_bitCount;
        if (need <= 0)
            break;
        result |= m_bitBuf << need;
        n = need;
        m_bitBuf = TakeByte();
        m_bitCount = 8;
    }
    result |= m_bitBuf >> (m_bitCount - n);
    m_bitCount -= n;
    m_bitBuf &= 0xFFu >> (8 - m_bitCount);
    return result;
}

std::int32_t CSwfFile::ReadSBits(int n)
{
    std::uint32_t v = ReadBits(n);
    if (n > 0 && n < 32 && (v & (1u << (n - 1))))
        v |= ~0u << n;
    return static_cast<std::int32_t>(v);
}

std::uint8_t CSwfFile::ReadByte()
{
    ResetBits();
    return TakeByte();
}

std::uint16_t CSwfFile::ReadWord()
{
    ResetBits();
    const std::uint16_t lo = TakeByte();
    return static_cast<std::uint16_t>(lo | TakeByte() << 8);
}

std::uint32_t CSwfFile::ReadDWord()
{
    ResetBits();
    std::uint32_t v = 0;
    for (int shift = 0; shift < 32; shift += 8)
        v |= static_cast<std::uint32_t>(TakeByte()) << shift;
    return v;
}

void CSwfFile::SkipBytes(std::uint32_t n)
{
    ResetBits();
    m_pos = m_pos + std::min<std::size_t>(n, m_limit - std::min(m_pos, m_limit));
}

void CSwfFile::SkipString()
{
    ResetBits();
    while (m_pos < m_limit && m_fileBuf[m_pos++] != 0) {}
}

void CSwfFile::ReadRect(SwfRect& rect)
{
    ResetBits();
    const int bits = static_cast<int>(ReadBits(5));
    rect.xMin = ReadSBits(bits);
    rect.xMax = ReadSBits(bits);
    rect.yMin = ReadSBits(bits);
    rect.yMax = ReadSBits(bits);
}

void CSwfFile::ReadMatrix(SwfMatrix& matrix)
{
    ResetBits();
    if (ReadBits(1)) {
        const int bits = static_cast<int>(ReadBits(5));
        matrix.scaleX = ReadSBits(bits);
        matrix.scaleY = ReadSBits(bits);
    } else {
        matrix.scaleX = matrix.scaleY = 0x10000;
    }
    if (ReadBits(1)) {
        const int bits = static_cast<int>(ReadBits(5));
        matrix.rotateSkew0 = ReadSBits(bits);
        matrix.rotateSkew1 = ReadSBits(bits);
    } else {
        matrix.rotateSkew0 = matrix.rotateSkew1 = 0;
    }
    const int bits = static_cast<int>(ReadBits(5));
    matrix.translateX = ReadSBits(bits);
    matrix.translateY = ReadSBits(bits);
}

void CSwfFile::ReadCxform(SwfCxform& cx, bool withAlpha)
{
    ResetBits();
    const bool hasAdd = ReadBits(1) != 0;
    const bool hasMult = ReadBits(1) != 0;
    const int bits = static_cast<int>(ReadBits(4));
    const auto term = [&] { return static_cast<std::int16_t>(ReadSBits(bits) & 0xFFFF); };
    cx.alphaMult = 256;
    cx.alphaAdd = 0;
    if (hasMult) {
        cx.redMult = term();
        cx.greenMult = term();
        cx.blueMult = term();
        if (withAlpha)
            cx.alphaMult = term();
    } else {
        cx.redMult = cx.greenMult = cx.blueMult = 256;
    }
    if (hasAdd) {
        cx.redAdd = term();
        cx.greenAdd = term();
        cx.blueAdd = term();
        if (withAlpha)
            cx.alphaAdd = term();
    } else {
        cx.redAdd = cx.greenAdd = cx.blueAdd = 0;
    }
}

void CSwfFile::ReadRgb(bool withAlpha) { SkipBytes(withAlpha ? 4 : 3); }

} // namespace tintor
