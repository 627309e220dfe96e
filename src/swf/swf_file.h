#pragma once

#include "core/byte_buffer.h"
#include "core/file.h"
#include "core/keyed_map.h"
#include "core/messages.h"
#include "swf/colour_account.h"
#include "swf/colour_key.h"
#include "swf/colour_registry.h"
#include "swf/encoded_place.h"
#include "swf/image_records.h"
#include "swf/shape_record_lengths.h"
#include "swf/swf_records.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tintor {

// Which colour records a walk collects. Extended, the default, also reads
// the later tag versions (DefineShape4, DefineMorphShape2, DefineText2,
// DefineFont3) and focal gradients; Classic collects exactly the original
// set, so movies, scripts and results made with it stay as they were.
enum class CollectionRule { Extended, Classic };

// What a load does with the bytes a file holds after the movie: keeps them,
// to be written back after it when the movie is saved, or leaves them
// unread, when the movie is only listed and never saved.
enum class AfterMovie { Keep, Ignore };

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
// found. Colours are changed by overwriting their three bytes in the buffer,
// or, at the few places that store a colour otherwise (tints, HTML text),
// by rewriting it in that place's own form; the buffer's size never changes
// after Load.
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

    // The most bytes after a movie that a load keeps: more fail the load
    // with a message rather than take memory without bound.
    static constexpr std::size_t kMaxTrailer = std::size_t{64} << 20;

    // Reads a movie, replacing whatever was held, and collects its colours
    // under the rule. Memory follows what the file really holds, whatever
    // its header claims; a movie too large for the memory there is fails
    // with a message. On failure nothing is held.
    bool Load(
        IInputFile& file, CollectionRule rule = CollectionRule::Extended, AfterMovie afterMovie = AfterMovie::Keep);
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
    // The name the movie goes by once saved under another file name.
    void SetTitle(std::string title) { m_title = std::move(title); }
    bool IsCompressed() const { return m_compression != SwfCompression::None; }
    SwfCompression Compression() const { return m_compression; }
    CollectionRule Rule() const { return m_rule; }
    std::uint8_t Version() const { return m_fileBuf.size() > 3 ? m_fileBuf[3] : 0; }
    std::uint32_t FileSize() const { return m_fileSize; }
    // What the file held after the movie: after FileLength bytes of a plain
    // movie, after the compressed stream of a compressed one. Kept as it
    // came and written back after the movie; empty when the load left it
    // unread.
    std::span<const std::uint8_t> Trailer() const { return m_trailer; }

    // The colour registry: ColorKey to the positions of its records.
    const CColorRegistry& Colors() const { return m_colors; }
    // What the movie shows whose colours are left as they are.
    const ColourAccount& Account() const { return m_account; }

    // --- Places whose colour is not three RGB bytes ------------------------
    // Every such place, by position.
    std::span<const EncodedPlace> EncodedPlaces() const { return m_encoded; }
    const EncodedPlace* EncodedPlaceAt(std::uint32_t pos) const;
    // Whether any place of the key is one of them; a colour without any is
    // written as three bytes at each place.
    bool HasEncodedPlaces(ColorKey key) const
    {
        return !m_encodedKeys.empty() && std::binary_search(m_encodedKeys.begin(), m_encodedKeys.end(), key);
    }
    // The same for the key of a dense index of the registry, at no cost.
    bool HasEncodedPlacesAt(std::size_t denseIndex) const
    {
        return denseIndex < m_encodedAt.size() && m_encodedAt[denseIndex];
    }
    // Writes the colour rgb (red in the low byte) at a place of the
    // registry, in the place's own form. False, with the bytes as they
    // were, when the place cannot hold it: a tint whose add terms have no
    // room for it, or a place outside the movie.
    bool WriteColour(std::uint32_t pos, std::uint32_t rgb);
    // The same into a copy of the movie's buffer (of its size), which a
    // passing look at the movie is written into; the movie stays as it is.
    bool WriteColourInto(std::span<std::uint8_t> buffer, std::uint32_t pos, std::uint32_t rgb) const;
    // What the script constants of a key reach: a bit per ScriptUse.
    std::uint32_t ScriptUsesOf(ColorKey key) const;
    // The colour a place of the registry holds now, as its key reads it.
    std::uint32_t ColourAt(std::uint32_t pos) const;
    // How many bytes a place of the registry takes: three, six hex digits,
    // or a colour transform's record.
    std::size_t PlaceSize(std::uint32_t pos) const;

    // --- Images -------------------------------------------------------------
    // The image tags of the main timeline, in file order.
    const std::vector<SwfImageRecord>& Images() const { return m_images; }
    // The body of the movie's JPEGTables, the tables its DefineBits images
    // share; empty when it has none.
    std::span<const std::uint8_t> JpegTables() const
    {
        return std::span<const std::uint8_t>(m_fileBuf).subspan(m_jpegTables.offset, m_jpegTables.length);
    }
    // The body that image i's tag is written with from now on, in place of
    // the one in the buffer; null puts the buffer's back. The buffer itself
    // never changes size, so colour positions stay valid: the new body is
    // spliced in, with a long tag header, whenever the movie is written.
    void SetImageBody(std::size_t image, std::shared_ptr<const ByteBuffer> body);
    const std::shared_ptr<const ByteBuffer>& ImageBody(std::size_t image) const;
    // How many images are written with a body of their own.
    std::size_t ReplacedImageCount() const;
    // FileLength of the movie as it will be written: the loaded one unless
    // images were re-encoded; nullopt when that no longer fits 32 bits.
    std::optional<std::uint32_t> SavedFileLength() const;

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
    void ClearColors();

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
    // Colour transforms and filters, which carry the tint and filter colours.
    // A CXFORM or CXFORMWITHALPHA: a tint, or counted as a transform left alone.
    void ReadCxformColour(bool withAlpha);
    // FILTERLIST; false when a filter it cannot read ends the tag's reading.
    bool ReadFilterList();
    bool ReadFilter();
    void ReadDropShadowFilter();
    void ReadBlurFilter();
    void ReadGlowFilter();
    void ReadBevelFilter();
    // Gradient glow and gradient bevel share their layout.
    void ReadGradientFilter();
    void ReadConvolutionFilter();
    void ReadColorMatrixFilter();
    // An RGBA colour of a filter or an opaque background.
    void ReadFilterColour();
    void ReadPlaceObject3();
    // The initial text of an HTML edit text: its color attributes.
    void ReadHtmlText();
    void ReadDefineText(bool withAlpha);
    bool ReadTextRecord(int glyphBits, int advanceBits, bool withAlpha);
    void ReadDefineEditText();
    void ReadDefineFont();
    void ReadDefineFont2();
    void ReadFreeCharacter();
    void ReadPlaceObject();
    void ReadRemoveObject();
    void ReadDefineButton();
    void ReadDoAction();
    void ReadDefineFontInfo();
    void ReadDefineSound();
    void ReadStartSound();
    void ReadDefineButtonSound();
    void ReadSoundStreamHead();
    void ReadSoundStreamBlock();
    void ReadDefineButtonCxform();
    void ReadPlaceObject2();
    void ReadRemoveObject2();
    void ReadDefineText2();
    void ReadDefineButton2();
    // Image tags of the main timeline are listed as records; inside a
    // sprite, where no definition belongs, they are stepped over.
    void ReadDefineBits();
    void ReadDefineBitsJPEG2();
    void ReadDefineBitsJPEG3();
    void ReadDefineBitsJPEG4();
    void ReadDefineBitsLossless(bool withAlpha);
    // Only where its body lies: the bitmap library reads the tables.
    void ReadJpegTables();
    void ReadNameCharacter();
    void ReadFrameLabel();
    // DoABC (82) and the older DoABC (72): the colour constants their
    // ActionScript 3 code draws with, as script colours; under the classic
    // rule only whether they name drawing calls.
    void ReadDoAbc(std::uint16_t code);
    void ReadDoInitAction();
    void ReadDefineVideoStream();
    void ReadVideoFrame();

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
    // The body into m_fileBuf; leftover gets what was read past its end.
    bool ReadBody(IInputFile& file, ByteBuffer& leftover);
    bool InflateBody(IInputFile& file, ByteBuffer& leftover);
    // The bytes after the movie, starting with leftover, as m_afterMovie
    // says; false when there are too many to keep or they could not be read.
    bool ReadTrailer(IInputFile& file, ByteBuffer leftover);
    bool Extended() const { return m_rule == CollectionRule::Extended; }
    // Hands one tag body to the reader for its code.
    void DispatchTag(std::uint16_t code);
    std::uint8_t TakeByte();
    // Shared by the button and action readers: button character records up
    // to their end flag, action records up to their end code.
    void ReadButtonRecords(bool withCxform);
    // The record of the image tag being read, its character id read; nothing
    // inside a sprite.
    std::optional<SwfImageRecord> StartImageRecord(std::uint16_t code);
    // The movie with every replaced image body spliced in and its new
    // FileLength; nullopt when it would not fit 32 bits.
    std::optional<ByteBuffer> Spliced() const;
    // The action block from start to end, under the extended rule: its
    // colour constants are registered; the result is the drawing calls it
    // uses in ways that cannot be followed (every one it names when the
    // block cannot be read).
    std::uint32_t ReadActionBlock(std::size_t start, std::size_t end);
    // Counts a tag's action blocks once as not followed when calls names
    // any drawing call.
    void TallyScriptCalls(std::uint16_t code, std::uint32_t calls);
    // CLIPACTIONS of PlaceObject2 and PlaceObject3, up to their end flag.
    std::uint32_t ReadClipActions();
    // The fields PlaceObject2 and PlaceObject3 share, from the character
    // id to the clip depth.
    void ReadPlaceFields(std::uint8_t flags);
    // Counts the bytes from start to the end of the tag as a script block of
    // the tag code when they name a drawing call.
    void TallyScript(std::uint16_t code, std::size_t start);
    // Counts a bitmap tag whose body starts at bodyStart, with its pixel
    // size where that could be read.
    void TallyBitmap(std::uint16_t code, std::size_t bodyStart, std::optional<BitmapSize> size);
    // The pixel size that the JPEG, PNG or GIF data from imageStart to the
    // tag's end tells.
    std::optional<BitmapSize> EncodedImageSizeAt(std::size_t imageStart) const;
    // Registers a colour whose place is encoded otherwise than as three bytes.
    void AddEncodedColor(ColorKind kind, const EncodedPlace& place);
    // Registers a script's colour constant: its pos, form (and length), uses
    // and keepsValue given; the colour and the bytes as loaded are read
    // here. A place whose bytes do not lie inside the tag being read, or do
    // not hold a colour (a whole number from 0 to 0xFFFFFF), is ignored.
    // Counts the places that keep their value and those that cannot hold
    // every colour. The extended rule's readers call it.
    void AddScriptColour(EncodedPlace place);
    // Orders the encoded places and their keys once the walk is done.
    void SealEncodedPlaces();
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
    ColourAccount m_account;
    std::vector<EncodedPlace> m_encoded;
    std::vector<ColorKey> m_encodedKeys;
    // By dense index of the registry: whether the key has encoded places;
    // empty when no key has.
    std::vector<bool> m_encodedAt;
    SwfCompression m_compression = SwfCompression::None;
    CollectionRule m_rule = CollectionRule::Extended;
    AfterMovie m_afterMovie = AfterMovie::Keep;
    bool m_held = false;
    std::size_t m_tagEnd = 0;
    // Where the header of the tag being read starts.
    std::size_t m_tagStart = 0;
    // Reads past this offset yield 0; the end of the tag or sprite being read.
    std::size_t m_limit = 0;
    int m_spriteDepth = 0;
    // Kept between shapes: most of a movie's shapes share their widths.
    CShapeRecordLengths m_recordLengths;
    std::string m_title;
    ByteBuffer m_trailer;
    std::vector<SwfImageRecord> m_images;
    // One per image: the body it is written with, or null for its own.
    std::vector<std::shared_ptr<const ByteBuffer>> m_imageBodies;
    // The first JPEGTables of the main timeline, as far as it lies inside
    // the movie.
    struct Extent {
        bool found = false;
        std::size_t offset = 0;
        std::size_t length = 0;
    };
    Extent m_jpegTables;
};

} // namespace tintor
