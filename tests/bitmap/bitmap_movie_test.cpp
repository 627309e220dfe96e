// Images of a whole movie through the document: chosen, shifted, spliced
// into the saved movie with nothing else moving.
#include "document/bitmaps_left.h"
#include "document/tintor_doc.h"
#include "support/tag_headers.h"
#include "testkit/image_bodies.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/no_dialogs.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

#include <map>

namespace tintor {
namespace {

// A movie of colours and one image of every kind, a corrupt one and a
// DefineBits with its tables among them, and on request a sprite holding
// one more image.
std::vector<std::uint8_t> MovieWithImages(bool compressed, bool withSprite = false)
{
    CMovieBuilder b;
    b.AddTag(9, std::vector<std::uint8_t>{0x10, 0x20, 0x30});
    std::vector<std::uint8_t> argb;
    for (int i = 0; i < 9 * 4; ++i)
        argb.insert(argb.end(), {static_cast<std::uint8_t>(i * 7), 0x40, 0x20, static_cast<std::uint8_t>(i * 5)});
    b.AddTag(36, LosslessBody(1, 5, 9, 4, argb));
    const auto jpeg = JpegOf(PhotoLikeRgb(33, 17), 33, 17);
    b.AddTag(8, std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xD9});
    b.AddTag(6, JpegTagBody(21, 2, jpeg));
    b.AddTag(21, JpegTagBody(21, 3, jpeg));
    b.AddTag(35, JpegTagBody(35, 4, jpeg, ZlibOf(std::vector<std::uint8_t>(33 * 17, 0x80))));
    std::vector<std::uint8_t> rgba; // brown, which a hue shift turns
    for (int i = 0; i < 6 * 6; ++i)
        rgba.insert(rgba.end(), {0x90, 0x60, 0x30, 0x90});
    b.AddTag(21, JpegTagBody(21, 5, PngOf(rgba, 6, 6)));
    b.AddTag(20, std::vector<std::uint8_t>{6, 0, 5, 2, 0, 2, 0, 0x78, 0x9C, 0xFF}); // corrupt
    // DefineSprite 9 of one frame: a DefineBitsLossless of a 10-byte body, End.
    if (withSprite)
        b.AddTag(39, std::vector<std::uint8_t>{9, 0, 1, 0, 0x0A, 0x05, 7, 0, 5, 1, 0, 1, 0, 0, 0, 0, 0, 0});
    b.AddTag(1, {});
    return b.Build(compressed);
}

std::vector<std::uint8_t> Plain(const std::vector<std::uint8_t>& movie)
{
    CRecordingSink messages;
    CSwfFile swf(messages);
    CMemoryInputFile file(movie, "m.swf");
    EXPECT_TRUE(swf.Load(file));
    std::vector<std::uint8_t> bytes(swf.Buffer().begin(), swf.Buffer().end());
    bytes[0] = 'F';
    return bytes;
}

// Opens the movie, selects every image, shifts the hue and saves.
std::vector<std::uint8_t> ShiftImages(const std::vector<std::uint8_t>& movie, int hue, CRecordingSink& messages)
{
    CNoDialogs dialogs;
    CTintorDoc doc(messages, dialogs);
    doc.SetPreviewFileWritten(false);
    CMemoryInputFile file(movie, "m.swf");
    EXPECT_TRUE(doc.OnOpenDocument(file, "m.swf"));
    const std::size_t before = doc.GetMovie().Buffer().size();
    doc.SelectBitmapsWhere([](const BitmapEntry&) { return true; });
    doc.Effect("H", hue);
    doc.ApplyPending();
    EXPECT_EQ(doc.GetMovie().Buffer().size(), before);
    CMemoryOutputFile out;
    EXPECT_TRUE(doc.SaveMovie(out));
    return out.Bytes();
}

TEST(BitmapMovie, OnlyTheChosenImageTagsChangeAndTheMovieKeepsItsForm)
{
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const auto movie = MovieWithImages(compressed);
        CRecordingSink messages;
        const auto saved = ShiftImages(movie, 160, messages);
        ASSERT_FALSE(saved.empty());
        EXPECT_EQ(saved[0], compressed ? 'C' : 'F');
        const auto before = Plain(movie), after = Plain(saved);
        EXPECT_EQ(after.size(), after[4] | after[5] << 8 | after[6] << 16 | std::size_t{after[7]} << 24);
        const auto oldTags = test::MainTags(before), newTags = test::MainTags(after);
        ASSERT_EQ(oldTags.size(), newTags.size());
        std::map<std::uint16_t, int> reencoded;
        for (std::size_t i = 0; i < oldTags.size(); ++i) {
            const auto& o = oldTags[i];
            const auto& n = newTags[i];
            ASSERT_EQ(o.code, n.code);
            const std::vector<std::uint8_t> oldBody(before.begin() + static_cast<std::ptrdiff_t>(o.begin),
                before.begin() + static_cast<std::ptrdiff_t>(o.end));
            const std::vector<std::uint8_t> newBody(after.begin() + static_cast<std::ptrdiff_t>(n.begin),
                after.begin() + static_cast<std::ptrdiff_t>(n.end));
            if (oldBody != newBody) {
                ++reencoded[o.code];
                // A long tag header, whatever the length.
                EXPECT_EQ(n.begin - (i == 0 ? 0 : newTags[i - 1].end), 6u) << o.code;
                EXPECT_EQ(newBody[0] | newBody[1] << 8, oldBody[0] | oldBody[1] << 8) << "character id";
            }
        }
        // Lossless2, JPEG2, JPEG3 and PNG in JPEG2; not DefineBits, not the corrupt one.
        EXPECT_EQ(reencoded, (std::map<std::uint16_t, int>{{21, 2}, {35, 1}, {36, 1}}));
    }
}

TEST(BitmapMovie, ChosenImagesAtTheNeutralSlidersLeaveTheMovieAsItWas)
{
    const auto movie = MovieWithImages(false);
    CRecordingSink messages;
    EXPECT_EQ(ShiftImages(movie, CColorTable::kDefaultParameter, messages), movie);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(BitmapMovie, ListsEveryImageAndWhichCannotBeRecoloured)
{
    CRecordingSink messages;
    CNoDialogs dialogs;
    CTintorDoc doc(messages, dialogs);
    doc.SetPreviewFileWritten(false);
    CMemoryInputFile file(MovieWithImages(false), "m.swf");
    ASSERT_TRUE(doc.OnOpenDocument(file, "m.swf"));
    std::vector<std::string> listed;
    for (const BitmapEntry& e : doc.GetBitmaps().Entries())
        listed.push_back(std::to_string(e.record.characterId) + " " + std::to_string(e.description.width) + "x"
            + std::to_string(e.description.height) + " " + std::string(e.description.format)
            + (e.description.Recolourable() ? "" : " -"));
    EXPECT_EQ(listed,
        (std::vector<std::string>{
            "1 9x4 lossless2", "2 33x17 jpeg1 -", "3 33x17 jpeg", "4 33x17 jpeg3", "5 6x6 png", "6 2x2 lossless -"}));
    doc.SelectBitmapsWhere([](const BitmapEntry&) { return true; });
    int selected = 0;
    for (const BitmapEntry& e : doc.GetBitmaps().Entries())
        selected += e.selected ? 1 : 0;
    EXPECT_EQ(selected, 4);
}

TEST(BitmapMovie, AStateTakenBeforeAShiftPutsBackTheExactImages)
{
    // As undo will: the states of two steps, each put back and every image
    // written again, give back exactly the movie of that step.
    CRecordingSink messages;
    CSwfFile movie(messages);
    CMemoryInputFile file(MovieWithImages(true), "m.swf");
    ASSERT_TRUE(movie.Load(file));
    const auto save = [&] {
        CMemoryOutputFile out;
        EXPECT_TRUE(movie.Save(out));
        return Plain(out.Bytes());
    };
    const auto loaded = save();
    CMovieBitmaps bitmaps;
    bitmaps.Load(movie);
    CColorTable table;
    table.ResetColorTable();
    const auto first = bitmaps.Snapshot();
    for (std::size_t i = 0; i < bitmaps.Entries().size(); ++i)
        bitmaps.Select(i, true);
    table.Effect("H", 170, messages);
    bitmaps.Update(movie, table, false, messages);
    bitmaps.ApplyEffects(movie, table, messages);
    table.ResetParameters();
    const auto second = bitmaps.Snapshot();
    const auto shifted = save();
    ASSERT_NE(shifted, loaded);
    // A later shift starts from the shifted pixels, not from the JPEG decoded again.
    table.Effect("V", 60, messages);
    bitmaps.Update(movie, table, false, messages);
    ASSERT_NE(save(), shifted);

    bitmaps.Restore(first);
    table.ResetParameters();
    bitmaps.Update(movie, table, true, messages);
    EXPECT_EQ(save(), loaded);
    EXPECT_EQ(movie.ReplacedImageCount(), 0u);
    bitmaps.Restore(second);
    bitmaps.Update(movie, table, true, messages);
    EXPECT_EQ(save(), shifted);
    EXPECT_EQ(bitmaps.Snapshot(), second);
}

// The account of what stays counts only the images a shift cannot reach:
// DefineBits, corrupt data and images inside sprites, each with its reason.
TEST(BitmapMovie, TheAccountLeavesOnlyImagesThatCannotBeRecoloured)
{
    CRecordingSink messages;
    CSwfFile swf(messages);
    CMemoryInputFile file(MovieWithImages(false, true), "m.swf");
    ASSERT_TRUE(swf.Load(file));
    CMovieBitmaps images;
    images.Load(swf);
    const auto left = BitmapsLeft(swf.Account(), images.Entries());
    std::vector<std::string> said;
    for (const LeftBitmaps& group : left) {
        said.push_back(std::to_string(group.code) + " " + std::to_string(group.tally.count) + " "
            + std::to_string(group.tally.bytes) + " " + std::to_string(group.tally.sizes.size()) + " "
            + ReasonText(group));
    }
    EXPECT_EQ(said,
        (std::vector<std::string>{"6 1 " + std::to_string(images.Entries()[1].record.bodyLength)
                + " 1 shares the movie's JPEGTables with other images",
            "20 1 10 1 corrupt image data", "20 1 10 0 inside a sprite"}));
    EXPECT_EQ(RecolourableCount(images.Entries()), 4u);
}
} // namespace
} // namespace tintor
