#pragma once

#include <cstdint>
#include <vector>

namespace tintor {

// A small picture of an image, straight RGBA row after row.
struct BitmapThumbnail {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;
};

namespace bitmap {

// Makes a thumbnail of an image from its pixels as a decoder gives them, one
// row at a time, without ever holding the image: each pixel is summed into
// the thumbnail pixel it falls in. Rows may come in any order and on grids
// of other sizes over the same picture (a JPEG decoded at a fraction of
// its size, an alpha plane at the full size, the passes of an interlaced
// image), and colours and alpha may come apart.
class CThumbnailMaker {
public:
    // For an image of width by height; the thumbnail keeps its proportions
    // within maxSide by maxSide, or its size when it is smaller.
    CThumbnailMaker(std::uint32_t width, std::uint32_t height, std::uint32_t maxSide);

    // A row of a grid of gridWidth by gridHeight laid over the image: count
    // pixels from column x0 on, every step columns, of channels bytes each,
    // red first. Pixels of four channels carry alpha; premultiplied says
    // whether their colours are multiplied by it (or, for three channels,
    // by an alpha that AddAlpha brings).
    struct Row {
        std::uint32_t gridWidth = 0;
        std::uint32_t gridHeight = 0;
        std::uint32_t y = 0;
        std::uint32_t x0 = 0;
        std::uint32_t step = 1;
        const std::uint8_t* pixels = nullptr;
        std::uint32_t count = 0;
        int channels = 4;
        bool premultiplied = false;
    };
    void AddColours(const Row& row);
    // A row of alpha alone, one byte a pixel.
    void AddAlpha(const Row& row);

    BitmapThumbnail Result() const;
    std::uint32_t Width() const { return m_width; }
    std::uint32_t Height() const { return m_height; }

private:
    struct Cell {
        std::uint64_t red = 0, green = 0, blue = 0, colours = 0;
        std::uint64_t alpha = 0, alphas = 0;
    };
    Cell& CellAt(const Row& row, std::uint32_t x);

    std::uint32_t m_width;
    std::uint32_t m_height;
    std::vector<Cell> m_cells;
};

} // namespace bitmap
} // namespace tintor
