// One image tag of arbitrary body in a movie: the first byte picks the tag,
// the rest is its body. For DefineBits, a first byte of 6 or more puts a
// JPEGTables before it: two bytes of its length, low first, then its body,
// then DefineBits's. Listing, thumbnails and recolouring must never read
// outside a buffer; an image listed as recolourable must recolour, and
// whatever is re-encoded must be listed as recolourable again.
#include "bitmap/bitmap_image.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"

#include <cstdlib>

namespace {

class CDiscardingSink final : public tintor::IMessageSink {
public:
    void Show(std::string_view) override {}
};

constexpr std::uint16_t kCodes[] = {6, 20, 21, 35, 36, 90};
// Recolouring is tried on small images only, to keep each run short.
constexpr std::uint64_t kRecolourPixels = 1 << 16;

// A movie of the JPEGTables body (when given) and one image tag.
std::vector<std::uint8_t> MovieOf(
    std::uint16_t code, std::span<const std::uint8_t> body, std::optional<std::span<const std::uint8_t>> tables)
{
    tintor::CMovieBuilder builder;
    if (tables)
        builder.AddTag(tintor::kTagJpegTables, *tables);
    builder.AddTag(code, body);
    return builder.Build();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint16_t code = kCodes[data[0] % std::size(kCodes)];
    std::span<const std::uint8_t> body(data + 1, size - 1);
    std::optional<std::span<const std::uint8_t>> tables;
    if (code == tintor::kTagDefineBits && data[0] >= std::size(kCodes) && body.size() >= 2) {
        const std::size_t length = std::min<std::size_t>(body[0] | body[1] << 8, body.size() - 2);
        tables = body.subspan(2, length);
        body = body.subspan(2 + length);
    }
    CDiscardingSink messages;
    tintor::CSwfFile movie(messages);
    tintor::CMemoryInputFile file(MovieOf(code, body, tables), "fuzz.swf");
    if (!movie.Load(file) || movie.Images().size() != 1)
        std::abort(); // a well-formed movie with one image tag
    const tintor::SwfImageRecord& record = movie.Images()[0];
    const tintor::BitmapSource source{
        record, movie.Buffer().subspan(record.bodyOffset, record.bodyLength), movie.JpegTables()};
    const auto description = tintor::CBitmapImage::Describe(source);
    const auto thumbnail = tintor::CBitmapImage::Thumbnail(source, 48);
    if (thumbnail
        && (thumbnail->width > 48 || thumbnail->height > 48
            || thumbnail->rgba.size() != std::size_t{thumbnail->width} * thumbnail->height * 4))
        std::abort();
    if (!description.Recolourable() || std::uint64_t{description.width} * description.height > kRecolourPixels)
        return 0;
    std::string problem;
    const auto shifted = tintor::CBitmapImage::Recolour(
        source, nullptr, [] { return tintor::RecolourFn([](std::uint32_t rgb) { return rgb ^ 0x5A3C96; }); }, problem);
    if (!shifted || !shifted->Body())
        std::abort();
    // What was written must read back, its fields read afresh from it.
    tintor::CSwfFile again(messages);
    tintor::CMemoryInputFile written(MovieOf(code, *shifted->Body(), tables), "again.swf");
    if (!again.Load(written) || again.Images().size() != 1)
        std::abort();
    const tintor::SwfImageRecord& reread = again.Images()[0];
    const auto redescribed = tintor::CBitmapImage::Describe(
        {reread, again.Buffer().subspan(reread.bodyOffset, reread.bodyLength), again.JpegTables()});
    if (!redescribed.Recolourable() || redescribed.width != description.width
        || redescribed.height != description.height)
        std::abort();
    return 0;
}
