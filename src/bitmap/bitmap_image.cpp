#include "bitmap/bitmap_image.h"

#include "bitmap/codecs.h"
#include "bitmap/zlib_codec.h"
#include "swf/colour_account.h"

#include <algorithm>
#include <new>

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

bool HasAlphaPlane(std::uint16_t code) { return code == kTagDefineBitsJpeg3 || code == kTagDefineBitsJpeg4; }

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
    if (!HasAlphaPlane(record.code))
        return JpegParts{rest, {}};
    if (record.alphaDataOffset > rest.size())
        return std::nullopt;
    return JpegParts{rest.first(record.alphaDataOffset), rest.subspan(record.alphaDataOffset)};
}

std::string_view FormatName(const SwfImageRecord& record, std::span<const std::uint8_t> body)
{
    if (IsLossless(record.code))
        return record.code == kTagDefineBitsLossless2 ? "lossless2" : "lossless";
    const auto parts = PartsOf(record, body);
    switch (parts ? KindOf(parts->image) : DataKind::Jpeg) {
    case DataKind::Png:
        return "png";
    case DataKind::Gif:
        return "gif";
    case DataKind::Jpeg:
        break;
    }
    switch (record.code) {
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

// A JPEG as one stream to decode, and how it is encoded again: whole, or,
// for a DefineBits image that reads the movie's JPEGTables and defines no
// table of its own, as an abbreviated stream with exactly those tables.
struct JpegPlan {
    std::vector<std::uint8_t> stream;
    JpegHeader header;
    std::optional<JpegTableSet> shared;
};

// Whether the shared tables hold every table the image's components use,
// and a code in each Huffman table for anything a new image may need.
bool SharedTablesFit(const JpegHeader& header, const JpegTableSet& shared)
{
    if (header.precision != 8)
        return false;
    for (const JpegComponent& c : header.components) {
        if (c.quantisation > 3 || c.dc > 3 || c.ac > 3 || !shared.quantisation[c.quantisation] || !shared.dc[c.dc]
            || !shared.ac[c.ac] || !CodesEverySymbol(*shared.dc[c.dc], true)
            || !CodesEverySymbol(*shared.ac[c.ac], false))
            return false;
    }
    return true;
}

std::optional<JpegPlan> PlanJpeg(const BitmapSource& source, std::span<const std::uint8_t> image, std::string& problem)
{
    JpegPlan plan;
    const std::span<const std::uint8_t> imageData = image;
    std::optional<JpegTableSet> tables;
    std::vector<std::uint8_t> withTables;
    // Movies' DefineBits images mostly hold whole JPEGs behind an empty
    // JPEGTables; only tables that define something are joined in front.
    if (source.record.code == kTagDefineBits) {
        tables = ReadJpegTables(source.jpegTables);
        if (!tables) {
            problem = "corrupt JPEGTables";
            return std::nullopt;
        }
        if (tables->Empty()) {
            tables.reset();
        } else {
            withTables.assign(source.jpegTables.begin(), source.jpegTables.end());
            withTables.insert(withTables.end(), image.begin(), image.end());
            image = withTables;
        }
    }
    auto stream = JoinJpegStreams(image);
    auto header = stream ? ReadJpegHeader(*stream) : std::nullopt;
    if (!header) {
        problem = kCorruptJpeg;
        return std::nullopt;
    }
    if (header->arithmetic) {
        problem = kArithmeticJpeg;
        return std::nullopt;
    }
    if (!WithinPixelLimit(header->width, header->height, problem))
        return std::nullopt;
    if (JpegDataTooShort(*header, stream->size())) {
        problem = kTooLittleData;
        return std::nullopt;
    }
    if (tables) {
        // An image with tables of its own goes back whole: its tables stand
        // over the shared ones for it alone, as they did.
        const auto own = JoinJpegStreams(imageData);
        const auto ownHeader = own ? ReadJpegHeader(*own) : std::nullopt;
        if (!ownHeader || ownHeader->defined.Empty()) {
            if (!SharedTablesFit(*header, *tables)) {
                problem = kSharedTablesProblem;
                return std::nullopt;
            }
            plan.shared = std::move(tables);
        }
    }
    plan.stream = std::move(*stream);
    plan.header = std::move(*header);
    return plan;
}

// The scale of a JPEG decoded for a thumbnail: the least eighth of its
// size that is still as large as the thumbnail.
int ThumbnailScale(const JpegHeader& header, const CThumbnailMaker& maker)
{
    for (int scale = 1; scale < 8; ++scale)
        if ((std::uint64_t{header.width} * scale + 7) / 8 >= maker.Width()
            && (std::uint64_t{header.height} * scale + 7) / 8 >= maker.Height())
            return scale;
    return 8;
}

// The alpha plane of a JPEG3 or JPEG4, inflated a piece at a time to the
// thumbnail maker or only to see it is one byte a pixel.
bool StreamAlpha(std::span<const std::uint8_t> alpha, std::uint32_t width, std::uint32_t height,
    CThumbnailMaker* thumbnail, std::string& problem)
{
    const std::size_t pixels = std::size_t{width} * height;
    std::vector<std::uint8_t> row;
    std::uint32_t y = 0;
    const auto take = [&](std::span<const std::uint8_t> piece) {
        for (const std::uint8_t a : piece) {
            row.push_back(a);
            if (row.size() == width) {
                thumbnail->AddAlpha({width, height, y++, 0, 1, row.data(), width, 1, false});
                row.clear();
            }
        }
    };
    const auto inflated = InflatePieces(
        alpha, pixels, thumbnail != nullptr ? std::function<void(std::span<const std::uint8_t>)>(take) : nullptr);
    if (!inflated || *inflated != pixels) {
        problem = kCorruptAlpha;
        return false;
    }
    return true;
}

// Reads the pixels of an image through, to a thumbnail of at most maxSide
// when it is not 0, or only to see that they decode.
bool ReadThrough(
    const BitmapSource& source, std::uint32_t maxSide, std::optional<BitmapThumbnail>& thumbnail, std::string& problem)
{
    const SwfImageRecord& record = source.record;
    if (!record.complete) {
        problem = "cut short by the end of the movie";
        return false;
    }
    std::optional<CThumbnailMaker> maker;
    const auto makerFor = [&](std::uint32_t width, std::uint32_t height) {
        if (maxSide != 0 && width != 0 && height != 0)
            maker.emplace(width, height, maxSide);
        return maker ? &*maker : nullptr;
    };
    bool read = false;
    if (IsLossless(record.code)) {
        read = StreamLossless(record, source.body, makerFor(record.width, record.height), problem);
    } else if (const auto parts = PartsOf(record, source.body); !parts) {
        problem = kCorruptImage;
    } else if (const DataKind kind = KindOf(parts->image); kind != DataKind::Jpeg) {
        const BitmapSize size = EncodedImageSize(parts->image).value_or(BitmapSize{});
        CThumbnailMaker* to = makerFor(size.width, size.height);
        read = kind == DataKind::Png ? StreamPng(parts->image, to, problem) : StreamGif(parts->image, to, problem);
    } else if (const auto plan = PlanJpeg(source, parts->image, problem)) {
        CThumbnailMaker* to = makerFor(plan->header.width, plan->header.height);
        read = StreamJpeg(plan->stream, to != nullptr ? ThumbnailScale(plan->header, *to) : 1, to, problem)
            && (parts->alpha.empty()
                || StreamAlpha(parts->alpha, plan->header.width, plan->header.height, to, problem));
    }
    if (read && maker)
        thumbnail = maker->Result();
    return read;
}

void PutWord(ByteBuffer& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// The fields before the image data, the encoded image and the bytes after
// it (JPEG3 and JPEG4's alpha plane, kept as they came).
ByteBuffer EncodeBody(
    const SwfImageRecord& record, std::span<const std::uint8_t> image, std::span<const std::uint8_t> tail)
{
    ByteBuffer body;
    body.reserve(16 + image.size() + tail.size());
    PutWord(body, record.characterId);
    if (IsLossless(record.code)) {
        body.push_back(record.losslessFormat);
        PutWord(body, record.width);
        PutWord(body, record.height);
        if (record.losslessFormat == 3)
            body.push_back(record.colourTableSize);
    } else if (HasAlphaPlane(record.code)) {
        // The alpha plane follows the new image data, byte for byte as it came.
        const auto offset = static_cast<std::uint32_t>(image.size());
        PutWord(body, offset & 0xFFFF);
        PutWord(body, offset >> 16);
        if (record.code == kTagDefineBitsJpeg4)
            PutWord(body, record.deblocking);
    }
    body.insert(body.end(), image.begin(), image.end());
    body.insert(body.end(), tail.begin(), tail.end());
    return body;
}

// The image data of source with recolour run over every colour, encoded
// again; nullopt with the reason when it cannot be.
std::optional<std::vector<std::uint8_t>> RecolourData(
    const BitmapSource& source, const RecolourFn& recolour, std::string& problem)
{
    const SwfImageRecord& record = source.record;
    if (IsLossless(record.code)) {
        auto pixels = DecodeLossless(record, source.body, problem);
        if (!pixels)
            return std::nullopt;
        RecolourLossless(*pixels, record.width, record.height, recolour);
        const ByteBuffer stream = Deflate(pixels->data);
        return std::vector<std::uint8_t>(stream.begin(), stream.end());
    }
    const auto parts = PartsOf(record, source.body);
    if (!parts) {
        problem = kCorruptImage;
        return std::nullopt;
    }
    switch (KindOf(parts->image)) {
    case DataKind::Png: {
        auto png = DecodePng(parts->image, problem);
        if (!png)
            return std::nullopt;
        RecolourPng(*png, recolour);
        return EncodePng(*png, problem);
    }
    case DataKind::Gif: {
        auto gif = DecodeGif(parts->image, problem);
        if (!gif)
            return std::nullopt;
        for (std::size_t i = 0; i < gif->palette.size(); ++i)
            if (static_cast<int>(i) != gif->transparent)
                gif->palette[i] = recolour(gif->palette[i]) & 0xFFFFFF;
        return EncodeGifAsPng(*gif, problem);
    }
    case DataKind::Jpeg:
        break;
    }
    const auto plan = PlanJpeg(source, parts->image, problem);
    if (!plan)
        return std::nullopt;
    auto photo = DecodeJpeg(plan->stream, plan->header, problem);
    if (!photo)
        return std::nullopt;
    if (!parts->alpha.empty()) {
        const std::size_t pixels = std::size_t{photo->width} * photo->height;
        auto alpha = Inflate(parts->alpha, pixels);
        if (!alpha || alpha->size() != pixels) {
            problem = kCorruptAlpha;
            return std::nullopt;
        }
        photo->alpha.assign(alpha->begin(), alpha->end());
    }
    RecolourPhoto(*photo, recolour);
    return EncodeJpeg(*photo, {&plan->header, plan->shared ? &*plan->shared : nullptr}, problem);
}

} // namespace

namespace bitmap {

bool WithinPixelLimit(std::uint64_t width, std::uint64_t height, std::string& problem)
{
    if (width * height <= CBitmapImage::kMaxPixels)
        return true;
    problem = kTooLarge;
    return false;
}

} // namespace bitmap

std::uint32_t GreyForEffect(std::uint32_t rgb)
{
    const std::uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    const std::uint32_t high = std::max({r, g, b});
    const std::uint32_t low = std::min({r, g, b});
    if (high - low > kNearGrey)
        return rgb & 0xFFFFFF;
    // The lightness byte the HSV effect reads off the colour itself.
    const std::uint32_t grey = (high + low) / 2;
    return grey | grey << 8 | grey << 16;
}

CBitmapImage::CBitmapImage(
    const SwfImageRecord& record, std::shared_ptr<const ByteBuffer> body, std::vector<ColourChange> changes)
    : m_record(record), m_body(std::move(body)), m_changes(std::move(changes))
{
}

BitmapDescription CBitmapImage::Describe(const BitmapSource& source)
{
    const SwfImageRecord& record = source.record;
    BitmapDescription description;
    description.format = FormatName(record, source.body);
    if (IsLossless(record.code)) {
        description.width = record.width;
        description.height = record.height;
    } else if (const auto parts = PartsOf(record, source.body)) {
        const BitmapSize size = EncodedImageSize(parts->image).value_or(BitmapSize{});
        description.width = size.width;
        description.height = size.height;
    }
    try {
        std::optional<BitmapThumbnail> none;
        ReadThrough(source, 0, none, description.problem);
    } catch (const std::bad_alloc&) {
        description.problem = kNoMemoryProblem;
    }
    return description;
}

std::optional<BitmapThumbnail> CBitmapImage::Thumbnail(const BitmapSource& source, std::uint32_t maxSide)
{
    try {
        std::optional<BitmapThumbnail> thumbnail;
        std::string problem;
        ReadThrough(source, std::max<std::uint32_t>(maxSide, 1), thumbnail, problem);
        return thumbnail;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::shared_ptr<const CBitmapImage> CBitmapImage::Recolour(const BitmapSource& loaded,
    const std::shared_ptr<const CBitmapImage>& before, const ColourChange& change, std::string& problem)
{
    try {
        if (!loaded.record.complete) {
            problem = "cut short by the end of the movie";
            return nullptr;
        }
        std::vector<ColourChange> changes = before ? before->m_changes : std::vector<ColourChange>{};
        changes.push_back(change);
        // Every change since the image was loaded, each from the colours the
        // last one gave, as a swatch's colour goes through them.
        std::vector<RecolourFn> steps;
        for (const ColourChange& made : changes)
            steps.push_back(made());
        const RecolourFn all = [&steps](std::uint32_t rgb) {
            for (const RecolourFn& step : steps)
                rgb = step(rgb) & 0xFFFFFF;
            return rgb;
        };
        const auto image = RecolourData(loaded, steps.size() == 1 ? steps.front() : all, problem);
        if (!image)
            return nullptr;
        SwfImageRecord record = loaded.record;
        const auto parts = IsLossless(record.code) ? std::nullopt : PartsOf(record, loaded.body);
        auto body = std::make_shared<const ByteBuffer>(
            EncodeBody(record, *image, parts ? parts->alpha : std::span<const std::uint8_t>()));
        record.bodyOffset = 0;
        record.bodyLength = static_cast<std::uint32_t>(body->size());
        record.alphaDataOffset = HasAlphaPlane(record.code) ? static_cast<std::uint32_t>(image->size()) : 0;
        return std::make_shared<const CBitmapImage>(record, std::move(body), std::move(changes));
    } catch (const std::bad_alloc&) {
        problem = kNoMemoryProblem;
        return nullptr;
    }
}

} // namespace tintor
