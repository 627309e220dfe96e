// Writes the demonstration movie: tintor-make-sample OUT.swf [--compressed]
#include "core/file.h"
#include "testkit/movie_builder.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.swf [--compressed]\n", argv[0]);
        return 2;
    }
    const bool compressed = argc > 2 && std::strcmp(argv[2], "--compressed") == 0;
    if (!tintor::WriteWholeFile(argv[1], tintor::BuildSampleMovie(compressed))) {
        std::fprintf(stderr, "%s: cannot write\n", argv[1]);
        return 1;
    }
    return 0;
}
