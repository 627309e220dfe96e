// The cost of one Apply: every selected colour written into the movie and the
// preview file rewritten (deflated again for a compressed movie), against
// zlib's compress of the same body alone, the part no Apply can avoid for a
// compressed movie.
#include "core/file.h"
#include "document/tintor_doc.h"
#include "testkit/bench_movies.h"
#include "testkit/no_dialogs.h"
#include "testkit/recording_sink.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using tintor::CTintorDoc;

std::filesystem::path CorpusDir()
{
    if (const char* dir = std::getenv("TINTOR_CORPUS_DIR"))
        return dir;
    return TINTOR_CORPUS_DIR;
}

// The largest corpus movies: the biggest bodies, and the one with the most
// colours (every colour selected, so Apply writes every record).
const char* const kMovies[][2] = {
    {"acid-color", "ruffle/tests/tests/swfs/from_shumway/acid/acid-color/test.swf"},
    {"acid-blend", "ruffle/tests/tests/swfs/from_shumway/acid/acid-blend/test.swf"},
    {"heavy_tesselation", "ruffle/tests/tests/swfs/visual/simple_shapes/heavy_tesselation/test.swf"},
    {"loadMovieTest", "ruffle/tests/tests/swfs/from_gnash/misc-ming.all/loading/loadMovieTest/test.swf"},
};

void BM_Apply(benchmark::State& state, const std::filesystem::path& path)
{
    tintor::CRecordingSink messages;
    tintor::CNoDialogs dialogs;
    CTintorDoc doc(messages, dialogs);
    if (!doc.OnOpenDocument(path)) {
        state.SkipWithError("cannot open the movie");
        return;
    }
    doc.SelectWhere([](tintor::ColorKey) { return true; });
    doc.Effect("H", 150);
    for (auto _ : state)
        doc.UpdatePreview(false);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * doc.GetMovie().FileSize());
    state.counters["colours"] = static_cast<double>(doc.GetMovie().Colors().Size());
    state.counters["compressed"] = doc.GetMovie().IsCompressed() ? 1 : 0;
}

// The same Apply without the preview file: only the colours written into
// the movie, the part that grows with the number of colour records.
void BM_ApplyInMemory(benchmark::State& state, const std::filesystem::path& path)
{
    tintor::CRecordingSink messages;
    tintor::CNoDialogs dialogs;
    CTintorDoc doc(messages, dialogs);
    doc.SetPreviewFileWritten(false);
    if (!doc.OnOpenDocument(path)) {
        state.SkipWithError("cannot open the movie");
        return;
    }
    doc.SelectWhere([](tintor::ColorKey) { return true; });
    doc.Effect("H", 150);
    for (auto _ : state)
        doc.UpdatePreview(false);
    const double records = static_cast<double>(doc.GetMovie().Colors().RecordCount());
    state.counters["records/s"]
        = benchmark::Counter(records * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["colours"] = static_cast<double>(doc.GetMovie().Colors().Size());
}

void BM_CompressBody(benchmark::State& state, const std::filesystem::path& path)
{
    tintor::CRecordingSink messages;
    tintor::CSwfFile movie(messages);
    auto file = tintor::CDiskInputFile::Open(path);
    if (!file || !movie.Load(*file)) {
        state.SkipWithError("cannot open the movie");
        return;
    }
    const auto body = movie.Buffer().subspan(8);
    std::vector<Bytef> out(compressBound(static_cast<uLong>(body.size())));
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(out.size());
        benchmark::DoNotOptimize(compress(out.data(), &length, body.data(), static_cast<uLong>(body.size())));
        benchmark::DoNotOptimize(length);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * movie.FileSize());
}

// The same movie stored uncompressed, so both kinds are measured on one body.
std::optional<std::filesystem::path> WritePlainCopy(
    const std::filesystem::path& movie, const std::filesystem::path& dir)
{
    tintor::CRecordingSink messages;
    tintor::CSwfFile swf(messages);
    auto file = tintor::CDiskInputFile::Open(movie);
    if (!file || !swf.Load(*file) || !swf.IsCompressed())
        return std::nullopt;
    std::vector<std::uint8_t> bytes(swf.Buffer().begin(), swf.Buffer().end());
    bytes[0] = 'F';
    const auto plain = dir / (movie.parent_path().filename().string() + ".swf");
    if (!tintor::WriteWholeFile(plain, bytes))
        return std::nullopt;
    return plain;
}

} // namespace

int main(int argc, char** argv)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tintor-doc-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    const std::filesystem::path scratch = pattern;

    // A generated movie of 858,000 distinct colours, 3 MB compressed.
    const auto many = scratch / "colours-858k.swf";
    if (tintor::WriteWholeFile(many, tintor::BuildManyColoursMovie(8580))) {
        benchmark::RegisterBenchmark("Apply/colours-858k", BM_Apply, many)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("CompressBody/colours-858k", BM_CompressBody, many)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("ApplyInMemory/colours-858k", BM_ApplyInMemory, many)
            ->Unit(benchmark::kMillisecond);
    }
    // 100,000 filter lists and 100,000 tints: every tint written in its own form.
    const auto effects = scratch / "effects-100k.swf";
    if (tintor::WriteWholeFile(effects, tintor::BuildEffectsMovie(100000))) {
        benchmark::RegisterBenchmark("ApplyInMemory/effects-100k", BM_ApplyInMemory, effects)
            ->Unit(benchmark::kMillisecond);
    }
    for (const auto& [name, relative] : kMovies) {
        const auto path = CorpusDir() / relative;
        if (!std::filesystem::exists(path))
            continue;
        const std::string label(name);
        benchmark::RegisterBenchmark(("Apply/" + label).c_str(), BM_Apply, path)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("CompressBody/" + label).c_str(), BM_CompressBody, path)
            ->Unit(benchmark::kMillisecond);
        if (const auto plain = WritePlainCopy(path, scratch))
            benchmark::RegisterBenchmark(("Apply/" + label + "-uncompressed").c_str(), BM_Apply, *plain)
                ->Unit(benchmark::kMillisecond);
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(scratch);
    return 0;
}
