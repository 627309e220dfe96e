// One image tag of arbitrary body in a movie: the first byte picks the tag,
// the rest is its body. Listing, decoding and recolouring it must never read
// outside a buffer, and whatever is re-encoded must decode again.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    tintor::CMovieBuilder builder;
    builder.AddTag(kCodes[data[0] % std::size(kCodes)], std::span(data + 1, size - 1));
    CDiscardingSink messages;
    tintor::CSwfFile movie(messages);
    tintor::CMemoryInputFile file(builder.Build(), "fuzz.swf");
    if (!movie.Load(file) || movie.Images().size() != 1)
        std::abort(); // a well-formed movie with one image tag
    const tintor::SwfImageRecord& record = movie.Images()[0];
    const auto body = movie.Buffer().subspan(record.bodyOffset, record.bodyLength);
    const auto description = tintor::CBitmapImage::Describe(record, body);
    const auto image = tintor::CBitmapImage::Decode(record, body);
    if (!image || std::uint64_t{image->Width()} * image->Height() > kRecolourPixels)
        return 0;
    const auto shifted = image->Recoloured([](std::uint32_t rgb) { return rgb ^ 0x5A3C96; });
    if (!shifted->Body())
        std::abort();
    // What was written must read back, its fields read afresh from it.
    tintor::CMovieBuilder rebuilt;
    rebuilt.AddTag(record.code, *shifted->Body());
    tintor::CSwfFile again(messages);
    tintor::CMemoryInputFile written(rebuilt.Build(), "again.swf");
    if (!again.Load(written) || again.Images().size() != 1)
        std::abort();
    const tintor::SwfImageRecord& reread = again.Images()[0];
    if (!tintor::CBitmapImage::Decode(reread, again.Buffer().subspan(reread.bodyOffset, reread.bodyLength)))
        std::abort();
    (void)description;
    return 0;
}
