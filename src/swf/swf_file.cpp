// Reading a movie file into one buffer and writing it back.
#include "swf/swf_file.h"

#include "swf/body_output.h"
#include "swf/swf_lzma.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <new>
#include <stdexcept>
#include <string>

namespace tintor {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::uint32_t kMinFileLength = 21;
// A tag header in its long form: code and 0x3F, then a 32-bit length.
constexpr std::size_t kLongTagHeaderSize = 6;
constexpr std::uint32_t kLongLengthField = 0x3F;
// What a body whose true size only its data can tell is first given; it
// grows from there with what really arrives.
constexpr std::size_t kFirstGuess = std::size_t{1} << 20;
// Bytes after a movie are rare and few.
constexpr std::size_t kFirstTrailerGuess = std::size_t{1} << 16;
// Real movies deflate to a quarter of their size or less; the first guess at
// a compressed body follows that, so most movies are read in one piece.
constexpr std::uint64_t kUsualDeflateRatio = 4;

bool IsSignature(const std::array<std::uint8_t, kHeaderSize>& h, char first)
{
    return h[0] == static_cast<std::uint8_t>(first) && h[1] == 'W' && h[2] == 'S';
}

// Reads from the file into out until out is full or the file ends.
void ReadInto(IInputFile& file, CBodyOutput& out)
{
    for (std::span<std::uint8_t> room; !(room = out.Room()).empty();) {
        const std::size_t n = file.Read(room);
        out.Filled(n);
        if (n < room.size())
            break;
    }
    out.Finish();
}

} // namespace

CSwfFile::CSwfFile(IMessageSink& messages) : m_messages(&messages) {}

void CSwfFile::Release()
{
    ClearColors();
    m_account = {};
    ByteBuffer().swap(m_fileBuf);
    ByteBuffer().swap(m_trailer);
    m_images.clear();
    m_imageBodies.clear();
    m_jpegTables = {};
    m_title.clear();
    m_fileSize = 0;
    m_held = false;
}

void CSwfFile::AttachForReading(std::vector<std::uint8_t> bytes, std::uint32_t pos, CollectionRule rule)
{
    Release();
    m_rule = rule;
    m_fileBuf.assign(bytes.begin(), bytes.end());
    m_fileSize = static_cast<std::uint32_t>(m_fileBuf.size());
    m_held = true;
    m_limit = m_fileBuf.size();
    m_tagEnd = m_limit;
    m_pos = std::min<std::size_t>(pos, m_limit);
    m_tagStart = m_pos;
    ResetBits();
}

bool CSwfFile::Load(IInputFile& file, CollectionRule rule, AfterMovie afterMovie)
{
    Release();
    m_rule = rule;
    m_afterMovie = afterMovie;
    bool ok = false;
    try {
        ok = LoadMovie(file);
    } catch (const std::bad_alloc&) {
        // The window stays open and whatever the caller held stays as it was.
        Release();
        m_messages->Show("ERROR: not enough memory for the movie");
    } catch (const std::length_error&) {
        Release();
        m_messages->Show("ERROR: not enough memory for the movie");
    }
    m_pos = 0;
    m_firstTag = 0;
    m_limit = 0;
    m_tagEnd = 0;
    ResetBits();
    return ok;
}

bool CSwfFile::LoadMovie(IInputFile& file)
{
    std::array<std::uint8_t, kHeaderSize> header{};
    if (file.Read(header) < kHeaderSize) {
        m_messages->Show("ERROR: Can't read the header of file");
        return false;
    }
    if (IsSignature(header, 'F'))
        m_compression = SwfCompression::None;
    else if (IsSignature(header, 'C'))
        m_compression = SwfCompression::Zlib;
    else if (IsSignature(header, 'Z'))
        m_compression = SwfCompression::Lzma;
    else {
        m_messages->Show("ERROR: Illegal Header - not a Shockwave Flash File");
        return false;
    }
    m_fileSize = static_cast<std::uint32_t>(header[4] | header[5] << 8 | header[6] << 16)
        | static_cast<std::uint32_t>(header[7]) << 24;
    if (m_fileSize < kMinFileLength) {
        m_messages->Show("ERROR: file size is too short");
        return false;
    }
    m_title = TitleFromFileName(file.GetFileName());
    ByteBuffer leftover;
    if (!ReadBody(file, leftover) || file.Error()) {
        // A half-read movie must never be taken for a good one.
        m_messages->Show("ERROR: Can't read the body of file");
        Release();
        return false;
    }
    if (!ReadTrailer(file, std::move(leftover))) {
        m_messages->Show(file.Error() ? "ERROR: Can't read the body of file"
                                      : "ERROR: more than " + std::to_string(kMaxTrailer >> 20)
                    + " MiB of other data follow the movie in the file");
        Release();
        return false;
    }
    std::copy(header.begin(), header.end(), m_fileBuf.begin());
    m_held = true;

    m_limit = m_fileBuf.size();
    m_pos = kHeaderSize;
    SwfRect frame;
    ReadRect(frame);
    SkipBytes(2); // frame rate
    SkipBytes(2); // frame count
    m_firstTag = m_pos;
    WalkTags(false);
    m_colors.Seal();
    m_imageBodies.assign(m_images.size(), nullptr);
    SealEncodedPlaces();
    return true;
}

bool CSwfFile::ReadBody(IInputFile& file, ByteBuffer& leftover)
{
    const std::size_t bodySize = m_fileSize - kHeaderSize;
    if (m_compression == SwfCompression::Zlib)
        return InflateBody(file, leftover);
    if (m_compression == SwfCompression::Lzma)
        return DecodeLzmaBody(file, static_cast<std::uint32_t>(bodySize), m_fileBuf, leftover);
    // A short file claiming 4 GiB fails here without allocating anything.
    const auto remaining = file.Remaining();
    if (remaining && *remaining < bodySize)
        return false;
    CBodyOutput body(m_fileBuf, kHeaderSize, bodySize, remaining ? bodySize : kFirstGuess);
    ReadInto(file, body);
    return body.Size() == bodySize;
}

bool CSwfFile::ReadTrailer(IInputFile& file, ByteBuffer leftover)
{
    if (m_afterMovie == AfterMovie::Ignore)
        return true;
    m_trailer = std::move(leftover);
    if (m_trailer.size() > kMaxTrailer)
        return false;
    const std::size_t room = kMaxTrailer - m_trailer.size();
    const auto remaining = file.Remaining();
    if (remaining && *remaining > room)
        return false;
    // One byte more than is kept tells that there is more.
    CBodyOutput rest(m_trailer, m_trailer.size(), room + 1,
        remaining ? static_cast<std::size_t>(*remaining) + 1 : kFirstTrailerGuess);
    ReadInto(file, rest);
    return rest.Size() <= room && !file.Error();
}

bool CSwfFile::InflateBody(IInputFile& file, ByteBuffer& leftover)
{
    const std::size_t bodySize = m_fileSize - kHeaderSize;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    // The buffer grows with what the stream really yields, up to FileLength,
    // so a lying header costs no more memory than the data behind it.
    const std::uint64_t firstGuess
        = std::max<std::uint64_t>(kFirstGuess, file.Remaining().value_or(0) * kUsualDeflateRatio);
    std::vector<std::uint8_t> input(1 << 16);
    int rc = Z_OK;
    try {
        CBodyOutput body(m_fileBuf, kHeaderSize, bodySize, std::min<std::uint64_t>(bodySize, firstGuess));
        while (rc == Z_OK) {
            if (zs.avail_in == 0) {
                const std::size_t n = file.Read(input);
                if (n == 0)
                    break;
                zs.next_in = input.data();
                zs.avail_in = static_cast<uInt>(n);
            }
            const std::span<std::uint8_t> room = body.Room();
            if (room.empty()) {
                // Full: the stream may only have its end marker and checksum left.
                std::uint8_t probe = 0;
                zs.next_out = &probe;
                zs.avail_out = 1;
                rc = inflate(&zs, Z_NO_FLUSH);
                if (zs.avail_out == 0)
                    rc = Z_DATA_ERROR; // more content than the header announced
                continue;
            }
            zs.next_out = room.data();
            zs.avail_out = static_cast<uInt>(std::min<std::size_t>(room.size(), UINT_MAX));
            const uInt before = zs.avail_out;
            rc = inflate(&zs, Z_NO_FLUSH);
            body.Filled(before - zs.avail_out);
            if (rc == Z_BUF_ERROR && zs.avail_in == 0)
                rc = Z_OK; // needs more input
        }
        body.Finish();
        // Whatever follows the stream is the start of the bytes after the movie.
        if (rc == Z_STREAM_END)
            leftover.assign(zs.next_in, zs.next_in + zs.avail_in);
    } catch (...) {
        inflateEnd(&zs);
        throw;
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END && m_fileBuf.size() == m_fileSize;
}

namespace {

// The movie as Save writes it: a plain one as it is held, a compressed one
// with the unchanged header and the body compressed again.
bool WriteMovie(IOutputFile& file, std::span<const std::uint8_t> movie, SwfCompression compression,
    std::span<const std::uint8_t> trailer)
{
    // Bytes after the movie, which few movies have, go in a second write
    // rather than a copy of all.
    if (compression == SwfCompression::None)
        return file.Write(movie) && (trailer.empty() || file.Write(trailer));
    const std::span<const std::uint8_t> header = movie.first(kHeaderSize);
    const std::span<const std::uint8_t> body = movie.subspan(kHeaderSize);
    if (compression == SwfCompression::Lzma) {
        // The header stays as loaded; the stream's length after it is
        // the new stream's own. All of it goes out in one write.
        const auto encoded = EncodeLzmaMovie(header, body, trailer);
        return encoded && file.Write(*encoded);
    }
    // Header, deflated body and whatever followed the stream go out in one write.
    uLongf length = compressBound(static_cast<uLong>(body.size()));
    ByteBuffer out(kHeaderSize + length + trailer.size());
    std::copy(header.begin(), header.end(), out.begin());
    if (compress(out.data() + kHeaderSize, &length, body.data(), static_cast<uLong>(body.size())) != Z_OK)
        return false;
    std::copy(trailer.begin(), trailer.end(), out.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + length));
    return file.Write(std::span(out).first(kHeaderSize + length + trailer.size()));
}

} // namespace

bool CSwfFile::Save(IOutputFile& file)
{
    bool ok = false;
    try {
        ok = [&] {
            if (!m_held) {
                m_messages->Show("ERROR: m_fileBuf is empty.");
                return false;
            }
            // Re-encoded images go out in a copy with their tags spliced in;
            // the buffer, and every colour position in it, stays as it is.
            if (ReplacedImageCount() == 0)
                return WriteMovie(file, m_fileBuf, m_compression, m_trailer);
            const std::optional<ByteBuffer> spliced = Spliced();
            if (!spliced) {
                m_messages->Show("ERROR: the re-encoded images make the movie longer than 4 GiB");
                return false;
            }
            return WriteMovie(file, *spliced, m_compression, m_trailer);
        }();
    } catch (const std::bad_alloc&) {
        ok = false; // no memory to compress into; the caller says so
    }
    m_pos = 0;
    m_firstTag = 0;
    ResetBits();
    return ok;
}

void CSwfFile::SetImageBody(std::size_t image, std::shared_ptr<const ByteBuffer> body)
{
    // A tag cut short by the movie's end has no whole body to replace.
    if (image < m_imageBodies.size() && m_images[image].complete)
        m_imageBodies[image] = std::move(body);
}

const std::shared_ptr<const ByteBuffer>& CSwfFile::ImageBody(std::size_t image) const
{
    static const std::shared_ptr<const ByteBuffer> kNone;
    return image < m_imageBodies.size() ? m_imageBodies[image] : kNone;
}

std::size_t CSwfFile::ReplacedImageCount() const
{
    return static_cast<std::size_t>(
        std::count_if(m_imageBodies.begin(), m_imageBodies.end(), [](const auto& body) { return body != nullptr; }));
}

std::optional<std::uint32_t> CSwfFile::SavedFileLength() const
{
    std::uint64_t length = m_fileBuf.size();
    for (std::size_t i = 0; i < m_imageBodies.size(); ++i) {
        if (m_imageBodies[i] == nullptr)
            continue;
        const SwfImageRecord& image = m_images[i];
        length = length - (image.bodyOffset + image.bodyLength - image.tagOffset) + kLongTagHeaderSize
            + m_imageBodies[i]->size();
    }
    if (length > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(length);
}

std::optional<ByteBuffer> CSwfFile::Spliced() const
{
    const auto length = SavedFileLength();
    if (!length)
        return std::nullopt;
    ByteBuffer out;
    out.reserve(*length);
    std::size_t from = 0;
    const auto copy = [&](std::size_t begin, std::size_t end) {
        out.insert(out.end(), m_fileBuf.begin() + static_cast<std::ptrdiff_t>(begin),
            m_fileBuf.begin() + static_cast<std::ptrdiff_t>(end));
    };
    for (std::size_t i = 0; i < m_imageBodies.size(); ++i) {
        if (m_imageBodies[i] == nullptr)
            continue;
        const SwfImageRecord& image = m_images[i];
        const ByteBuffer& body = *m_imageBodies[i];
        copy(from, image.tagOffset);
        const std::uint32_t codeAndLength = static_cast<std::uint32_t>(image.code) << 6 | kLongLengthField;
        const auto bodyLength = static_cast<std::uint32_t>(body.size());
        const std::uint8_t header[kLongTagHeaderSize]
            = {static_cast<std::uint8_t>(codeAndLength), static_cast<std::uint8_t>(codeAndLength >> 8),
                static_cast<std::uint8_t>(bodyLength), static_cast<std::uint8_t>(bodyLength >> 8),
                static_cast<std::uint8_t>(bodyLength >> 16), static_cast<std::uint8_t>(bodyLength >> 24)};
        out.insert(out.end(), std::begin(header), std::end(header));
        out.insert(out.end(), body.begin(), body.end());
        from = image.bodyOffset + image.bodyLength;
    }
    copy(from, m_fileBuf.size());
    for (int i = 0; i < 4; ++i)
        out[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*length >> (8 * i));
    return out;
}

CMovieImage CSwfFile::Image() const
{
    CMovieImage image;
    // With re-encoded images spliced in, as a save would write it; a movie
    // that no longer fits leaves the image empty, which no save takes.
    if (ReplacedImageCount() == 0) {
        image.buffer.assign(m_fileBuf.begin(), m_fileBuf.end());
    } else if (auto spliced = Spliced()) {
        image.buffer.assign(spliced->begin(), spliced->end());
    }
    image.compression = m_compression;
    return image;
}

bool CSwfFile::SaveImage(const CMovieImage& image, IOutputFile& file)
{
    if (image.buffer.size() < kHeaderSize)
        return false;
    try {
        return WriteMovie(file, image.buffer, image.compression, image.trailer);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CSwfFile::SaveImageToPath(const CMovieImage& image, const std::filesystem::path& path, std::error_code* error)
{
    std::error_code failure;
    auto out = CAtomicOutputFile::Create(path, CAtomicOutputFile::Durability::Scratch, failure);
    const bool ok = out && SaveImage(image, *out) && out->Commit();
    if (!ok && error)
        *error = out ? out->Error() : failure;
    return ok;
}

bool CSwfFile::SaveToPath(const std::filesystem::path& path, std::error_code* error)
{
    std::error_code failure;
    auto out = CAtomicOutputFile::Create(path, CAtomicOutputFile::Durability::Scratch, failure);
    const bool ok = out && Save(*out) && out->Commit();
    if (!ok && error)
        *error = out ? out->Error() : failure;
    return ok;
}

} // namespace tintor
