// GIF image data inside the JPEG tags, through giflib: the first image on
// its canvas, as indices into one colour table.
#include "bitmap/codecs.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace tintor::bitmap {

namespace {

constexpr std::size_t kPaletteSize = 256;

// An LZW code stands for at most 4096 pixels and takes at least as many
// bits as the dictionary's size needs, 12 once it is full; 2^w / w grows
// with the code width w, so no byte of GIF data yields more than
// 4096 * 8 / 12 pixels. A canvas or frame larger than that many per byte of
// the whole data cannot be filled by it.
constexpr std::uint64_t kMaxPixelsPerByte = 4096 * 8 / 12 + 1;

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

// A GIF read up to its first frame's pixels: the canvas, the frame, its
// colour table and transparent colour. Closed however the reading ends.
class CGifFrame {
public:
    explicit CGifFrame(std::span<const std::uint8_t> data) : m_reader{data}
    {
        int error = 0;
        m_gif = DGifOpen(&m_reader, ReadGif, &error);
    }
    ~CGifFrame()
    {
        int error = 0;
        if (m_gif != nullptr)
            DGifCloseFile(m_gif, &error);
    }
    CGifFrame(const CGifFrame&) = delete;
    CGifFrame& operator=(const CGifFrame&) = delete;

    // The canvas, when it is one the data can fill.
    std::optional<ImageSize> Canvas(std::string& problem) const
    {
        if (m_gif == nullptr) {
            problem = kCorruptGif;
            return std::nullopt;
        }
        const ImageSize canvas{static_cast<std::uint32_t>(std::max(m_gif->SWidth, 0)),
            static_cast<std::uint32_t>(std::max(m_gif->SHeight, 0))};
        if (canvas.width == 0 || canvas.height == 0) {
            problem = kEmptyGifCanvas;
            return std::nullopt;
        }
        if (!WithinPixelLimit(canvas.width, canvas.height, problem))
            return std::nullopt;
        if (std::uint64_t{canvas.width} * canvas.height > kMaxPixelsPerByte * m_reader.data.size()) {
            problem = kTooLittleData;
            return std::nullopt;
        }
        return canvas;
    }

    // Reads the records up to the first image, one by one rather than the
    // whole file at once, so that no frame is allocated before its size is
    // seen; false when there is none or its size is not one the data holds.
    bool ReadFrame(std::string& problem)
    {
        problem = kCorruptGif;
        m_transparent = NO_TRANSPARENT_COLOR;
        for (;;) {
            GifRecordType type = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(m_gif, &type) != GIF_OK || type == TERMINATE_RECORD_TYPE)
                return false;
            if (type == EXTENSION_RECORD_TYPE) {
                int code = 0;
                GifByteType* extension = nullptr;
                if (DGifGetExtension(m_gif, &code, &extension) != GIF_OK)
                    return false;
                if (code == GRAPHICS_EXT_FUNC_CODE && extension != nullptr && extension[0] >= 4) {
                    GraphicsControlBlock control{};
                    control.TransparentColor = NO_TRANSPARENT_COLOR;
                    DGifExtensionToGCB(extension[0], extension + 1, &control);
                    m_transparent = control.TransparentColor;
                }
                while (extension != nullptr)
                    if (DGifGetExtensionNext(m_gif, &extension) != GIF_OK)
                        return false;
                continue;
            }
            if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(m_gif) != GIF_OK)
                return false;
            break;
        }
        const GifImageDesc& desc = m_gif->Image;
        if (desc.Width <= 0 || desc.Height <= 0 || Map() == nullptr)
            return false;
        if (std::uint64_t(desc.Width) * std::uint64_t(desc.Height) > kMaxPixelsPerByte * m_reader.data.size()) {
            problem = kTooLittleData;
            return false;
        }
        problem.clear();
        return true;
    }

    // The frame's rows, interlaced ones in their four passes: take gets each
    // row's number in the frame.
    template <typename Take> bool Rows(std::vector<GifPixelType>& row, Take&& take)
    {
        const GifImageDesc& desc = m_gif->Image;
        row.resize(static_cast<std::size_t>(desc.Width));
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (desc.Interlace ? 4 : 1); ++pass)
            for (int y = desc.Interlace ? kStart[pass] : 0; y < desc.Height; y += desc.Interlace ? kStep[pass] : 1) {
                if (DGifGetLine(m_gif, row.data(), desc.Width) != GIF_OK)
                    return false;
                take(y);
            }
        return true;
    }

    const GifImageDesc& Frame() const { return m_gif->Image; }
    const ColorMapObject* Map() const
    {
        return m_gif->Image.ColorMap != nullptr ? m_gif->Image.ColorMap : m_gif->SColorMap;
    }
    int Transparent() const { return m_transparent; }
    int Background() const { return m_gif->SBackGroundColor; }

private:
    GifReader m_reader;
    GifFileType* m_gif = nullptr;
    int m_transparent = NO_TRANSPARENT_COLOR;
};

std::vector<std::uint32_t> PaletteOf(const ColorMapObject& map)
{
    std::vector<std::uint32_t> palette(kPaletteSize, 0);
    for (int i = 0; i < std::min<int>(map.ColorCount, kPaletteSize); ++i) {
        const GifColorType& c = map.Colors[i];
        palette[static_cast<std::size_t>(i)] = c.Red | std::uint32_t{c.Green} << 8 | std::uint32_t{c.Blue} << 16;
    }
    return palette;
}

} // namespace

bool StreamGif(std::span<const std::uint8_t> data, CThumbnailMaker* thumbnail, std::string& problem)
{
    CGifFrame gif(data);
    const auto canvas = gif.Canvas(problem);
    if (!canvas || !gif.ReadFrame(problem))
        return false;
    const std::vector<std::uint32_t> palette = PaletteOf(*gif.Map());
    const GifImageDesc& frame = gif.Frame();
    std::vector<GifPixelType> row;
    std::vector<std::uint8_t> rgba;
    const bool read = gif.Rows(row, [&](int y) {
        if (thumbnail == nullptr)
            return;
        // The part of the row on the canvas.
        const long cy = long{frame.Top} + y;
        const long first = std::max(0L, -long{frame.Left});
        const long last = std::min(long{frame.Width}, static_cast<long>(canvas->width) - frame.Left);
        if (cy < 0 || cy >= static_cast<long>(canvas->height) || first >= last)
            return;
        rgba.clear();
        for (long x = first; x < last; ++x) {
            const GifPixelType index = row[static_cast<std::size_t>(x)];
            const std::uint32_t c = palette[index];
            rgba.insert(rgba.end(),
                {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16),
                    static_cast<std::uint8_t>(index == gif.Transparent() ? 0 : 255)});
        }
        thumbnail->AddColours({canvas->width, canvas->height, static_cast<std::uint32_t>(cy),
            static_cast<std::uint32_t>(frame.Left + first), 1, rgba.data(), static_cast<std::uint32_t>(last - first), 4,
            false});
    });
    if (!read)
        problem = kCorruptGif;
    return read;
}

std::optional<Gif> DecodeGif(std::span<const std::uint8_t> data, std::string& problem)
{
    CGifFrame gif(data);
    const auto canvas = gif.Canvas(problem);
    if (!canvas || !gif.ReadFrame(problem))
        return std::nullopt;
    Gif result;
    result.width = canvas->width;
    result.height = canvas->height;
    result.transparent = gif.Transparent();
    result.palette = PaletteOf(*gif.Map());
    // The canvas shows the background, or nothing where the frame has a
    // transparent colour, around the first frame.
    const int background = result.transparent >= 0 ? result.transparent : gif.Background();
    result.indices.assign(std::size_t{canvas->width} * canvas->height, static_cast<std::uint8_t>(background));
    const GifImageDesc& frame = gif.Frame();
    std::vector<GifPixelType> row;
    const bool read = gif.Rows(row, [&](int y) {
        const long cy = long{frame.Top} + y;
        if (cy < 0 || cy >= static_cast<long>(canvas->height))
            return;
        for (int x = 0; x < frame.Width; ++x) {
            const long cx = long{frame.Left} + x;
            if (cx >= 0 && cx < static_cast<long>(canvas->width))
                result.indices[static_cast<std::size_t>(cy) * canvas->width + static_cast<std::size_t>(cx)]
                    = row[static_cast<std::size_t>(x)];
        }
    });
    if (!read) {
        problem = kCorruptGif;
        return std::nullopt;
    }
    return result;
}

} // namespace tintor::bitmap
