#pragma once

#include "core/byte_buffer.h"
#include "core/file.h"
#include "core/keyed_map.h"
#include "core/messages.h"
#include "swf/colour_key.h"
#include "swf/colour_registry.h"
#include "swf/shape_record_lengths.h"
#include "swf/swf_records.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tintor {

// Which colour records a walk collects. Extended, the default, also reads
// the later tag versions (DefineShape4, DefineMorphShape2, DefineText2,
// DefineFont3) and focal gradients; Classic collects exactly the original
// set, so movies, scripts and results made with it stay as they were.
enum class CollectionRule { Extended, Classic };

// How a movie's body is stored after its 8-byte header.
enum class SwfCompression { None, Zlib, Lzma };

// The version of the shape record that holds a style array: it decides
// whether colours take three or four bytes and how line styles are laid
// out. Glyph shapes are read as version 1.
enum class ShapeVersion { Shape1 = 1, Shape2, Shape3, Shape4 };

// A movie's bytes as they go out, taken aside from the movie so that they can
// be written (and compressed) while the movie changes on.
struct CMovieImage {
    ByteBuffer buffer;
    SwfCompression compression = SwfCompression::None;
    ByteBuffer trailer;
};

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
    // A movie loaded aside can take the place of the one held at no cost
    // and without any way to fail.
    CSwfFile(CSwfFile&&) noexcept = default;
    CSwfFile& operator=(CSwfFile&&) noexcept = default;

    // Where the messages of Load and Save go from now on.
    void SetMessageSink(IMessageSink& messages) { m_messages = &messages; }

    // Reads a movie, replacing whatever was held, and collects its colours
    // under the rule. Memory follows what the file really holds, whatever
    // its header claims; a movie too large for the memory there is fails
    // with a message. On failure nothing is held.
    bool Load(IInputFile& file, CollectionRule rule = CollectionRule::Extended);
    // Writes the movie, compressed again as it came (zlib or LZMA), and the
    // bytes that followed it in the file. False on any failure, a failed
    // write or a lack of memory included.
    bool Save(IOutputFile& file);
    // Writes the preview file: the file at the path is replaced only by a
    // complete movie, but not flushed to the disk first. On failure error,
    // when given, says why when the system did.
    bool SaveToPath(const std::filesystem::path& path, std::error_code* error = nullptr);
    // The bytes Save writes, without what came after the movie in the file.
    CMovieImage Image() const;
    // Save and SaveToPath of an image; they need no movie and report nothing.
    static bool SaveImage(const CMovieImage& image, IOutputFile& file);
    static bool SaveImageToPath(
        const CMovieImage& image, const std::filesystem::path& path, std::error_code* error = nullptr);

    bool HasMovie() const { return m_held; }
    std::span<std::uint8_t> Buffer() { return m_fileBuf; }
    std::span<const std::uint8_t> Buffer() const { return m_fileBuf; }
    const std::string& Title() const { return m_title; }
    bool IsCompressed() const { return m_compression != SwfCompression::None; }
    SwfCompression Compression() const { return m_compression; }
    CollectionRule Rule() const { return m_rule; }
    std::uint8_t Version() const { return m_fileBuf.size() > 3 ? m_fileBuf[3] : 0; }
    std::uint32_t FileSize() const { return m_fileSize; }
    // What the file held after the movie: after FileLength bytes of a plain
    // movie, after the compressed stream of a compressed one. Kept as it
    // came and written back after the movie.
    std::span<const std::uint8_t> Trailer() const { return m_trailer; }

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
    void ReadDefineShape(ShapeVersion version);
    void ReadDefineShape4();
    void ReadDefineMorphShape();
    void ReadDefineMorphShape2();
    void ReadStyleArrays(ShapeVersion version);
    // Fill styles also stand inside LINESTYLE2 records, whose colours are
    // line colours: the kind says which.
    void ReadFillStyle(bool withAlpha, ColorKind kind);
    void ReadGradient(bool withAlpha, ColorKind kind, bool morph);
    void ReadFocalGradient(bool withAlpha, ColorKind kind, bool morph);
    void ReadLineStyle(bool withAlpha);
    void ReadLineStyle2();
    void ReadMorphFillStyle(ColorKind kind);
    void ReadMorphLineStyle();
    void ReadMorphLineStyle2();
    // SHAPE: the widths of the style indices, then the shape records up to
    // and including the end record.
    void ReadShape(ShapeVersion version);
    // One shape record, with a new-styles record's style arrays and the new
    // widths it sets; true at the end record.
    bool ReadShapeRecord(ShapeVersion version, unsigned& fillBits, unsigned& lineBits);
    void ReadDefineText(bool withAlpha);
    bool ReadTextRecord(int glyphBits, int advanceBits, bool withAlpha);
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
    void AttachForReading(
        std::vector<std::uint8_t> bytes, std::uint32_t pos = 0, CollectionRule rule = CollectionRule::Extended);
    std::uint32_t Pos() const { return static_cast<std::uint32_t>(m_pos); }
    void SetPos(std::size_t pos);
    int PendingBits() const { return m_bitCount; }
    std::uint32_t TagEnd() const { return static_cast<std::uint32_t>(m_tagEnd); }

private:
    // A style array's count: one byte, or 0xFF and the 16-bit count.
    std::uint32_t ReadStyleCount();
    std::uint32_t ReadGradientCount(bool morph);
    // SHAPEWITHSTYLE: a shape tag's styles, then its records up to the end.
    void ReadShapeWithStyle(ShapeVersion version);
    // What DefineMorphShape and DefineMorphShape2 share from their offset on.
    void ReadMorphShapeBody(bool lineStyle2);
    // The flag word of LINESTYLE2 and MORPHLINESTYLE2 and the miter limit it
    // announces; true when a fill style stands in place of the colour.
    bool ReadLineStyle2Flags();
    // A start and an end RGBA colour of one kind, one after the other.
    void MorphColourPair(ColorKind kind);
    // Once the cursor stands at the limit every further record reads as
    // zeros and registers nothing; loops leave then, so a count of 65535 in
    // a short tag costs no more than the tag's own bytes.
    bool AtLimit() const { return m_pos >= m_limit; }
    void Release();
    bool LoadMovie(IInputFile& file);
    bool ReadBody(IInputFile& file);
    bool InflateBody(IInputFile& file);
    bool Extended() const { return m_rule == CollectionRule::Extended; }
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
    // The cursor as the number of the next bit to read, and back: on the
    // byte after the one that holds the bit before, with that byte's unread
    // bits pending, as ReadBits leaves it.
    std::size_t BitPos() const { return m_pos * 8 - static_cast<std::size_t>(m_bitCount); }
    void SetBitPos(std::size_t bit)
    {
        m_pos = (bit + 7) / 8;
        m_bitCount = static_cast<int>(m_pos * 8 - bit);
        m_bitBuf = m_bitCount ? m_fileBuf[m_pos - 1] & (0xFFu >> (8 - m_bitCount)) : 0;
    }

    IMessageSink* m_messages;
    ByteBuffer m_fileBuf;
    std::size_t m_pos = 0;
    std::uint32_t m_fileSize = 0;
    std::size_t m_firstTag = 0;
    int m_bitCount = 0;
    std::uint32_t m_bitBuf = 0;
    CColorRegistry m_colors;
    SwfCompression m_compression = SwfCompression::None;
    CollectionRule m_rule = CollectionRule::Extended;
    bool m_held = false;
    std::size_t m_tagEnd = 0;
    // Reads past this offset yield 0; the end of the tag or sprite being read.
    std::size_t m_limit = 0;
    int m_spriteDepth = 0;
    // Kept between shapes: most of a movie's shapes share their widths.
    CShapeRecordLengths m_recordLengths;
    std::string m_title;
    ByteBuffer m_trailer;
};

} // namespace tintor
