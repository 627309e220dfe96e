// Reading movie files into the buffer and writing them back.
#include "swf/swf_deflate.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>

namespace tintor {
namespace {

std::vector<std::uint8_t> Header(const char* sig, std::uint32_t length, std::uint8_t version = 6)
{
    return {static_cast<std::uint8_t>(sig[0]), static_cast<std::uint8_t>(sig[1]), static_cast<std::uint8_t>(sig[2]),
        version, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
        static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
}

class ContainerTest : public ::testing::Test {
protected:
    bool Load(std::vector<std::uint8_t> bytes, std::string name = "movie.swf")
    {
        CMemoryInputFile file(std::move(bytes), std::move(name));
        return m_movie.Load(file);
    }
    std::vector<std::uint8_t> Saved()
    {
        CMemoryOutputFile out;
        EXPECT_TRUE(m_movie.Save(out));
        return out.Bytes();
    }
    std::vector<std::string> Messages() const { return m_messages.Messages(); }

    CRecordingSink m_messages;
    CSwfFile m_movie{m_messages};
};

TEST_F(ContainerTest, HeaderFaultsAreReportedAndNothingIsHeld)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{'F', 'W', 'S', 6, 21, 0, 0}, "ERROR: Can't read the header of file"},
        {Header("fws", 100), "ERROR: Illegal Header - not a Shockwave Flash File"},
        {Header("FWX", 100), "ERROR: Illegal Header - not a Shockwave Flash File"},
        {Header("CWT", 100), "ERROR: Illegal Header - not a Shockwave Flash File"},
        {Header("zws", 100), "ERROR: Illegal Header - not a Shockwave Flash File"},
        {Header("FWS", 20), "ERROR: file size is too short"},
        {Header("ZWS", 20), "ERROR: file size is too short"},
        {Header("FWS", 100), "ERROR: Can't read the body of file"},
        {Header("FWS", 0xFFFFFFFF), "ERROR: Can't read the body of file"},
        {Header("CWS", 0xFFFFFFFF), "ERROR: Can't read the body of file"},
        {Header("ZWS", 100), "ERROR: Can't read the body of file"},
        {Header("ZWS", 0xFFFFFFFF), "ERROR: Can't read the body of file"},
    };
    for (const Case& c : cases) {
        m_messages.Clear();
        EXPECT_FALSE(Load(c.bytes)) << c.message;
        EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
        EXPECT_FALSE(m_movie.HasMovie());
        EXPECT_TRUE(m_movie.Colors().Empty());
    }
}

TEST_F(ContainerTest, SmallestLengthAndAnyVersionAreAccepted)
{
    // 8 header bytes, a 1-byte empty RECT, rate, count, End tag, padding: 21 bytes.
    std::vector<std::uint8_t> movie = Header("FWS", 21, 0);
    const std::uint8_t body[] = {0x00, 0, 12, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    movie.insert(movie.end(), std::begin(body), std::end(body));
    EXPECT_TRUE(Load(movie));
    movie[3] = 255;
    EXPECT_TRUE(Load(movie));
    EXPECT_EQ(m_movie.Version(), 255);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ContainerTest, CompressedMovieSavesCompressedWithTheSameContent)
{
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0x00, 0x00};
    builder.AddTag(9, red);
    const auto plain = builder.Build(false);
    ASSERT_TRUE(Load(builder.Build(true)));
    EXPECT_TRUE(m_movie.IsCompressed());
    // The buffer keeps the 'C' header and holds the inflated body.
    EXPECT_EQ(m_movie.Buffer()[0], 'C');
    EXPECT_TRUE(std::equal(plain.begin() + 8, plain.end(), m_movie.Buffer().begin() + 8));

    const auto saved = Saved();
    CSwfFile again(m_messages);
    CMemoryInputFile in(saved, "again.swf");
    ASSERT_TRUE(again.Load(in));
    EXPECT_TRUE(again.IsCompressed());
    EXPECT_TRUE(
        std::equal(again.Buffer().begin(), again.Buffer().end(), m_movie.Buffer().begin(), m_movie.Buffer().end()));
}

TEST_F(ContainerTest, CompressedBodyOneByteShortFails)
{
    CMovieBuilder builder;
    auto movie = builder.Build(false);
    const std::uint32_t length = static_cast<std::uint32_t>(movie.size());
    // Claim one byte more than the stream inflates to.
    auto compressed = builder.Build(true, true, length + 1);
    EXPECT_FALSE(Load(compressed));
    EXPECT_EQ(Messages(), std::vector<std::string>{"ERROR: Can't read the body of file"});
    // And one byte less than it inflates to.
    m_messages.Clear();
    EXPECT_FALSE(Load(builder.Build(true, true, length - 1)));
    EXPECT_FALSE(m_movie.HasMovie());
}

TEST_F(ContainerTest, CompressedStreamLongerThanFileLengthLoads)
{
    // Incompressible content makes the zlib stream longer than what it inflates to.
    CMovieBuilder builder;
    std::vector<std::uint8_t> noise(5000);
    std::uint32_t x = 12345;
    for (auto& b : noise) {
        x = x * 1103515245 + 12345;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    builder.AddTag(6, noise);
    const auto plain = builder.Build(false);
    const auto compressed = builder.Build(true);
    ASSERT_GT(compressed.size(), plain.size());
    ASSERT_TRUE(Load(compressed));
    EXPECT_EQ(m_movie.FileSize(), plain.size());
}

// Noise that no compressor shrinks, from a fixed seed.
std::vector<std::uint8_t> Noise(std::size_t size, std::uint32_t seed)
{
    std::vector<std::uint8_t> noise(size);
    for (auto& b : noise) {
        seed = seed * 1103515245 + 12345;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return noise;
}

// zlib's own inflate of a whole stream; nullopt unless it ends where the
// bytes do.
std::optional<std::vector<std::uint8_t>> ZlibInflate(std::span<const std::uint8_t> stream, std::size_t size)
{
    std::vector<std::uint8_t> out(size);
    uLongf length = out.size();
    uLong used = stream.size();
    if (uncompress2(out.data(), &length, stream.data(), &used) != Z_OK || used != stream.size())
        return std::nullopt;
    out.resize(length);
    return out;
}

// A zlib stream of the body as no common encoder makes one: behind
// enough empty stored blocks to be longer than any encoder's stream of it,
// the body in stored blocks.
std::vector<std::uint8_t> PaddedStream(std::span<const std::uint8_t> body, std::size_t emptyBlocks)
{
    std::vector<std::uint8_t> stream = {0x78, 0x01};
    for (std::size_t i = 0; i < emptyBlocks; ++i)
        stream.insert(stream.end(), {0x00, 0x00, 0x00, 0xFF, 0xFF});
    for (std::size_t at = 0; at < body.size();) {
        const std::size_t n = std::min<std::size_t>(body.size() - at, 0xFFFF);
        const bool last = at + n == body.size();
        stream.insert(stream.end(),
            {static_cast<std::uint8_t>(last), static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
        stream.insert(stream.end(), body.begin() + static_cast<std::ptrdiff_t>(at),
            body.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    const uLong check = adler32(adler32(0, nullptr, 0), body.data(), static_cast<uInt>(body.size()));
    for (int shift = 24; shift >= 0; shift -= 8)
        stream.push_back(static_cast<std::uint8_t>(check >> shift));
    return stream;
}

TEST_F(ContainerTest, SavedStreamsInflateInZlibToTheBody)
{
    // Both sides of the size below which zlib itself deflates, and bodies
    // that the fast level leaves as they are (noise) or shrinks (repeats),
    // which the deeper level is then tried on.
    std::vector<std::uint8_t> repeats;
    for (std::size_t i = 0; repeats.size() < (300 << 10); ++i)
        repeats.insert(repeats.end(), {0x3F, 0x03, static_cast<std::uint8_t>(i % 7), 0x10, 0x20, 0xFF, 0x00});
    const std::uint8_t header[] = {'C', 'W', 'S', 10, 0, 0, 0, 0};
    const std::uint8_t trailer[] = {9, 8, 7};
    for (const std::size_t size :
        {std::size_t{100}, (std::size_t{64} << 10) - 1, std::size_t{64} << 10, std::size_t{300} << 10}) {
        for (const bool noise : {true, false}) {
            SCOPED_TRACE(std::to_string(size) + (noise ? " noise" : " repeats"));
            const auto body = noise
                ? Noise(size, 11)
                : std::vector<std::uint8_t>(repeats.begin(), repeats.begin() + static_cast<std::ptrdiff_t>(size));
            const auto file = DeflateZlibMovie(header, body, trailer);
            ASSERT_TRUE(file.has_value());
            ASSERT_GT(file->size(), 8u + 3u);
            EXPECT_TRUE(std::equal(std::begin(header), std::end(header), file->begin()));
            EXPECT_TRUE(std::equal(std::begin(trailer), std::end(trailer), file->end() - 3));
            EXPECT_EQ(ZlibInflate(std::span(*file).subspan(8, file->size() - 11), size), body);
        }
    }
}

// A plain movie as a ZWS one, encoded here rather than by the program: with
// the given dictionary, and with or without the stream's end marker.
std::vector<std::uint8_t> ToLzma(std::vector<std::uint8_t> movie, std::uint32_t dictionary, bool endMarker)
{
    lzma_options_lzma options{};
    lzma_lzma_preset(&options, 1);
    options.dict_size = dictionary;
    options.ext_flags = endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::vector<std::uint8_t> out(movie.size() + movie.size() / 8 + 100);
    std::uint8_t properties[5];
    lzma_stream zs = LZMA_STREAM_INIT;
    if (lzma_properties_encode(&filters[0], properties) != LZMA_OK || lzma_raw_encoder(&zs, filters) != LZMA_OK)
        return {};
    zs.next_in = movie.data() + 8;
    zs.avail_in = movie.size() - 8;
    zs.next_out = out.data();
    zs.avail_out = out.size();
    const lzma_ret rc = lzma_code(&zs, LZMA_FINISH);
    out.resize(zs.total_out);
    lzma_end(&zs);
    if (rc != LZMA_STREAM_END)
        return {};
    const auto length = static_cast<std::uint32_t>(out.size());
    movie.resize(8);
    movie[0] = 'Z';
    for (int i = 0; i < 4; ++i)
        movie.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    movie.insert(movie.end(), properties, properties + 5);
    movie.insert(movie.end(), out.begin(), out.end());
    return movie;
}

TEST_F(ContainerTest, LzmaStreamsLoadOnlyWhenTheyYieldTheWholeBodyAndSaveAsLzma)
{
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0x00, 0x00};
    builder.AddTag(9, red);
    builder.AddTag(6, Noise(3000, 9));
    const auto plain = builder.Build();
    const auto length = static_cast<std::uint32_t>(plain.size());
    const auto good = builder.BuildLzma();
    auto impossible = good;
    impossible[12] = 0xFF; // lc, lp and pb out of range
    auto hugeDictionary = good;
    std::fill(hugeDictionary.begin() + 13, hugeDictionary.begin() + 17, 0xFF);
    auto lyingLength = good;
    lyingLength[8] ^= 0x10; // the stated stream length is not needed
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool loads;
    };
    const std::vector<Case> cases = {
        {"as saved", good, true},
        {"without end marker", ToLzma(plain, 1 << 16, false), true},
        {"dictionary stated as 4 GiB", hugeDictionary, true},
        {"stream length field wrong", lyingLength, true},
        {"FileLength one byte more", builder.BuildLzma(length + 1), false},
        {"FileLength one byte less", builder.BuildLzma(length - 1), false},
        {"FileLength far more", builder.BuildLzma(0xFFFFFFF0), false},
        {"end marker before the end", ToLzma(builder.Build(false, true, length + 1), 1 << 16, true), false},
        {"stream cut short", {good.begin(), good.end() - 20}, false},
        {"no stream", {good.begin(), good.begin() + 17}, false},
        {"properties cut short", {good.begin(), good.begin() + 14}, false},
        {"impossible properties", impossible, false},
    };
    for (const Case& c : cases) {
        m_messages.Clear();
        EXPECT_EQ(Load(c.bytes), c.loads) << c.name;
        if (c.loads) {
            EXPECT_TRUE(Messages().empty()) << c.name;
            EXPECT_EQ(m_movie.Colors().Size(), 1u) << c.name;
            // Saved as LZMA with the header as loaded and the new stream's
            // length after it; it loads again with the same content.
            const auto saved = Saved();
            ASSERT_GE(saved.size(), 17u) << c.name;
            EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.begin() + 8, saved.begin())) << c.name;
            EXPECT_EQ(saved[8] | saved[9] << 8 | saved[10] << 16 | std::uint32_t{saved[11]} << 24, saved.size() - 17);
            ASSERT_TRUE(Load(saved)) << c.name;
            EXPECT_TRUE(
                std::equal(plain.begin() + 8, plain.end(), m_movie.Buffer().begin() + 8, m_movie.Buffer().end()))
                << c.name;
        } else {
            EXPECT_EQ(Messages(), std::vector<std::string>{"ERROR: Can't read the body of file"}) << c.name;
            EXPECT_FALSE(m_movie.HasMovie()) << c.name;
        }
    }
}

TEST_F(ContainerTest, LzmaStreamReachingFurtherBackThanTheFirstDictionaryLoads)
{
    // 1.25 MiB of noise and then its first 64 KiB again: the repeat lies
    // further back than the dictionary the loader starts with holds.
    const auto noise = Noise(5 << 18, 3);
    CMovieBuilder builder;
    builder.AddTag(6, noise, true);
    builder.AddTag(6, std::vector<std::uint8_t>(noise.begin(), noise.begin() + (1 << 16)), true);
    const auto plain = builder.Build();
    ASSERT_TRUE(Load(ToLzma(plain, 2 << 20, true)));
    EXPECT_TRUE(std::equal(plain.begin() + 8, plain.end(), m_movie.Buffer().begin() + 8, m_movie.Buffer().end()));
}

TEST_F(ContainerTest, BytesAfterTheMovieAreKeptAndSavedAfterIt)
{
    CMovieBuilder builder;
    const std::uint8_t white[] = {0xFF, 0xFF, 0xFF};
    builder.AddTag(9, white);
    // After a plain movie's FileLength bytes, or after a compressed stream;
    // the second trailer looks like a zlib stream, which must not be read as one.
    const std::vector<std::uint8_t> trailers[] = {{1, 2, 3, 4}, {0x78, 0x9C, 0x03, 0x00}};
    for (const auto& trailer : trailers) {
        for (const auto& plain :
            {builder.Build(), builder.Build(true), builder.BuildLzma(), ToLzma(builder.Build(), 1 << 16, false)}) {
            SCOPED_TRACE(std::string(plain.begin(), plain.begin() + 3));
            auto movie = plain;
            movie.insert(movie.end(), trailer.begin(), trailer.end());
            ASSERT_TRUE(Load(movie));
            EXPECT_EQ(m_movie.FileSize(), builder.Build().size());
            EXPECT_EQ(std::vector<std::uint8_t>(m_movie.Trailer().begin(), m_movie.Trailer().end()), trailer);
            const auto saved = Saved();
            if (!m_movie.IsCompressed()) {
                EXPECT_EQ(saved, movie);
            }
            // Compressed again, the same content and the same bytes after it.
            const auto content = std::vector<std::uint8_t>(m_movie.Buffer().begin(), m_movie.Buffer().end());
            ASSERT_TRUE(Load(saved));
            EXPECT_TRUE(std::equal(content.begin(), content.end(), m_movie.Buffer().begin(), m_movie.Buffer().end()));
            EXPECT_TRUE(std::equal(saved.end() - 4, saved.end(), trailer.begin()));
        }
    }
}

TEST_F(ContainerTest, EveryMovieIsSavedInOneWrite)
{
    // Only bytes after a plain movie take a second write, rather than a
    // copy of the whole movie.
    CMovieBuilder builder;
    const std::uint8_t trailer[] = {1, 2, 3};
    for (const auto& movie : {builder.Build(), builder.Build(true), builder.BuildLzma()}) {
        for (const bool withTrailer : {false, true}) {
            auto bytes = movie;
            if (withTrailer)
                bytes.insert(bytes.end(), std::begin(trailer), std::end(trailer));
            ASSERT_TRUE(Load(bytes));
            CMemoryOutputFile out;
            ASSERT_TRUE(m_movie.Save(out));
            EXPECT_EQ(out.Writes(), withTrailer && !m_movie.IsCompressed() ? 2u : 1u) << movie[0] << withTrailer;
        }
    }
}

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

TEST_F(ContainerTest, ZlibDecidesWhereLibdeflateFails)
{
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0x00, 0x00};
    builder.AddTag(9, red);
    builder.AddTag(6, Noise(2000, 5));
    const auto plain = builder.Build();
    const auto compressed = builder.Build(true);
    const auto length = static_cast<std::uint32_t>(plain.size());
    const auto withStream = [&](const std::vector<std::uint8_t>& stream) {
        std::vector<std::uint8_t> movie(compressed.begin(), compressed.begin() + 8);
        movie.insert(movie.end(), stream.begin(), stream.end());
        return movie;
    };
    auto damaged = compressed;
    damaged[damaged.size() - 2] ^= 0x40; // the checksum
    auto trailing = compressed;
    trailing.insert(trailing.end(), {1, 2, 3});
    struct Case {
        const char* name;
        std::vector<std::uint8_t> movie;
        // What libdeflate makes of the whole stream, and the loader.
        bool libdeflateLoads;
        bool loads;
        std::vector<std::uint8_t> after;
    };
    const std::vector<Case> cases = {
        {"as made", compressed, true, true, {}},
        {"bytes after the stream", trailing, true, true, {1, 2, 3}},
        {"FileLength one more", builder.Build(true, true, length + 1), false, false, {}},
        {"FileLength one less", builder.Build(true, true, length - 1), false, false, {}},
        {"cut short", std::vector<std::uint8_t>(compressed.begin(), compressed.end() - 7), false, false, {}},
        {"checksum damaged", damaged, false, false, {}},
        // Longer than any encoder makes a stream of the body: libdeflate is
        // not handed all of it, zlib reads on.
        {"padded", withStream(PaddedStream(std::span(plain).subspan(8), 14000)), true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint32_t fileLength = c.movie[4] | c.movie[5] << 8 | c.movie[6] << 16 | c.movie[7] << 24;
        std::vector<std::uint8_t> body(fileLength - 8);
        const auto used = InflateWhole(std::span(c.movie).subspan(8), body);
        EXPECT_EQ(used.has_value(), c.libdeflateLoads);
        if (used) {
            EXPECT_TRUE(std::equal(body.begin(), body.end(), plain.begin() + 8, plain.end()));
            EXPECT_EQ(*used, c.movie.size() - 8 - c.after.size());
        }
        // The loader gives what zlib alone gives, from a file or a pipe.
        for (const bool throughPipe : {false, true}) {
            m_messages.Clear();
            CMemoryInputFile file(c.movie, "movie.swf");
            CStreamInput pipe(c.movie);
            ASSERT_EQ(throughPipe ? m_movie.Load(pipe) : m_movie.Load(file), c.loads);
            if (!c.loads) {
                EXPECT_EQ(Messages(), std::vector<std::string>{"ERROR: Can't read the body of file"});
                continue;
            }
            EXPECT_TRUE(
                std::equal(m_movie.Buffer().begin() + 8, m_movie.Buffer().end(), plain.begin() + 8, plain.end()));
            EXPECT_EQ(std::vector<std::uint8_t>(m_movie.Trailer().begin(), m_movie.Trailer().end()), c.after);
        }
    }
}

// Runs body in a child process that may use headroom bytes of address space
// beyond what it holds already; the child's exit status, or 128 + the
// signal that ended it.
int RunUnderMemoryLimit(std::size_t headroom, const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + headroom;
        const rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_AS, &rl);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A compressed movie whose body is size zero bytes (an empty frame, then an
// End tag), deflated piece by piece so that making it costs little memory.
std::vector<std::uint8_t> ZerosMovie(std::uint32_t size)
{
    std::vector<std::uint8_t> movie = Header("CWS", size + 8);
    z_stream zs{};
    deflateInit(&zs, 1);
    std::vector<std::uint8_t> zeros(1 << 20), out(1 << 20);
    for (std::size_t left = size; zs.avail_out == 0 || left > 0;) {
        zs.next_in = zeros.data();
        zs.avail_in = static_cast<uInt>(std::min(left, zeros.size()));
        left -= zs.avail_in;
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        deflate(&zs, left == 0 ? Z_FINISH : Z_NO_FLUSH);
        movie.insert(movie.end(), out.data(), zs.next_out);
    }
    deflateEnd(&zs);
    return movie;
}

TEST_F(ContainerTest, MemoryFollowsWhatArrivesUnderALimit)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
    constexpr std::size_t kMiB = 1 << 20;
    CMovieBuilder noisy;
    noisy.AddTag(6, Noise(3 * kMiB, 7), true);
    auto shortPlain = Header("FWS", 0xFFFFFFFF);
    shortPlain.resize(108);
    const auto large = ZerosMovie(256 * kMiB);
    const char* const body = "ERROR: Can't read the body of file";
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool throughPipe;
        const char* message;
    };
    const std::vector<Case> cases = {
        // 3 MB that does not deflate, claiming 4 GiB: no more than the data is allocated.
        {"compressed, lying", noisy.Build(true, true, 0xFFFFFFFF), false, body},
        {"compressed, lying, through a pipe", noisy.Build(true, true, 0xFFFFFFFF), true, body},
        {"LZMA, lying, through a pipe", noisy.BuildLzma(0xFFFFFFFF), true, body},
        {"plain 108 bytes claiming 4 GiB, through a pipe", shortPlain, true, body},
        // A true body of 256 MB where only 128 MB are to be had.
        {"compressed, too large for the memory", large, false, "ERROR: not enough memory for the movie"},
    };
    for (const Case& c : cases) {
        const int status = RunUnderMemoryLimit(128 * kMiB, [&] {
            CMemoryInputFile file(c.bytes, "movie.swf");
            CStreamInput pipe(c.bytes);
            const bool loaded = c.throughPipe ? m_movie.Load(pipe) : m_movie.Load(file);
            return !loaded && !m_movie.HasMovie() && Messages() == std::vector<std::string>{c.message} ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << c.name;
    }
    // Given the room, the large one loads.
    EXPECT_EQ(RunUnderMemoryLimit(1024 * kMiB, [&] { return Load(large) ? 0 : 1; }), 0);
    // A body just past a doubling step needs less than twice its size while
    // it grows: 130 MB load where 256 MB are to be had.
    const auto justPast = ZerosMovie(130 * kMiB);
    EXPECT_EQ(RunUnderMemoryLimit(256 * kMiB, [&] { return Load(justPast) ? 0 : 1; }), 0);
}

TEST_F(ContainerTest, TitleIsTheFileNameUpToTheFirstDot)
{
    CMovieBuilder builder;
    ASSERT_TRUE(Load(builder.Build(), "intro.final.swf"));
    EXPECT_EQ(m_movie.Title(), "intro");
}

TEST_F(ContainerTest, SecondLoadReleasesTheFirstMovieEvenWhenItFails)
{
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0x00, 0x00};
    builder.AddTag(9, red);
    ASSERT_TRUE(Load(builder.Build(), "first.swf"));
    ASSERT_EQ(m_movie.Colors().Size(), 1u);
    EXPECT_FALSE(Load(Header("FWS", 5000), "second.swf"));
    EXPECT_FALSE(m_movie.HasMovie());
    EXPECT_TRUE(m_movie.Colors().Empty());
    EXPECT_EQ(m_movie.Title(), "");
}

TEST_F(ContainerTest, SaveWithoutAMovieWritesNothing)
{
    CMemoryOutputFile out;
    EXPECT_FALSE(m_movie.Save(out));
    EXPECT_TRUE(out.Bytes().empty());
    EXPECT_EQ(Messages(), std::vector<std::string>{"ERROR: m_fileBuf is empty."});
}

TEST_F(ContainerTest, FailedWriteIsAFailedSave)
{
    CMovieBuilder builder;
    ASSERT_TRUE(Load(builder.Build()));
    CMemoryOutputFile full(5);
    EXPECT_FALSE(m_movie.Save(full));
    ASSERT_TRUE(Load(builder.Build(true)));
    CMemoryOutputFile fullToo(10);
    EXPECT_FALSE(m_movie.Save(fullToo));
}

} // namespace
} // namespace tintor
