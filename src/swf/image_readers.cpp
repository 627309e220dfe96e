// Readers of the image tags. They read the fields before the image data and
// list the tag as a record; the image data itself is for the bitmap library.
#include "swf/swf_file.h"

namespace tintor {

namespace {

// DefineBitsLossless's colour-mapped format, the only one with a table.
constexpr std::uint8_t kColourMapped = 3;

} // namespace

std::optional<SwfImageRecord> CSwfFile::StartImageRecord(std::uint16_t code)
{
    // Definitions belong to the main timeline; one inside a sprite cannot be
    // rewritten without rewriting the sprite's length too.
    if (m_spriteDepth != 0)
        return std::nullopt;
    SwfImageRecord record;
    record.code = code;
    record.tagOffset = static_cast<std::uint32_t>(m_tagStart);
    record.bodyOffset = static_cast<std::uint32_t>(m_pos);
    record.bodyLength = static_cast<std::uint32_t>(m_limit - std::min(m_pos, m_limit));
    record.complete = m_tagEnd <= m_fileBuf.size() && m_limit == m_tagEnd;
    record.characterId = ReadWord();
    return record;
}

void CSwfFile::ReadDefineBits()
{
    if (auto record = StartImageRecord(kTagDefineBits))
        m_images.push_back(*record);
}

void CSwfFile::ReadDefineBitsJPEG2()
{
    if (auto record = StartImageRecord(kTagDefineBitsJpeg2))
        m_images.push_back(*record);
}

void CSwfFile::ReadDefineBitsJPEG3()
{
    if (auto record = StartImageRecord(kTagDefineBitsJpeg3)) {
        record->alphaDataOffset = ReadDWord();
        m_images.push_back(*record);
    }
}

void CSwfFile::ReadDefineBitsJPEG4()
{
    if (auto record = StartImageRecord(kTagDefineBitsJpeg4)) {
        record->alphaDataOffset = ReadDWord();
        record->deblocking = ReadWord();
        m_images.push_back(*record);
    }
}

void CSwfFile::ReadDefineBitsLossless(bool withAlpha)
{
    if (auto record = StartImageRecord(withAlpha ? kTagDefineBitsLossless2 : kTagDefineBitsLossless)) {
        record->losslessFormat = ReadByte();
        record->width = ReadWord();
        record->height = ReadWord();
        if (record->losslessFormat == kColourMapped)
            record->colourTableSize = ReadByte();
        m_images.push_back(*record);
    }
}

} // namespace tintor
