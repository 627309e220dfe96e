#include "testkit/image_bodies.h"

#include "testkit/movie_builder.h"

#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tintor {

namespace {

void PutWord(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

int WriteGif(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + length);
    return length;
}

} // namespace

std::vector<std::uint8_t> ZlibOf(std::span<const std::uint8_t> data)
{
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    std::vector<std::uint8_t> out(length);
    if (compress(out.data(), &length, data.data(), static_cast<uLong>(data.size())) != Z_OK)
        throw std::runtime_error("compress");
    out.resize(length);
    return out;
}

std::vector<std::uint8_t> LosslessBody(std::uint16_t id, std::uint8_t format, std::uint16_t width, std::uint16_t height,
    std::span<const std::uint8_t> data, std::uint8_t tableSize)
{
    std::vector<std::uint8_t> body;
    PutWord(body, id);
    body.push_back(format);
    PutWord(body, width);
    PutWord(body, height);
    if (format == 3)
        body.push_back(tableSize);
    const auto stream = ZlibOf(data);
    body.insert(body.end(), stream.begin(), stream.end());
    return body;
}

std::vector<std::uint8_t> JpegTagBody(std::uint16_t code, std::uint16_t id, std::span<const std::uint8_t> image,
    std::span<const std::uint8_t> alpha, std::uint16_t deblocking)
{
    std::vector<std::uint8_t> body;
    PutWord(body, id);
    if (code == 35 || code == 90) {
        PutWord(body, static_cast<std::uint32_t>(image.size()) & 0xFFFF);
        PutWord(body, static_cast<std::uint32_t>(image.size()) >> 16);
    }
    if (code == 90)
        PutWord(body, deblocking);
    body.insert(body.end(), image.begin(), image.end());
    body.insert(body.end(), alpha.begin(), alpha.end());
    return body;
}

std::vector<std::uint8_t> JpegOf(std::span<const std::uint8_t> rgb, int width, int height, int subsampling, int quality)
{
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, subsampling, quality, 0);
    tjDestroy(tj);
    if (rc != 0)
        throw std::runtime_error("tjCompress2");
    std::vector<std::uint8_t> out(jpeg, jpeg + size);
    tjFree(jpeg);
    return out;
}

std::vector<std::uint8_t> JpegWithSize(std::vector<std::uint8_t> jpeg, std::uint16_t width, std::uint16_t height)
{
    static constexpr std::uint8_t kFrame[] = {0xFF, 0xC0};
    const auto frame = std::search(jpeg.begin(), jpeg.end(), std::begin(kFrame), std::end(kFrame));
    if (jpeg.end() - frame < 9)
        throw std::runtime_error("no baseline frame");
    frame[5] = static_cast<std::uint8_t>(height >> 8);
    frame[6] = static_cast<std::uint8_t>(height);
    frame[7] = static_cast<std::uint8_t>(width >> 8);
    frame[8] = static_cast<std::uint8_t>(width);
    return jpeg;
}

std::vector<std::uint8_t> PngOf(std::span<const std::uint8_t> rgba, int width, int height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr))
        throw std::runtime_error("png_image_write_to_memory");
    out.resize(size);
    return out;
}

std::vector<std::uint8_t> GifOf(std::span<const std::uint8_t> indices, std::span<const std::uint32_t> palette,
    int width, int height, int transparent)
{
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteGif, &error);
    std::vector<GifColorType> colours(256);
    for (std::size_t i = 0; i < palette.size() && i < colours.size(); ++i)
        colours[i] = {static_cast<GifByteType>(palette[i]), static_cast<GifByteType>(palette[i] >> 8),
            static_cast<GifByteType>(palette[i] >> 16)};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
    if (ok && transparent >= 0) {
        GraphicsControlBlock control{};
        control.TransparentColor = transparent;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(indices.data() + y * width), width) == GIF_OK;
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    if (!ok)
        throw std::runtime_error("giflib");
    return out;
}

SplitJpeg SplitJpegTables(std::span<const std::uint8_t> jpeg)
{
    SplitJpeg split;
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size()) {
        const std::uint8_t marker = jpeg[pos + 1];
        if (marker == 0xDA) {
            split.image.insert(split.image.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(pos), jpeg.end());
            break;
        }
        const std::size_t end = std::min(jpeg.size(), pos + 2 + (jpeg[pos + 2] << 8 | jpeg[pos + 3]));
        auto& into = marker == 0xDB || marker == 0xC4 ? split.tables : split.image;
        into.insert(into.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(pos),
            jpeg.begin() + static_cast<std::ptrdiff_t>(end));
        pos = end;
    }
    split.tables.insert(split.tables.end(), {0xFF, 0xD9});
    return split;
}

std::vector<std::uint8_t> BitmapShapeBody(std::uint16_t id, std::uint16_t bitmap, int width, int height)
{
    constexpr std::int32_t kTwips = 20;
    const std::int32_t w = width * kTwips, h = height * kTwips;
    CBitWriter out;
    out.WriteWord(id);
    out.WriteRect({0, w, 0, h});
    out.WriteByte(1);    // fill styles
    out.WriteByte(0x41); // clipped bitmap
    out.WriteWord(bitmap);
    SwfMatrix matrix;
    matrix.scaleX = matrix.scaleY = kTwips << 16; // a pixel of the bitmap to a pixel of the stage
    out.WriteMatrix(matrix);
    out.WriteByte(0); // line styles
    out.Align();
    out.WriteBits(1, 4); // fill index bits
    out.WriteBits(0, 4); // line index bits
    out.WriteBits(0, 1); // style change: fill style 0 set, at the origin
    out.WriteBits(0x02, 5);
    out.WriteBits(1, 1);
    // Four straight edges around the rectangle, each horizontal or vertical.
    const std::int32_t edges[][2] = {{w, 0}, {0, h}, {-w, 0}, {0, -h}};
    for (const auto& edge : edges) {
        const int bits = std::max(2, SignedBitsFor({edge[0], edge[1]}));
        out.WriteBits(1, 1); // edge
        out.WriteBits(1, 1); // straight
        out.WriteBits(static_cast<std::uint32_t>(bits - 2), 4);
        out.WriteBits(0, 1);                    // not general
        out.WriteBits(edge[0] == 0 ? 1 : 0, 1); // vertical
        out.WriteSBits(edge[0] == 0 ? edge[1] : edge[0], bits);
    }
    out.WriteBits(0, 6); // end
    return out.Take();
}

std::vector<std::uint8_t> PlaceBody(std::uint16_t id, std::uint16_t depth, int x, int y)
{
    CBitWriter out;
    out.WriteByte(0x06); // has matrix, has character
    out.WriteWord(depth);
    out.WriteWord(id);
    SwfMatrix matrix;
    matrix.translateX = x * 20;
    matrix.translateY = y * 20;
    out.WriteMatrix(matrix);
    return out.Take();
}

std::vector<std::uint8_t> PhotoLikeRgb(int width, int height, std::uint32_t seed)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    std::uint32_t noise = seed;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            const double base[3] = {128 + 100 * std::sin(6.0 * u + 2.0 * v), 128 + 90 * std::cos(4.0 * v - 3.0 * u),
                128 + 80 * std::sin(5.0 * (u + v))};
            for (int c = 0; c < 3; ++c) {
                noise = noise * 1103515245u + 12345u;
                const double value = base[c] + static_cast<int>((noise >> 16) % 5) - 2;
                rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3
                    + static_cast<std::size_t>(c)]
                    = static_cast<std::uint8_t>(value < 0 ? 0
                            : value > 255                 ? 255
                                                          : value);
            }
        }
    return rgb;
}

} // namespace tintor
