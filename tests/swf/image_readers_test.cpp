// Image tags listed as records by the walk, and their new bodies spliced in
// when the movie is written.
#include "support/tag_headers.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

std::vector<std::uint8_t> Body(std::initializer_list<std::uint8_t> head, std::size_t filler)
{
    std::vector<std::uint8_t> body(head);
    body.insert(body.end(), filler, 0xAB);
    return body;
}

TEST(ImageReaders, ListEveryImageTagOfTheMainTimelineWithItsFields)
{
    struct Case {
        std::uint16_t code;
        std::vector<std::uint8_t> body;
        SwfImageRecord want; // offsets filled in below
    };
    const Case cases[] = {
        {6, Body({7, 0}, 5), {.code = 6, .characterId = 7}},
        {21, Body({8, 1}, 9), {.code = 21, .characterId = 0x108}},
        {35, Body({9, 0, 4, 3, 0, 0}, 3), {.code = 35, .characterId = 9, .alphaDataOffset = 0x304}},
        {90, Body({10, 0, 1, 0, 0, 0, 0x34, 0x12}, 3),
            {.code = 90, .characterId = 10, .alphaDataOffset = 1, .deblocking = 0x1234}},
        {20, Body({11, 0, 3, 5, 0, 6, 0, 15}, 4),
            {.code = 20, .characterId = 11, .losslessFormat = 3, .width = 5, .height = 6, .colourTableSize = 15}},
        {36, Body({12, 0, 5, 0x10, 0x01, 2, 0}, 70),
            {.code = 36, .characterId = 12, .losslessFormat = 5, .width = 0x110, .height = 2}},
    };
    CMovieBuilder b;
    std::vector<SwfImageRecord> want;
    for (const Case& c : cases) {
        SwfImageRecord record = c.want;
        record.tagOffset = b.Offset();
        record.bodyOffset = b.AddTag(c.code, c.body);
        record.bodyLength = static_cast<std::uint32_t>(c.body.size());
        want.push_back(record);
    }
    // A definition inside a sprite is not one the movie can be rewritten for.
    CBitWriter sprite;
    sprite.WriteWord(99);
    sprite.WriteWord(1);
    sprite.WriteBytes(TagBytes(21, Body({13, 0}, 4)));
    sprite.WriteWord(0);
    b.AddTag(39, sprite.Take());
    // The last tag claims more than the movie holds.
    SwfImageRecord cut{.code = 21, .characterId = 14, .complete = false};
    cut.tagOffset = b.Offset();
    b.AddRaw(std::vector<std::uint8_t>{0x7F, 0x05, 0x40, 0, 0, 0, 14, 0, 1, 2});
    cut.bodyOffset = cut.tagOffset + 6;
    want.push_back(cut);
    auto bytes = b.Build(false, false);
    CRecordingSink messages;
    CSwfFile movie(messages);
    CMemoryInputFile file(bytes, "images.swf");
    ASSERT_TRUE(movie.Load(file));
    want.back().bodyLength = static_cast<std::uint32_t>(bytes.size()) - cut.bodyOffset;
    EXPECT_EQ(movie.Images(), want);
}

TEST(ImageSplice, NewBodiesGoInWithLongHeadersAndTheRestStaysByteForByte)
{
    CMovieBuilder b;
    b.AddTag(9, std::vector<std::uint8_t>{1, 2, 3});
    b.AddTag(21, Body({1, 0}, 4));
    b.AddTag(2, Body({2, 0}, 30));
    b.AddTag(36, Body({3, 0, 5, 1, 0, 1, 0}, 100));
    const auto plain = b.Build();
    const std::vector<std::vector<std::uint8_t>> forms = {plain, b.Build(true), LzmaMovie(plain)};
    for (const auto& form : forms) {
        SCOPED_TRACE(static_cast<char>(form[0]));
        CRecordingSink messages;
        CSwfFile movie(messages);
        CMemoryInputFile file(form, "m.swf");
        ASSERT_TRUE(movie.Load(file));
        ASSERT_EQ(movie.Images().size(), 2u);
        const auto small = std::make_shared<const ByteBuffer>(ByteBuffer{1, 0, 9});
        movie.SetImageBody(0, small);
        EXPECT_EQ(movie.SavedFileLength(), plain.size() + 6 + 3 - (2 + 6));
        CMemoryOutputFile out;
        ASSERT_TRUE(movie.Save(out));
        EXPECT_EQ(out.Bytes()[0], form[0]);
        CSwfFile saved(messages);
        CMemoryInputFile again(out.Bytes(), "s.swf");
        ASSERT_TRUE(saved.Load(again));
        std::vector<std::uint8_t> expected(plain.begin(), plain.begin() + movie.Images()[0].tagOffset);
        expected.insert(expected.end(), {0x7F, 0x05, 3, 0, 0, 0, 1, 0, 9});
        expected.insert(expected.end(), plain.begin() + movie.Images()[0].bodyOffset + 6, plain.end());
        const auto length = static_cast<std::uint32_t>(expected.size());
        for (int i = 0; i < 4; ++i)
            expected[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
        EXPECT_EQ(std::vector<std::uint8_t>(saved.Buffer().begin() + 8, saved.Buffer().end()),
            std::vector<std::uint8_t>(expected.begin() + 8, expected.end()));
        EXPECT_EQ(saved.FileSize(), length);
        // The held movie itself never changed.
        EXPECT_TRUE(std::equal(movie.Buffer().begin() + 8, movie.Buffer().end(), plain.begin() + 8, plain.end()));
        movie.SetImageBody(0, nullptr);
        EXPECT_EQ(movie.ReplacedImageCount(), 0u);
        EXPECT_EQ(movie.SavedFileLength(), plain.size());
    }
}

} // namespace
} // namespace tintor
