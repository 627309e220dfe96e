// Reading a movie file into one buffer and writing it back.
#include "swf/swf_file.h"

#include "swf/swf_lzma.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace tintor {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::uint32_t kMinFileLength = 21;

bool IsSignature(const std::array<std::uint8_t, kHeaderSize>& h, char first)
{
    return h[0] == static_cast<std::uint8_t>(first) && h[1] == 'W' && h[2] == 'S';
}

} // namespace

CSwfFile::CSwfFile(IMessageSink& messages) : m_messages(messages) {}

void CSwfFile::Release()
{
    ClearColors();
    m_fileBuf.clear();
    m_fileBuf.shrink_to_fit();
    m_title.clear();
    m_fileSize = 0;
    m_held = false;
}

void CSwfFile::AttachForReading(std::vector<std::uint8_t> bytes, std::uint32_t pos, CollectionRule rule)
{
    Release();
    m_rule = rule;
    m_fileBuf = std::move(bytes);
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
    bool ok = [&] {
        std::array<std::uint8_t, kHeaderSize> header{};
        if (file.Read(header) < kHeaderSize) {
            m_messages.Show("ERROR: Can't read the header of file");
            return false;
        }
        if (IsSignature(header, 'F'))
            m_compression = SwfCompression::None;
        else if (IsSignature(header, 'C'))
            m_compression = SwfCompression::Zlib;
        else if (IsSignature(header, 'Z'))
            m_compression = SwfCompression::Lzma;
        else {
            m_messages.Show("ERROR: Illegal Header - not a Shockwave Flash File");
            return false;
        }
        m_fileSize = static_cast<std::uint32_t>(header[4] | header[5] << 8 | header[6] << 16)
            | static_cast<std::uint32_t>(header[7]) << 24;
        if (m_fileSize < kMinFileLength) {
            m_messages.Show("ERROR: file size is too short");
            return false;
        }
        m_title = TitleFromFileName(file.GetFileName());
        if (!ReadBody(file)) {
            // A half-read movie must never be taken for a good one.
            m_messages.Show("ERROR: Can't read the body of file");
            m_fileBuf.clear();
            m_fileBuf.shrink_to_fit();
            m_title.clear();
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
    }();
    m_pos = 0;
    m_firstTag = 0;
    m_limit = 0;
    m_tagEnd = 0;
    ResetBits();
    return ok;
}

bool CSwfFile::ReadBody(IInputFile& file)
{
    const std::size_t bodySize = m_fileSize - kHeaderSize;
    if (m_compression == SwfCompression::Zlib)
        return InflateBody(file);
    if (m_compression == SwfCompression::Lzma)
        return DecodeLzmaBody(file, static_cast<std::uint32_t>(bodySize), m_fileBuf);
    // The header's length is not trusted for the allocation: a short file
    // claiming 4 GiB fails here without allocating anything.
    if (const auto remaining = file.Remaining(); remaining && *remaining < bodySize)
        return false;
    m_fileBuf.assign(m_fileSize, 0);
    return file.Read(std::span(m_fileBuf).subspan(kHeaderSize)) == bodySize;
}

bool CSwfFile::InflateBody(IInputFile& file)
{
    const std::size_t bodySize = m_fileSize - kHeaderSize;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    // The buffer grows with what the stream really yields, up to FileLength,
    // so a lying header costs no more memory than the data behind it. Deflate
    // expands at most about 1032:1, so a body no larger than that bound of
    // the file's size is allocated at once, sparing real movies the regrowth.
    constexpr std::uint64_t kMaxDeflateRatio = 1032;
    const std::uint64_t plausible = file.Remaining().value_or(0) * kMaxDeflateRatio;
    m_fileBuf.assign(kHeaderSize + std::min<std::uint64_t>(bodySize, std::max<std::uint64_t>(plausible, 1 << 16)), 0);
    std::vector<std::uint8_t> input(1 << 16);
    std::size_t produced = 0;
    int rc = Z_OK;
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
        zs.avail_out = static_cast<uInt>(m_fileBuf.size() - kHeaderSize - produced);
        const uInt before = zs.avail_out;
        rc = inflate(&zs, Z_NO_FLUSH);
        produced += before - zs.avail_out;
        if (rc == Z_BUF_ERROR && zs.avail_in == 0)
            rc = Z_OK; // needs more input
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END && produced == bodySize;
}

bool CSwfFile::Save(IOutputFile& file)
{
    bool ok = [&] {
        if (!m_held) {
            m_messages.Show("ERROR: m_fileBuf is empty.");
            return false;
        }
        if (m_compression == SwfCompression::None)
            return file.Write(m_fileBuf);
        const std::span<const std::uint8_t> body = std::span(m_fileBuf).subspan(kHeaderSize);
        if (m_compression == SwfCompression::Lzma) {
            // The header stays as loaded; the stream's length after it is
            // the new stream's own.
            const auto encoded = EncodeLzmaBody(body);
            return encoded && file.Write(std::span(m_fileBuf).first(kHeaderSize)) && file.Write(*encoded);
        }
        // Header and deflated body go out in one write.
        uLongf length = compressBound(static_cast<uLong>(body.size()));
        std::vector<std::uint8_t> out(kHeaderSize + length);
        std::copy_n(m_fileBuf.begin(), kHeaderSize, out.begin());
        if (compress(out.data() + kHeaderSize, &length, body.data(), static_cast<uLong>(body.size())) != Z_OK)
            return false;
        return file.Write(std::span(out).first(kHeaderSize + length));
    }();
    m_pos = 0;
    m_firstTag = 0;
    ResetBits();
    return ok;
}

bool CSwfFile::SaveToPath(const std::filesystem::path& path)
{
    auto out = CAtomicOutputFile::Create(path, CAtomicOutputFile::Durability::Scratch);
    if (!out)
        return false;
    return Save(*out) && out->Commit();
}

} // namespace tintor
