// PNG image data inside the JPEG tags, through libpng's simplified interface:
// decoded to straight RGBA and written back as PNG.
#include "bitmap/codecs.h"
#include "bitmap/colour_cache.h"

#include <png.h>

#include <new>

namespace tintor::bitmap {

namespace {

// Frees what libpng holds for an image however its reading ends.
struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
};

std::vector<std::uint8_t> WritePng(png_image& image, const void* pixels, const void* colourMap)
{
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, colourMap))
        throw std::bad_alloc(); // pixels that were read can fail to be written only for want of memory
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, colourMap))
        throw std::bad_alloc();
    out.resize(size);
    return out;
}

} // namespace

std::optional<CBitmapImage::Png> DecodePng(
    std::span<const std::uint8_t> data, std::uint32_t& width, std::uint32_t& height, std::string& problem)
{
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, data.data(), data.size())) {
        problem = "corrupt PNG data";
        return std::nullopt;
    }
    width = png.image.width;
    height = png.image.height;
    if (std::uint64_t{width} * height > CBitmapImage::kMaxPixels) {
        problem = "image too large";
        return std::nullopt;
    }
    CBitmapImage::Png result;
    result.hasAlpha = (png.image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.image.format = PNG_FORMAT_RGBA;
    result.rgba.resize(PNG_IMAGE_SIZE(png.image));
    if (!png_image_finish_read(&png.image, nullptr, result.rgba.data(), 0, nullptr)) {
        problem = "corrupt PNG data";
        return std::nullopt;
    }
    return result;
}

void RecolourPng(CBitmapImage::Png& png, const RecolourFn& recolour)
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

std::vector<std::uint8_t> EncodePng(const CBitmapImage::Png& png, std::uint32_t width, std::uint32_t height)
{
    PngImage image;
    image.image.width = width;
    image.image.height = height;
    if (png.hasAlpha) {
        image.image.format = PNG_FORMAT_RGBA;
        return WritePng(image.image, png.rgba.data(), nullptr);
    }
    std::vector<std::uint8_t> rgb;
    rgb.reserve(png.rgba.size() / 4 * 3);
    for (std::size_t i = 0; i + 3 < png.rgba.size(); i += 4)
        rgb.insert(rgb.end(), png.rgba.begin() + static_cast<std::ptrdiff_t>(i),
            png.rgba.begin() + static_cast<std::ptrdiff_t>(i + 3));
    image.image.format = PNG_FORMAT_RGB;
    return WritePng(image.image, rgb.data(), nullptr);
}

std::vector<std::uint8_t> EncodeGifAsPng(const CBitmapImage::Gif& gif, std::uint32_t width, std::uint32_t height)
{
    std::vector<std::uint8_t> colourMap(gif.palette.size() * 4);
    for (std::size_t i = 0; i < gif.palette.size(); ++i) {
        colourMap[i * 4] = static_cast<std::uint8_t>(gif.palette[i]);
        colourMap[i * 4 + 1] = static_cast<std::uint8_t>(gif.palette[i] >> 8);
        colourMap[i * 4 + 2] = static_cast<std::uint8_t>(gif.palette[i] >> 16);
        colourMap[i * 4 + 3] = static_cast<int>(i) == gif.transparent ? 0 : 255;
    }
    PngImage image;
    image.image.width = width;
    image.image.height = height;
    image.image.format = PNG_FORMAT_RGBA_COLORMAP;
    image.image.colormap_entries = static_cast<png_uint_32>(gif.palette.size());
    return WritePng(image.image, gif.indices.data(), colourMap.data());
}

} // namespace tintor::bitmap
