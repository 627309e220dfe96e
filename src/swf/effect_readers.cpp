// The colours of placed objects and buttons that stand outside colour
// records: colour transforms that tint, the colours of filters and opaque
// backgrounds, and the color attributes of HTML edit text. The extended rule
// collects them; the classic rule reads them only to count them.
#include "swf/cxform_record.h"
#include "swf/html_colours.h"
#include "swf/swf_file.h"

namespace tintor {

namespace {

enum FilterId : std::uint8_t {
    kDropShadow = 0,
    kBlur = 1,
    kGlow = 2,
    kBevel = 3,
    kGradientGlow = 4,
    kConvolution = 5,
    kColorMatrix = 6,
    kGradientBevel = 7,
};

// Sizes of the fields that follow a filter's colours.
constexpr std::uint32_t kFixed16 = 4; // blur, angle and distance
constexpr std::uint32_t kFixed8 = 2;  // strength
constexpr std::uint32_t kFloat = 4;
constexpr std::uint32_t kFlags = 1;
constexpr std::uint32_t kBlurBody = 2 * kFixed16 + kFlags;
constexpr std::uint32_t kColorMatrixBody = 20 * kFloat;

// PlaceObject2 and PlaceObject3, first flag byte.
constexpr std::uint8_t kPlaceHasClipActions = 0x80;
constexpr std::uint8_t kPlaceHasClipDepth = 0x40;
constexpr std::uint8_t kPlaceHasName = 0x20;
constexpr std::uint8_t kPlaceHasRatio = 0x10;
constexpr std::uint8_t kPlaceHasCxform = 0x08;
constexpr std::uint8_t kPlaceHasMatrix = 0x04;
constexpr std::uint8_t kPlaceHasCharacter = 0x02;
// PlaceObject3, second flag byte.
constexpr std::uint8_t kPlaceOpaqueBackground = 0x40;
constexpr std::uint8_t kPlaceHasVisible = 0x20;
constexpr std::uint8_t kPlaceHasImage = 0x10;
constexpr std::uint8_t kPlaceHasClassName = 0x08;
constexpr std::uint8_t kPlaceHasCacheAsBitmap = 0x04;
constexpr std::uint8_t kPlaceHasBlendMode = 0x02;
constexpr std::uint8_t kPlaceHasFilterList = 0x01;

constexpr std::uint16_t kPlaceObject2Code = 26;
constexpr std::uint16_t kPlaceObject3Code = 70;

// Clip event flags take 32 bits from this movie version on, 16 before it.
constexpr std::uint8_t kWideClipEventVersion = 6;
// The event that carries a key code before its actions.
constexpr std::uint32_t kClipEventKeyPress = 0x00020000;

// Whether the red, green or blue of a transform changes anything: one that
// only fades leaves every colour as it is.
bool ChangesColours(const CxformRecord& r)
{
    for (unsigned c = 0; c < 3; ++c)
        if ((r.hasMult && r.mult[c] != 256) || (r.hasAdd && r.add[c] != 0))
            return true;
    return false;
}

} // namespace

void CSwfFile::ReadCxformColour(bool withAlpha)
{
    ResetBits();
    const std::size_t start = std::min(m_pos, m_limit);
    const auto record = ParseCxformRecord(std::span(m_fileBuf).subspan(start, m_limit - start), withAlpha);
    if (!record) {
        // Cut off by the tag's end: nothing of it is collected, and the
        // fields after it read as zeros.
        SkipToTagEnd();
        return;
    }
    SetPos(start + record->ByteLength());
    const auto tint = TintOf(*record);
    if (!tint) {
        if (ChangesColours(*record))
            ++m_account.colourTransforms;
        return;
    }
    if (!Extended()) {
        ++m_account.uncollectedTints;
        return;
    }
    if (!HasRoomForEveryColour(*record, tint->mult))
        ++m_account.tintsWithoutRoom;
    EncodedPlace place;
    place.pos = static_cast<std::uint32_t>(start);
    place.loaded = tint->rgb;
    place.form = withAlpha ? PlaceForm::TintWithAlpha : PlaceForm::Tint;
    for (unsigned c = 0; c < 3; ++c)
        place.add[c] = static_cast<std::int16_t>(record->add[c]);
    AddEncodedColor(KIND_TINT, place);
}

void CSwfFile::ReadFilterColour()
{
    const auto pos = static_cast<std::uint32_t>(m_pos);
    if (Extended())
        AddColor(pos, KIND_FILTER);
    else if (std::size_t{pos} + 3 <= m_limit)
        ++m_account.uncollectedFilterColours;
    ReadRgb(true);
}

bool CSwfFile::ReadFilterList()
{
    const std::uint8_t count = ReadByte();
    for (unsigned i = 0; i < count && !AtLimit(); ++i)
        if (!ReadFilter())
            return false;
    return true;
}

bool CSwfFile::ReadFilter()
{
    switch (ReadByte()) {
    case kDropShadow:
        ReadDropShadowFilter();
        return true;
    case kBlur:
        ReadBlurFilter();
        return true;
    case kGlow:
        ReadGlowFilter();
        return true;
    case kBevel:
        ReadBevelFilter();
        return true;
    case kGradientGlow:
    case kGradientBevel:
        ReadGradientFilter();
        return true;
    case kConvolution:
        ReadConvolutionFilter();
        return true;
    case kColorMatrix:
        ReadColorMatrixFilter();
        return true;
    default:
        // No later filter exists: whatever follows cannot be read.
        return false;
    }
}

void CSwfFile::ReadDropShadowFilter()
{
    ReadFilterColour();
    SkipBytes(4 * kFixed16 + kFixed8 + kFlags); // blur x and y, angle, distance, strength, flags
}

void CSwfFile::ReadBlurFilter() { SkipBytes(kBlurBody); }

void CSwfFile::ReadGlowFilter()
{
    ReadFilterColour();
    SkipBytes(2 * kFixed16 + kFixed8 + kFlags); // blur x and y, strength, flags
}

void CSwfFile::ReadBevelFilter()
{
    ReadFilterColour(); // highlight
    ReadFilterColour(); // shadow
    SkipBytes(4 * kFixed16 + kFixed8 + kFlags);
}

void CSwfFile::ReadGradientFilter()
{
    const std::uint8_t count = ReadByte();
    for (unsigned i = 0; i < count && !AtLimit(); ++i)
        ReadFilterColour();
    SkipBytes(count); // ratios
    SkipBytes(4 * kFixed16 + kFixed8 + kFlags);
}

void CSwfFile::ReadConvolutionFilter()
{
    const std::uint32_t columns = ReadByte();
    const std::uint32_t rows = ReadByte();
    SkipBytes(2 * kFloat); // divisor, bias
    SkipBytes(columns * rows * kFloat);
    ReadFilterColour(); // default colour
    SkipBytes(kFlags);
}

void CSwfFile::ReadColorMatrixFilter()
{
    if (!AtLimit())
        ++m_account.colourMatrixFilters;
    SkipBytes(kColorMatrixBody);
}

void CSwfFile::ReadPlaceFields(std::uint8_t flags)
{
    if (flags & kPlaceHasCharacter)
        SkipBytes(2);
    if (flags & kPlaceHasMatrix) {
        SwfMatrix matrix;
        ReadMatrix(matrix);
    }
    if (flags & kPlaceHasCxform)
        ReadCxformColour(true);
    if (flags & kPlaceHasRatio)
        SkipBytes(2);
    // The name stands before the clip depth in the record.
    if (flags & kPlaceHasName)
        SkipString();
    if (flags & kPlaceHasClipDepth)
        SkipBytes(2);
}

void CSwfFile::ReadPlaceObject2()
{
    const std::size_t start = m_pos;
    const std::uint8_t flags = ReadByte();
    SkipBytes(2); // depth
    ReadPlaceFields(flags);
    if (!(flags & kPlaceHasClipActions))
        return;
    if (Extended())
        TallyScriptCalls(kPlaceObject2Code, ReadClipActions());
    else
        TallyScript(kPlaceObject2Code, start);
}

std::uint32_t CSwfFile::ReadClipActions()
{
    const bool wide = Version() >= kWideClipEventVersion;
    SkipBytes(2);            // reserved
    SkipBytes(wide ? 4 : 2); // every event of the records
    std::uint32_t calls = 0;
    while (!AtLimit()) {
        const std::uint32_t events = wide ? ReadDWord() : ReadWord();
        if (events == 0)
            break;
        const std::uint32_t size = ReadDWord();
        const std::size_t end = m_pos + size;
        const std::size_t actions = m_pos + ((wide && (events & kClipEventKeyPress)) ? 1 : 0);
        calls |= ReadActionBlock(actions, end);
        SetPos(end);
    }
    return calls;
}

void CSwfFile::ReadPlaceObject3()
{
    const std::size_t start = m_pos;
    const std::uint8_t flags = ReadByte();
    const std::uint8_t flags2 = ReadByte();
    SkipBytes(2); // depth
    // An image placed by class carries its class name without a character
    // id; the name stands first.
    if ((flags2 & kPlaceHasClassName) || ((flags2 & kPlaceHasImage) && !(flags & kPlaceHasCharacter)))
        SkipString();
    ReadPlaceFields(flags);
    if ((flags2 & kPlaceHasFilterList) && !ReadFilterList())
        return;
    if (flags2 & kPlaceHasBlendMode)
        SkipBytes(1);
    if (flags2 & kPlaceHasCacheAsBitmap)
        SkipBytes(1);
    if (flags2 & kPlaceHasVisible)
        SkipBytes(1);
    if (flags2 & kPlaceOpaqueBackground)
        ReadFilterColour();
    if (!(flags & kPlaceHasClipActions))
        return;
    if (Extended())
        TallyScriptCalls(kPlaceObject3Code, ReadClipActions());
    else
        TallyScript(kPlaceObject3Code, start);
}

void CSwfFile::ReadHtmlText()
{
    ResetBits();
    const std::size_t start = std::min(m_pos, m_limit);
    const std::string_view rest(reinterpret_cast<const char*>(m_fileBuf.data() + start), m_limit - start);
    const std::string_view html = rest.substr(0, rest.find('\0'));
    const HtmlColours found = FindHtmlColours(html);
    m_account.htmlColours += found.otherForms;
    for (const HtmlColour& colour : found.hex) {
        if (!Extended()) {
            ++m_account.uncollectedHtmlColours;
            continue;
        }
        EncodedPlace place;
        place.pos = static_cast<std::uint32_t>(start + colour.offset);
        place.loaded = colour.rgb;
        place.form = PlaceForm::HtmlHex;
        place.upperDigits = colour.upperDigits;
        AddEncodedColor(KIND_TEXT, place);
    }
    SkipString();
}

} // namespace tintor
