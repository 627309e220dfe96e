// Readers of the image tags. They read the fields before the image data, list
// the tag as a record and count it for the account of what stays; the image
// data itself is for the bitmap library.
#include "swf/swf_file.h"

namespace tintor {

namespace {

// DefineBitsLossless's colour-mapped format, the only one with a table.
constexpr std::uint8_t kColourMapped = 3;

// Lossless headers: character id, format, width, height.
constexpr std::size_t kLosslessHeader = 2 + 1 + 2 + 2;

} // namespace

std::optional<SwfImageRecord> CSwfFile::StartImageRecord(std::uint16_t code)
{
    // Definitions belong to the main timeline; one inside a sprite cannot be
    // rewritten without rewriting the sprite's length too.
    if (m_spriteDepth != 0) {
        ReadWord(); // character id
        return std::nullopt;
    }
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
    const std::size_t body = m_pos;
    auto record = StartImageRecord(kTagDefineBits);
    TallyBitmap(kTagDefineBits, body, EncodedImageSizeAt(m_pos));
    if (record)
        m_images.push_back(*record);
}

void CSwfFile::ReadDefineBitsJPEG2()
{
    const std::size_t body = m_pos;
    auto record = StartImageRecord(kTagDefineBitsJpeg2);
    TallyBitmap(kTagDefineBitsJpeg2, body, EncodedImageSizeAt(m_pos));
    if (record)
        m_images.push_back(*record);
}

void CSwfFile::ReadDefineBitsJPEG3()
{
    const std::size_t body = m_pos;
    auto record = StartImageRecord(kTagDefineBitsJpeg3);
    const std::uint32_t alphaDataOffset = ReadDWord();
    TallyBitmap(kTagDefineBitsJpeg3, body, EncodedImageSizeAt(m_pos));
    if (record) {
        record->alphaDataOffset = alphaDataOffset;
        m_images.push_back(*record);
    }
}

void CSwfFile::ReadDefineBitsJPEG4()
{
    const std::size_t body = m_pos;
    auto record = StartImageRecord(kTagDefineBitsJpeg4);
    const std::uint32_t alphaDataOffset = ReadDWord();
    const std::uint16_t deblocking = ReadWord();
    TallyBitmap(kTagDefineBitsJpeg4, body, EncodedImageSizeAt(m_pos));
    if (record) {
        record->alphaDataOffset = alphaDataOffset;
        record->deblocking = deblocking;
        m_images.push_back(*record);
    }
}

void CSwfFile::ReadJpegTables()
{
    // A movie has one; players keep the first of several, and a sprite holds
    // none that counts.
    if (m_spriteDepth != 0 || m_jpegTables.found)
        return;
    m_jpegTables = {true, std::min(m_pos, m_limit), m_limit - std::min(m_pos, m_limit)};
}

void CSwfFile::ReadDefineBitsLossless(bool withAlpha)
{
    const std::uint16_t code = withAlpha ? kTagDefineBitsLossless2 : kTagDefineBitsLossless;
    const std::size_t body = m_pos;
    // A size is told only by a whole header.
    const bool sized = m_limit - std::min(m_pos, m_limit) >= kLosslessHeader;
    auto record = StartImageRecord(code);
    const std::uint8_t format = ReadByte();
    const std::uint16_t width = ReadWord();
    const std::uint16_t height = ReadWord();
    TallyBitmap(code, body, sized ? std::optional<BitmapSize>(BitmapSize{width, height}) : std::nullopt);
    if (record) {
        record->losslessFormat = format;
        record->width = width;
        record->height = height;
        if (format == kColourMapped)
            record->colourTableSize = ReadByte();
        m_images.push_back(*record);
    }
}

} // namespace tintor
