// Shapes, morph shapes and the style and shape records they share: the fill
// and line colours of a movie.
#include "swf/swf_file.h"

#include <cstring>

namespace tintor {

namespace {

constexpr std::uint8_t kGradientBit = 0x10;
constexpr std::uint8_t kFocalGradient = 0x13;
constexpr std::uint8_t kBitmapBit = 0x40;
constexpr std::uint8_t kGradientCountMask = 0x0F;

// First flag byte of LINESTYLE2 and MORPHLINESTYLE2.
constexpr std::uint8_t kJoinMask = 0x30;
constexpr std::uint8_t kMiterJoin = 0x20;
constexpr std::uint8_t kLineHasFill = 0x08;

// Shape-record flags, in the order they stand in a style-change record.
constexpr std::uint32_t kNewStyles = 0x10;
constexpr std::uint32_t kLineStyle = 0x08;
constexpr std::uint32_t kFillStyle1 = 0x04;
constexpr std::uint32_t kFillStyle0 = 0x02;
constexpr std::uint32_t kMoveTo = 0x01;

enum class RecordKind { kEnd, kNewStyles, kOther };

// Edge records make up most of a shape-heavy movie. Well inside the tag they
// are decoded from a 64-bit window over the buffer rather than bit by bit
// through the cursor; near the tag's end, where the cursor's zeros past the
// limit matter, the cursor reads them.
class CBitWindow {
public:
    CBitWindow(const std::uint8_t* data, std::size_t bit) : m_data(data), m_bit(bit) {}

    // n is at most 31: five-bit widths and four-bit counts plus 2.
    std::uint32_t ReadBits(int n)
    {
        if (n == 0)
            return 0;
        std::uint64_t window;
        std::memcpy(&window, m_data + (m_bit >> 3), sizeof window);
        window = __builtin_bswap64(window) << (m_bit & 7);
        m_bit += static_cast<unsigned>(n);
        return static_cast<std::uint32_t>(window >> (64 - n));
    }
    std::int32_t ReadSBits(int n)
    {
        std::uint32_t v = ReadBits(n);
        if (n > 0 && n < 32 && (v & (1u << (n - 1))))
            v |= ~0u << n;
        return static_cast<std::int32_t>(v);
    }
    std::size_t Bit() const { return m_bit; }

private:
    const std::uint8_t* m_data;
    std::size_t m_bit;
};

// The longest record the window decodes (a style change with a 31-bit
// move-to and all indices, 118 bits) plus the 8 bytes of a window load, in
// bytes past the cursor that must lie inside the tag.
constexpr std::size_t kWindowMargin = 24;

// The length in bits of an edge record from its first eight bits: the type
// bit (1), the straight flag, the four-bit width less 2, then for a straight
// edge the general-line flag and the vertical flag.
constexpr unsigned EdgeBits(unsigned first8)
{
    const unsigned n = ((first8 >> 2) & 0xF) + 2;
    if ((first8 & 0x40) == 0)
        return 6 + 4 * n; // curved: control and anchor deltas
    return (first8 & 0x02) != 0 ? 7 + 2 * n : 8 + n;
}

// The 64 bits from bit on, most significant first; at least 57 of them are
// the buffer's.
inline std::uint64_t BitsAt(const std::uint8_t* data, std::size_t bit)
{
    std::uint64_t window;
    std::memcpy(&window, data + (bit >> 3), sizeof window);
    return __builtin_bswap64(window) << (bit & 7);
}

// Steps over the edge records from bit on, up to the first record that is
// not an edge or that starts at or after endBit; returns where that one
// starts. Edges carry no colour, so only their lengths matter: the
// lengths of two records come from one load, which keeps the walk of an
// outline-heavy shape near the speed of memory.
std::size_t SkipEdges(const std::uint8_t* data, std::size_t bit, std::size_t endBit)
{
    while (bit < endBit) {
        const std::uint64_t window = BitsAt(data, bit);
        const auto first = static_cast<unsigned>(window >> 56);
        if ((first & 0x80) == 0)
            break;
        const unsigned length = EdgeBits(first);
        // The next record's first eight bits are in the window too.
        if (length > 49 || bit + length >= endBit) {
            bit += length;
            continue;
        }
        const auto second = static_cast<unsigned>((window << length) >> 56);
        bit += length;
        if ((second & 0x80) == 0)
            break;
        bit += EdgeBits(second);
    }
    return bit;
}

class CCursorBits {
public:
    explicit CCursorBits(CSwfFile& file) : m_file(file) {}
    std::uint32_t ReadBits(int n) { return m_file.ReadBits(n); }
    std::int32_t ReadSBits(int n) { return m_file.ReadSBits(n); }

private:
    CSwfFile& m_file;
};

// One shape record up to, not including, a new-styles record's style arrays.
template <typename Bits> RecordKind DecodeShapeRecord(Bits& bits, unsigned fillBits, unsigned lineBits)
{
    if (bits.ReadBits(1) == 0) {
        const std::uint32_t flags = bits.ReadBits(5);
        if (flags == 0)
            return RecordKind::kEnd;
        if (flags & kMoveTo) {
            const int n = static_cast<int>(bits.ReadBits(5));
            bits.ReadSBits(n);
            bits.ReadSBits(n);
        }
        if (flags & kFillStyle0)
            bits.ReadBits(static_cast<int>(fillBits));
        if (flags & kFillStyle1)
            bits.ReadBits(static_cast<int>(fillBits));
        if (flags & kLineStyle)
            bits.ReadBits(static_cast<int>(lineBits));
        return (flags & kNewStyles) ? RecordKind::kNewStyles : RecordKind::kOther;
    }

    const bool straight = bits.ReadBits(1) != 0;
    const int n = static_cast<int>(bits.ReadBits(4)) + 2;
    if (straight) {
        if (bits.ReadBits(1)) { // general line
            bits.ReadSBits(n);
            bits.ReadSBits(n);
        } else {
            bits.ReadBits(1); // vertical
            bits.ReadSBits(n);
        }
    } else {
        bits.ReadSBits(n); // control x
        bits.ReadSBits(n); // control y
        bits.ReadSBits(n); // anchor x
        bits.ReadSBits(n); // anchor y
    }
    return RecordKind::kOther;
}

} // namespace

void CSwfFile::ReadDefineShape(ShapeVersion version)
{
    SkipBytes(2); // shape id
    SwfRect bounds;
    ReadRect(bounds);
    ReadShapeWithStyle(version);
}

void CSwfFile::ReadDefineShape4()
{
    SkipBytes(2); // shape id
    SwfRect bounds;
    ReadRect(bounds);
    ReadRect(bounds); // edge bounds
    SkipBytes(1);     // winding rule and stroke scaling flags
    ReadShapeWithStyle(ShapeVersion::Shape4);
}

void CSwfFile::ReadShapeWithStyle(ShapeVersion version)
{
    ReadStyleArrays(version);
    ResetBits();
    m_fillBits = ReadBits(4);
    m_lineBits = ReadBits(4);
    // Every record takes at least six bits, and past the tag's end the zeros
    // read as the end record, so this ends.
    while (!ReadShapeRecord(version)) {}
}

std::uint32_t CSwfFile::ReadStyleCount()
{
    std::uint32_t count = ReadByte();
    if (count == 0xFF)
        count = ReadWord();
    return count;
}

void CSwfFile::ReadStyleArrays(ShapeVersion version)
{
    const bool withAlpha = version >= ShapeVersion::Shape3;
    const std::uint32_t fillCount = ReadStyleCount();
    for (std::uint32_t i = 0; i < fillCount && !AtLimit(); ++i)
        ReadFillStyle(withAlpha, KIND_FILL);

    const std::uint32_t lineCount = ReadStyleCount();
    for (std::uint32_t i = 0; i < lineCount && !AtLimit(); ++i) {
        if (version == ShapeVersion::Shape4)
            ReadLineStyle2();
        else
            ReadLineStyle(withAlpha);
    }
}

void CSwfFile::ReadFillStyle(bool withAlpha, ColorKind kind)
{
    const std::uint8_t type = ReadByte();
    if (type & kGradientBit) {
        SwfMatrix matrix;
        ReadMatrix(matrix);
        // The classic rule reads a focal gradient as a plain one, as it
        // always has; its focal point then passes for the next style.
        if (type == kFocalGradient && Extended())
            ReadFocalGradient(withAlpha, kind, false);
        else
            ReadGradient(withAlpha, kind, false);
    } else if (type & kBitmapBit) {
        SkipBytes(2); // bitmap id
        SwfMatrix matrix;
        ReadMatrix(matrix);
    } else {
        AddColor(Pos(), kind);
        ReadRgb(withAlpha);
    }
}

std::uint32_t CSwfFile::ReadGradientCount(bool morph)
{
    // The count is the low four bits; above them stand the spread and
    // interpolation modes (zero before version 8). Taking the whole byte as
    // the count would read a linear-RGB gradient's following styles and
    // edges as gradient colours, and a later recolouring would overwrite
    // them. Shapes and morph shapes differ only here: the classic rule takes
    // a morph gradient's whole byte, as it always has.
    const std::uint8_t count = ReadByte();
    return (morph && !Extended()) ? count : count & kGradientCountMask;
}

void CSwfFile::ReadGradient(bool withAlpha, ColorKind kind, bool morph)
{
    // A morph gradient record is two plain ones, start and end, each a ratio
    // byte and an RGBA colour; so one loop reads both kinds.
    const std::uint32_t records = ReadGradientCount(morph) * (morph ? 2 : 1);
    for (std::uint32_t r = 0; r < records && !AtLimit(); ++r) {
        SkipBytes(1); // ratio
        AddColor(Pos(), kind);
        ReadRgb(withAlpha);
    }
}

void CSwfFile::ReadFocalGradient(bool withAlpha, ColorKind kind, bool morph)
{
    ReadGradient(withAlpha, kind, morph);
    // The focal point, a FIXED8 after the records: a morph shape has one for
    // its start and one for its end.
    SkipBytes(morph ? 4 : 2);
}

void CSwfFile::ReadLineStyle(bool withAlpha)
{
    SkipBytes(2); // width
    AddColor(Pos(), KIND_LINE);
    ReadRgb(withAlpha);
}

bool CSwfFile::ReadLineStyle2Flags()
{
    // Start cap, join, has-fill, no-h-scale, no-v-scale and pixel hinting
    // fill the first byte; reserved bits, no-close and end cap the second.
    const std::uint8_t first = ReadByte();
    SkipBytes(1);
    if ((first & kJoinMask) == kMiterJoin)
        SkipBytes(2); // miter limit
    return (first & kLineHasFill) != 0;
}

void CSwfFile::ReadLineStyle2()
{
    SkipBytes(2); // width
    if (ReadLineStyle2Flags()) {
        ReadFillStyle(true, KIND_LINE);
        return;
    }
    AddColor(Pos(), KIND_LINE);
    ReadRgb(true);
}

bool CSwfFile::ReadShapeRecord(ShapeVersion version)
{
    RecordKind kind;
    if (m_pos + kWindowMargin <= m_limit) {
        // Runs of edges first, then the record after them as below.
        const std::size_t start = SkipEdges(
            m_fileBuf.data(), m_pos * 8 - static_cast<std::size_t>(m_bitCount), (m_limit - kWindowMargin) * 8);
        m_pos = (start + 7) / 8;
        m_bitCount = static_cast<int>(m_pos * 8 - start);
        m_bitBuf = m_bitCount ? m_fileBuf[m_pos - 1] & (0xFFu >> (8 - m_bitCount)) : 0;
    }
    if (m_pos + kWindowMargin <= m_limit) {
        CBitWindow window(m_fileBuf.data(), m_pos * 8 - static_cast<std::size_t>(m_bitCount));
        kind = DecodeShapeRecord(window, m_fillBits, m_lineBits);
        // Leave the cursor as ReadBits would: on the byte after the one that
        // holds the record's last bit, with that byte's unread bits pending.
        const std::size_t bit = window.Bit();
        m_pos = (bit + 7) / 8;
        m_bitCount = static_cast<int>(m_pos * 8 - bit);
        m_bitBuf = m_bitCount ? m_fileBuf[m_pos - 1] & (0xFFu >> (8 - m_bitCount)) : 0;
    } else {
        CCursorBits cursor(*this);
        kind = DecodeShapeRecord(cursor, m_fillBits, m_lineBits);
    }
    if (kind == RecordKind::kNewStyles) {
        ReadStyleArrays(version);
        ResetBits();
        m_fillBits = ReadBits(4);
        m_lineBits = ReadBits(4);
    }
    return kind == RecordKind::kEnd;
}

void CSwfFile::ReadDefineMorphShape()
{
    SkipBytes(2); // character id
    SwfRect bounds;
    ReadRect(bounds); // start bounds
    ReadRect(bounds); // end bounds
    ReadMorphShapeBody(false);
}

void CSwfFile::ReadDefineMorphShape2()
{
    SkipBytes(2); // character id
    SwfRect bounds;
    ReadRect(bounds); // start bounds
    ReadRect(bounds); // end bounds
    ReadRect(bounds); // start edge bounds
    ReadRect(bounds); // end edge bounds
    SkipBytes(1);     // stroke scaling flags
    ReadMorphShapeBody(true);
}

void CSwfFile::ReadMorphShapeBody(bool lineStyle2)
{
    const std::uint32_t offset = ReadDWord();
    const std::size_t endEdges = m_pos + static_cast<std::size_t>(offset);

    const std::uint32_t fillCount = ReadStyleCount();
    for (std::uint32_t i = 0; i < fillCount && !AtLimit(); ++i)
        ReadMorphFillStyle(KIND_FILL);

    const std::uint32_t lineCount = ReadStyleCount();
    for (std::uint32_t i = 0; i < lineCount && !AtLimit(); ++i) {
        if (lineStyle2)
            ReadMorphLineStyle2();
        else
            ReadMorphLineStyle();
    }

    // A new-styles record has no place in a morph shape's edges; should one
    // stand there, it is read with the styles of the matching shape version.
    const ShapeVersion edges = lineStyle2 ? ShapeVersion::Shape4 : ShapeVersion::Shape3;
    ResetBits();
    m_fillBits = ReadBits(4);
    m_lineBits = ReadBits(4);
    while (!ReadShapeRecord(edges)) {}
    // The end edges are trusted only where the offset says they begin; a
    // mismatch means the start edges were misread, and so would they be.
    if (m_pos != endEdges)
        return;
    ResetBits();
    m_fillBits = ReadBits(4);
    m_lineBits = ReadBits(4);
    while (!ReadShapeRecord(edges)) {}
}

void CSwfFile::ReadMorphFillStyle(ColorKind kind)
{
    // Morph colours are always RGBA; start and end stand four bytes apart
    // in solid fills, and ratio-separated in gradients.
    const std::uint8_t type = ReadByte();
    SwfMatrix matrix;
    if (type & kGradientBit) {
        ReadMatrix(matrix); // start
        ReadMatrix(matrix); // end
        if (type == kFocalGradient && Extended())
            ReadFocalGradient(true, kind, true);
        else
            ReadGradient(true, kind, true);
    } else if (type & kBitmapBit) {
        SkipBytes(2);       // bitmap id
        ReadMatrix(matrix); // start
        ReadMatrix(matrix); // end
    } else {
        MorphColourPair(kind);
    }
}

void CSwfFile::ReadMorphLineStyle()
{
    SkipBytes(2); // start width
    SkipBytes(2); // end width
    MorphColourPair(KIND_LINE);
}

void CSwfFile::ReadMorphLineStyle2()
{
    SkipBytes(2); // start width
    SkipBytes(2); // end width
    if (ReadLineStyle2Flags())
        ReadMorphFillStyle(KIND_LINE);
    else
        MorphColourPair(KIND_LINE);
}

void CSwfFile::MorphColourPair(ColorKind kind)
{
    AddColor(Pos(), kind);
    ReadRgb(true); // start
    AddColor(Pos(), kind);
    ReadRgb(true); // end
}

} // namespace tintor
