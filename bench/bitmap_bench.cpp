// The cost of shifting one large image of a movie, against the codec work no
// shift can avoid: for a lossless image, zlib's inflate and deflate of the
// same data; for a JPEG, libjpeg-turbo's decode and encode of the same image
// with the same settings (and, for comparison, TurboJPEG's plain encode).
// The synthetic pictures are smooth with a little noise in every pixel;
// the corpus's largest photograph is measured the same way beside them.
#include "bitmap/bitmap_image.h"
#include "bitmap/codecs.h"
#include "document/tintor_doc.h"
#include "testkit/image_bodies.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/no_dialogs.h"
#include "testkit/recording_sink.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <turbojpeg.h>
#include <zlib.h>

namespace {

using namespace tintor;

constexpr int kSize = 2048;

// A photograph-like picture as DefineBitsLossless2 pixels: ARGB, opaque but
// for a band of half-transparent ones.
const std::vector<std::uint8_t>& LosslessPixels()
{
    static const std::vector<std::uint8_t> argb = [] {
        const auto rgb = PhotoLikeRgb(kSize, kSize);
        std::vector<std::uint8_t> out;
        out.reserve(std::size_t{kSize} * kSize * 4);
        for (std::size_t i = 0; i < std::size_t{kSize} * kSize; ++i) {
            const std::uint8_t a = (i / kSize) % 256 < 32 ? 128 : 255;
            out.insert(out.end(),
                {a, static_cast<std::uint8_t>(rgb[i * 3] * a / 255),
                    static_cast<std::uint8_t>(rgb[i * 3 + 1] * a / 255),
                    static_cast<std::uint8_t>(rgb[i * 3 + 2] * a / 255)});
        }
        return out;
    }();
    return argb;
}

const std::vector<std::uint8_t>& Jpeg()
{
    static const std::vector<std::uint8_t> jpeg = JpegOf(PhotoLikeRgb(kSize, kSize), kSize, kSize, TJSAMP_420, 85);
    return jpeg;
}

std::vector<std::uint8_t> MovieWith(std::uint16_t code, const std::vector<std::uint8_t>& body)
{
    CMovieBuilder builder;
    builder.AddTag(9, std::vector<std::uint8_t>{0x10, 0x20, 0x30});
    builder.AddTag(code, body);
    return builder.Build();
}

// A movie opened (not timed), then its image chosen and shifted: decoded,
// recoloured and encoded again, as the first Apply after opening does.
void ShiftMovie(benchmark::State& state, const std::vector<std::uint8_t>& movie)
{
    CRecordingSink messages;
    CNoDialogs dialogs;
    std::optional<CTintorDoc> doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc.emplace(messages, dialogs); // the last one goes while the clock stands
        doc->SetPreviewFileWritten(false);
        CMemoryInputFile file(movie, "bench.swf");
        if (!doc->OnOpenDocument(file, "bench.swf")) {
            state.SkipWithError("cannot open the movie");
            return;
        }
        state.ResumeTiming();
        doc->SelectBitmapsWhere([](const BitmapEntry&) { return true; });
        doc->Effect("H", 150);
        doc->UpdatePreview(false);
    }
    if (!doc || doc->GetMovie().ReplacedImageCount() != 1)
        state.SkipWithError("the image was not re-encoded");
}

void BM_LosslessShift(benchmark::State& state)
{
    ShiftMovie(state, MovieWith(36, LosslessBody(1, 5, kSize, kSize, LosslessPixels())));
}

void BM_LosslessInflateDeflate(benchmark::State& state)
{
    const auto stream = ZlibOf(LosslessPixels());
    std::vector<Bytef> data(LosslessPixels().size());
    std::vector<Bytef> out(compressBound(static_cast<uLong>(data.size())));
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(data.size());
        uncompress(data.data(), &length, stream.data(), static_cast<uLong>(stream.size()));
        uLongf outLength = static_cast<uLongf>(out.size());
        compress(out.data(), &outLength, data.data(), length);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_JpegShift(benchmark::State& state) { ShiftMovie(state, MovieWith(21, JpegTagBody(21, 1, Jpeg()))); }

// Decode and the very encode a shift runs, and nothing else.
void BM_JpegDecodeEncode(benchmark::State& state)
{
    const auto stream = bitmap::JoinJpegStreams(Jpeg());
    const auto header = bitmap::ReadJpegHeader(*stream);
    std::string problem;
    for (auto _ : state) {
        const auto photo = bitmap::DecodeJpeg(*stream, *header, problem);
        benchmark::DoNotOptimize(bitmap::EncodeJpeg(*photo, {&*header, nullptr}, problem));
    }
}

// TurboJPEG's own decode and encode, without the fitted entropy coding.
void BM_JpegTurboDecodeEncode(benchmark::State& state)
{
    tjhandle decoder = tjInitDecompress();
    tjhandle encoder = tjInitCompress();
    std::vector<unsigned char> rgb(std::size_t{kSize} * kSize * 3);
    for (auto _ : state) {
        tjDecompress2(decoder, Jpeg().data(), Jpeg().size(), rgb.data(), kSize, 0, kSize, TJPF_RGB, 0);
        unsigned char* out = nullptr;
        unsigned long size = 0;
        tjCompress2(encoder, rgb.data(), kSize, 0, kSize, TJPF_RGB, &out, &size, TJSAMP_420, 85, 0);
        tjFree(out);
    }
    tjDestroy(decoder);
    tjDestroy(encoder);
}

// The largest photograph of the corpus, 2048 x 1536 in a DefineBitsJPEG2,
// shifted, and its image decoded and encoded alone.
std::filesystem::path CorpusPhoto()
{
    const char* dir = std::getenv("TINTOR_CORPUS_DIR");
    return std::filesystem::path(dir != nullptr ? dir : TINTOR_CORPUS_DIR)
        / "ruffle/tests/tests/swfs/from_shumway/acid/acid-blend/test.swf";
}

void BM_CorpusJpegShift(benchmark::State& state)
{
    const auto movie = ReadWholeFile(CorpusPhoto());
    if (!movie) {
        state.SkipWithError("no corpus");
        return;
    }
    ShiftMovie(state, *movie);
}

void BM_CorpusJpegDecodeEncode(benchmark::State& state)
{
    const auto bytes = ReadWholeFile(CorpusPhoto());
    if (!bytes) {
        state.SkipWithError("no corpus");
        return;
    }
    CRecordingSink messages;
    CSwfFile movie(messages);
    CMemoryInputFile file(*bytes, "photo.swf");
    if (!movie.Load(file) || movie.Images().empty()) {
        state.SkipWithError("cannot open the movie");
        return;
    }
    const SwfImageRecord& image = movie.Images()[0];
    const auto stream = bitmap::JoinJpegStreams(movie.Buffer().subspan(image.bodyOffset + 2, image.bodyLength - 2));
    const auto header = bitmap::ReadJpegHeader(*stream);
    std::string problem;
    for (auto _ : state) {
        const auto photo = bitmap::DecodeJpeg(*stream, *header, problem);
        benchmark::DoNotOptimize(bitmap::EncodeJpeg(*photo, {&*header, nullptr}, problem));
    }
}

BENCHMARK(BM_LosslessShift)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LosslessInflateDeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegShift)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecodeEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegTurboDecodeEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorpusJpegShift)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorpusJpegDecodeEncode)->Unit(benchmark::kMillisecond);

} // namespace
