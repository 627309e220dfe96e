// The movie engine's costs against a baseline measured in the same run:
// loading a compressed movie (inflate and walk) against zlib's uncompress of
// the same body alone, and an LZMA one against liblzma's raw decode of the
// same stream alone; the tag walk alone in MB/s and colour records/s, also
// of a built movie of DefineShape4 tags, of one of filter lists and tints,
// of one of ActionScript 2 drawing calls and of one DoABC block of 100,000
// instructions (and that block's reader and stack walk alone); the cost of
// one colour record with few and with very many distinct colours; and an
// LZMA stream that ends early against the whole one.
#include "swf/abc_colours.h"
#include "swf/swf_file.h"
#include "testkit/bench_movies.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"

#include <benchmark/benchmark.h>
#include <lzma.h>
#include <zlib.h>

#include <algorithm>
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
    plain.records = swf.Colors().RecordCount();
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

constexpr std::uint32_t kManyRecords = 2000000;

// 2,000,000 solid fills in DefineShape tags, cycling through the given
// number of distinct scattered colours.
std::vector<std::uint8_t> ManyColoursMovie(std::uint32_t distinct)
{
    constexpr std::uint32_t kPerShape = 50000;
    CMovieBuilder builder;
    for (std::uint32_t shape = 0; shape < kManyRecords / kPerShape; ++shape) {
        CBitWriter w;
        w.WriteWord(static_cast<std::uint16_t>(shape + 1));
        w.WriteRect({0, 100, 0, 100});
        w.WriteByte(0xFF);
        w.WriteWord(kPerShape);
        for (std::uint32_t i = 0; i < kPerShape; ++i) {
            const std::uint32_t c = ScatteredColour((shape * kPerShape + i) % distinct);
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

// The walk of that movie and the grouping of its records; ns_per_record is
// the cost of reading one solid fill and filing it with AddColor, the
// grouping included, which should not grow with the number of colours.
void BM_AddColor(benchmark::State& state)
{
    const auto distinct = static_cast<std::uint32_t>(state.range(0));
    const PlainMovie plain = Plain(ManyColoursMovie(distinct));
    CDiscardingSink sink;
    CSwfFile swf(sink);
    std::size_t colours = 0;
    for (auto _ : state) {
        state.PauseTiming();
        swf.AttachForReading(plain.bytes, static_cast<std::uint32_t>(plain.firstTag - 4));
        state.ResumeTiming();
        swf.WalkTags(true);
        colours = swf.Colors().Size();
    }
    if (colours != distinct)
        state.SkipWithError("wrong number of colours");
    const double records = static_cast<double>(plain.records) * static_cast<double>(state.iterations());
    state.counters["records/s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
    state.counters["ns_per_record"]
        = benchmark::Counter(records * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The registry alone: 2,000,000 records of the given number of distinct
// scattered colours added and grouped.
void BM_RegistryAdd(benchmark::State& state)
{
    const auto distinct = static_cast<std::uint32_t>(state.range(0));
    std::vector<ColorKey> keys(kManyRecords);
    for (std::uint32_t i = 0; i < kManyRecords; ++i)
        keys[i] = KIND_FILL | ScatteredColour(i % distinct);
    for (auto _ : state) {
        CColorRegistry registry;
        for (std::uint32_t i = 0; i < kManyRecords; ++i)
            registry.Add(keys[i], 4 * i);
        benchmark::DoNotOptimize(registry.Size());
    }
    const double records = static_cast<double>(kManyRecords) * static_cast<double>(state.iterations());
    state.counters["ns_per_record"]
        = benchmark::Counter(records * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// liblzma's raw decode of a ZWS movie's stream alone, into a buffer sized
// in advance: the baseline. The stream must end with its end marker.
bool LzmaDecode(const std::vector<std::uint8_t>& movie, std::vector<std::uint8_t>& out)
{
    constexpr std::size_t kStreamStart = 8 + 4 + 5;
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (movie.size() < kStreamStart || lzma_properties_decode(&filters[0], nullptr, movie.data() + 12, 5) != LZMA_OK)
        return false;
    lzma_stream zs = LZMA_STREAM_INIT;
    lzma_ret rc = lzma_raw_decoder(&zs, filters);
    std::free(filters[0].options);
    if (rc == LZMA_OK) {
        zs.next_in = movie.data() + kStreamStart;
        zs.avail_in = movie.size() - kStreamStart;
        zs.next_out = out.data();
        zs.avail_out = out.size();
        rc = lzma_code(&zs, LZMA_FINISH);
    }
    const bool whole = rc == LZMA_STREAM_END && zs.total_out == out.size();
    lzma_end(&zs);
    return whole;
}

// A random number below bound, from a fixed seed.
class CRandom {
public:
    std::uint32_t Below(std::uint32_t bound)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) % bound;
    }

private:
    std::uint32_t m_state = 1;
};

// 300 shapes of DefineShape4 (or, for comparison, DefineShape3), each with
// 20 fill styles (solid, and every fourth a focal gradient of three records),
// 20 line styles (LINESTYLE2: mitered, filled or plain), 400 edges with a
// style change every 50, and a new-styles record.
std::vector<std::uint8_t> ShapeMovie(bool shape4)
{
    CRandom random;
    const auto rgba = [&](CBitWriter& w) {
        w.WriteRgba(static_cast<std::uint8_t>(random.Below(256)), static_cast<std::uint8_t>(random.Below(256)),
            static_cast<std::uint8_t>(random.Below(256)), 0xFF);
    };
    const auto styles = [&](CBitWriter& w, int fills, int lines) {
        w.WriteByte(static_cast<std::uint8_t>(fills));
        for (int i = 0; i < fills; ++i) {
            if (i % 4 != 0) {
                w.WriteByte(0x00);
                rgba(w);
                continue;
            }
            w.WriteByte(shape4 ? 0x13 : 0x12);
            w.WriteMatrix({0x20000, 0, 0, 0x20000, static_cast<std::int32_t>(random.Below(4000)), 100});
            w.WriteByte(3);
            for (int r = 0; r < 3; ++r) {
                w.WriteByte(static_cast<std::uint8_t>(r * 127));
                rgba(w);
            }
            if (shape4)
                w.WriteWord(0x0080);
        }
        w.WriteByte(static_cast<std::uint8_t>(lines));
        for (int i = 0; i < lines; ++i) {
            w.WriteWord(static_cast<std::uint16_t>(20 + random.Below(200)));
            if (shape4) {
                const int form = i % 3; // mitered, filled, plain
                w.WriteByte(form == 0 ? 0x20 : form == 1 ? 0x08 : 0x00);
                w.WriteByte(0x00);
                if (form == 0)
                    w.WriteWord(0x0300);
                if (form == 1)
                    w.WriteByte(0x00);
            }
            rgba(w);
        }
        w.WriteBits(5, 4);
        w.WriteBits(5, 4);
    };
    CMovieBuilder builder(10);
    for (std::uint16_t shape = 1; shape <= 300; ++shape) {
        CBitWriter w;
        w.WriteWord(shape);
        w.WriteRect({0, 8000, 0, 8000});
        if (shape4) {
            w.WriteRect({20, 7980, 20, 7980});
            w.WriteByte(0x01);
        }
        styles(w, 20, 20);
        for (int edge = 0; edge < 400; ++edge) {
            if (edge % 50 == 0) {
                w.WriteBits(0, 1);
                w.WriteBits(edge == 200 ? 0x1F : 0x0F, 5); // new styles halfway
                w.WriteBits(14, 5);
                w.WriteSBits(static_cast<std::int32_t>(random.Below(8000)), 14);
                w.WriteSBits(static_cast<std::int32_t>(random.Below(8000)), 14);
                w.WriteBits(1 + random.Below(20), 5);
                w.WriteBits(1 + random.Below(20), 5);
                w.WriteBits(1 + random.Below(20), 5);
                if (edge == 200)
                    styles(w, 2, 2);
                continue;
            }
            const int bits = 4 + static_cast<int>(random.Below(8));
            const auto delta
                = [&] { return static_cast<std::int32_t>(random.Below(1u << (bits - 1))) - (1 << (bits - 2)); };
            w.WriteBits(1, 1);
            const bool straight = random.Below(2) != 0;
            w.WriteBits(straight, 1);
            w.WriteBits(static_cast<std::uint32_t>(bits - 2), 4);
            if (straight) {
                w.WriteBits(1, 1);
                w.WriteSBits(delta(), bits);
                w.WriteSBits(delta(), bits);
            } else {
                for (int k = 0; k < 4; ++k)
                    w.WriteSBits(delta(), bits);
            }
        }
        w.WriteBits(0, 6);
        builder.AddTag(shape4 ? 83 : 32, w.Take(), true);
    }
    return builder.Build();
}

// Load of an LZMA movie against liblzma's raw decode of its stream alone,
// timed in turn in every iteration; load_per_decode is the ratio.
void BM_LoadLzmaVsDecode(benchmark::State& state, std::vector<std::uint8_t> (*make)())
{
    const auto movie = make();
    if (movie.size() < 8 || movie[0] != 'Z') {
        state.SkipWithError("not an LZMA movie");
        return;
    }
    std::vector<std::uint8_t> out(FileLength(movie) - 8);
    CDiscardingSink sink;
    CSwfFile swf(sink);
    Clock::duration load{}, decode{};
    for (auto _ : state) {
        CMemoryInputFile file(movie, "bench.swf");
        auto t0 = Clock::now();
        const bool loaded = swf.Load(file);
        auto t1 = Clock::now();
        const bool decoded = LzmaDecode(movie, out);
        auto t2 = Clock::now();
        if (!loaded || !decoded) {
            state.SkipWithError("load or decode failed");
            return;
        }
        load += t1 - t0;
        decode += t2 - t1;
        benchmark::DoNotOptimize(out.data());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = Seconds(load) / n * 1e3;
    state.counters["decode_ms"] = Seconds(decode) / n * 1e3;
    state.counters["load_per_decode"] = Seconds(load) / Seconds(decode);
    state.counters["MB"] = static_cast<double>(FileLength(movie)) / 1e6;
}

std::vector<std::uint8_t> CorpusLzmaMovie()
{
    return ReadMovie("ruffle/tests/tests/swfs/avm2/loader_loadbytes_invalid_png/test.swf");
}
std::vector<std::uint8_t> BuiltLzmaMovie() { return LzmaMovie(ShapeMovie(true)); }

// A 64 MB LZMA movie of zeros that states a 4 GiB dictionary, as whole and
// with a FileLength 4 KiB beyond what its stream yields: the stream ends
// early. Both are decoded once; early_per_whole stays near 1.
void BM_LzmaEndingEarly(benchmark::State& state)
{
    CMovieBuilder builder;
    builder.AddTag(6, std::vector<std::uint8_t>(64 << 20), true);
    auto whole = LzmaMovie(builder.Build());
    std::fill(whole.begin() + 13, whole.begin() + 17, 0xFF);
    auto early = whole;
    const std::uint32_t length = FileLength(whole) + 4096;
    for (int i = 0; i < 4; ++i)
        early[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    CDiscardingSink sink;
    Clock::duration wholeTime{}, earlyTime{};
    for (auto _ : state) {
        CSwfFile swf(sink);
        CMemoryInputFile wholeFile(whole, "whole.swf"), earlyFile(early, "early.swf");
        auto t0 = Clock::now();
        const bool loaded = swf.Load(wholeFile);
        auto t1 = Clock::now();
        const bool failed = !swf.Load(earlyFile);
        auto t2 = Clock::now();
        if (!loaded || !failed) {
            state.SkipWithError("the whole movie did not load, or the early-ending one did");
            return;
        }
        wholeTime += t1 - t0;
        earlyTime += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["whole_ms"] = Seconds(wholeTime) / n * 1e3;
    state.counters["early_ms"] = Seconds(earlyTime) / n * 1e3;
    state.counters["early_per_whole"] = Seconds(earlyTime) / Seconds(wholeTime);
}

std::vector<std::uint8_t> Shape4Movie() { return ShapeMovie(true); }
std::vector<std::uint8_t> Shape3Movie() { return ShapeMovie(false); }
// The movie of whole_process.sh's shift: 460 shapes of 2,000 edges, 3.3 MB compressed.
std::vector<std::uint8_t> EdgeHeavyMovie() { return BuildEdgeHeavyMovie(460); }

// 100,000 PlaceObject3 filter lists and as many tinted PlaceObject2 records.
std::vector<std::uint8_t> EffectsMovie() { return BuildEffectsMovie(100000); }

// DoAction blocks of 100,000 push values, a fifth of them colours.
std::vector<std::uint8_t> ActionMovie() { return BuildActionMovie(100000); }
// One DoABC block of 100,000 instructions.
std::vector<std::uint8_t> AbcMovie() { return BuildAbcMovie(100000); }

// The tag walk of a built movie: MB/s and colour records/s.
void BM_WalkBuilt(benchmark::State& state, std::vector<std::uint8_t> (*make)())
{
    const PlainMovie plain = Plain(make());
    if (plain.bytes.empty()) {
        state.SkipWithError("movie not loadable");
        return;
    }
    CDiscardingSink sink;
    CSwfFile swf(sink);
    for (auto _ : state) {
        state.PauseTiming();
        swf.AttachForReading(plain.bytes, static_cast<std::uint32_t>(plain.firstTag - 4));
        state.ResumeTiming();
        swf.WalkTags(true);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(plain.bytes.size()) * state.iterations());
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(plain.records) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["records"] = static_cast<double>(plain.records);
    state.counters["MB"] = static_cast<double>(plain.bytes.size()) / 1e6;
}

// The ABC reader and the stack walk alone, over the DoABC block of a built
// movie: MB/s of the block and instructions/s.
void BM_AbcColours(benchmark::State& state, std::vector<std::uint8_t> (*make)(), double instructions)
{
    const PlainMovie plain = Plain(make());
    std::span<const std::uint8_t> abc;
    for (std::size_t pos = plain.firstTag; pos + 6 <= plain.bytes.size();) {
        const std::uint16_t header = static_cast<std::uint16_t>(plain.bytes[pos] | plain.bytes[pos + 1] << 8);
        std::size_t length = header & 0x3F, body = pos + 2;
        if (length == 0x3F) {
            length = plain.bytes[body] | plain.bytes[body + 1] << 8 | plain.bytes[body + 2] << 16
                | std::size_t{plain.bytes[body + 3]} << 24;
            body += 4;
        }
        if (header >> 6 == 82 && body + length <= plain.bytes.size()) {
            abc = std::span(plain.bytes).subspan(body + 5, length - 5); // flags and an empty name
            break;
        }
        pos = body + length;
    }
    if (abc.empty()) {
        state.SkipWithError("no DoABC block");
        return;
    }
    std::size_t places = 0;
    for (auto _ : state) {
        const AbcColours colours = FindAbcColours(abc, 0);
        places = colours.places.size();
        benchmark::DoNotOptimize(colours.places.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(abc.size()) * state.iterations());
    state.counters["instructions/s"]
        = benchmark::Counter(instructions * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["places"] = static_cast<double>(places);
    state.counters["MB"] = static_cast<double>(abc.size()) / 1e6;
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

BENCHMARK(BM_AddColor)->Arg(200)->Arg(20000)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistryAdd)->Arg(200)->Arg(20000)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(BM_LoadLzmaVsDecode, corpus_invalid_png_26kB, CorpusLzmaMovie)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadLzmaVsDecode, built_shape4, BuiltLzmaMovie)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzmaEndingEarly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_WalkBuilt, shape4, Shape4Movie)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WalkBuilt, shape3_same_styles, Shape3Movie)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WalkBuilt, edge_heavy, EdgeHeavyMovie)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WalkBuilt, filters_and_tints, EffectsMovie)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WalkBuilt, avm1_100k_pushes, ActionMovie)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WalkBuilt, abc_100k_instructions, AbcMovie)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AbcColours, abc_100k_instructions, AbcMovie, 100000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tintor
