// Reading a movie file into one buffer and writing it back.
#include "swf/swf_file.h"

#include "swf/swf_lzma.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <new>
#include <stdexcept>

namespace tintor {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::uint32_t kMinFileLength = 21;
// What a body whose true size only its data can tell is first given; it
// doubles from there with what really arrives.
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

// Appends up to limit bytes from the file to buffer, growing it with what
// arrives: at once by what the file says it still holds, otherwise from
// firstGuess, doubling. Returns how many bytes came.
std::size_t AppendFrom(IInputFile& file, ByteBuffer& buffer, std::uint64_t limit, std::size_t firstGuess = kFirstGuess)
{
    const std::size_t start = buffer.size();
    std::size_t got = 0;
    std::uint64_t step = std::min<std::uint64_t>(limit, file.Remaining().value_or(firstGuess));
    while (got < limit) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(limit - got, step));
        buffer.resize(start + got + want);
        const std::size_t n = file.Read(std::span(buffer).subspan(start + got, want));
        got += n;
        if (n < want || file.Remaining() == std::uint64_t{0})
            break;
        step = std::max(got, firstGuess);
    }
    buffer.resize(start + got);
    return got;
}

} // namespace

CSwfFile::CSwfFile(IMessageSink& messages) : m_messages(&messages) {}

void CSwfFile::Release()
{
    ClearColors();
    ByteBuffer().swap(m_fileBuf);
    ByteBuffer().swap(m_trailer);
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
    ResetBits();
}

bool CSwfFile::Load(IInputFile& file, CollectionRule rule)
{
    Release();
    m_rule = rule;
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
    if (!ReadBody(file) || file.Error()) {
        // A half-read movie must never be taken for a good one.
        m_messages->Show("ERROR: Can't read the body of file");
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
    return true;
}

bool CSwfFile::ReadBody(IInputFile& file)
{
    const std::size_t bodySize = m_fileSize - kHeaderSize;
    if (m_compression == SwfCompression::Zlib)
        return InflateBody(file);
    if (m_compression == SwfCompression::Lzma)
        return DecodeLzmaBody(file, static_cast<std::uint32_t>(bodySize), m_fileBuf, m_trailer);
    // A short file claiming 4 GiB fails here without allocating anything.
    if (const auto remaining = file.Remaining(); remaining && *remaining < bodySize)
        return false;
    m_fileBuf.resize(kHeaderSize);
    if (AppendFrom(file, m_fileBuf, bodySize) != bodySize)
        return false;
    AppendFrom(file, m_trailer, UINT64_MAX, kFirstTrailerGuess);
    return true;
}

bool CSwfFile::InflateBody(IInputFile& file)
{
    const std::size_t bodySize = m_fileSize - kHeaderSize;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    // The buffer grows with what the stream really yields, up to FileLength,
    // so a lying header costs no more memory than the data behind it.
    const std::uint64_t firstGuess
        = std::max<std::uint64_t>(kFirstGuess, file.Remaining().value_or(0) * kUsualDeflateRatio);
    m_fileBuf.resize(kHeaderSize + std::min<std::uint64_t>(bodySize, firstGuess));
    std::vector<std::uint8_t> input(1 << 16);
    std::size_t produced = 0;
    int rc = Z_OK;
    try {
        while (rc == Z_OK) {
            if (zs.avail_in == 0) {
                const std::size_t n = file.Read(input);
                if (n == 0)
                    break;
                zs.next_in = input.data();
                zs.avail_in = static_cast<uInt>(n);
            }
            if (produced == m_fileBuf.size() - kHeaderSize) {
                if (produced == bodySize) {
                    // Full: the stream may only have its end marker and checksum left.
                    std::uint8_t probe = 0;
                    zs.next_out = &probe;
                    zs.avail_out = 1;
                    rc = inflate(&zs, Z_NO_FLUSH);
                    if (zs.avail_out == 0)
                        rc = Z_DATA_ERROR; // more content than the header announced
                    continue;
                }
                m_fileBuf.resize(kHeaderSize + std::min(bodySize, 2 * produced));
            }
            zs.next_out = m_fileBuf.data() + kHeaderSize + produced;
            zs.avail_out
                = static_cast<uInt>(std::min<std::size_t>(m_fileBuf.size() - kHeaderSize - produced, UINT_MAX));
            const uInt before = zs.avail_out;
            rc = inflate(&zs, Z_NO_FLUSH);
            produced += before - zs.avail_out;
            if (rc == Z_BUF_ERROR && zs.avail_in == 0)
                rc = Z_OK; // needs more input
        }
        if (rc == Z_STREAM_END && produced == bodySize) {
            // Whatever follows the stream is kept as it came.
            m_trailer.assign(zs.next_in, zs.next_in + zs.avail_in);
            AppendFrom(file, m_trailer, UINT64_MAX, kFirstTrailerGuess);
        }
    } catch (...) {
        inflateEnd(&zs);
        throw;
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END && produced == bodySize;
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
        if (!m_held)
            m_messages->Show("ERROR: m_fileBuf is empty.");
        else
            ok = WriteMovie(file, m_fileBuf, m_compression, m_trailer);
    } catch (const std::bad_alloc&) {
        ok = false; // no memory to compress into; the caller says so
    }
    m_pos = 0;
    m_firstTag = 0;
    ResetBits();
    return ok;
}

CMovieImage CSwfFile::Image() const
{
    CMovieImage image;
    image.buffer.assign(m_fileBuf.begin(), m_fileBuf.end());
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
