// Writes the generated movies the whole-process benchmarks run on:
//   tintor-bench-movie colours K OUT.swf   K DefineShape tags of 100 solid
//                                          fills each, every colour distinct
//   tintor-bench-movie edges N OUT.swf     N shapes of mostly edge records
//   tintor-bench-movie images N OUT.swf    N DefineBitsJPEG2 photographs of
//                                          2048 x 2048, each its own
// All are zlib-compressed. Colour values are scattered over the whole
// colour cube, as in real movies, not counted up.
#include "core/file.h"
#include "testkit/bench_movies.h"
#include "testkit/image_bodies.h"
#include "testkit/movie_builder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Photographs at 4:2:0 and quality 85, as cameras and editors save them.
std::vector<std::uint8_t> BuildImagesMovie(std::uint32_t count)
{
    constexpr int kSize = 2048;
    tintor::CMovieBuilder builder;
    builder.AddTag(9, std::vector<std::uint8_t>{0x10, 0x20, 0x30});
    for (std::uint32_t i = 1; i <= count; ++i) {
        const auto jpeg = tintor::JpegOf(tintor::PhotoLikeRgb(kSize, kSize, i), kSize, kSize, 2, 85);
        builder.AddTag(21, tintor::JpegTagBody(21, static_cast<std::uint16_t>(i), jpeg));
    }
    return builder.Build(true);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string kind = argc == 4 ? argv[1] : "";
    const long count = argc == 4 ? std::strtol(argv[2], nullptr, 10) : 0;
    if ((kind != "colours" && kind != "edges" && kind != "images") || count <= 0 || count > 0xFFFF) {
        std::fprintf(stderr, "usage: %s colours SHAPES OUT.swf | edges SHAPES OUT.swf | images N OUT.swf\n", argv[0]);
        return 2;
    }
    const auto shapes = static_cast<std::uint32_t>(count);
    const auto movie = kind == "colours" ? tintor::BuildManyColoursMovie(shapes)
        : kind == "edges"                ? tintor::BuildEdgeHeavyMovie(shapes)
                                         : BuildImagesMovie(shapes);
    if (!tintor::WriteWholeFile(argv[3], movie)) {
        std::fprintf(stderr, "%s: cannot write\n", argv[3]);
        return 1;
    }
    return 0;
}
