// Static and edit text, whose text colours are collected, and the fonts
// whose glyph shapes pass through the shape-record reader.
#include "swf/swf_file.h"

#include <algorithm>

namespace tintor {

namespace {

// Text style record flags.
constexpr std::uint8_t kStyleRecord = 0x80;
constexpr std::uint8_t kHasFont = 0x08;
constexpr std::uint8_t kHasColour = 0x04;
constexpr std::uint8_t kHasYOffset = 0x02;
constexpr std::uint8_t kHasXOffset = 0x01;

// DefineEditText, first flag byte.
constexpr std::uint8_t kEditHasText = 0x80;
constexpr std::uint8_t kEditHasTextColour = 0x04;
constexpr std::uint8_t kEditHasMaxLength = 0x02;
constexpr std::uint8_t kEditHasFont = 0x01;
// DefineEditText, second flag byte.
constexpr std::uint8_t kEditHasFontClass = 0x80;
constexpr std::uint8_t kEditHasLayout = 0x20;
constexpr std::uint8_t kEditBorder = 0x08;
constexpr std::uint8_t kEditHtml = 0x02;
// The font class name exists from this movie version on; before it the bit
// is reserved and carries nothing.
constexpr std::uint8_t kFontClassVersion = 9;

constexpr std::uint8_t kFont2WideOffsets = 0x08;

// How many times over its own length the glyph shapes of one font may be
// walked. Real glyphs lie one after the other and are walked once; a hostile
// offset table pointing every glyph at the same long shape would otherwise
// make the walk quadratic in the tag's length.
constexpr std::size_t kGlyphWalkFactor = 4;

} // namespace

void CSwfFile::SkipBits(unsigned n)
{
    // ReadBits takes fields of up to 31 bits; glyph and advance widths are
    // whole bytes in the tag and may claim more.
    while (n > 0) {
        const unsigned chunk = std::min(n, 24u);
        ReadBits(static_cast<int>(chunk));
        n -= chunk;
    }
}

void CSwfFile::ReadDefineText(bool withAlpha)
{
    SkipBytes(2); // character id
    SwfRect bounds;
    ReadRect(bounds);
    SwfMatrix matrix;
    ReadMatrix(matrix);
    const std::uint8_t glyphBits = ReadByte();
    const std::uint8_t advanceBits = ReadByte();
    // Each record takes at least a byte and the zeros past the tag's end
    // read as the end byte, so this ends.
    while (ReadTextRecord(glyphBits, advanceBits, withAlpha)) {}
}

bool CSwfFile::ReadTextRecord(int glyphBits, int advanceBits, bool withAlpha)
{
    const std::uint8_t b = ReadByte();
    if (b == 0)
        return false;
    std::uint8_t glyphCount = b;
    if (b & kStyleRecord) {
        if (b & kHasFont)
            SkipBytes(2); // font id
        if (b & kHasColour) {
            AddColor(Pos(), KIND_TEXT);
            ReadRgb(withAlpha);
        }
        if (b & kHasXOffset)
            SkipBytes(2);
        if (b & kHasYOffset)
            SkipBytes(2);
        if (b & kHasFont)
            SkipBytes(2); // text height
        // The byte after a style record's fields is always its glyph count,
        // whatever its top bit: a run of 128 glyphs or more must not be read
        // as another style record, or glyph data would pass for a colour.
        glyphCount = ReadByte();
    }
    const unsigned entryBits = static_cast<unsigned>(glyphBits) + static_cast<unsigned>(advanceBits);
    for (unsigned i = 0; i < glyphCount && m_pos < m_limit; ++i)
        SkipBits(entryBits);
    return true;
}

void CSwfFile::ReadDefineEditText()
{
    SkipBytes(2); // character id
    SwfRect bounds;
    ReadRect(bounds);
    const std::uint8_t f1 = ReadByte();
    const std::uint8_t f2 = ReadByte();
    // Its white background and black border are the player's own.
    if (f2 & kEditBorder)
        ++m_account.textBoxes;
    const bool hasFont = (f1 & kEditHasFont) != 0;
    const bool hasFontClass = Version() >= kFontClassVersion && (f2 & kEditHasFontClass) != 0;
    if (hasFont)
        SkipBytes(2); // font id
    // A font class name stands where the font id would; the height follows
    // either of them. Missing it would take the height for the colour.
    if (hasFontClass)
        SkipString();
    if (hasFont || hasFontClass)
        SkipBytes(2); // font height
    if (f1 & kEditHasTextColour) {
        AddColor(Pos(), KIND_TEXT);
        ReadRgb(true);
    }
    if (f1 & kEditHasMaxLength)
        SkipBytes(2);
    if (f2 & kEditHasLayout)
        SkipBytes(9); // alignment, left and right margin, indent, leading
    SkipString();     // variable name
    if ((f1 & kEditHasText) && (f2 & kEditHtml))
        ReadHtmlText();
    else if (f1 & kEditHasText)
        SkipString(); // initial text
}

void CSwfFile::ReadDefineFont()
{
    SkipBytes(2); // font id
    const std::size_t base = m_pos;
    // The first offset also tells the table's size, and so the glyph count.
    const std::uint32_t count = ReadWord() / 2u;
    ReadGlyphShapes(base, count, 2);
}

void CSwfFile::ReadDefineFont2()
{
    SkipBytes(2); // font id
    const std::uint8_t flags = ReadByte();
    SkipBytes(1);          // language
    SkipBytes(ReadByte()); // name
    const std::uint32_t count = ReadWord();
    ReadGlyphShapes(m_pos, count, (flags & kFont2WideOffsets) ? 4 : 2);
}

void CSwfFile::ReadGlyphShapes(std::size_t base, std::uint32_t count, unsigned offsetWidth)
{
    const std::size_t budget = kGlyphWalkFactor * (m_limit - std::min(base, m_limit));
    std::size_t walked = 0;
    for (std::uint32_t glyph = 0; glyph < count && walked <= budget; ++glyph) {
        // The offsets are fetched one by one rather than kept: a table that
        // claims 65535 glyphs in a short tag reads zeros, not memory.
        SetPos(base + static_cast<std::size_t>(glyph) * offsetWidth);
        const std::uint32_t offset = offsetWidth == 4 ? ReadDWord() : ReadWord();
        // An offset anywhere, backwards or past the end, only moves the
        // cursor within the tag; past its end the glyph is an end record.
        SetPos(base + offset);
        const std::size_t start = m_pos;
        ReadShape(ShapeVersion::Shape1);
        walked += m_pos - start;
    }
}

} // namespace tintor
