#pragma once

#include "core/file.h"
#include "core/keyed_map.h"
#include "core/messages.h"
#include "swf/colour_key.h"
#include "swf/colour_registry.h"
#include "swf/swf_records.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tintor {

// The movie: the whole uncompressed file in one buffer, the cursor that the
// record readers share, and the registry of every colour record the walk
// found. Colours are changed by overwriting their three bytes in the buffer;
// the buffer's size never changes after Load.
class CSwfFile {
public:
    // Deepest sprite nesting walked; deeper sprites are stepped over so a
    // hostile movie cannot exhaust the stack.
    static constexpr int kMaxSpriteDepth = 64;

    explicit CSwfFile(IMessageSink& messages);
    CSwfFile(const CSwfFile&) = delete;
    CSwfFile& operator=(const CSwfFile&) = delete;

    // Reads a movie, replacing whatever was held. On failure nothing is held.
    bool Load(IInputFile& file);
    // Writes the movie, deflated again when it came compressed. False on any
    // failure, a failed write included.
    bool Save(IOutputFile& file);
    // Writes the preview file: the file at the path is replaced only by a
    // complete movie, but not flushed to the disk first.
    bool SaveToPath(const std::filesystem::path& path);

    bool HasMovie() const { return m_held; }
    std::span<std::uint8_t> Buffer() { return m_fileBuf; }
    std::span<const std::uint8_t> Buffer() const { return m_fileBuf; }
    const std::string& Title() const { return m_title; }
    bool IsCompressed() const { return m_compressed; }
    std::uint8_t Version() const { return m_fileBuf.size() > 3 ? m_fileBuf[3] : 0; }
    std::uint32_t FileSize() const { return m_fileSize; }

    // The colour registry: ColorKey to the positions of its records.
    const CColorRegistry& Colors() const { return m_colors; }

    // --- Cursor and primitive records -------------------------------------
    // Reads never leave the current limit (the tag being read, or the buffer):
    // past it every byte reads as 0 and the cursor stops there.
    void ResetBits();
    std::uint32_t ReadBits(int n);
    std::int32_t ReadSBits(int n);
    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDWord();
    void SkipBytes(std::uint32_t n);
    void SkipString();
    void ReadRect(SwfRect& rect);
    void ReadMatrix(SwfMatrix& matrix);
    void ReadCxform(SwfCxform& cxform, bool withAlpha);
    void ReadRgb(bool withAlpha);

    // --- Tag walk and registry --------------------------------------------
    std::uint16_t ReadTagHeader();
    void WalkTags(bool spriteBody);
    // Registers the colour record whose red byte is at pos. Records whose
    // three colour bytes are not all inside the current limit are ignored.
    void AddColor(std::uint32_t pos, ColorKind kind);
    void ClearColors() { m_colors.Clear(); }

    // --- Tag readers ------------------------------------------------------
    void ReadSetBackgroundColor();
    void ReadDefineShape(bool withAlpha);
    void ReadDefineMorphShape();
    void ReadStyleArrays(bool withAlpha);
    bool ReadShapeRecord(bool withAlpha);
    void ReadDefineText();
    bool ReadTextRecord(int glyphBits, int advanceBits);
    void ReadDefineEditText();
    void ReadDefineFont();
    void ReadDefineFont2();
    void ReadFreeCharacter();
    void ReadPlaceObject();
    void ReadRemoveObject();
    void ReadDefineBits();
    void ReadDefineButton();
    void ReadDoAction();
    void ReadDefineFontInfo();
    void ReadDefineSound();
    void ReadStartSound();
    void ReadDefineButtonSound();
    void ReadSoundStreamHead();
    void ReadSoundStreamBlock();
    void ReadDefineBitsJPEG2();
    void ReadDefineButtonCxform();
    void ReadPlaceObject2();
    void ReadRemoveObject2();
    void ReadDefineText2();
    void ReadDefineButton2();
    void ReadDefineBitsJPEG3();
    void ReadNameCharacter();
    void ReadFrameLabel();

    // Holds the given bytes as a movie without walking them and puts the
    // cursor at pos; lets record readers be exercised on hand-made bytes.
    void AttachForReading(std::vector<std::uint8_t> bytes, std::uint32_t pos = 0);
    std::uint32_t Pos() const { return static_cast<std::uint32_t>(m_pos); }
    void SetPos(std::size_t pos);
    int PendingBits() const { return m_bitCount; }
    std::uint32_t TagEnd() const { return static_cast<std::uint32_t>(m_tagEnd); }

private:
    // A style array's count: one byte, or 0xFF and the 16-bit count.
    std::uint32_t ReadStyleCount();
    // Once the cursor stands at the limit every further record reads as
    // zeros and registers nothing; loops leave then, so a count of 65535 in
    // a short tag costs no more than the tag's own bytes.
    bool AtLimit() const { return m_pos >= m_limit; }
    void Release();
    bool ReadBody(IInputFile& file);
    bool InflateBody(IInputFile& file);
    // Hands one tag body to the reader for its code.
    void DispatchTag(std::uint16_t code);
    std::uint8_t TakeByte();
    // Shared by the button and action readers: button character records up
    // to their end flag, action records up to their end code.
    void ReadButtonRecords(bool withCxform);
    void ReadActionRecords();
    // Steps over the rest of the tag being read.
    void SkipToTagEnd();
    // Steps over an n-bit field of any width, also wider than ReadBits takes.
    void SkipBits(unsigned n);
    // The glyph shapes of a font whose offset table starts at base.
    void ReadGlyphShapes(std::size_t base, std::uint32_t count, unsigned offsetWidth);

    IMessageSink& m_messages;
    std::vector<std::uint8_t> m_fileBuf;
    std::size_t m_pos = 0;
    std::uint32_t m_fileSize = 0;
    std::size_t m_firstTag = 0;
    int m_bitCount = 0;
    std::uint32_t m_bitBuf = 0;
    CColorRegistry m_colors;
    bool m_compressed = false;
    bool m_held = false;
    std::size_t m_tagEnd = 0;
    // Reads past this offset yield 0; the end of the tag or sprite being read.
    std::size_t m_limit = 0;
    int m_spriteDepth = 0;
    unsigned m_fillBits = 0;
    unsigned m_lineBits = 0;
    std::string m_title;
};

} // namespace tintor
