// The registry of every real movie against the colours that an independent
// SWF parser finds under the same collection rule (expected.json), for the
// classic and the extended rule.
#include "support/corpus.h"
#include "support/tag_headers.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>

namespace tintor {
namespace {

using ColourCounts = std::map<std::string, std::size_t>;

const nlohmann::json& Expected()
{
    static const nlohmann::json expected = [] {
        std::ifstream in(test::CorpusDir() / "expected.json");
        return in ? nlohmann::json::parse(in) : nlohmann::json::object();
    }();
    return expected;
}

std::string KeyText(ColorKey key)
{
    const char* kind = "?";
    switch (key & kKindMask) {
    case KIND_BG:
        kind = "BG";
        break;
    case KIND_FILL:
        kind = "FILL";
        break;
    case KIND_LINE:
        kind = "LINE";
        break;
    case KIND_TEXT:
        kind = "TEXT";
        break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%s #%02x%02x%02x", kind, key & 0xFF, (key >> 8) & 0xFF, (key >> 16) & 0xFF);
    return text;
}

// The colour records of the kinds the independent parser knows: filter
// colours, tints, HTML text and script colours, which it does not collect,
// are left out here and checked on their own.
ColourCounts RegistryCounts(const CSwfFile& movie)
{
    ColourCounts counts;
    movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        if ((key & (KIND_FILTER | KIND_TINT)) != 0)
            return;
        const auto n = static_cast<std::size_t>(std::count_if(
            positions.begin(), positions.end(), [&](std::uint32_t p) { return movie.EncodedPlaceAt(p) == nullptr; }));
        if (n != 0)
            counts[KeyText(key)] = n;
    });
    return counts;
}

// The classic rule collects exactly what it always did: none of the later
// kinds, no place stored otherwise than as three bytes.
void ExpectOnlyClassicKinds(const CSwfFile& movie)
{
    EXPECT_TRUE(movie.EncodedPlaces().empty());
    movie.Colors().ForEach([&](ColorKey key, const PositionList&) {
        EXPECT_EQ(key & (KIND_FILTER | KIND_TINT | KIND_SCRIPT), 0u) << std::hex << key;
    });
}

std::string Describe(const ColourCounts& counts)
{
    std::string text;
    for (const auto& [key, n] : counts)
        text += key + ": " + std::to_string(n) + "\n";
    return text;
}

std::uint32_t FileLengthField(std::span<const std::uint8_t> bytes)
{
    return bytes.size() < 8 ? 0 : (bytes[4] | bytes[5] << 8 | bytes[6] << 16 | std::uint32_t{bytes[7]} << 24);
}

using test::MainTags;
using test::TagSpan;

// Loads one corpus movie under one rule and checks it against its entry.
// Every movie either agrees with the independent parser or fails for a
// reason asserted here.
void CheckMovie(const std::string& path, CollectionRule rule)
{
    const bool extended = rule == CollectionRule::Extended;
    SCOPED_TRACE(path + (extended ? " (extended)" : " (classic)"));
    ASSERT_TRUE(Expected().contains(path)) << "no expected entry";
    const nlohmann::json& entry = Expected()[path];
    const std::string source = entry.at("source");
    const auto bytes = test::ReadBytes(test::CorpusDir() / path);
    const std::string signature(bytes.begin(), bytes.begin() + std::min<std::size_t>(3, bytes.size()));

    CRecordingSink messages;
    CSwfFile movie(messages);
    CMemoryInputFile file(bytes, "corpus.swf");
    const bool loaded = movie.Load(file, rule);

    if (signature != "FWS" && signature != "CWS" && signature != "ZWS") {
        // Files that are no movie at all are refused by their header; the
        // independent readers have no answer for them.
        EXPECT_FALSE(loaded);
        EXPECT_EQ(messages.Messages(), std::vector<std::string>{"ERROR: Illegal Header - not a Shockwave Flash File"});
        EXPECT_EQ(source, "none");
        EXPECT_TRUE(movie.Colors().Empty());
        return;
    }
    if (FileLengthField(bytes) < 21) {
        // A length field below the smallest possible movie is refused on
        // purpose, though the independent parser ignores that field.
        EXPECT_FALSE(loaded);
        EXPECT_EQ(messages.Messages(), std::vector<std::string>{"ERROR: file size is too short"});
        EXPECT_TRUE(movie.Colors().Empty());
        return;
    }
    ASSERT_TRUE(loaded) << (messages.Messages().empty() ? "" : messages.Messages().front());
    const ColourCounts actual = RegistryCounts(movie);
    if (!extended)
        ExpectOnlyClassicKinds(movie);

    if (source == "none") {
        // No independent answer exists for these two movies; what the loader
        // does with them is checked against their bytes instead.
        ASSERT_EQ(signature, "FWS");
        const auto tags = MainTags(bytes);
        ASSERT_FALSE(tags.empty());
        if (path.find("bad_swf_tag_past_eof") != std::string::npos) {
            // The last tag claims more bytes than the file has: the walk
            // stops at the buffer's end and keeps what the intact tags hold.
            EXPECT_GT(tags.back().end, bytes.size());
            EXPECT_EQ(tags.back().code, 2);
            EXPECT_EQ(actual.at("BG #ffffff"), 1u);
            movie.Colors().ForEach([&](ColorKey, const PositionList& positions) {
                for (std::uint32_t p : positions)
                    EXPECT_LE(p + 3u, bytes.size());
            });
        } else if (path.find("scene_count_oom") != std::string::npos) {
            // A scene table claiming 2^32 scenes (code 86) defeats the other
            // parser; none of the movie's tags is one whose colours are
            // collected, under either rule, so the registry is empty.
            static const std::set<std::uint16_t> collected = {2, 9, 10, 11, 22, 32, 33, 37, 39, 46, 48, 75, 83, 84};
            bool hasScenes = false;
            for (const TagSpan& tag : tags) {
                EXPECT_FALSE(collected.count(tag.code)) << "tag " << tag.code;
                hasScenes = hasScenes || tag.code == 86;
            }
            EXPECT_TRUE(hasScenes);
            EXPECT_TRUE(actual.empty()) << Describe(actual);
        } else {
            ADD_FAILURE() << "a loadable movie without an independent answer: decide how to check it";
        }
        return;
    }

    // The second reader answered for the LZMA movies, which have no map of
    // their own under the extended rule: nothing in them differs.
    ASSERT_EQ(source, signature == "ZWS" ? "rawcolours" : "oracle");
    const nlohmann::json& map = extended && entry.contains("extended") ? entry.at("extended") : entry.at("colours");
    ColourCounts expected;
    for (const auto& [key, n] : map.items())
        expected[key] = n.get<std::size_t>();
    EXPECT_EQ(actual, expected) << "loader:\n" << Describe(actual) << "independent parser:\n" << Describe(expected);
}

void CheckMovie(const std::string& path)
{
    CheckMovie(path, CollectionRule::Classic);
    CheckMovie(path, CollectionRule::Extended);
}

class CorpusColoursTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusColoursTest, RegistryAgreesWithTheIndependentParser)
{
    if (GetParam() == test::kNoCorpus)
        GTEST_SKIP() << test::NoCorpusMessage();
    CheckMovie(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusColoursTest, ::testing::ValuesIn(test::CorpusParams(test::CorpusMovies())),
    [](const auto& info) { return test::CorpusTestName(info.param) + "_" + std::to_string(info.index); });

TEST(CorpusColours, EveryExpectedEntryIsChecked)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    ASSERT_FALSE(Expected().empty()) << "expected.json not found in " << test::CorpusDir();
    const auto movies = test::CorpusMovies();
    const std::set<std::string> listed(movies.begin(), movies.end());
    for (const auto& [path, entry] : Expected().items()) {
        if (listed.count(path))
            continue;
        // A movie outside the list (its extension spelt in another case, say)
        // is checked here, so no entry goes unchecked.
        ASSERT_TRUE(std::filesystem::exists(test::CorpusDir() / path)) << path;
        CheckMovie(path);
    }
}

} // namespace
} // namespace tintor
