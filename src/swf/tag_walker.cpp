// The tag walk and the colour registry it fills.
#include "swf/swf_file.h"

#include <algorithm>

namespace tintor {

namespace {

constexpr std::uint16_t kLongLength = 0x3F;

enum TagCode : std::uint16_t {
    kEnd = 0,
    kShowFrame = 1,
    kSetBackgroundColor = 9,
    kDefineSprite = 39,
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
    case kSetBackgroundColor:
        ReadSetBackgroundColor();
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
    const ColorKey key = static_cast<ColorKey>(m_fileBuf[pos] | m_fileBuf[pos + 1] << 8 | m_fileBuf[pos + 2] << 16) | kind;
    m_colors.FindOrInsert(key).push_back(pos);
}

} // namespace tintor
