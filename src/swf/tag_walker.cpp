// The tag walk and the colour registry it fills.
#include "swf/swf_file.h"

#include <algorithm>

namespace tintor {

namespace {

constexpr std::uint16_t kLongLength = 0x3F;

enum TagCode : std::uint16_t {
    kEnd = 0,
    kShowFrame = 1,
    kDefineShape = 2,
    kFreeCharacter = 3,
    kPlaceObject = 4,
    kRemoveObject = 5,
    kDefineBits = 6,
    kDefineButton = 7,
    kJpegTables = 8,
    kSetBackgroundColor = 9,
    kDefineFont = 10,
    kDefineText = 11,
    kDoAction = 12,
    kDefineFontInfo = 13,
    kDefineSound = 14,
    kStartSound = 15,
    kDefineButtonSound = 17,
    kSoundStreamHead = 18,
    kSoundStreamBlock = 19,
    kDefineBitsLossless = 20,
    kDefineBitsJpeg2 = 21,
    kDefineShape2 = 22,
    kDefineButtonCxform = 23,
    kProtect = 24,
    kPlaceObject2 = 26,
    kRemoveObject2 = 28,
    kDefineShape3 = 32,
    kDefineText2 = 33,
    kDefineButton2 = 34,
    kDefineBitsJpeg3 = 35,
    kDefineBitsLossless2 = 36,
    kDefineEditText = 37,
    kDefineSprite = 39,
    kNameCharacter = 40,
    kFrameLabel = 43,
    kSoundStreamHead2 = 45,
    kDefineMorphShape = 46,
    kDefineFont2 = 48,
    kDoInitAction = 59,
    kDefineVideoStream = 60,
    kVideoFrame = 61,
    kPlaceObject3 = 70,
    kDoAbcDefine = 72,
    kDoAbc = 82,
    kDefineBitsJpeg4 = 90,
    // Later versions, read by the extended rule only.
    kDefineFont3 = 75,
    kDefineShape4 = 83,
    kDefineMorphShape2 = 84,
};

} // namespace

std::uint16_t CSwfFile::ReadTagHeader()
{
    const std::uint16_t codeAndLength = ReadWord();
    std::size_t length = codeAndLength & kLongLength;
    if (length == kLongLength)
        length = ReadDWord();
    m_tagEnd = m_pos + length;
    return static_cast<std::uint16_t>(codeAndLength >> 6);
}

void CSwfFile::WalkTags(bool spriteBody)
{
    if (spriteBody) {
        SkipBytes(2); // sprite id
        SkipBytes(2); // frame count
    } else {
        SetPos(m_firstTag);
    }
    // The walk ends at the End tag or where the movie (or sprite) ends,
    // whichever comes first: a movie without End tag keeps what was found.
    const std::size_t walkEnd = m_limit;
    while (m_pos < walkEnd) {
        m_tagStart = m_pos;
        const std::uint16_t code = ReadTagHeader();
        const std::size_t end = m_tagEnd;
        m_limit = std::min(end, walkEnd);
        DispatchTag(code);
        m_limit = walkEnd;
        if (code == kEnd || end >= walkEnd)
            break;
        SetPos(end);
    }
    m_limit = walkEnd;
}

void CSwfFile::DispatchTag(std::uint16_t code)
{
    switch (code) {
    case kJpegTables:
        ReadJpegTables();
        break;
    case kShowFrame:
    case kProtect:
        // Nothing in these bodies leads to a colour the program changes.
        break;
    case kDoInitAction:
        ReadDoInitAction();
        break;
    case kDoAbcDefine:
    case kDoAbc:
        ReadDoAbc(code);
        break;
    case kDefineVideoStream:
        ReadDefineVideoStream();
        break;
    case kVideoFrame:
        ReadVideoFrame();
        break;
    case kPlaceObject3:
        // Its colours are collected by the extended rule only; the classic
        // rule reads it to count them.
        ReadPlaceObject3();
        break;
    case kDefineShape:
        ReadDefineShape(ShapeVersion::Shape1);
        break;
    case kDefineShape2:
        ReadDefineShape(ShapeVersion::Shape2);
        break;
    case kDefineShape3:
        ReadDefineShape(ShapeVersion::Shape3);
        break;
    case kDefineMorphShape:
        ReadDefineMorphShape();
        break;
    case kDefineShape4:
        if (Extended())
            ReadDefineShape4();
        break;
    case kDefineMorphShape2:
        if (Extended())
            ReadDefineMorphShape2();
        break;
    case kFreeCharacter:
        ReadFreeCharacter();
        break;
    case kPlaceObject:
        ReadPlaceObject();
        break;
    case kRemoveObject:
        ReadRemoveObject();
        break;
    case kDefineBits:
        ReadDefineBits();
        break;
    case kDefineButton:
        ReadDefineButton();
        break;
    case kSetBackgroundColor:
        ReadSetBackgroundColor();
        break;
    case kDefineFont:
        ReadDefineFont();
        break;
    case kDefineText:
        ReadDefineText(false);
        break;
    case kDoAction:
        ReadDoAction();
        break;
    case kDefineFontInfo:
        ReadDefineFontInfo();
        break;
    case kDefineSound:
        ReadDefineSound();
        break;
    case kStartSound:
        ReadStartSound();
        break;
    case kDefineButtonSound:
        ReadDefineButtonSound();
        break;
    case kSoundStreamHead:
    case kSoundStreamHead2:
        ReadSoundStreamHead();
        break;
    case kSoundStreamBlock:
        ReadSoundStreamBlock();
        break;
    case kDefineBitsJpeg2:
        ReadDefineBitsJPEG2();
        break;
    case kDefineButtonCxform:
        ReadDefineButtonCxform();
        break;
    case kPlaceObject2:
        ReadPlaceObject2();
        break;
    case kRemoveObject2:
        ReadRemoveObject2();
        break;
    case kDefineText2:
        if (Extended())
            ReadDefineText(true);
        else
            ReadDefineText2();
        break;
    case kDefineButton2:
        ReadDefineButton2();
        break;
    case kDefineBitsJpeg3:
        ReadDefineBitsJPEG3();
        break;
    case kDefineBitsJpeg4:
        ReadDefineBitsJPEG4();
        break;
    case kDefineBitsLossless:
        ReadDefineBitsLossless(false);
        break;
    case kDefineBitsLossless2:
        ReadDefineBitsLossless(true);
        break;
    case kDefineEditText:
        ReadDefineEditText();
        break;
    case kNameCharacter:
        ReadNameCharacter();
        break;
    case kFrameLabel:
        ReadFrameLabel();
        break;
    case kDefineFont2:
        ReadDefineFont2();
        break;
    case kDefineFont3:
        // Laid out as DefineFont2; only its glyph coordinates are finer.
        if (Extended())
            ReadDefineFont2();
        break;
    case kDefineSprite:
        if (m_spriteDepth < kMaxSpriteDepth) {
            ++m_spriteDepth;
            WalkTags(true);
            --m_spriteDepth;
        }
        break;
    default:
        // Tags without a reader are stepped over by their length.
        break;
    }
}

void CSwfFile::ReadSetBackgroundColor()
{
    AddColor(static_cast<std::uint32_t>(m_pos), KIND_BG);
    ReadRgb(false);
}

void CSwfFile::AddColor(std::uint32_t pos, ColorKind kind)
{
    if (static_cast<std::size_t>(pos) + 3 > m_limit)
        return;
    const ColorKey key
        = static_cast<ColorKey>(m_fileBuf[pos] | m_fileBuf[pos + 1] << 8 | m_fileBuf[pos + 2] << 16) | kind;
    m_colors.Add(key, pos);
}

} // namespace tintor
