#pragma once

#include "bitmap/thumbnail.h"
#include "core/byte_buffer.h"
#include "swf/image_records.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// A change of colour, 0x00BBGGRR in and out (red in the low byte, as colour
// keys hold it), run once for each distinct colour of an image.
using RecolourFn = std::function<std::uint32_t(std::uint32_t)>;
// A change as an image keeps it: it makes its RecolourFn afresh, with any
// tables that needs, each time the image is worked out again from the
// image as loaded, and keeps only what it was made from meanwhile.
using ColourChange = std::function<RecolourFn()>;

// Noise near grey, as JPEG leaves it on white, counts as grey in the HSV
// effect: its saturation there is whatever a last bit makes it (#fffffe
// has the highest), which a shift of value turns into speckle. A colour
// whose channels differ by at most kNearGrey goes through the effect as
// the grey of its own lightness; any other colour as it is.
inline constexpr std::uint32_t kNearGrey = 2;
std::uint32_t GreyForEffect(std::uint32_t rgb);

// The problem of a DefineBits image that reads the movie's JPEGTables when
// those tables cannot encode a new image (a Huffman table without a code a
// new image may need, arithmetic coding): the tables are shared by every
// such image and stay as they are, so the image does too.
inline constexpr std::string_view kSharedTablesProblem = "the movie's JPEGTables cannot encode a new image";
// The problem of an image that ran out of memory.
inline constexpr std::string_view kNoMemoryProblem = "not enough memory";

// An image tag's bytes: its record, its body, and the movie's JPEGTables,
// which a DefineBits image is read with (empty when the movie has none).
struct BitmapSource {
    SwfImageRecord record;
    std::span<const std::uint8_t> body;
    std::span<const std::uint8_t> jpegTables;
};

// What a listing says of an image tag.
struct BitmapDescription {
    // As the headers state it, whether or not the data holds it.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // "lossless", "lossless2", "jpeg1" (DefineBits), "jpeg", "jpeg3",
    // "jpeg4", "png", "gif".
    std::string_view format;
    // Why the image cannot be recoloured; empty when it can.
    std::string problem;
    bool Recolourable() const { return problem.empty(); }
};

// An image tag re-encoded by a recolouring: the new body and the changes
// that made it from the image as loaded. Only encoded bytes are kept;
// pixels live while one image is decoded, changed and encoded again, so
// memory follows the largest image, not the sum of all, and a state of an
// undo history costs the encoded image. Immutable and shared.
class CBitmapImage {
public:
    // Images larger than this many pixels are refused rather than decoded.
    static constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 27;

    // The format and size from the headers, and whether the image can be
    // recoloured: its pixels are read through, a row at a time, to see that
    // they decode; none is kept.
    static BitmapDescription Describe(const BitmapSource& source);
    // The image within maxSide by maxSide, decoded at that size where the
    // codec can (JPEG) and a row at a time otherwise; nullopt when it does
    // not decode or memory runs out.
    static std::optional<BitmapThumbnail> Thumbnail(const BitmapSource& source, std::uint32_t maxSide);
    // The image as loaded, through every change of before (none when
    // null) and then change, encoded again: exactly for lossless data
    // (premultiplied alpha undone and redone, fully transparent pixels
    // kept), as faithfully as the format allows for JPEG. Null with the
    // reason when it cannot be: data that does not decode, an encoder that
    // refuses, not enough memory. Never throws for want of memory.
    static std::shared_ptr<const CBitmapImage> Recolour(const BitmapSource& loaded,
        const std::shared_ptr<const CBitmapImage>& before, const ColourChange& change, std::string& problem);

    // The tag body that holds this image.
    const std::shared_ptr<const ByteBuffer>& Body() const { return m_body; }
    // This image to read again, as the movie's tag will hold it.
    BitmapSource Source(std::span<const std::uint8_t> jpegTables) const { return {m_record, *m_body, jpegTables}; }

    CBitmapImage(
        const SwfImageRecord& record, std::shared_ptr<const ByteBuffer> body, std::vector<ColourChange> changes);

private:
    // The fields of the new body, positions counted within it.
    SwfImageRecord m_record;
    std::shared_ptr<const ByteBuffer> m_body;
    std::vector<ColourChange> m_changes;
};

} // namespace tintor
