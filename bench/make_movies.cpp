// Writes the generated movies the whole-process benchmark runs on:
//   tintor-bench-movie colours K OUT.swf   K DefineShape tags of 100 solid
//                                          fills each, every colour distinct
//   tintor-bench-movie edges N OUT.swf     N shapes of mostly edge records
// Both are zlib-compressed. Colour values are scattered over the whole
// colour cube, as in real movies, not counted up.
#include "core/file.h"
#include "testkit/bench_movies.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const std::string kind = argc == 4 ? argv[1] : "";
    const long count = argc == 4 ? std::strtol(argv[2], nullptr, 10) : 0;
    if ((kind != "colours" && kind != "edges") || count <= 0 || count > 0xFFFF) {
        std::fprintf(stderr, "usage: %s colours SHAPES OUT.swf | edges SHAPES OUT.swf\n", argv[0]);
        return 2;
    }
    const auto shapes = static_cast<std::uint32_t>(count);
    const auto movie = kind == "colours" ? tintor::BuildManyColoursMovie(shapes) : tintor::BuildEdgeHeavyMovie(shapes);
    if (!tintor::WriteWholeFile(argv[3], movie)) {
        std::fprintf(stderr, "%s: cannot write\n", argv[3]);
        return 1;
    }
    return 0;
}
