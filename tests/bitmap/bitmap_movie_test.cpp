// Images of a whole movie through the document: chosen, shifted, spliced
// into the saved movie with nothing else moving.
#include "bitmap/zlib_codec.h"
#include "document/bitmaps_left.h"
#include "document/tintor_doc.h"
#include "support/tag_headers.h"
#include "testkit/image_bodies.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/no_dialogs.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
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
        // Lossless2, DefineBits behind an empty JPEGTables, JPEG2, JPEG3 and
        // PNG in JPEG2; not the corrupt one.
        EXPECT_EQ(reencoded, (std::map<std::uint16_t, int>{{6, 1}, {21, 2}, {35, 1}, {36, 1}}));
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
            "1 9x4 lossless2", "2 33x17 jpeg1", "3 33x17 jpeg", "4 33x17 jpeg3", "5 6x6 png", "6 2x2 lossless -"}));
    doc.SelectBitmapsWhere([](const BitmapEntry&) { return true; });
    int selected = 0;
    for (const BitmapEntry& e : doc.GetBitmaps().Entries())
        selected += e.selected ? 1 : 0;
    EXPECT_EQ(selected, 5);
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
// corrupt data and images inside sprites, each with its reason.
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
    EXPECT_EQ(said, (std::vector<std::string>{"20 1 10 1 corrupt image data", "20 1 10 0 inside a sprite"}));
    EXPECT_EQ(RecolourableCount(images.Entries()), 5u);
}
// Decodes JPEG data to RGB with libjpeg-turbo; empty when it does not decode.
std::vector<std::uint8_t> DecodeRgb(std::span<const std::uint8_t> jpeg)
{
    tjhandle tj = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    std::vector<std::uint8_t> rgb;
    if (tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colourspace) == 0) {
        rgb.resize(static_cast<std::size_t>(width * height * 3));
        if (tjDecompress2(tj, jpeg.data(), jpeg.size(), rgb.data(), width, 0, height, TJPF_RGB, 0) != 0)
            rgb.clear();
    }
    tjDestroy(tj);
    return rgb;
}

// Whether JPEG data defines a quantisation or Huffman table before its scan.
bool DefinesTables(std::span<const std::uint8_t> jpeg)
{
    for (std::size_t pos = 2; pos + 4 <= jpeg.size() && jpeg[pos + 1] != 0xDA;
         pos += 2 + (jpeg[pos + 2] << 8 | jpeg[pos + 3]))
        if (jpeg[pos + 1] == 0xDB || jpeg[pos + 1] == 0xC4)
            return true;
    return false;
}

// The bodies of a saved movie's tags of a code, in order.
std::vector<std::vector<std::uint8_t>> BodiesOf(const std::vector<std::uint8_t>& plain, std::uint16_t code)
{
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const auto& tag : test::MainTags(plain))
        if (tag.code == code)
            bodies.emplace_back(plain.begin() + static_cast<std::ptrdiff_t>(tag.begin),
                plain.begin() + static_cast<std::ptrdiff_t>(tag.end));
    return bodies;
}

// DefineBits images that read tables from the movie's JPEGTables are
// recoloured with exactly those tables, written without them, and
// JPEGTables stays byte for byte; tables that cannot encode a new image
// (made to fit one image, they lack codes) leave the images with that reason.
TEST(BitmapMovie, DefineBitsSharingJpegTablesIsRecolouredWithThoseTables)
{
    const auto a = PhotoLikeRgb(40, 24, 1), b = PhotoLikeRgb(40, 24, 2);
    const SplitJpeg first = SplitJpegTables(JpegOf(a, 40, 24)), second = SplitJpegTables(JpegOf(b, 40, 24));
    ASSERT_EQ(first.tables, second.tables);
    // Tables fitted to one image by an optimising encoder: ours, through a
    // first recolouring of a DefineBitsJPEG2.
    CRecordingSink messages;
    std::vector<std::uint8_t> fitted;
    {
        CMovieBuilder builder;
        builder.AddTag(21, JpegTagBody(21, 1, JpegOf(a, 40, 24)));
        CSwfFile movie(messages);
        CMemoryInputFile file(builder.Build(), "j.swf");
        ASSERT_TRUE(movie.Load(file));
        std::string problem;
        const auto image = CBitmapImage::Recolour(
            SourceOf(movie, movie.Images()[0]), nullptr,
            [] { return RecolourFn([](std::uint32_t rgb) { return rgb; }); }, problem);
        ASSERT_NE(image, nullptr) << problem;
        fitted.assign(image->Body()->begin() + 2, image->Body()->end());
    }
    struct Case {
        const char* name;
        SplitJpeg one, two;
        std::string problem;
    };
    const Case cases[] = {
        {"the standard tables", first, second, ""},
        {"tables fitted to one image", SplitJpegTables(fitted), SplitJpegTables(fitted),
            "the movie's JPEGTables cannot encode a new image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMovieBuilder builder;
        builder.AddTag(9, std::vector<std::uint8_t>{0x10, 0x20, 0x30});
        builder.AddTag(8, c.one.tables);
        builder.AddTag(6, JpegTagBody(6, 2, c.one.image));
        builder.AddTag(6, JpegTagBody(6, 3, c.two.image));
        const auto movie = builder.Build();
        CNoDialogs dialogs;
        CTintorDoc doc(messages, dialogs);
        doc.SetPreviewFileWritten(false);
        CMemoryInputFile file(movie, "m.swf");
        ASSERT_TRUE(doc.OnOpenDocument(file, "m.swf"));
        for (const BitmapEntry& e : doc.GetBitmaps().Entries())
            EXPECT_EQ(e.description.problem, c.problem);
        const auto left = BitmapsLeft(doc.GetMovie().Account(), doc.GetBitmaps().Entries());
        EXPECT_EQ(left.empty(), c.problem.empty());
        if (!c.problem.empty())
            continue;
        const auto saved = ShiftImages(movie, 160, messages);
        const auto before = Plain(movie), after = Plain(saved);
        EXPECT_EQ(BodiesOf(after, 8), BodiesOf(before, 8));
        const auto images = BodiesOf(after, 6);
        ASSERT_EQ(images.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            const std::span<const std::uint8_t> image = std::span(images[i]).subspan(2);
            EXPECT_FALSE(DefinesTables(image));
            // With the shared tables in front, as players read it: the
            // picture shifted, within the error of one more encoding.
            std::vector<std::uint8_t> withTables(c.one.tables.begin(), c.one.tables.end() - 2);
            withTables.insert(withTables.end(), image.begin() + 2, image.end());
            const auto got = DecodeRgb(withTables);
            const auto original = DecodeRgb([&] {
                std::vector<std::uint8_t> whole(c.one.tables.begin(), c.one.tables.end() - 2);
                const auto& from = i == 0 ? c.one.image : c.two.image;
                whole.insert(whole.end(), from.begin() + 2, from.end());
                return whole;
            }());
            ASSERT_EQ(got.size(), original.size());
            ASSERT_FALSE(got.empty());
            CColorTable table;
            table.ResetColorTable();
            table.Effect("H", 160, messages);
            const RecolourFn shift = ImageChangeOf(table)();
            double total = 0;
            for (std::size_t p = 0; p < got.size(); p += 3) {
                const std::uint32_t want = shift(original[p] | original[p + 1] << 8 | original[p + 2] << 16);
                for (std::size_t k = 0; k < 3; ++k)
                    total += std::abs(int{got[p + k]} - static_cast<int>((want >> (8 * k)) & 0xFF));
            }
            EXPECT_LT(total / static_cast<double>(got.size()), 3.0);
        }
    }
}

// In images, a colour within kNearGrey of grey takes the HSV effect of the
// grey of its lightness; in OKLCh, and for other colours, the effect is a
// swatch's.
TEST(BitmapNearGrey, NoiseNearGreyTakesTheEffectOfItsGrey)
{
    CRecordingSink messages;
    CColorTable table;
    table.ResetColorTable();
    table.Effect("V", 50, messages);
    table.Effect("H", 130, messages);
    const auto swatch = [&](std::uint32_t rgb) { return RgbOf(table.ColorOf(rgb | kSelectedBit, 1)); };
    struct Row {
        std::uint32_t rgb;
        std::uint32_t asGrey; // what the effect is worked out on
    };
    const Row rows[] = {
        {0xFEFFFF, 0xFEFEFE}, // #fffffe, red first
        {0xFFFEFF, 0xFEFEFE},
        {0xFFFFFD, 0xFEFEFE}, // channels 2 apart
        {0x7F8081, 0x808080},
        {0xFCFFFF, 0xFCFFFF}, // 3 apart: a colour
        {0x0000FF, 0x0000FF},
        {0x808080, 0x808080},
    };
    const RecolourFn hsv = ImageChangeOf(table)();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rgb);
        EXPECT_EQ(hsv(row.rgb), swatch(row.asGrey));
    }
    // The speckle this keeps away: the swatch's own arithmetic on #fffffe.
    const std::uint32_t speckle = swatch(0xFEFFFF);
    EXPECT_GT(std::max({speckle & 0xFF, speckle >> 8 & 0xFF, speckle >> 16})
            - std::min({speckle & 0xFF, speckle >> 8 & 0xFF, speckle >> 16}),
        100u);
    table.Effect("P", 1, messages);
    EXPECT_EQ(ImageChangeOf(table)()(0xFEFFFF), swatch(0xFEFFFF));
}

// Channels' greatest difference over the pixels of RGB data.
int Spread(std::span<const std::uint8_t> rgb)
{
    int spread = 0;
    for (std::size_t p = 0; p + 2 < rgb.size(); p += 3)
        spread
            = std::max(spread, std::max({rgb[p], rgb[p + 1], rgb[p + 2]}) - std::min({rgb[p], rgb[p + 1], rgb[p + 2]}));
    return spread;
}

// White full of the noise JPEG leaves on it (#fffffe, #fffeff, ...),
// darkened in a lossless image and in a PNG: it becomes grey, not a speckle
// of colours.
TEST(BitmapNearGrey, NearWhiteNoiseStaysGrey)
{
    constexpr int kSize = 64;
    // #ffffff, #fffffe, #fffeff, #feffff (red first) and #fdfefe at random.
    std::vector<std::uint8_t> rgba, xrgb;
    std::uint32_t state = 5;
    for (int i = 0; i < kSize * kSize; ++i) {
        state = state * 1103515245u + 12345u;
        const std::uint32_t low = (state >> 16) % 5;
        xrgb.push_back(0xFF);
        for (std::uint32_t k = 0; k < 3; ++k) {
            rgba.push_back(low == 4 ? (k == 0 ? 0xFD : 0xFE) : low == k + 1 ? 0xFE : 0xFF);
            xrgb.push_back(rgba.back());
        }
        rgba.push_back(0xFF);
    }
    CMovieBuilder builder;
    builder.AddTag(20, LosslessBody(1, 5, kSize, kSize, xrgb));
    builder.AddTag(21, JpegTagBody(21, 2, PngOf(rgba, kSize, kSize)));
    CRecordingSink messages;
    CNoDialogs dialogs;
    CTintorDoc doc(messages, dialogs);
    doc.SetPreviewFileWritten(false);
    CMemoryInputFile file(builder.Build(), "white.swf");
    ASSERT_TRUE(doc.OnOpenDocument(file, "white.swf"));
    doc.SelectBitmapsWhere([](const BitmapEntry&) { return true; });
    doc.Effect("V", 50);
    doc.ApplyPending();
    const auto& lossless = doc.GetMovie().ImageBody(0);
    const auto& png = doc.GetMovie().ImageBody(1);
    ASSERT_NE(lossless, nullptr);
    ASSERT_NE(png, nullptr);
    const auto pixels = Inflate(std::span(*lossless).subspan(7), xrgb.size());
    ASSERT_TRUE(pixels.has_value());
    std::vector<std::uint8_t> fromLossless, fromPng;
    for (std::size_t p = 0; p < pixels->size(); p += 4)
        fromLossless.insert(fromLossless.end(), pixels->begin() + static_cast<std::ptrdiff_t>(p + 1),
            pixels->begin() + static_cast<std::ptrdiff_t>(p + 4));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png->data() + 2, png->size() - 2));
    image.format = PNG_FORMAT_RGB;
    fromPng.resize(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, fromPng.data(), 0, nullptr));
    EXPECT_EQ(Spread(fromLossless), 0);
    EXPECT_EQ(Spread(fromPng), 0);
    EXPECT_LT(fromPng[0], 0xC0); // darkened
}

} // namespace
} // namespace tintor
