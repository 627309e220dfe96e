// PNG image data inside the JPEG tags, through libpng: read a row at a time
// (the passes of an interlaced image as they come) to straight RGBA, and
// written back as PNG.
#include "bitmap/codecs.h"
#include "bitmap/colour_cache.h"
#include "bitmap/zlib_codec.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace tintor::bitmap {

namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t BigEndian(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// What the chunks say before any pixel is read.
struct PngLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint64_t dataBytes = 0; // of every IDAT chunk
};

std::optional<PngLayout> ReadLayout(std::span<const std::uint8_t> data)
{
    if (data.size() < sizeof kSignature + 8 + 13 || std::memcmp(data.data() + sizeof kSignature + 4, "IHDR", 4) != 0)
        return std::nullopt;
    const std::uint8_t* ihdr = data.data() + sizeof kSignature + 8;
    PngLayout layout;
    layout.width = BigEndian(ihdr);
    layout.height = BigEndian(ihdr + 4);
    const std::uint32_t depth = ihdr[8];
    static constexpr std::uint32_t kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint32_t type = ihdr[9];
    layout.bitsPerPixel = depth * (type < std::size(kChannels) ? kChannels[type] : 0);
    for (std::size_t at = sizeof kSignature; at + 8 <= data.size();) {
        const std::uint64_t length = BigEndian(data.data() + at);
        if (std::memcmp(data.data() + at + 4, "IDAT", 4) == 0)
            layout.dataBytes += std::min<std::uint64_t>(length, data.size() - at - 8);
        if (std::memcmp(data.data() + at + 4, "IEND", 4) == 0)
            break;
        at += 12 + length;
    }
    return layout;
}

// Reads a PNG from memory; errors end in a jump back to the call that ran
// into them, and libpng's memory goes however the reading ends.
class CPngReader {
public:
    explicit CPngReader(std::span<const std::uint8_t> data) : m_data(data)
    {
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
        if (m_png != nullptr)
            m_info = png_create_info_struct(m_png);
        if (m_png == nullptr || m_info == nullptr) {
            png_destroy_read_struct(&m_png, &m_info, nullptr);
            throw std::bad_alloc();
        }
        png_set_read_fn(m_png, this, OnRead);
    }
    ~CPngReader() { png_destroy_read_struct(&m_png, &m_info, nullptr); }
    CPngReader(const CPngReader&) = delete;
    CPngReader& operator=(const CPngReader&) = delete;

    // Reads the headers and asks for 8-bit straight RGBA.
    bool Start()
    {
        return Guarded([this] {
            png_read_info(m_png, m_info);
            const png_byte type = png_get_color_type(m_png, m_info);
            m_alpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(m_png, m_info, PNG_INFO_tRNS) != 0;
            png_set_expand(m_png);
            png_set_scale_16(m_png);
            png_set_gray_to_rgb(m_png);
            if (!m_alpha)
                png_set_add_alpha(m_png, 0xFF, PNG_FILLER_AFTER);
            png_read_update_info(m_png, m_info);
            m_interlaced = png_get_interlace_type(m_png, m_info) != PNG_INTERLACE_NONE;
        });
    }
    // Every row, in the order of the passes of an interlaced image: the
    // pixels of row y from column x0, every step columns.
    template <typename Take> bool Rows(std::vector<std::uint8_t>& row, Take&& take)
    {
        const std::uint32_t width = png_get_image_width(m_png, m_info);
        const std::uint32_t height = png_get_image_height(m_png, m_info);
        row.resize(std::size_t{width} * 4);
        for (int pass = 0; pass < (m_interlaced ? 7 : 1); ++pass) {
            const std::uint32_t columns = m_interlaced ? PNG_PASS_COLS(width, pass) : width;
            const std::uint32_t rows = m_interlaced ? PNG_PASS_ROWS(height, pass) : height;
            if (columns == 0 || rows == 0)
                continue; // libpng skips an empty pass
            for (std::uint32_t r = 0; r < rows; ++r) {
                if (!Guarded([&] { png_read_row(m_png, row.data(), nullptr); }))
                    return false;
                take(m_interlaced ? PNG_ROW_FROM_PASS_ROW(r, pass) : r,
                    m_interlaced ? PNG_COL_FROM_PASS_COL(0, pass) : 0,
                    m_interlaced ? 1u << PNG_PASS_COL_SHIFT(pass) : 1u, columns);
            }
        }
        return Guarded([this] { png_read_end(m_png, nullptr); });
    }
    bool HasAlpha() const { return m_alpha; }
    // Throws when libpng ran out of memory.
    void ThrowIfOutOfMemory() const
    {
        if (m_outOfMemory)
            throw std::bad_alloc();
    }

private:
    template <typename Step> bool Guarded(Step&& step)
    {
        if (setjmp(png_jmpbuf(m_png)) != 0)
            return false;
        step();
        return true;
    }
    static void OnRead(png_structp png, png_bytep out, std::size_t length)
    {
        auto* reader = static_cast<CPngReader*>(png_get_io_ptr(png));
        if (length > reader->m_data.size() - reader->m_at)
            png_error(png, "cut short");
        std::memcpy(out, reader->m_data.data() + reader->m_at, length);
        reader->m_at += length;
    }
    [[noreturn]] static void OnError(png_structp png, png_const_charp message)
    {
        auto* reader = static_cast<CPngReader*>(png_get_error_ptr(png));
        reader->m_outOfMemory = reader->m_outOfMemory || std::strstr(message, "memory") != nullptr;
        png_longjmp(png, 1);
    }
    static void OnWarning(png_structp, png_const_charp) {}

    std::span<const std::uint8_t> m_data;
    std::size_t m_at = 0;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    bool m_alpha = false;
    bool m_interlaced = false;
    bool m_outOfMemory = false;
};

std::optional<std::vector<std::uint8_t>> WritePng(
    png_image& image, const void* pixels, const void* colourMap, std::string& problem)
{
    png_alloc_size_t size = 0;
    std::vector<std::uint8_t> out;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, colourMap)) {
        out.resize(size);
        if (png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, colourMap)) {
            out.resize(size);
            return out;
        }
    }
    if (std::strstr(image.message, "memory") != nullptr)
        throw std::bad_alloc();
    problem = std::string("the PNG encoder refused it: ") + image.message;
    return std::nullopt;
}

// Frees what libpng holds for an image however its writing ends.
struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
};

// The size from the header, once the data is seen to hold enough for it.
std::optional<ImageSize> ReadPngHeader(std::span<const std::uint8_t> data, std::string& problem)
{
    const auto layout = ReadLayout(data);
    if (!layout || layout->width == 0 || layout->height == 0 || layout->bitsPerPixel == 0) {
        problem = kCorruptPng;
        return std::nullopt;
    }
    if (!WithinPixelLimit(layout->width, layout->height, problem))
        return std::nullopt;
    // Each row inflates to a filter byte and its pixels, all from the IDAT
    // chunks' zlib data.
    const std::uint64_t raw
        = std::uint64_t{layout->height} * (1 + (std::uint64_t{layout->width} * layout->bitsPerPixel + 7) / 8);
    if (raw > kZlibMaxRatio * layout->dataBytes) {
        problem = kTooLittleData;
        return std::nullopt;
    }
    return ImageSize{layout->width, layout->height};
}

} // namespace

bool StreamPng(std::span<const std::uint8_t> data, CThumbnailMaker* thumbnail, std::string& problem)
{
    const auto size = ReadPngHeader(data, problem);
    if (!size)
        return false;
    CPngReader reader(data);
    std::vector<std::uint8_t> row;
    const bool read = reader.Start()
        && reader.Rows(row, [&](std::uint32_t y, std::uint32_t x0, std::uint32_t step, std::uint32_t count) {
               if (thumbnail != nullptr)
                   thumbnail->AddColours({size->width, size->height, y, x0, step, row.data(), count, 4, false});
           });
    reader.ThrowIfOutOfMemory();
    if (!read)
        problem = kCorruptPng;
    return read;
}

std::optional<Png> DecodePng(std::span<const std::uint8_t> data, std::string& problem)
{
    const auto size = ReadPngHeader(data, problem);
    if (!size)
        return std::nullopt;
    CPngReader reader(data);
    Png png;
    png.width = size->width;
    png.height = size->height;
    std::vector<std::uint8_t> row;
    bool read = reader.Start();
    if (read) {
        png.rgba.resize(std::size_t{size->width} * size->height * 4);
        read = reader.Rows(row, [&](std::uint32_t y, std::uint32_t x0, std::uint32_t step, std::uint32_t count) {
            std::uint8_t* out = png.rgba.data() + (std::size_t{y} * size->width + x0) * 4;
            for (std::uint32_t i = 0; i < count; ++i, out += std::size_t{step} * 4)
                std::memcpy(out, row.data() + std::size_t{i} * 4, 4);
        });
    }
    reader.ThrowIfOutOfMemory();
    if (!read) {
        problem = kCorruptPng;
        return std::nullopt;
    }
    png.hasAlpha = reader.HasAlpha();
    return png;
}

void RecolourPng(Png& png, const RecolourFn& recolour)
{
    CColourCache cache([&](std::uint32_t v) { return recolour(v) & 0xFFFFFF; });
    for (std::size_t i = 0; i + 3 < png.rgba.size(); i += 4) {
        std::uint8_t* p = png.rgba.data() + i;
        if (p[3] == 0)
            continue; // invisible: as it was
        const std::uint32_t c = cache(p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16);
        p[0] = static_cast<std::uint8_t>(c);
        p[1] = static_cast<std::uint8_t>(c >> 8);
        p[2] = static_cast<std::uint8_t>(c >> 16);
    }
}

std::optional<std::vector<std::uint8_t>> EncodePng(const Png& png, std::string& problem)
{
    PngImage image;
    image.image.width = png.width;
    image.image.height = png.height;
    if (png.hasAlpha) {
        image.image.format = PNG_FORMAT_RGBA;
        return WritePng(image.image, png.rgba.data(), nullptr, problem);
    }
    std::vector<std::uint8_t> rgb;
    rgb.reserve(png.rgba.size() / 4 * 3);
    for (std::size_t i = 0; i + 3 < png.rgba.size(); i += 4)
        rgb.insert(rgb.end(), png.rgba.begin() + static_cast<std::ptrdiff_t>(i),
            png.rgba.begin() + static_cast<std::ptrdiff_t>(i + 3));
    image.image.format = PNG_FORMAT_RGB;
    return WritePng(image.image, rgb.data(), nullptr, problem);
}

std::optional<std::vector<std::uint8_t>> EncodeGifAsPng(const Gif& gif, std::string& problem)
{
    std::vector<std::uint8_t> colourMap(gif.palette.size() * 4);
    for (std::size_t i = 0; i < gif.palette.size(); ++i) {
        colourMap[i * 4] = static_cast<std::uint8_t>(gif.palette[i]);
        colourMap[i * 4 + 1] = static_cast<std::uint8_t>(gif.palette[i] >> 8);
        colourMap[i * 4 + 2] = static_cast<std::uint8_t>(gif.palette[i] >> 16);
        colourMap[i * 4 + 3] = static_cast<int>(i) == gif.transparent ? 0 : 255;
    }
    PngImage image;
    image.image.width = gif.width;
    image.image.height = gif.height;
    image.image.format = PNG_FORMAT_RGBA_COLORMAP;
    image.image.colormap_entries = static_cast<png_uint_32>(gif.palette.size());
    return WritePng(image.image, gif.indices.data(), colourMap.data(), problem);
}

} // namespace tintor::bitmap
