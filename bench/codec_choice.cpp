// Which library inflates and deflates a movie's body best, measured on the
// movies given (real ones from the corpus, generated ones from
// tintor-bench-movie):
//   tintor-bench-codecs MOVIE...
// For every zlib-compressed movie, one line: the body's length, the time of
// zlib's inflate, and the time of libdeflate's (and of ISA-L's, when built
// with it) as a share of zlib's; then the length and time of zlib's level-6
// deflate, and for each libdeflate level the length and time as shares of
// zlib's. The last lines sum every column over all movies. Times are the
// best of several runs, so a loaded machine disturbs them little; only the
// ratios mean anything.
#include <libdeflate.h>
#include <zlib.h>
#ifdef TINTOR_BENCH_ISAL
#include <isa-l/igzip_lib.h>
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
constexpr int kRuns = 5;
constexpr int kFirstLevel = 1;
constexpr int kLastLevel = 12;
constexpr int kLevels = kLastLevel - kFirstLevel + 1;

template <typename F> double BestSeconds(F&& run)
{
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

struct Row {
    double bodyBytes = 0;
    double zlibInflate = 0;
    double libdeflateInflate = 0;
    double isalInflate = 0;
    double zlibBytes = 0;
    double zlibDeflate = 0;
    std::array<double, kLevels> levelBytes{};
    std::array<double, kLevels> levelSeconds{};
};

void Print(const char* name, const Row& r)
{
    std::printf("%-28.28s %9.0f  inflate libdeflate %.2f isal %.2f  zlib-6 %9.0f  levels", name, r.bodyBytes,
        r.libdeflateInflate / r.zlibInflate, r.isalInflate / r.zlibInflate, r.zlibBytes);
    for (int l = 0; l < kLevels; ++l)
        std::printf(" %d:%.3f/%.2f", l + kFirstLevel, r.levelBytes[l] / r.zlibBytes, r.levelSeconds[l] / r.zlibDeflate);
    std::printf("\n");
}

bool Measure(const Bytes& movie, Row& row)
{
    if (movie.size() < 8 || movie[0] != 'C' || movie[1] != 'W' || movie[2] != 'S')
        return false;
    const std::size_t bodySize = (movie[4] | movie[5] << 8 | movie[6] << 16 | std::size_t{movie[7]} << 24) - 8;
    Bytes body(bodySize);
    uLongf length = bodySize;
    uLong sourceLength = movie.size() - 8;
    // Movies whose stream does not yield FileLength are another matter.
    if (uncompress2(body.data(), &length, movie.data() + 8, &sourceLength) != Z_OK || length != bodySize)
        return false;
    row.bodyBytes = static_cast<double>(bodySize);
    Bytes out(bodySize);
    row.zlibInflate = BestSeconds([&] {
        uLongf n = bodySize;
        uLong in = movie.size() - 8;
        uncompress2(out.data(), &n, movie.data() + 8, &in);
    });
    const std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> inflater(
        libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    row.libdeflateInflate = BestSeconds([&] {
        libdeflate_zlib_decompress(inflater.get(), movie.data() + 8, movie.size() - 8, out.data(), bodySize, nullptr);
    });
#ifdef TINTOR_BENCH_ISAL
    row.isalInflate = BestSeconds([&] {
        inflate_state state;
        isal_inflate_init(&state);
        state.crc_flag = ISAL_ZLIB;
        state.next_in = const_cast<unsigned char*>(movie.data() + 8);
        state.avail_in = static_cast<uint32_t>(movie.size() - 8);
        state.next_out = out.data();
        state.avail_out = static_cast<uint32_t>(bodySize);
        isal_inflate(&state);
    });
#endif
    Bytes packed(compressBound(bodySize) + 64);
    uLongf packedLength = packed.size();
    compress2(packed.data(), &packedLength, body.data(), bodySize, 6);
    row.zlibBytes = static_cast<double>(packedLength);
    row.zlibDeflate = BestSeconds([&] {
        uLongf n = packed.size();
        compress2(packed.data(), &n, body.data(), bodySize, 6);
    });
    for (int l = 0; l < kLevels; ++l) {
        const std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> deflater(
            libdeflate_alloc_compressor(l + kFirstLevel), &libdeflate_free_compressor);
        Bytes level(libdeflate_zlib_compress_bound(deflater.get(), bodySize));
        std::size_t n = 0;
        row.levelSeconds[l] = BestSeconds(
            [&] { n = libdeflate_zlib_compress(deflater.get(), body.data(), bodySize, level.data(), level.size()); });
        row.levelBytes[l] = static_cast<double>(n);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MOVIE...\n", argv[0]);
        return 2;
    }
    Row total;
    std::array<double, kLevels> worstBytes{};
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        const Bytes movie{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        Row row;
        if (!Measure(movie, row))
            continue;
        const std::string name = argv[i];
        Print(name.size() > 28 ? name.substr(name.size() - 28).c_str() : name.c_str(), row);
        total.bodyBytes += row.bodyBytes;
        total.zlibInflate += row.zlibInflate;
        total.libdeflateInflate += row.libdeflateInflate;
        total.isalInflate += row.isalInflate;
        total.zlibBytes += row.zlibBytes;
        total.zlibDeflate += row.zlibDeflate;
        for (int l = 0; l < kLevels; ++l) {
            total.levelBytes[l] += row.levelBytes[l];
            total.levelSeconds[l] += row.levelSeconds[l];
            worstBytes[l] = std::max(worstBytes[l], row.levelBytes[l] / row.zlibBytes);
        }
    }
    if (total.zlibInflate == 0)
        return 1;
    Print("all", total);
    std::printf("largest length against zlib-6, by level:");
    for (int l = 0; l < kLevels; ++l)
        std::printf(" %d:%.3f", l + kFirstLevel, worstBytes[l]);
    std::printf("\n");
    return 0;
}
