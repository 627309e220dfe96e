// Loading under a memory limit: what a load allocates follows what the file
// really holds, whatever its header claims, and a movie that needs more
// than there is fails with a message instead of ending the process.
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>

namespace tintor {
namespace {

constexpr std::uint32_t kClaims4GiB = 0xFFFFFFFF;
constexpr std::size_t kMiB = std::size_t{1} << 20;

// Bytes that arrive as through a pipe: the length is not known beforehand.
class CStreamInput final : public IInputFile {
public:
    explicit CStreamInput(std::vector<std::uint8_t> bytes) : m_file(std::move(bytes), "pipe.swf") {}
    std::size_t Read(std::span<std::uint8_t> dest) override { return m_file.Read(dest); }
    std::optional<std::uint64_t> Remaining() const override { return std::nullopt; }
    std::string GetFileName() const override { return m_file.GetFileName(); }

private:
    CMemoryInputFile m_file;
};

std::size_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Runs body in a child process that may use headroom bytes of address space
// beyond what it holds already; the child's exit status, or 128 + the
// signal that ended it.
int RunUnderMemoryLimit(std::size_t headroom, const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlim_t limit = AddressSpaceInUse() + headroom;
        const rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_AS, &rl);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A compressed movie whose body is size zero bytes (a valid movie: an empty
// frame, then an End tag), deflated piece by piece so that making it costs
// little memory.
std::vector<std::uint8_t> ZerosMovie(std::size_t size)
{
    const std::uint32_t length = static_cast<std::uint32_t>(size + 8);
    std::vector<std::uint8_t> movie
        = {'C', 'W', 'S', 6, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
    z_stream zs{};
    deflateInit(&zs, 1);
    const std::vector<std::uint8_t> zeros(kMiB);
    std::vector<std::uint8_t> out(kMiB);
    for (std::size_t left = size;;) {
        const std::size_t n = std::min(left, zeros.size());
        left -= n;
        zs.next_in = const_cast<std::uint8_t*>(zeros.data());
        zs.avail_in = static_cast<uInt>(n);
        do {
            zs.next_out = out.data();
            zs.avail_out = static_cast<uInt>(out.size());
            deflate(&zs, left == 0 ? Z_FINISH : Z_NO_FLUSH);
            movie.insert(movie.end(), out.data(), zs.next_out);
        } while (zs.avail_out == 0);
        if (left == 0)
            break;
    }
    deflateEnd(&zs);
    return movie;
}

std::vector<std::uint8_t> Noise(std::size_t size)
{
    std::vector<std::uint8_t> noise(size);
    std::uint32_t seed = 7;
    for (auto& b : noise) {
        seed = seed * 1103515245 + 12345;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return noise;
}

TEST(LoadMemoryTest, MemoryFollowsWhatArrivesUnderALimit)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
    CMovieBuilder noisy;
    noisy.AddTag(6, Noise(3 * kMiB), true);
    const std::vector<std::uint8_t> fakeHeader = {'F', 'W', 'S', 6, 0xFF, 0xFF, 0xFF, 0xFF};
    std::vector<std::uint8_t> shortPlain = fakeHeader;
    shortPlain.resize(108);
    const auto large = ZerosMovie(256 * kMiB);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool throughPipe;
        const char* message;
    };
    const std::vector<Case> cases = {
        // 3 MB that does not deflate claiming 4 GiB: no more than the data is allocated.
        {"compressed, lying", noisy.Build(true, true, kClaims4GiB), false, "ERROR: Can't read the body of file"},
        {"compressed, lying, through a pipe", noisy.Build(true, true, kClaims4GiB), true,
            "ERROR: Can't read the body of file"},
        {"LZMA, lying, through a pipe", noisy.BuildLzma(kClaims4GiB), true, "ERROR: Can't read the body of file"},
        {"plain 108 bytes claiming 4 GiB through a pipe", shortPlain, true, "ERROR: Can't read the body of file"},
        // A true body of 256 MB where only 128 MB are to be had.
        {"compressed, too large for the memory", large, false, "ERROR: not enough memory for the movie"},
    };
    for (const Case& c : cases) {
        const int status = RunUnderMemoryLimit(128 * kMiB, [&] {
            CRecordingSink messages;
            CSwfFile movie(messages);
            CMemoryInputFile file(c.bytes, "movie.swf");
            CStreamInput pipe(c.bytes);
            const bool loaded = c.throughPipe ? movie.Load(pipe) : movie.Load(file);
            if (loaded || movie.HasMovie())
                return 1;
            return messages.Messages() == std::vector<std::string>{c.message} ? 0 : 2;
        });
        EXPECT_EQ(status, 0) << c.name;
    }
    // Given the room, the large one loads.
    const int status = RunUnderMemoryLimit(1024 * kMiB, [&] {
        CRecordingSink messages;
        CSwfFile movie(messages);
        CMemoryInputFile file(large, "movie.swf");
        return movie.Load(file) ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace tintor
