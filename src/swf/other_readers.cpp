// Readers of the tags that hold no colour record of their own. They read
// their records only far enough to be complete, hand colour transforms and
// filter lists to their readers, and count what the movie shows whose
// colours stay as they are: scripts that draw, video.
#include "swf/avm1_colours.h"
#include "swf/swf_file.h"

#include <algorithm>

namespace tintor {

namespace {

// DefineButton2 character record flags, from the movie version that has
// filters and blend modes; before it the bits are reserved.
constexpr std::uint8_t kButtonHasBlendMode = 0x20;
constexpr std::uint8_t kButtonHasFilterList = 0x10;
constexpr std::uint8_t kButtonFilterVersion = 8;

constexpr std::uint16_t kDefineButtonCode = 7;
constexpr std::uint16_t kDoActionCode = 12;
constexpr std::uint16_t kDefineButton2Code = 34;
constexpr std::uint16_t kDoInitActionCode = 59;

// A BUTTONCONDACTION's size and conditions stand before its actions.
constexpr std::uint16_t kCondActionHeader = 4;

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
    SwfMatrix matrix;
    ReadMatrix(matrix);
    // The colour transform is there when bytes remain after the matrix.
    if (!AtLimit())
        ReadCxformColour(false);
}

void CSwfFile::ReadRemoveObject()
{
    SkipBytes(2); // character id
    SkipBytes(2); // depth
}

void CSwfFile::TallyBitmap(std::uint16_t code, std::size_t bodyStart, std::optional<BitmapSize> size)
{
    BitmapTally& tally = m_account.bitmaps[code];
    ++tally.count;
    tally.bytes += m_limit - std::min(bodyStart, m_limit);
    if (size)
        tally.sizes.push_back(*size);
}

std::optional<BitmapSize> CSwfFile::EncodedImageSizeAt(std::size_t imageStart) const
{
    const std::size_t start = std::min(imageStart, m_limit);
    return EncodedImageSize(std::span(m_fileBuf).subspan(start, m_limit - start));
}

void CSwfFile::TallyScript(std::uint16_t code, std::size_t start)
{
    start = std::min(start, m_limit);
    if (const std::uint32_t calls = DrawingCallsIn(std::span(m_fileBuf).subspan(start, m_limit - start))) {
        ScriptTally& tally = m_account.scripts[code];
        ++tally.blocks;
        tally.calls |= calls;
    }
}

std::uint32_t CSwfFile::ReadActionBlock(std::size_t start, std::size_t end)
{
    end = std::min(end, m_limit);
    start = std::min(start, end);
    const ActionBlockColours found = FindActionColours(std::span(m_fileBuf).first(end), start, end, Version());
    for (const EncodedPlace& place : found.places)
        AddScriptColour(place);
    SetPos(end);
    if (!found.readable)
        return DrawingCallsIn(std::span(m_fileBuf).subspan(start, end - start));
    return found.unfollowed;
}

void CSwfFile::TallyScriptCalls(std::uint16_t code, std::uint32_t calls)
{
    if (calls == 0)
        return;
    ScriptTally& tally = m_account.scripts[code];
    ++tally.blocks;
    tally.calls |= calls;
}

void CSwfFile::ReadDoInitAction()
{
    if (!Extended()) {
        TallyScript(kDoInitActionCode, m_pos);
        return;
    }
    SkipBytes(2); // sprite id
    TallyScriptCalls(kDoInitActionCode, ReadActionBlock(m_pos, m_limit));
}

void CSwfFile::ReadDefineVideoStream()
{
    if (!AtLimit())
        ++m_account.videoStreams;
}

void CSwfFile::ReadVideoFrame()
{
    if (!AtLimit())
        ++m_account.videoFrames;
}

void CSwfFile::ReadButtonRecords(bool withCxform)
{
    const bool effects = withCxform && Version() >= kButtonFilterVersion;
    // The list ends with a zero flags byte, which is also what the bytes
    // past the tag's end read as.
    for (std::uint8_t flags = ReadByte(); flags != 0; flags = ReadByte()) {
        SkipBytes(2); // character id
        SkipBytes(2); // depth
        SwfMatrix matrix;
        ReadMatrix(matrix);
        if (!withCxform)
            continue;
        ReadCxformColour(true);
        if (effects && (flags & kButtonHasFilterList) && !ReadFilterList())
            return;
        if (effects && (flags & kButtonHasBlendMode))
            SkipBytes(1);
    }
}

void CSwfFile::ReadDefineButton()
{
    SkipBytes(2); // button id
    ReadButtonRecords(false);
    if (!Extended()) {
        TallyScript(kDefineButtonCode, m_pos);
        return;
    }
    TallyScriptCalls(kDefineButtonCode, ReadActionBlock(m_pos, m_limit));
}

void CSwfFile::ReadDoAction()
{
    if (!Extended()) {
        TallyScript(kDoActionCode, m_pos);
        return;
    }
    TallyScriptCalls(kDoActionCode, ReadActionBlock(m_pos, m_limit));
}

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
    ReadCxformColour(false);
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
    // condition actions begin.
    SetPos(offsetField + actionOffset);
    if (!Extended()) {
        TallyScript(kDefineButton2Code, m_pos);
        return;
    }
    std::uint32_t calls = 0;
    while (!AtLimit()) {
        const std::size_t start = m_pos;
        const std::uint16_t size = ReadWord();
        // The last record's actions run to the tag's end; a size too small
        // for the record's own header holds none.
        const std::size_t end = size == 0 ? m_limit : start + size;
        if (size == 0 || size >= kCondActionHeader)
            calls |= ReadActionBlock(start + kCondActionHeader, end);
        if (size == 0)
            break;
        // A size of at least 1 always moves forward, so this ends.
        SetPos(start + size);
    }
    TallyScriptCalls(kDefineButton2Code, calls);
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
