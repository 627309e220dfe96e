// DefineBitsLossless and DefineBitsLossless2: zlib data of a colour table and
// rows of indices (format 3), of 15-bit pixels (4) or of 32-bit pixels (5),
// rows padded to 32 bits. Recolouring changes colours and nothing else: not
// an index, a padding byte or a reserved bit.
#include "bitmap/codecs.h"
#include "bitmap/colour_cache.h"
#include "bitmap/zlib_codec.h"

#include <algorithm>
#include <array>

namespace tintor::bitmap {

namespace {

constexpr std::uint8_t kColourMapped = 3;
constexpr std::uint8_t kPix15 = 4;
constexpr std::uint8_t kPix32 = 5;

struct Layout {
    std::uint32_t tableCount = 0;
    std::size_t tableBytes = 0;
    std::size_t rowBytes = 0;
    std::size_t required = 0;
};

constexpr std::size_t Padded(std::size_t bytes) { return (bytes + 3) & ~std::size_t{3}; }

// The zlib data after the fields of the tag.
std::span<const std::uint8_t> StreamOf(const SwfImageRecord& record, std::span<const std::uint8_t> body)
{
    const std::size_t fields = record.losslessFormat == kColourMapped ? 8 : 7;
    return body.size() > fields ? body.subspan(fields) : std::span<const std::uint8_t>{};
}

// The layout the fields give, once the zlib data is seen to be long enough
// to inflate to it.
std::optional<Layout> LayoutOf(const SwfImageRecord& record, std::span<const std::uint8_t> stream, std::string& problem)
{
    const bool alpha = record.code == kTagDefineBitsLossless2;
    const std::uint8_t format = record.losslessFormat;
    if (format != kColourMapped && format != kPix32 && !(format == kPix15 && !alpha)) {
        problem = "unknown lossless format " + std::to_string(format);
        return std::nullopt;
    }
    if (!WithinPixelLimit(record.width, record.height, problem))
        return std::nullopt;
    Layout layout;
    if (format == kColourMapped) {
        layout.tableCount = std::uint32_t{record.colourTableSize} + 1;
        layout.tableBytes = layout.tableCount * (alpha ? 4u : 3u);
        layout.rowBytes = Padded(record.width);
    } else {
        layout.rowBytes = format == kPix15 ? Padded(std::size_t{record.width} * 2) : std::size_t{record.width} * 4;
    }
    layout.required = layout.tableBytes + layout.rowBytes * record.height;
    if (layout.required > kZlibMaxRatio * stream.size()) {
        problem = kTooLittleData;
        return std::nullopt;
    }
    return layout;
}

// Players read the data they need and ignore what follows; up to this much
// more is kept as it came.
constexpr std::size_t kSlack = std::size_t{1} << 20;

std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; }

// A premultiplied colour of alpha a through recolour: straight, changed and
// premultiplied again; a fully transparent one stays as it is.
std::uint32_t RecolourPremultiplied(
    std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a, const RecolourFn& recolour)
{
    if (a == 0)
        return Rgb(r, g, b);
    if (a == 255)
        return recolour(Rgb(r, g, b)) & 0xFFFFFF;
    const std::uint32_t c = recolour(Rgb(Unpremultiply(r, a), Unpremultiply(g, a), Unpremultiply(b, a)));
    return Rgb(Premultiply(c & 0xFF, a), Premultiply((c >> 8) & 0xFF, a), Premultiply((c >> 16) & 0xFF, a));
}

// 5 bits widened to 8 as players show them, and back to the nearest 5.
constexpr std::uint32_t Widen5(std::uint32_t v) { return v << 3 | v >> 2; }
constexpr std::uint32_t Narrow5(std::uint32_t v) { return (v * 31 + 127) / 255; }

void RecolourTable(Lossless& pixels, const RecolourFn& recolour)
{
    const std::size_t stride = pixels.alpha ? 4 : 3;
    for (std::size_t i = 0; i < pixels.tableCount; ++i) {
        std::uint8_t* entry = pixels.data.data() + i * stride;
        const std::uint32_t c = pixels.alpha ? RecolourPremultiplied(entry[0], entry[1], entry[2], entry[3], recolour)
                                             : recolour(Rgb(entry[0], entry[1], entry[2]));
        entry[0] = static_cast<std::uint8_t>(c);
        entry[1] = static_cast<std::uint8_t>(c >> 8);
        entry[2] = static_cast<std::uint8_t>(c >> 16);
    }
}

void RecolourPix15(Lossless& pixels, std::uint32_t width, std::uint32_t height, const RecolourFn& recolour)
{
    // Every 15-bit colour at most once.
    std::vector<std::int32_t> done(1 << 15, -1);
    const std::size_t rowBytes = Padded(std::size_t{width} * 2);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* p = pixels.data.data() + y * rowBytes;
        for (std::uint32_t x = 0; x < width; ++x, p += 2) {
            const std::uint32_t v = std::uint32_t{p[0]} << 8 | p[1];
            std::int32_t& out = done[v & 0x7FFF];
            if (out < 0) {
                const std::uint32_t c = recolour(Rgb(Widen5((v >> 10) & 31), Widen5((v >> 5) & 31), Widen5(v & 31)));
                out = static_cast<std::int32_t>(
                    Narrow5(c & 0xFF) << 10 | Narrow5((c >> 8) & 0xFF) << 5 | Narrow5((c >> 16) & 0xFF));
            }
            const std::uint32_t n = (v & 0x8000) | static_cast<std::uint32_t>(out);
            p[0] = static_cast<std::uint8_t>(n >> 8);
            p[1] = static_cast<std::uint8_t>(n);
        }
    }
}

void RecolourPix32(Lossless& pixels, std::uint32_t width, std::uint32_t height, const RecolourFn& recolour)
{
    // Byte 0 is alpha (premultiplied pixels) or a reserved byte kept as it is.
    const bool alpha = pixels.alpha;
    CColourCache cache([&](std::uint32_t v) {
        return alpha ? RecolourPremultiplied(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, v >> 24, recolour)
                     : recolour(v & 0xFFFFFF) & 0xFFFFFF;
    });
    std::uint8_t* p = pixels.data.data();
    const std::size_t count = std::size_t{width} * height;
    for (std::size_t i = 0; i < count; ++i, p += 4) {
        if (alpha && p[0] == 0)
            continue;
        const std::uint32_t c = cache(Rgb(p[1], p[2], p[3]) | (alpha ? std::uint32_t{p[0]} << 24 : 0));
        p[1] = static_cast<std::uint8_t>(c);
        p[2] = static_cast<std::uint8_t>(c >> 8);
        p[3] = static_cast<std::uint8_t>(c >> 16);
    }
}

// One row of the stored data as RGBA (premultiplied for DefineBitsLossless2,
// opaque otherwise), with the colour table for format 3.
void RowToRgba(const Layout& layout, std::uint8_t format, bool alpha, std::span<const std::uint8_t> table,
    const std::uint8_t* row, std::uint32_t width, std::uint8_t* out)
{
    const std::size_t stride = alpha ? 4 : 3;
    for (std::uint32_t x = 0; x < width; ++x, out += 4) {
        if (format == kColourMapped) {
            const std::uint32_t index = row[x];
            if (index >= layout.tableCount) {
                std::fill(out, out + 4, std::uint8_t{0});
                continue;
            }
            const std::uint8_t* e = table.data() + index * stride;
            out[0] = e[0];
            out[1] = e[1];
            out[2] = e[2];
            out[3] = alpha ? e[3] : 255;
        } else if (format == kPix15) {
            const std::uint32_t v = std::uint32_t{row[x * 2]} << 8 | row[x * 2 + 1];
            out[0] = static_cast<std::uint8_t>(Widen5((v >> 10) & 31));
            out[1] = static_cast<std::uint8_t>(Widen5((v >> 5) & 31));
            out[2] = static_cast<std::uint8_t>(Widen5(v & 31));
            out[3] = 255;
        } else {
            const std::uint8_t* p = row + std::size_t{x} * 4;
            out[0] = p[1];
            out[1] = p[2];
            out[2] = p[3];
            out[3] = alpha ? p[0] : 255;
        }
    }
}

} // namespace

bool StreamLossless(
    const SwfImageRecord& record, std::span<const std::uint8_t> body, CThumbnailMaker* thumbnail, std::string& problem)
{
    const auto stream = StreamOf(record, body);
    const auto layout = LayoutOf(record, stream, problem);
    if (!layout)
        return false;
    // The table, then one row at a time, gathered across the pieces the
    // inflate yields.
    std::vector<std::uint8_t> table;
    std::vector<std::uint8_t> row;
    std::vector<std::uint8_t> rgba;
    std::size_t seen = 0;
    std::uint32_t y = 0;
    const bool alpha = record.code == kTagDefineBitsLossless2;
    const auto take = [&](std::span<const std::uint8_t> piece) {
        while (!piece.empty() && seen < layout->required) {
            const bool inTable = seen < layout->tableBytes;
            std::vector<std::uint8_t>& into = inTable ? table : row;
            const std::size_t want = (inTable ? layout->tableBytes : layout->rowBytes) - into.size();
            const std::size_t n = std::min(want, piece.size());
            into.insert(into.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(n));
            piece = piece.subspan(n);
            seen += n;
            if (!inTable && row.size() == layout->rowBytes) {
                rgba.resize(std::size_t{record.width} * 4);
                RowToRgba(*layout, record.losslessFormat, alpha, table, row.data(), record.width, rgba.data());
                thumbnail->AddColours({record.width, record.height, y++, 0, 1, rgba.data(), record.width, 4, alpha});
                row.clear();
            }
        }
    };
    const auto inflated = InflatePieces(stream, layout->required + kSlack,
        thumbnail != nullptr ? std::function<void(std::span<const std::uint8_t>)>(take) : nullptr);
    if (!inflated || *inflated < layout->required) {
        problem = kCorruptImage;
        return false;
    }
    return true;
}

std::optional<Lossless> DecodeLossless(
    const SwfImageRecord& record, std::span<const std::uint8_t> body, std::string& problem)
{
    const auto stream = StreamOf(record, body);
    const auto layout = LayoutOf(record, stream, problem);
    if (!layout)
        return std::nullopt;
    auto data = Inflate(stream, layout->required + kSlack);
    if (!data || data->size() < layout->required) {
        problem = kCorruptImage;
        return std::nullopt;
    }
    Lossless pixels;
    pixels.format = record.losslessFormat;
    pixels.alpha = record.code == kTagDefineBitsLossless2;
    pixels.tableCount = layout->tableCount;
    pixels.data = std::move(*data);
    return pixels;
}

void RecolourLossless(Lossless& pixels, std::uint32_t width, std::uint32_t height, const RecolourFn& recolour)
{
    switch (pixels.format) {
    case kColourMapped:
        RecolourTable(pixels, recolour);
        break;
    case kPix15:
        RecolourPix15(pixels, width, height, recolour);
        break;
    default:
        RecolourPix32(pixels, width, height, recolour);
        break;
    }
}

} // namespace tintor::bitmap
