#include "bitmap/bitmap_image.h"

#include "bitmap/codecs.h"
#include "bitmap/colour_cache.h"
#include "bitmap/zlib_codec.h"

#include <algorithm>

namespace tintor {

namespace {

using namespace bitmap;

enum class DataKind { Jpeg, Png, Gif };

DataKind KindOf(std::span<const std::uint8_t> data)
{
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    static constexpr std::uint8_t kGif[] = {'G', 'I', 'F', '8'};
    if (data.size() >= sizeof kPng && std::equal(std::begin(kPng), std::end(kPng), data.begin()))
        return DataKind::Png;
    if (data.size() >= sizeof kGif && std::equal(std::begin(kGif), std::end(kGif), data.begin()))
        return DataKind::Gif;
    return DataKind::Jpeg;
}

bool IsLossless(std::uint16_t code) { return code == kTagDefineBitsLossless || code == kTagDefineBitsLossless2; }

// The bytes of a tag body before its image data.
std::size_t FieldsBefore(const SwfImageRecord& record)
{
    switch (record.code) {
    case kTagDefineBitsJpeg3:
        return 6;
    case kTagDefineBitsJpeg4:
        return 8;
    default:
        return 2;
    }
}

// The image data of a JPEG tag, and what follows it: the alpha plane of
// DefineBitsJPEG3 and DefineBitsJPEG4. nullopt when the offset of the alpha
// plane lies past the body.
struct JpegParts {
    std::span<const std::uint8_t> image;
    std::span<const std::uint8_t> alpha;
};
std::optional<JpegParts> PartsOf(const SwfImageRecord& record, std::span<const std::uint8_t> body)
{
    const std::size_t fields = FieldsBefore(record);
    if (body.size() < fields)
        return std::nullopt;
    const std::span<const std::uint8_t> rest = body.subspan(fields);
    if (record.code != kTagDefineBitsJpeg3 && record.code != kTagDefineBitsJpeg4)
        return JpegParts{rest, {}};
    if (record.alphaDataOffset > rest.size())
        return std::nullopt;
    return JpegParts{rest.first(record.alphaDataOffset), rest.subspan(record.alphaDataOffset)};
}

std::string_view JpegFormatName(std::uint16_t code)
{
    switch (code) {
    case kTagDefineBits:
        return "jpeg1";
    case kTagDefineBitsJpeg3:
        return "jpeg3";
    case kTagDefineBitsJpeg4:
        return "jpeg4";
    default:
        return "jpeg";
    }
}

void PutWord(ByteBuffer& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// What decoding found, before it becomes an image.
struct Decoded {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::optional<CBitmapImage::Pixels> pixels;
    std::span<const std::uint8_t> tail;
};

Decoded DecodeTag(const SwfImageRecord& record, std::span<const std::uint8_t> body, std::string& problem)
{
    Decoded decoded;
    if (!record.complete) {
        problem = "cut short by the end of the movie";
        return decoded;
    }
    if (IsLossless(record.code)) {
        decoded.width = record.width;
        decoded.height = record.height;
        if (auto pixels = DecodeLossless(record, body, problem))
            decoded.pixels = std::move(*pixels);
        return decoded;
    }
    const auto parts = PartsOf(record, body);
    if (!parts) {
        problem = "corrupt image data";
        return decoded;
    }
    decoded.tail = parts->alpha;
    switch (KindOf(parts->image)) {
    case DataKind::Png:
        if (auto png = DecodePng(parts->image, decoded.width, decoded.height, problem))
            decoded.pixels = std::move(*png);
        return decoded;
    case DataKind::Gif:
        if (auto gif = DecodeGif(parts->image, decoded.width, decoded.height, problem))
            decoded.pixels = std::move(*gif);
        return decoded;
    case DataKind::Jpeg:
        break;
    }
    const auto stream = JoinJpegStreams(parts->image);
    const auto header = stream ? ReadJpegHeader(*stream) : std::nullopt;
    if (!header) {
        problem = "corrupt JPEG data";
        return decoded;
    }
    decoded.width = header->width;
    decoded.height = header->height;
    if (record.code == kTagDefineBits) {
        problem = kSharedTablesProblem;
        return decoded;
    }
    if (auto photo = DecodeJpeg(*stream, *header, parts->alpha, problem))
        decoded.pixels = std::move(*photo);
    return decoded;
}

} // namespace

CBitmapImage::CBitmapImage(const SwfImageRecord& record, std::uint32_t width, std::uint32_t height, Pixels pixels,
    std::shared_ptr<const ByteBuffer> tail, std::shared_ptr<const ByteBuffer> body)
    : m_record(record),
      m_width(width),
      m_height(height),
      m_pixels(std::move(pixels)),
      m_tail(std::move(tail)),
      m_body(std::move(body))
{
}

BitmapDescription CBitmapImage::Describe(const SwfImageRecord& record, std::span<const std::uint8_t> body)
{
    BitmapDescription description;
    if (IsLossless(record.code)) {
        description.format = record.code == kTagDefineBitsLossless2 ? "lossless2" : "lossless";
    } else {
        const auto parts = PartsOf(record, body);
        const DataKind kind = parts ? KindOf(parts->image) : DataKind::Jpeg;
        description.format = kind == DataKind::Png ? "png"
            : kind == DataKind::Gif                ? "gif"
                                                   : JpegFormatName(record.code);
        if (kind == DataKind::Jpeg && record.complete && record.code != kTagDefineBits && parts) {
            // A JPEG is only decoded small to see that it decodes.
            const auto stream = JoinJpegStreams(parts->image);
            const auto header = stream ? ReadJpegHeader(*stream) : std::nullopt;
            if (!header) {
                description.problem = "corrupt JPEG data";
                return description;
            }
            description.width = header->width;
            description.height = header->height;
            if (std::uint64_t{header->width} * header->height > kMaxPixels) {
                description.problem = "image too large";
                return description;
            }
            if (!CheckJpeg(*stream, description.problem))
                return description;
            if (!parts->alpha.empty()) {
                const std::size_t pixels = std::size_t{header->width} * header->height;
                const auto alpha = Inflate(parts->alpha, pixels);
                if (!alpha || alpha->size() != pixels)
                    description.problem = "corrupt alpha data";
            }
            return description;
        }
    }
    const Decoded decoded = DecodeTag(record, body, description.problem);
    description.width = decoded.width;
    description.height = decoded.height;
    return description;
}

std::shared_ptr<const CBitmapImage> CBitmapImage::Decode(
    const SwfImageRecord& record, std::span<const std::uint8_t> body, std::string* problem)
{
    std::string why;
    Decoded decoded = DecodeTag(record, body, why);
    if (!decoded.pixels) {
        if (problem != nullptr)
            *problem = why;
        return nullptr;
    }
    return std::make_shared<const CBitmapImage>(record, decoded.width, decoded.height, std::move(*decoded.pixels),
        std::make_shared<const ByteBuffer>(decoded.tail.begin(), decoded.tail.end()), nullptr);
}

std::shared_ptr<const CBitmapImage> CBitmapImage::Recoloured(const RecolourFn& recolour) const
{
    // A photograph is recoloured into a buffer of its own; the other forms
    // are small or mostly kept (indices, padding) and are changed in a copy.
    Pixels pixels = std::holds_alternative<Photo>(m_pixels) ? Pixels{Png{}} : m_pixels;
    std::vector<std::uint8_t> image;
    if (const auto* photo = std::get_if<Photo>(&m_pixels)) {
        Photo recoloured = RecolourPhoto(*photo, recolour);
        image = EncodeJpeg(recoloured, m_width, m_height);
        pixels = std::move(recoloured);
    } else if (auto* lossless = std::get_if<Lossless>(&pixels)) {
        RecolourLossless(*lossless, m_width, m_height, recolour);
        const ByteBuffer stream = Deflate(lossless->data);
        image.assign(stream.begin(), stream.end());
    } else if (auto* png = std::get_if<Png>(&pixels)) {
        RecolourPng(*png, recolour);
        image = EncodePng(*png, m_width, m_height);
    } else if (auto* gif = std::get_if<Gif>(&pixels)) {
        for (std::size_t i = 0; i < gif->palette.size(); ++i)
            if (static_cast<int>(i) != gif->transparent)
                gif->palette[i] = recolour(gif->palette[i]) & 0xFFFFFF;
        image = EncodeGifAsPng(*gif, m_width, m_height);
    }
    auto body = EncodeBody(image);
    return std::make_shared<const CBitmapImage>(
        m_record, m_width, m_height, std::move(pixels), m_tail, std::move(body));
}

std::shared_ptr<const ByteBuffer> CBitmapImage::EncodeBody(std::span<const std::uint8_t> image) const
{
    ByteBuffer body;
    body.reserve(16 + image.size() + m_tail->size());
    PutWord(body, m_record.characterId);
    if (IsLossless(m_record.code)) {
        body.push_back(m_record.losslessFormat);
        PutWord(body, m_record.width);
        PutWord(body, m_record.height);
        if (std::get<Lossless>(m_pixels).format == 3)
            body.push_back(m_record.colourTableSize);
    } else if (m_record.code == kTagDefineBitsJpeg3 || m_record.code == kTagDefineBitsJpeg4) {
        // The alpha plane follows the new image data, byte for byte as it came.
        const auto offset = static_cast<std::uint32_t>(image.size());
        PutWord(body, offset & 0xFFFF);
        PutWord(body, offset >> 16);
        if (m_record.code == kTagDefineBitsJpeg4)
            PutWord(body, m_record.deblocking);
    }
    body.insert(body.end(), image.begin(), image.end());
    body.insert(body.end(), m_tail->begin(), m_tail->end());
    return std::make_shared<const ByteBuffer>(std::move(body));
}

std::vector<std::uint8_t> CBitmapImage::StraightRgba() const
{
    if (const auto* lossless = std::get_if<Lossless>(&m_pixels))
        return LosslessToRgba(*lossless, m_width, m_height);
    if (const auto* png = std::get_if<Png>(&m_pixels))
        return png->rgba;
    std::vector<std::uint8_t> rgba(std::size_t{m_width} * m_height * 4);
    if (const auto* gif = std::get_if<Gif>(&m_pixels)) {
        for (std::size_t i = 0; i < gif->indices.size(); ++i) {
            const std::uint32_t c = gif->palette[gif->indices[i]];
            const bool clear = gif->indices[i] == gif->transparent;
            rgba[i * 4] = static_cast<std::uint8_t>(c);
            rgba[i * 4 + 1] = static_cast<std::uint8_t>(c >> 8);
            rgba[i * 4 + 2] = static_cast<std::uint8_t>(c >> 16);
            rgba[i * 4 + 3] = clear ? 0 : 255;
        }
        return rgba;
    }
    const auto& photo = std::get<Photo>(m_pixels);
    for (std::size_t i = 0; i < photo.rgb.size() / 3; ++i) {
        const std::uint32_t a = photo.alpha.empty() ? 255 : photo.alpha[i];
        for (std::size_t c = 0; c < 3; ++c)
            rgba[i * 4 + c] = static_cast<std::uint8_t>(
                a == 0 || a == 255 ? photo.rgb[i * 3 + c] : Unpremultiply(photo.rgb[i * 3 + c], a));
        rgba[i * 4 + 3] = static_cast<std::uint8_t>(a);
    }
    return rgba;
}

} // namespace tintor
