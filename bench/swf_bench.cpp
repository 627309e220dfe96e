// The movie engine's costs against a baseline measured in the same run:
// loading a compressed movie (inflate and walk) against zlib's uncompress of
// the same body alone; the tag walk alone in MB/s and colour records/s; and
// the cost of one colour record with few and with very many distinct colours.
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tintor {
namespace {

using Clock = std::chrono::steady_clock;

class CDiscardingSink final : public IMessageSink {
public:
    void Show(std::string_view) override {}
};

std::filesystem::path CorpusDir()
{
    if (const char* dir = std::getenv("TINTOR_CORPUS_DIR"))
        return dir;
    return TINTOR_CORPUS_DIR;
}

std::vector<std::uint8_t> ReadMovie(const char* relative)
{
    std::ifstream in(CorpusDir() / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t FileLength(const std::vector<std::uint8_t>& movie)
{
    return movie[4] | movie[5] << 8 | movie[6] << 16 | std::uint32_t{movie[7]} << 24;
}

// zlib's uncompress of a compressed movie's body: the baseline.
bool Uncompress(const std::vector<std::uint8_t>& movie, std::vector<std::uint8_t>& out)
{
    uLongf length = static_cast<uLongf>(out.size());
    return uncompress(out.data(), &length, movie.data() + 8, static_cast<uLong>(movie.size() - 8)) == Z_OK;
}

// The movie as a plain one, its colour record count and where its tags begin.
struct PlainMovie {
    std::vector<std::uint8_t> bytes;
    std::size_t firstTag = 0;
    std::size_t records = 0;
};

PlainMovie Plain(const std::vector<std::uint8_t>& movie)
{
    PlainMovie plain;
    if (movie.size() < 8)
        return plain;
    if (movie[0] == 'C') {
        plain.bytes.resize(FileLength(movie));
        if (!Uncompress(movie, plain.bytes))
            return {};
        std::copy(movie.begin(), movie.begin() + 8, plain.bytes.begin());
        plain.bytes[0] = 'F';
    } else {
        plain.bytes = movie;
    }
    const std::size_t rectBits = 5 + 4 * (plain.bytes[8] >> 3);
    plain.firstTag = 8 + (rectBits + 7) / 8 + 4;
    CDiscardingSink sink;
    CSwfFile swf(sink);
    CMemoryInputFile file(plain.bytes, "bench.swf");
    if (!swf.Load(file))
        return {};
    swf.Colors().ForEach([&](ColorKey, const PositionList& positions) { plain.records += positions.size(); });
    return plain;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Load of a compressed movie against uncompress of its body, timed in turn
// in every iteration; load_per_inflate is the ratio of the two.
void BM_LoadVsInflate(benchmark::State& state, const char* path)
{
    const auto movie = ReadMovie(path);
    if (movie.size() < 8 || movie[0] != 'C') {
        state.SkipWithError("not a compressed corpus movie");
        return;
    }
    std::vector<std::uint8_t> out(FileLength(movie));
    CDiscardingSink sink;
    CSwfFile swf(sink);
    Clock::duration load{}, inflate{};
    for (auto _ : state) {
        CMemoryInputFile file(movie, "bench.swf");
        auto t0 = Clock::now();
        const bool loaded = swf.Load(file);
        auto t1 = Clock::now();
        const bool inflated = Uncompress(movie, out);
        auto t2 = Clock::now();
        if (!loaded || !inflated) {
            state.SkipWithError("load or uncompress failed");
            return;
        }
        load += t1 - t0;
        inflate += t2 - t1;
        benchmark::DoNotOptimize(out.data());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = Seconds(load) / n * 1e3;
    state.counters["inflate_ms"] = Seconds(inflate) / n * 1e3;
    state.counters["load_per_inflate"] = Seconds(load) / Seconds(inflate);
    state.counters["MB"] = static_cast<double>(movie.size() > 8 ? FileLength(movie) : 0) / 1e6;
}

// The tag walk alone over an uncompressed movie: MB/s and colour records/s.
// For a compressed movie zlib's uncompress of the same body is timed in the
// same run, and walk_per_inflate compares the fastest walk with the fastest
// uncompress, which keeps other load on the machine out of the ratio.
void BM_Walk(benchmark::State& state, const char* path)
{
    const auto movie = ReadMovie(path);
    const PlainMovie plain = Plain(movie);
    if (plain.bytes.empty()) {
        state.SkipWithError("movie not loadable");
        return;
    }
    const bool compressed = movie[0] == 'C';
    Clock::duration inflate = Clock::duration::max();
    if (compressed) {
        std::vector<std::uint8_t> out(FileLength(movie));
        for (int i = 0; i < 10; ++i) {
            const auto t0 = Clock::now();
            Uncompress(movie, out);
            inflate = std::min(inflate, Clock::now() - t0);
            benchmark::DoNotOptimize(out.data());
        }
    }
    CDiscardingSink sink;
    CSwfFile swf(sink);
    Clock::duration walk = Clock::duration::max();
    for (auto _ : state) {
        state.PauseTiming();
        // The frame rate and count before the first tag stand where a
        // sprite's id and frame count would: the sprite walk reads the main
        // timeline from there.
        swf.AttachForReading(plain.bytes, static_cast<std::uint32_t>(plain.firstTag - 4));
        state.ResumeTiming();
        const auto t0 = Clock::now();
        swf.WalkTags(true);
        walk = std::min(walk, Clock::now() - t0);
    }
    const double n = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(plain.bytes.size()) * state.iterations());
    state.counters["records/s"]
        = benchmark::Counter(static_cast<double>(plain.records) * n, benchmark::Counter::kIsRate);
    state.counters["records"] = static_cast<double>(plain.records);
    if (compressed) {
        state.counters["inflate_MB/s"] = static_cast<double>(plain.bytes.size()) / Seconds(inflate) / 1e6;
        state.counters["walk_per_inflate"] = Seconds(walk) / Seconds(inflate);
    }
}

// 200,000 solid fills in four DefineShape tags, cycling through the given
// number of distinct colours.
std::vector<std::uint8_t> ManyColoursMovie(std::uint32_t distinct)
{
    constexpr std::uint32_t kRecords = 200000;
    constexpr std::uint32_t kPerShape = 50000;
    CMovieBuilder builder;
    for (std::uint32_t shape = 0; shape < kRecords / kPerShape; ++shape) {
        CBitWriter w;
        w.WriteWord(static_cast<std::uint16_t>(shape + 1));
        w.WriteRect({0, 100, 0, 100});
        w.WriteByte(0xFF);
        w.WriteWord(kPerShape);
        for (std::uint32_t i = 0; i < kPerShape; ++i) {
            const std::uint32_t c = (shape * kPerShape + i) % distinct;
            w.WriteByte(0x00);
            w.WriteRgb(
                static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16));
        }
        w.WriteByte(0);
        w.WriteByte(0);
        w.WriteBits(0, 6);
        builder.AddTag(2, w.Take());
    }
    return builder.Build();
}

// The walk of that movie; ns_per_record is the cost of reading one solid
// fill and filing it with AddColor.
void BM_AddColor(benchmark::State& state)
{
    const auto distinct = static_cast<std::uint32_t>(state.range(0));
    const PlainMovie plain = Plain(ManyColoursMovie(distinct));
    CDiscardingSink sink;
    CSwfFile swf(sink);
    for (auto _ : state) {
        state.PauseTiming();
        swf.AttachForReading(plain.bytes, static_cast<std::uint32_t>(plain.firstTag - 4));
        state.ResumeTiming();
        swf.WalkTags(true);
    }
    if (swf.Colors().Size() != distinct)
        state.SkipWithError("wrong number of colours");
    const double records = static_cast<double>(plain.records) * static_cast<double>(state.iterations());
    state.counters["records/s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
    state.counters["ns_per_record"]
        = benchmark::Counter(records * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The largest compressed movies of the corpus.
BENCHMARK_CAPTURE(BM_LoadVsInflate, acid_color_1_9MB, "ruffle/tests/tests/swfs/from_shumway/acid/acid-color/test.swf")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(
    BM_LoadVsInflate, acid_blend_2_958kB, "ruffle/tests/tests/swfs/from_shumway/acid/acid-blend-2/test.swf")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(
    BM_LoadVsInflate, pixelbender_twirl_518kB, "ruffle/tests/tests/swfs/avm2/pixelbender_effect_twirl/test.swf")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadVsInflate, heavy_tesselation_334kB,
    "ruffle/tests/tests/swfs/visual/simple_shapes/heavy_tesselation/test.swf")
    ->Unit(benchmark::kMillisecond);

// The walk of the largest movies and of the shape-heaviest ones.
BENCHMARK_CAPTURE(BM_Walk, acid_color_1_9MB, "ruffle/tests/tests/swfs/from_shumway/acid/acid-color/test.swf")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Walk, acid_blend_2_958kB, "ruffle/tests/tests/swfs/from_shumway/acid/acid-blend-2/test.swf")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    BM_Walk, shapes_heavy_tesselation, "ruffle/tests/tests/swfs/visual/simple_shapes/heavy_tesselation/test.swf")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    BM_Walk, shapes_bounds_child8, "ruffle/tests/tests/swfs/avm1/movieclip_invalid_get_bounds_6/BoundsChild8.swf")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(
    BM_Walk, shapes_hittest_shapeflag, "ruffle/tests/tests/swfs/avm1/movieclip_hittest_shapeflag/test.swf")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Walk, shapes_3_joystick, "ruffle/tests/tests/swfs/from_shumway/3_joystick/test.swf")
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_AddColor)->Arg(200)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tintor
