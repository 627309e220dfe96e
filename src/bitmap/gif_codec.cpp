// GIF image data inside the JPEG tags, through giflib: the first image on
// its canvas, as indices into one colour table.
#include "bitmap/codecs.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace tintor::bitmap {

namespace {

constexpr std::size_t kPaletteSize = 256;

struct GifReader {
    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
};

int ReadGif(GifFileType* gif, GifByteType* dest, int length)
{
    auto* reader = static_cast<GifReader*>(gif->UserData);
    const std::size_t n
        = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), reader->data.size() - reader->pos);
    std::memcpy(dest, reader->data.data() + reader->pos, n);
    reader->pos += n;
    return static_cast<int>(n);
}

struct GifFile {
    GifFileType* gif;
    ~GifFile()
    {
        int error = 0;
        if (gif != nullptr)
            DGifCloseFile(gif, &error);
    }
};

} // namespace

std::optional<CBitmapImage::Gif> DecodeGif(
    std::span<const std::uint8_t> data, std::uint32_t& width, std::uint32_t& height, std::string& problem)
{
    problem = "corrupt GIF data";
    GifReader reader{data};
    int error = 0;
    GifFile file{DGifOpen(&reader, ReadGif, &error)};
    if (file.gif == nullptr)
        return std::nullopt;
    GifFileType* gif = file.gif;
    width = static_cast<std::uint32_t>(std::max(gif->SWidth, 0));
    height = static_cast<std::uint32_t>(std::max(gif->SHeight, 0));
    if (std::uint64_t{width} * height > CBitmapImage::kMaxPixels) {
        problem = "image too large";
        return std::nullopt;
    }
    // Records up to the first image, read one by one rather than the whole
    // file at once, so that no frame larger than the image is ever allocated.
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    std::vector<GifPixelType> raster;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) != GIF_OK || type == TERMINATE_RECORD_TYPE)
            return std::nullopt;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif, &code, &extension) != GIF_OK)
                return std::nullopt;
            if (code == GRAPHICS_EXT_FUNC_CODE && extension != nullptr && extension[0] >= 4)
                DGifExtensionToGCB(extension[0], extension + 1, &control);
            while (extension != nullptr)
                if (DGifGetExtensionNext(gif, &extension) != GIF_OK)
                    return std::nullopt;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) != GIF_OK)
            return std::nullopt;
        break;
    }
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0
        || std::uint64_t(desc.Width) * std::uint64_t(desc.Height) > CBitmapImage::kMaxPixels)
        return std::nullopt;
    const auto frameWidth = static_cast<std::size_t>(desc.Width);
    raster.resize(frameWidth * static_cast<std::size_t>(desc.Height));
    // Interlaced rows come in four passes.
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (desc.Interlace ? 4 : 1); ++pass)
        for (int y = desc.Interlace ? kStart[pass] : 0; y < desc.Height; y += desc.Interlace ? kStep[pass] : 1)
            if (DGifGetLine(gif, raster.data() + static_cast<std::size_t>(y) * frameWidth, desc.Width) != GIF_OK)
                return std::nullopt;
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (map == nullptr)
        return std::nullopt;

    CBitmapImage::Gif result;
    result.transparent = control.TransparentColor;
    result.palette.assign(kPaletteSize, 0);
    for (int i = 0; i < std::min<int>(map->ColorCount, kPaletteSize); ++i) {
        const GifColorType& c = map->Colors[i];
        result.palette[static_cast<std::size_t>(i)] = c.Red | std::uint32_t{c.Green} << 8 | std::uint32_t{c.Blue} << 16;
    }
    // The canvas shows the background, or nothing where the frame has a
    // transparent colour, around the first frame.
    const int background = result.transparent >= 0 ? result.transparent : gif->SBackGroundColor;
    result.indices.assign(std::size_t{width} * height, static_cast<std::uint8_t>(background));
    for (int y = 0; y < desc.Height; ++y) {
        const long cy = long{desc.Top} + y;
        if (cy < 0 || cy >= static_cast<long>(height))
            continue;
        for (int x = 0; x < desc.Width; ++x) {
            const long cx = long{desc.Left} + x;
            if (cx >= 0 && cx < static_cast<long>(width))
                result.indices[static_cast<std::size_t>(cy) * width + static_cast<std::size_t>(cx)]
                    = raster[static_cast<std::size_t>(y) * frameWidth + static_cast<std::size_t>(x)];
        }
    }
    problem.clear();
    return result;
}

} // namespace tintor::bitmap
