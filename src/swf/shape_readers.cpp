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

// The 64 bits from byte on, most significant first.
inline std::uint64_t BigEndianAt(const std::uint8_t* data)
{
    std::uint64_t word;
    std::memcpy(&word, data, sizeof word);
    return __builtin_bswap64(word);
}

// The 64 bits from bit on, most significant first; at least 57 of them are
// the buffer's.
inline std::uint64_t BitsAt(const std::uint8_t* data, std::size_t bit)
{
    return BigEndianAt(data + (bit >> 3)) << (bit & 7);
}

// Well inside the tag a shape record is read from 64-bit windows over the
// buffer rather than bit by bit through the cursor; near the tag's end,
// where the cursor's zeros past the limit matter, the cursor reads it.
class CBitWindow {
public:
    CBitWindow(const std::uint8_t* data, std::size_t bit) : m_data(data), m_bit(bit) {}

    // n is at most 31: five-bit widths and four-bit counts plus 2.
    std::uint32_t ReadBits(int n)
    {
        if (n == 0)
            return 0;
        const std::uint64_t window = BitsAt(m_data, m_bit);
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
// bytes past the cursor that must lie inside the tag; SkipShapeRecords
// needs less.
constexpr std::size_t kWindowMargin = 24;

// Steps over the shape records from bit on, up to the first end or
// new-styles record or the first record that starts at or after endBit;
// returns where that one starts. Edges and style changes carry no colour,
// so only their lengths matter. The first bits of the next record come from
// 128 bits loaded for this one, shifted past it, so the loads for a record
// overlap the decoding of the one before and the walk runs near the speed
// of memory. Reads stay below the byte endBit / 8 + 16.
std::size_t SkipShapeRecords(
    const std::uint8_t* data, std::size_t bit, std::size_t endBit, const CShapeRecordLengths& lengths)
{
    // The first bits of the record at bit stand at the top of head; at
    // least 11 of them are the buffer's.
    std::uint64_t head = BitsAt(data, bit);
    while (bit < endBit) {
        const std::uint8_t* const at = data + (bit >> 3);
        const unsigned __int128 window = static_cast<unsigned __int128>(BigEndianAt(at)) << 64 | BigEndianAt(at + 8);
        const unsigned length = lengths.Of(head);
        if (length == 0)
            break;
        const unsigned shift = static_cast<unsigned>(bit & 7) + length;
        bit += length;
        // The window holds the next record's first 11 bits unless this one
        // is longer than 110 bits, a style change with a long move-to.
        if (length <= 110)
            head = static_cast<std::uint64_t>((window << shift) >> 64);
        else if (bit < endBit)
            head = BitsAt(data, bit);
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
    ReadShape(version);
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

void CSwfFile::ReadShape(ShapeVersion version)
{
    ResetBits();
    unsigned fillBits = ReadBits(4);
    unsigned lineBits = ReadBits(4);
    // Every record takes at least six bits, and past the tag's end the zeros
    // read as the end record, so this ends.
    do {
        if (m_pos + kWindowMargin <= m_limit) {
            m_recordLengths.SetWidths(fillBits, lineBits);
            SetBitPos(SkipShapeRecords(m_fileBuf.data(), BitPos(), (m_limit - kWindowMargin) * 8, m_recordLengths));
        }
    } while (!ReadShapeRecord(version, fillBits, lineBits));
}

bool CSwfFile::ReadShapeRecord(ShapeVersion version, unsigned& fillBits, unsigned& lineBits)
{
    RecordKind kind;
    if (m_pos + kWindowMargin <= m_limit) {
        CBitWindow window(m_fileBuf.data(), BitPos());
        kind = DecodeShapeRecord(window, fillBits, lineBits);
        SetBitPos(window.Bit());
    } else {
        CCursorBits cursor(*this);
        kind = DecodeShapeRecord(cursor, fillBits, lineBits);
    }
    if (kind == RecordKind::kNewStyles) {
        ReadStyleArrays(version);
        ResetBits();
        fillBits = ReadBits(4);
        lineBits = ReadBits(4);
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
    ReadShape(edges);
    // The end edges are trusted only where the offset says they begin; a
    // mismatch means the start edges were misread, and so would they be.
    if (m_pos != endEdges)
        return;
    ReadShape(edges);
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
