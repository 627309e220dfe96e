// Real movies cut short and with flipped bits: the walk never reads outside
// the buffer (the sanitizer build checks each read), never crashes, and a cut
// never changes what the intact part of the movie registers.
#include "support/corpus.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <map>

namespace tintor {
namespace {

// Shape, morph, line, text, font, button and sound movies of several versions.
const char* const kMovies[] = {
    "ruffle/tests/tests/swfs/from_shumway/3_joystick/test.swf",
    "ruffle/tests/tests/swfs/from_shumway/acid/acid-morph/test.swf",
    "ruffle/tests/tests/swfs/from_shumway/acid/acid-text-5/test.swf",
    "ruffle/tests/tests/swfs/from_shumway/MaskTest-2/test.swf",
    "ruffle/tests/tests/swfs/avm1/movieclip_hittest_shapeflag/test.swf",
    "ruffle/swf/tests/swfs/DefineFont-MX.swf",
    "ruffle/swf/tests/swfs/DefineButton-MX.swf",
    "ruffle/swf/tests/swfs/DefineButtonCxformSound-MX.swf",
    "ruffle/tests/tests/swfs/avm1/clone_sprite_types/test.swf",
    "ruffle/tests/tests/swfs/avm1/movieclip_get_instance_at_depth/test.swf",
    // Later tag versions: DefineShape4, DefineMorphShape2, DefineText2.
    "ruffle/tests/tests/swfs/visual/blend_modes/layer_alpha/test.swf",
    "ruffle/swf/tests/swfs/DefineMorphShape2-GradientFlags.swf",
    "ruffle/swf/tests/swfs/DefineText2-MX.swf",
};

// The movie as a plain one, so that cuts and flips reach the tag readers
// rather than the inflater.
std::vector<std::uint8_t> PlainMovie(const std::string& path)
{
    auto bytes = test::ReadBytes(test::CorpusDir() / path);
    if (bytes.size() < 8 || bytes[0] != 'C')
        return bytes;
    std::vector<std::uint8_t> plain(8);
    std::copy(bytes.begin(), bytes.begin() + 8, plain.begin());
    plain[0] = 'F';
    std::vector<std::uint8_t> chunk(1 << 16);
    z_stream zs{};
    inflateInit(&zs);
    zs.next_in = bytes.data() + 8;
    zs.avail_in = static_cast<uInt>(bytes.size() - 8);
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = chunk.data();
        zs.avail_out = static_cast<uInt>(chunk.size());
        rc = inflate(&zs, Z_NO_FLUSH);
        plain.insert(plain.end(), chunk.begin(), chunk.end() - zs.avail_out);
    }
    inflateEnd(&zs);
    return plain;
}

void SetFileLength(std::vector<std::uint8_t>& movie)
{
    const auto n = static_cast<std::uint32_t>(movie.size());
    for (int i = 0; i < 4; ++i)
        movie[4 + i] = static_cast<std::uint8_t>(n >> (8 * i));
}

using Registry = std::map<ColorKey, PositionList>;

Registry Walk(const std::vector<std::uint8_t>& movie, bool& loaded)
{
    CRecordingSink messages;
    CSwfFile swf(messages);
    CMemoryInputFile file(movie, "mutant.swf");
    loaded = swf.Load(file);
    Registry registry;
    swf.Colors().ForEach([&](ColorKey key, const PositionList& positions) { registry[key] = positions; });
    return registry;
}

void ExpectInside(const Registry& registry, std::size_t size)
{
    for (const auto& [key, positions] : registry)
        for (std::uint32_t p : positions)
            ASSERT_LE(std::size_t{p} + 3, size) << std::hex << key;
}

class CorpusMutationTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (GetParam() == test::kNoCorpus)
            GTEST_SKIP() << test::NoCorpusMessage();
    }
};

TEST_P(CorpusMutationTest, CutsRegisterAPrefixOfTheWholeMoviesColours)
{
    auto movie = PlainMovie(GetParam());
    ASSERT_GT(movie.size(), 21u);
    SetFileLength(movie);
    bool loaded = false;
    const Registry whole = Walk(movie, loaded);
    ASSERT_TRUE(loaded);
    ASSERT_FALSE(whole.empty());

    // Every length for small movies, some 1500 lengths for larger ones.
    const std::size_t step = std::max<std::size_t>(1, movie.size() / 1500);
    for (std::size_t cut = 21; cut < movie.size(); cut += step) {
        std::vector<std::uint8_t> part(movie.begin(), movie.begin() + static_cast<std::ptrdiff_t>(cut));
        SetFileLength(part);
        const Registry registry = Walk(part, loaded);
        ASSERT_TRUE(loaded) << cut;
        ExpectInside(registry, cut);
        // Up to the cut the readers see the same bytes, and past it only
        // zeros, which register nothing: what is found is what the whole
        // movie registers first.
        for (const auto& [key, positions] : registry) {
            const auto it = whole.find(key);
            ASSERT_NE(it, whole.end()) << std::hex << key << " at cut " << std::dec << cut;
            ASSERT_LE(positions.size(), it->second.size()) << cut;
            ASSERT_TRUE(std::equal(positions.begin(), positions.end(), it->second.begin()))
                << std::hex << key << " at cut " << std::dec << cut;
        }
    }
}

TEST_P(CorpusMutationTest, FlippedBitsNeverLeadOutsideTheBuffer)
{
    auto movie = PlainMovie(GetParam());
    ASSERT_GT(movie.size(), 21u);
    SetFileLength(movie);
    std::uint32_t state = 2024;
    auto random = [&](std::uint32_t bound) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state % bound;
    };
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> mutant = movie;
        const int flips = 1 + static_cast<int>(random(4));
        for (int i = 0; i < flips; ++i) {
            const std::size_t at = 8 + random(static_cast<std::uint32_t>(mutant.size() - 8));
            mutant[at] ^= static_cast<std::uint8_t>(1u << random(8));
        }
        bool loaded = false;
        const Registry registry = Walk(mutant, loaded);
        ASSERT_TRUE(loaded) << round;
        ExpectInside(registry, mutant.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusMutationTest,
    ::testing::ValuesIn(test::CorpusParams({std::begin(kMovies), std::end(kMovies)})),
    [](const auto& info) { return test::CorpusTestName(info.param); });

} // namespace
} // namespace tintor
