// Shapes, morph shapes and the style and shape records they share: the fill
// and line colours of a movie.
#include "swf/swf_file.h"

namespace tintor {

namespace {

constexpr std::uint8_t kGradientBit = 0x10;
constexpr std::uint8_t kBitmapBit = 0x40;
constexpr std::uint8_t kGradientCountMask = 0x0F;

// Shape-record flags, in the order they stand in a style-change record.
constexpr std::uint32_t kNewStyles = 0x10;
constexpr std::uint32_t kLineStyle = 0x08;
constexpr std::uint32_t kFillStyle1 = 0x04;
constexpr std::uint32_t kFillStyle0 = 0x02;
constexpr std::uint32_t kMoveTo = 0x01;

} // namespace

void CSwfFile::ReadDefineShape(bool withAlpha)
{
    SkipBytes(2); // shape id
    SwfRect bounds;
    ReadRect(bounds);
    ReadStyleArrays(withAlpha);
    ResetBits();
    m_fillBits = ReadBits(4);
    m_lineBits = ReadBits(4);
    // Every record takes at least six bits, and past the tag's end the zeros
    // read as the end record, so this ends.
    while (!ReadShapeRecord(withAlpha)) {
    }
}

void CSwfFile::ReadStyleArrays(bool withAlpha)
{
    const auto readCount = [this] {
        std::uint32_t count = ReadByte();
        if (count == 0xFF)
            count = ReadWord();
        return count;
    };
    // Once the cursor stands at the tag's end every further style reads as
    // zeros and registers nothing; leaving then keeps a count of 65535 in a
    // short tag from costing more than the tag's own bytes.
    const auto exhausted = [this] { return m_pos >= m_limit; };

    const std::uint32_t fillCount = readCount();
    for (std::uint32_t i = 0; i < fillCount && !exhausted(); ++i) {
        const std::uint8_t type = ReadByte();
        if (type & kGradientBit) {
            SwfMatrix matrix;
            ReadMatrix(matrix);
            // The count is the low four bits; above them stand the spread
            // and interpolation modes (zero before version 8). Taking the
            // whole byte as the count would read a linear-RGB gradient's
            // following styles and edges as gradient colours, and a later
            // recolouring would overwrite them.
            const std::uint8_t records = ReadByte() & kGradientCountMask;
            for (std::uint32_t r = 0; r < records && !exhausted(); ++r) {
                SkipBytes(1); // ratio
                AddColor(Pos(), KIND_FILL);
                ReadRgb(withAlpha);
            }
        } else if (type & kBitmapBit) {
            SkipBytes(2); // bitmap id
            SwfMatrix matrix;
            ReadMatrix(matrix);
        } else {
            AddColor(Pos(), KIND_FILL);
            ReadRgb(withAlpha);
        }
    }

    const std::uint32_t lineCount = readCount();
    for (std::uint32_t i = 0; i < lineCount && !exhausted(); ++i) {
        SkipBytes(2); // width
        AddColor(Pos(), KIND_LINE);
        ReadRgb(withAlpha);
    }
}

bool CSwfFile::ReadShapeRecord(bool withAlpha)
{
    if (ReadBits(1) == 0) {
        const std::uint32_t flags = ReadBits(5);
        if (flags == 0)
            return true; // end record
        if (flags & kMoveTo) {
            const int bits = static_cast<int>(ReadBits(5));
            ReadSBits(bits);
            ReadSBits(bits);
        }
        if (flags & kFillStyle0)
            ReadBits(static_cast<int>(m_fillBits));
        if (flags & kFillStyle1)
            ReadBits(static_cast<int>(m_fillBits));
        if (flags & kLineStyle)
            ReadBits(static_cast<int>(m_lineBits));
        if (flags & kNewStyles) {
            ReadStyleArrays(withAlpha);
            ResetBits();
            m_fillBits = ReadBits(4);
            m_lineBits = ReadBits(4);
        }
        return false;
    }

    const bool straight = ReadBits(1) != 0;
    const int bits = static_cast<int>(ReadBits(4)) + 2;
    if (straight) {
        if (ReadBits(1)) { // general line
            ReadSBits(bits);
            ReadSBits(bits);
        } else {
            ReadBits(1); // vertical
            ReadSBits(bits);
        }
    } else {
        ReadSBits(bits); // control x
        ReadSBits(bits); // control y
        ReadSBits(bits); // anchor x
        ReadSBits(bits); // anchor y
    }
    return false;
}

void CSwfFile::ReadDefineMorphShape()
{
    SkipBytes(2); // character id
    SwfRect bounds;
    ReadRect(bounds); // start bounds
    ReadRect(bounds); // end bounds
    const std::uint32_t offset = ReadDWord();
    const std::size_t endEdges = m_pos + static_cast<std::size_t>(offset);

    const auto readCount = [this] {
        std::uint32_t count = ReadByte();
        if (count == 0xFF)
            count = ReadWord();
        return count;
    };
    const auto exhausted = [this] { return m_pos >= m_limit; };
    // Morph colours are always RGBA; start and end stand four bytes apart
    // in solid fills and line styles, and ratio-separated in gradients.
    const auto colour = [this](ColorKind kind) {
        AddColor(Pos(), kind);
        ReadRgb(true);
    };

    const std::uint32_t fillCount = readCount();
    for (std::uint32_t i = 0; i < fillCount && !exhausted(); ++i) {
        const std::uint8_t type = ReadByte();
        SwfMatrix matrix;
        if (type & kGradientBit) {
            ReadMatrix(matrix); // start
            ReadMatrix(matrix); // end
            const std::uint8_t records = ReadByte();
            for (std::uint32_t r = 0; r < records && !exhausted(); ++r) {
                SkipBytes(1); // start ratio
                colour(KIND_FILL);
                SkipBytes(1); // end ratio
                colour(KIND_FILL);
            }
        } else if (type & kBitmapBit) {
            SkipBytes(2); // bitmap id
            ReadMatrix(matrix); // start
            ReadMatrix(matrix); // end
        } else {
            colour(KIND_FILL);
            colour(KIND_FILL);
        }
    }

    const std::uint32_t lineCount = readCount();
    for (std::uint32_t i = 0; i < lineCount && !exhausted(); ++i) {
        SkipBytes(2); // start width
        SkipBytes(2); // end width
        colour(KIND_LINE);
        colour(KIND_LINE);
    }

    ResetBits();
    m_fillBits = ReadBits(4);
    m_lineBits = ReadBits(4);
    while (!ReadShapeRecord(true)) {
    }
    // The end edges are trusted only where the offset says they begin; a
    // mismatch means the start edges were misread, and so would they be.
    if (m_pos != endEdges)
        return;
    ResetBits();
    m_fillBits = ReadBits(4);
    m_lineBits = ReadBits(4);
    while (!ReadShapeRecord(true)) {
    }
}

} // namespace tintor
