// The baselines of the whole-process benchmark, a library alone on a
// compressed movie:
//   tintor-bench-zlib inflate MOVIE          read it and inflate its body with zlib
//   tintor-bench-zlib libdeflate MOVIE       the same with libdeflate
//   tintor-bench-zlib recompress MOVIE OUT   zlib's inflate, then a deflate of the
//                                            body at level 6, header and body
//                                            written and flushed to the disk
#include <libdeflate.h>
#include <zlib.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::vector<unsigned char> ReadAll(const char* path)
{
    std::vector<unsigned char> bytes;
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr)
        return bytes;
    unsigned char chunk[1 << 16];
    while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, f))
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const bool recompress = argc == 4 && std::strcmp(argv[1], "recompress") == 0;
    const bool libdeflate = argc == 3 && std::strcmp(argv[1], "libdeflate") == 0;
    if (!recompress && !libdeflate && !(argc == 3 && std::strcmp(argv[1], "inflate") == 0)) {
        std::fprintf(stderr, "usage: %s inflate MOVIE | libdeflate MOVIE | recompress MOVIE OUT\n", argv[0]);
        return 2;
    }
    const std::vector<unsigned char> movie = ReadAll(argv[2]);
    if (movie.size() < 8 || movie[0] != 'C') {
        std::fprintf(stderr, "%s: not a zlib-compressed movie\n", argv[2]);
        return 1;
    }
    const uLong fileLength = movie[4] | movie[5] << 8 | movie[6] << 16 | static_cast<uLong>(movie[7]) << 24;
    std::vector<unsigned char> body(fileLength > 8 ? fileLength - 8 : 0);
    if (libdeflate) {
        libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
        const bool ok = inflater != nullptr
            && libdeflate_zlib_decompress(
                   inflater, movie.data() + 8, movie.size() - 8, body.data(), body.size(), nullptr)
                == LIBDEFLATE_SUCCESS;
        libdeflate_free_decompressor(inflater);
        return ok ? 0 : 1;
    }
    uLongf length = body.size();
    if (uncompress(body.data(), &length, movie.data() + 8, movie.size() - 8) != Z_OK)
        return 1;
    if (!recompress)
        return 0;
    std::vector<unsigned char> out(8 + compressBound(length));
    std::memcpy(out.data(), movie.data(), 8);
    uLongf deflated = out.size() - 8;
    if (compress2(out.data() + 8, &deflated, body.data(), length, 6) != Z_OK)
        return 1;
    // A new file, as a save makes one, rather than one truncated in place.
    std::remove(argv[3]);
    std::FILE* f = std::fopen(argv[3], "wb");
    if (f == nullptr)
        return 1;
    // As a saved movie is: on the disk before it counts as written.
    const bool written = std::fwrite(out.data(), 1, 8 + deflated, f) == 8 + deflated && std::fflush(f) == 0
        && ::fsync(::fileno(f)) == 0;
    return std::fclose(f) == 0 && written ? 0 : 1;
}
