#pragma once

#include "core/byte_buffer.h"
#include "swf/image_records.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tintor {

// A change of colour, 0x00BBGGRR in and out (red in the low byte, as colour
// keys hold it), run once for each distinct colour of an image.
using RecolourFn = std::function<std::uint32_t(std::uint32_t)>;

// The problem of a DefineBits image: its JPEG tables are the movie's
// JPEGTables, shared with every other such image, so it is not re-encoded.
inline constexpr std::string_view kSharedTablesProblem = "shares the movie's JPEGTables with other images";

// What a listing says of an image tag.
struct BitmapDescription {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // "lossless", "lossless2", "jpeg1" (DefineBits), "jpeg", "jpeg3",
    // "jpeg4", "png", "gif", or "unknown" for data of no known kind.
    std::string_view format;
    // Why the image cannot be recoloured; empty when it can.
    std::string problem;
    bool Recolourable() const { return problem.empty(); }
};

// The pixels of one image tag in the form its tag stores them, and the tag
// body that holds them. Immutable: a recolouring makes a new image, so a
// state can be shared by everything that refers to it (the movie's current
// image, the states of an undo history) at no cost, and a later change works
// on these pixels rather than on a lossy image decoded again.
class CBitmapImage {
public:
    // Images larger than this many pixels are refused rather than decoded.
    static constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 27;

    // Reads the format and size of the image from its headers and tries to
    // decode it, without keeping the pixels.
    static BitmapDescription Describe(const SwfImageRecord& record, std::span<const std::uint8_t> body);
    // Decodes the image of a tag body; null, with the reason in problem,
    // when it cannot (corrupt data, an unsupported format, DefineBits with
    // its shared tables).
    static std::shared_ptr<const CBitmapImage> Decode(
        const SwfImageRecord& record, std::span<const std::uint8_t> body, std::string* problem = nullptr);

    // The image with every colour passed through recolour and re-encoded:
    // exactly for lossless data (premultiplied alpha undone and redone,
    // fully transparent pixels kept), as faithfully as the format allows for
    // JPEG. Throws std::bad_alloc when memory runs out.
    std::shared_ptr<const CBitmapImage> Recoloured(const RecolourFn& recolour) const;

    // The tag body that holds this image; null for the body as loaded.
    const std::shared_ptr<const ByteBuffer>& Body() const { return m_body; }
    std::uint32_t Width() const { return m_width; }
    std::uint32_t Height() const { return m_height; }
    // The pixels as straight (not premultiplied) RGBA, row after row, for
    // thumbnails and checks.
    std::vector<std::uint8_t> StraightRgba() const;

    // The forms pixels are held in; public for the codecs only.
    struct Lossless {
        std::uint8_t format = 0; // 3, 4 or 5
        bool alpha = false;      // DefineBitsLossless2: premultiplied RGBA
        std::uint32_t tableCount = 0;
        // The inflated data exactly as stored: colour table and rows of
        // indices, or rows of pixels, each row with its padding.
        ByteBuffer data;
    };
    struct Photo {
        // RGB as decoded (premultiplied where an alpha plane goes with it),
        // and the alpha plane inflated, or empty.
        ByteBuffer rgb;
        std::vector<std::uint8_t> alpha;
        int subsampling = 0;
        int quality = 0;
        bool progressive = false;
        bool grey = false;
        // The quantisation tables it was made with, luminance first, in
        // zigzag order: it is encoded again with them.
        std::vector<std::array<std::uint16_t, 64>> tables;
    };
    struct Png {
        std::vector<std::uint8_t> rgba; // straight
        bool hasAlpha = false;
    };
    struct Gif {
        std::vector<std::uint8_t> indices;
        std::vector<std::uint32_t> palette; // 0x00BBGGRR, 256 entries
        int transparent = -1;
    };
    using Pixels = std::variant<Lossless, Photo, Png, Gif>;

    CBitmapImage(const SwfImageRecord& record, std::uint32_t width, std::uint32_t height, Pixels pixels,
        std::shared_ptr<const ByteBuffer> tail, std::shared_ptr<const ByteBuffer> body);

private:
    // The fields before the image data, the encoded image and the bytes
    // after it (JPEG3 and JPEG4's alpha plane, kept as they came).
    std::shared_ptr<const ByteBuffer> EncodeBody(std::span<const std::uint8_t> image) const;

    SwfImageRecord m_record;
    std::uint32_t m_width;
    std::uint32_t m_height;
    Pixels m_pixels;
    std::shared_ptr<const ByteBuffer> m_tail;
    std::shared_ptr<const ByteBuffer> m_body;
};

} // namespace tintor
