// The tag walk: headers, dispatch, sprites, and the registry it fills.
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

constexpr std::uint8_t kWhite[] = {0xFF, 0xFF, 0xFF};
constexpr std::uint8_t kRed[] = {0xFF, 0x00, 0x00};

class WalkerTest : public ::testing::Test {
protected:
    bool Load(const std::vector<std::uint8_t>& bytes)
    {
        CMemoryInputFile file(bytes, "walk.swf");
        return m_movie.Load(file);
    }
    PositionList PositionsOf(ColorKey key) const { return m_movie.Colors().PositionsOf(key); }
    CRecordingSink m_messages;
    CSwfFile m_movie{m_messages};
};

std::vector<std::uint8_t> Sprite(std::uint16_t id, std::span<const std::uint8_t> tags)
{
    CBitWriter w;
    w.WriteWord(id);
    w.WriteWord(1);
    w.WriteBytes(tags);
    return w.Take();
}

TEST_F(WalkerTest, BackgroundColoursAreRegisteredInFileOrder)
{
    CMovieBuilder b;
    const auto first = b.AddTag(9, kWhite);
    const auto second = b.AddTag(9, kWhite, true);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(m_movie.Colors().Keys(), std::vector<ColorKey>{0x80FFFFFF});
    EXPECT_EQ(PositionsOf(0x80FFFFFF), (PositionList{first, second}));
}

TEST_F(WalkerTest, LongFormHeaderIsReadEvenForShortLengths)
{
    // A long-form header claiming 3 bytes, then code 1 as 0x40 0x00 (ShowFrame, length 0).
    CMovieBuilder b;
    const auto header = b.Offset();
    const auto pos = b.AddTag(9, kRed, true);
    b.AddRaw(std::vector<std::uint8_t>{0x40, 0x00});
    const auto after = b.AddTag(9, kWhite);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(pos, header + 6);
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{pos});
    EXPECT_EQ(PositionsOf(0x80FFFFFF), PositionList{after});
}

TEST_F(WalkerTest, UnknownCodesAreSteppedOverByTheirLength)
{
    CMovieBuilder b;
    b.AddTag(60, std::vector<std::uint8_t>(10, 0x09));
    b.AddTag(1023, std::vector<std::uint8_t>(100, 0x09));
    b.AddTag(33, std::vector<std::uint8_t>{1, 0, 0x09, 0x09}); // DefineText2 is not collected
    const auto pos = b.AddTag(9, kRed);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(m_movie.Colors().Keys(), std::vector<ColorKey>{0x800000FF});
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{pos});
}

TEST_F(WalkerTest, ABackgroundTagTooShortForItsColourRegistersNothing)
{
    CMovieBuilder b;
    b.AddTag(9, std::vector<std::uint8_t>{0xFF, 0x00});
    const auto pos = b.AddTag(9, kRed);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(m_movie.Colors().Keys(), std::vector<ColorKey>{0x800000FF});
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{pos});
}

TEST_F(WalkerTest, SpriteColoursShareKeysWithTheMainTimelineInWalkOrder)
{
    CMovieBuilder b;
    const auto before = b.AddTag(9, kRed);
    const auto inner = TagBytes(9, kRed);
    std::vector<std::uint8_t> tags = inner;
    tags.insert(tags.end(), {0, 0});
    const auto spriteBody = b.AddTag(39, Sprite(5, tags));
    const auto after = b.AddTag(9, kRed);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x800000FF), (PositionList{before, spriteBody + 4 + 2, after}));
}

TEST_F(WalkerTest, WalkResumesAtTheSpriteEndAfterItsInnerEndTag)
{
    // The sprite's End tag comes early; the bytes after it inside the sprite
    // look like a background tag but are never walked.
    CMovieBuilder b;
    std::vector<std::uint8_t> tags = {0, 0};
    const auto hidden = TagBytes(9, kWhite);
    tags.insert(tags.end(), hidden.begin(), hidden.end());
    b.AddTag(39, Sprite(1, tags));
    const auto after = b.AddTag(9, kRed);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(m_movie.Colors().Keys(), std::vector<ColorKey>{0x800000FF});
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{after});
}

TEST_F(WalkerTest, SpriteWithoutEndTagStopsAtItsOwnEnd)
{
    CMovieBuilder b;
    b.AddTag(39, Sprite(1, TagBytes(9, kWhite)));
    const auto after = b.AddTag(9, kRed);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{after});
    EXPECT_EQ(PositionsOf(0x80FFFFFF).size(), 1u);
}

TEST_F(WalkerTest, DeeplyNestedSpritesAreBoundedAndDoNotExhaustTheStack)
{
    std::vector<std::uint8_t> tags = TagBytes(9, kRed);
    tags.insert(tags.end(), {0, 0});
    for (int depth = 0; depth < 5000; ++depth) {
        std::vector<std::uint8_t> outer = TagBytes(39, Sprite(1, tags));
        if (depth + 1 < 5000)
            outer.insert(outer.end(), {0, 0});
        tags = std::move(outer);
    }
    CMovieBuilder b;
    b.AddRaw(tags);
    const auto after = b.AddTag(9, kWhite);
    ASSERT_TRUE(Load(b.Build()));
    // The innermost colour lies deeper than the walk goes; the walk goes on after it.
    EXPECT_TRUE(PositionsOf(0x800000FF).empty());
    EXPECT_EQ(PositionsOf(0x80FFFFFF), PositionList{after});
}

TEST_F(WalkerTest, TheMainEndTagEndsTheWalk)
{
    CMovieBuilder b;
    b.AddRaw(std::vector<std::uint8_t>{0, 0});
    b.AddTag(9, kRed);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_TRUE(m_movie.Colors().Empty());
}

TEST_F(WalkerTest, MovieWithoutEndTagOrWithATagPastTheEndKeepsItsColours)
{
    CMovieBuilder b;
    const auto pos = b.AddTag(9, kRed);
    ASSERT_TRUE(Load(b.Build(false, false)));
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{pos});

    CMovieBuilder cut;
    const auto kept = cut.AddTag(9, kWhite);
    cut.AddRaw(std::vector<std::uint8_t>{0x3F, 0x02, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF});
    ASSERT_TRUE(Load(cut.Build(false, false)));
    EXPECT_EQ(PositionsOf(0x80FFFFFF), PositionList{kept});
}

TEST_F(WalkerTest, RegistryOrderFollowsTheBuckets)
{
    CMovieBuilder b;
    b.AddTag(9, kWhite);
    b.AddTag(9, kRed);
    const std::uint8_t green[] = {0x00, 0xFF, 0x00};
    b.AddTag(9, green);
    ASSERT_TRUE(Load(b.Build()));
    // White and red share bucket 6, red (newer) in front; green is in bucket 8.
    EXPECT_EQ(m_movie.Colors().Keys(), (std::vector<ColorKey>{0x800000FF, 0x80FFFFFF, 0x8000FF00}));
}

TEST_F(WalkerTest, SampleMovieLoadsWithItsBackground)
{
    ASSERT_TRUE(Load(BuildSampleMovie()));
    EXPECT_TRUE(m_movie.Colors().IndexOf(0x80DCEEF4));
}

} // namespace
} // namespace tintor
