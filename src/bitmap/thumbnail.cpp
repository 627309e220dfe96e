#include "bitmap/thumbnail.h"

#include <algorithm>

namespace tintor::bitmap {

CThumbnailMaker::CThumbnailMaker(std::uint32_t width, std::uint32_t height, std::uint32_t maxSide)
    : m_width(width), m_height(height)
{
    const std::uint32_t longest = std::max(width, height);
    if (longest > maxSide) {
        m_width = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::uint64_t{width} * maxSide / longest));
        m_height = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::uint64_t{height} * maxSide / longest));
    }
    m_cells.resize(std::size_t{m_width} * m_height);
}

CThumbnailMaker::Cell& CThumbnailMaker::CellAt(const Row& row, std::uint32_t x)
{
    const auto cx = static_cast<std::size_t>(std::uint64_t{x} * m_width / row.gridWidth);
    const auto cy = static_cast<std::size_t>(std::uint64_t{row.y} * m_height / row.gridHeight);
    return m_cells[cy * m_width + cx];
}

void CThumbnailMaker::AddColours(const Row& row)
{
    if (row.y >= row.gridHeight)
        return;
    const std::uint8_t* p = row.pixels;
    for (std::uint32_t i = 0, x = row.x0; i < row.count && x < row.gridWidth; ++i, x += row.step, p += row.channels) {
        Cell& cell = CellAt(row, x);
        std::uint32_t r = p[0], g = p[1], b = p[2];
        if (row.channels == 4) {
            const std::uint32_t a = p[3];
            if (!row.premultiplied) {
                r = r * a / 255;
                g = g * a / 255;
                b = b * a / 255;
            }
            cell.alpha += a;
            ++cell.alphas;
        }
        cell.red += r;
        cell.green += g;
        cell.blue += b;
        ++cell.colours;
    }
}

void CThumbnailMaker::AddAlpha(const Row& row)
{
    if (row.y >= row.gridHeight)
        return;
    for (std::uint32_t i = 0, x = row.x0; i < row.count && x < row.gridWidth; ++i, x += row.step) {
        Cell& cell = CellAt(row, x);
        cell.alpha += row.pixels[i];
        ++cell.alphas;
    }
}

BitmapThumbnail CThumbnailMaker::Result() const
{
    BitmapThumbnail thumbnail{m_width, m_height, std::vector<std::uint8_t>(m_cells.size() * 4)};
    std::uint8_t* out = thumbnail.rgba.data();
    for (const Cell& cell : m_cells) {
        // A cell no pixel fell in (around the frame of a GIF) stays clear.
        const double a = cell.colours == 0 ? 0.0
            : cell.alphas == 0             ? 255.0
                                           : static_cast<double>(cell.alpha) / static_cast<double>(cell.alphas);
        const auto straight = [&](std::uint64_t sum) {
            const double c = static_cast<double>(sum) / static_cast<double>(std::max<std::uint64_t>(cell.colours, 1));
            return static_cast<std::uint8_t>(a < 0.5 ? 0.0 : std::min(255.0, c * 255.0 / a + 0.5));
        };
        *out++ = straight(cell.red);
        *out++ = straight(cell.green);
        *out++ = straight(cell.blue);
        *out++ = static_cast<std::uint8_t>(a + 0.5);
    }
    return thumbnail;
}

} // namespace tintor::bitmap
