// Readers of the tags that hold no colour the program changes. They read
// their records only far enough to be complete; colour transforms of placed
// objects and buttons are read and dropped, never collected.
#include "swf/swf_file.h"

#include <algorithm>

namespace tintor {

namespace {

// PlaceObject2 flags.
constexpr std::uint8_t kPlaceHasCharacter = 0x02;
constexpr std::uint8_t kPlaceHasMatrix = 0x04;
constexpr std::uint8_t kPlaceHasCxform = 0x08;
constexpr std::uint8_t kPlaceHasRatio = 0x10;
constexpr std::uint8_t kPlaceHasName = 0x20;
constexpr std::uint8_t kPlaceHasClipDepth = 0x40;

// Action codes from this one on carry a 16-bit length and that many bytes.
constexpr std::uint8_t kActionWithLength = 0x80;

} // namespace

void CSwfFile::SkipToTagEnd() { SkipBytes(static_cast<std::uint32_t>(m_limit - std::min(m_pos, m_limit))); }

void CSwfFile::ReadFreeCharacter()
{
    SkipBytes(2); // character id
}

void CSwfFile::ReadPlaceObject()
{
    SkipBytes(2); // character id
    SkipBytes(2); // depth
}

void CSwfFile::ReadRemoveObject()
{
    SkipBytes(2); // character id
    SkipBytes(2); // depth
}

void CSwfFile::ReadButtonRecords(bool withCxform)
{
    // The list ends with a zero flags byte, which is also what the bytes
    // past the tag's end read as.
    while (ReadByte() != 0) {
        SkipBytes(2); // character id
        SkipBytes(2); // depth
        SwfMatrix matrix;
        ReadMatrix(matrix);
        if (withCxform) {
            SwfCxform cxform;
            ReadCxform(cxform, true);
        }
    }
}

void CSwfFile::ReadActionRecords()
{
    for (std::uint8_t code = ReadByte(); code != 0; code = ReadByte()) {
        if (code >= kActionWithLength)
            SkipBytes(ReadWord());
    }
}

void CSwfFile::ReadDefineButton()
{
    SkipBytes(2); // button id
    ReadButtonRecords(false);
    ReadActionRecords();
}

void CSwfFile::ReadDoAction() { ReadActionRecords(); }

void CSwfFile::ReadDefineFontInfo()
{
    SkipBytes(2);          // font id
    SkipBytes(ReadByte()); // name
    SkipBytes(1);          // flags
    SkipToTagEnd();        // code table, one entry per glyph of the font
}

void CSwfFile::ReadDefineSound()
{
    SkipBytes(2); // sound id
    ReadBits(4);  // format
    ReadBits(2);  // rate
    ReadBits(1);  // size
    ReadBits(1);  // type
    ReadDWord();  // sample count
}

void CSwfFile::ReadStartSound()
{
    SkipBytes(2); // sound id
}

void CSwfFile::ReadDefineButtonSound()
{
    SkipBytes(2); // button id
}

void CSwfFile::ReadSoundStreamHead()
{
    SkipBytes(1); // playback format
    ReadBits(4);  // stream compression
    ReadBits(2);  // stream rate
    ReadBits(1);  // stream size
    ReadBits(1);  // stream type
    ReadWord();   // sample count
}

void CSwfFile::ReadSoundStreamBlock()
{
    SkipToTagEnd(); // sound data
}

void CSwfFile::ReadDefineButtonCxform()
{
    SkipBytes(2); // button id
}

void CSwfFile::ReadPlaceObject2()
{
    const std::uint8_t flags = ReadByte();
    SkipBytes(2); // depth
    if (flags & kPlaceHasCharacter)
        SkipBytes(2);
    if (flags & kPlaceHasMatrix) {
        SwfMatrix matrix;
        ReadMatrix(matrix);
    }
    if (flags & kPlaceHasCxform) {
        SwfCxform cxform;
        ReadCxform(cxform, true);
    }
    if (flags & kPlaceHasRatio)
        SkipBytes(2);
    // The name stands before the clip depth in the record.
    if (flags & kPlaceHasName)
        SkipString();
    if (flags & kPlaceHasClipDepth)
        SkipBytes(2);
}

void CSwfFile::ReadRemoveObject2()
{
    SkipBytes(2); // depth
}

void CSwfFile::ReadDefineText2()
{
    // The classic rule's reader: text colours of this tag are not collected.
    SkipBytes(2); // character id
}

void CSwfFile::ReadDefineButton2()
{
    SkipBytes(2); // button id
    SkipBytes(1); // flags
    const std::size_t offsetField = m_pos;
    const std::uint16_t actionOffset = ReadWord();
    ReadButtonRecords(true);
    if (actionOffset == 0)
        return; // no condition actions
    // The offset, not the end of the character records, says where the
    // condition actions begin: records of later versions carry filters and
    // blend modes that are not read here.
    SetPos(offsetField + actionOffset);
    for (;;) {
        const std::size_t start = m_pos;
        const std::uint16_t size = ReadWord();
        if (size == 0)
            break;
        // A size of at least 1 always moves forward, so this ends.
        SetPos(start + size);
        if (m_pos >= m_limit)
            return;
    }
    SkipBytes(2); // conditions of the last record
    ReadActionRecords();
}

void CSwfFile::ReadNameCharacter()
{
    SkipBytes(2); // character id
    SkipString(); // name
}

void CSwfFile::ReadFrameLabel()
{
    SkipString(); // label
}

} // namespace tintor
