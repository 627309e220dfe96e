// Images recoloured one pixel at a time against the colour arithmetic:
// exactly for lossless data, within a stated error for JPEG.
#include "bitmap/bitmap_image.h"
#include "bitmap/codecs.h"
#include "bitmap/zlib_codec.h"
#include "colour/colour.h"
#include "colour/colour_table.h"
#include "swf/swf_file.h"
#include "testkit/image_bodies.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>
#include <png.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <zlib.h>

namespace tintor {
namespace {

// The effect of the sliders at hue +40, saturation -20, value +10, as a
// selected swatch gets it, and the same worked out by CColor directly.
constexpr int kHue = 140, kSaturation = 80, kValue = 110;

CColorTable ShiftTable()
{
    CColorTable table;
    table.ResetColorTable();
    CRecordingSink messages;
    table.Effect("H", kHue, messages);
    table.Effect("S", kSaturation, messages);
    table.Effect("V", kValue, messages);
    return table;
}

std::uint32_t Expected(std::uint32_t rgb)
{
    // Slider N is the effect's argument 128 + 1.28 N.
    const auto argument = [](int parameter) { return 128.0 + 1.28 * (parameter - 100); };
    return CColor(rgb).ApplyEffect(argument(kHue), argument(kSaturation), argument(kValue), 0) & 0xFFFFFF;
}

// Premultiplied channels through the effect, as the format's players
// un-premultiply them.
std::array<std::uint8_t, 3> ExpectedPremultiplied(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    if (a == 0)
        return {r, g, b};
    const auto straight = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
    const std::uint32_t c = Expected(straight(r) | straight(g) << 8 | straight(b) << 16);
    const auto again = [a](std::uint32_t v) { return static_cast<std::uint8_t>((v * a + 127) / 255); };
    return {again(c & 0xFF), again((c >> 8) & 0xFF), again(c >> 16)};
}

// The one image of a movie built around a tag body.
struct TagUnderTest {
    CRecordingSink messages;
    CSwfFile movie{messages};
    SwfImageRecord record;
    std::span<const std::uint8_t> body;
};

void LoadTag(TagUnderTest& t, std::uint16_t code, const std::vector<std::uint8_t>& body)
{
    CMovieBuilder builder;
    builder.AddTag(code, body);
    CMemoryInputFile file(builder.Build(), "image.swf");
    ASSERT_TRUE(t.movie.Load(file));
    ASSERT_EQ(t.movie.Images().size(), 1u);
    t.record = t.movie.Images()[0];
    t.body = t.movie.Buffer().subspan(t.record.bodyOffset, t.record.bodyLength);
}

BitmapSource SourceOf(const TagUnderTest& t) { return {t.record, t.body, t.movie.JpegTables()}; }

// The image of the tag through the sliders' effect as a selected swatch
// takes it; null when it cannot be recoloured.
std::shared_ptr<const CBitmapImage> Shifted(const TagUnderTest& t, std::string* problem = nullptr)
{
    std::string why;
    const auto image = CBitmapImage::Recolour(
        SourceOf(t), nullptr,
        [] {
            return RecolourFn(
                [table = ShiftTable()](std::uint32_t rgb) { return RgbOf(table.ColorOf(rgb | kSelectedBit, 1)); });
        },
        why);
    if (problem != nullptr)
        *problem = why;
    return image;
}

// The start of a baseline frame, which follows the tables.
constexpr std::uint8_t kFrameMarker[] = {0xFF, 0xC0};

std::uint32_t Noise(std::uint32_t& state)
{
    state = state * 1103515245u + 12345u;
    return state >> 16;
}

struct LosslessCase {
    const char* name;
    std::uint16_t code;
    std::uint8_t format;
    std::uint16_t width, height;
};

TEST(BitmapLossless, EveryColourThroughTheArithmeticAndNothingElseChanged)
{
    const LosslessCase cases[] = {
        {"colour-mapped", 20, 3, 7, 5},
        {"15-bit", 20, 4, 5, 3},
        {"32-bit", 20, 5, 3, 4},
        {"colour-mapped with alpha", 36, 3, 9, 2},
        {"32-bit premultiplied", 36, 5, 5, 5},
    };
    for (const LosslessCase& c : cases) {
        SCOPED_TRACE(c.name);
        const bool alpha = c.code == 36;
        const std::uint32_t tableCount = c.format == 3 ? 6 : 0;
        const std::size_t stride = c.format == 3 ? (alpha ? 4 : 3) : 0;
        const std::size_t rowBytes = c.format == 3 ? (c.width + 3u) & ~3u
            : c.format == 4                        ? (c.width * 2u + 3u) & ~3u
                                                   : c.width * 4u;
        std::vector<std::uint8_t> data(tableCount * stride + rowBytes * c.height, 0xEE); // padding stays 0xEE
        std::uint32_t state = 7;
        static constexpr std::uint8_t kAlphas[] = {0, 1, 128, 255, 255, 64};
        const auto colour = [&](std::uint8_t* p, std::uint8_t a) {
            for (int i = 0; i < 3; ++i)
                p[i] = static_cast<std::uint8_t>(alpha && a != 0 ? Noise(state) % (a + 1u) : Noise(state));
        };
        for (std::uint32_t i = 0; i < tableCount; ++i) {
            std::uint8_t* e = data.data() + i * stride;
            const std::uint8_t a = kAlphas[i % 6];
            colour(e, a);
            if (alpha)
                e[3] = a;
        }
        for (std::uint32_t y = 0; y < c.height; ++y)
            for (std::uint32_t x = 0; x < c.width; ++x) {
                std::uint8_t* row = data.data() + tableCount * stride + y * rowBytes;
                if (c.format == 3) {
                    row[x] = static_cast<std::uint8_t>(Noise(state) % tableCount);
                } else if (c.format == 4) {
                    const std::uint32_t v = Noise(state) & 0xFFFF; // the reserved bit set on some
                    row[x * 2] = static_cast<std::uint8_t>(v >> 8);
                    row[x * 2 + 1] = static_cast<std::uint8_t>(v);
                } else {
                    const std::uint8_t a = alpha ? kAlphas[(x + y) % 6] : static_cast<std::uint8_t>(Noise(state));
                    row[x * 4] = a;
                    colour(row + x * 4 + 1, a);
                }
            }
        TagUnderTest t;
        LoadTag(
            t, c.code, LosslessBody(9, c.format, c.width, c.height, data, static_cast<std::uint8_t>(tableCount - 1)));
        std::string problem;
        const auto shifted = Shifted(t, &problem);
        ASSERT_NE(shifted, nullptr) << problem;
        const ByteBuffer& body = *shifted->Body();
        const std::size_t fields = c.format == 3 ? 8 : 7;
        ASSERT_TRUE(std::equal(t.body.begin(), t.body.begin() + fields, body.begin()));
        const auto got = Inflate(std::span(body).subspan(fields), data.size());
        ASSERT_TRUE(got.has_value());

        std::vector<std::uint8_t> expected = data;
        for (std::uint32_t i = 0; i < tableCount; ++i) {
            std::uint8_t* e = expected.data() + i * stride;
            const std::uint32_t rgb = alpha ? 0 : Expected(e[0] | e[1] << 8 | e[2] << 16);
            const auto p = alpha ? ExpectedPremultiplied(e[0], e[1], e[2], e[3])
                                 : std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(rgb),
                                     static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb >> 16)};
            std::copy(p.begin(), p.end(), e);
        }
        for (std::uint32_t y = 0; c.format != 3 && y < c.height; ++y)
            for (std::uint32_t x = 0; x < c.width; ++x) {
                std::uint8_t* p = expected.data() + y * rowBytes + x * (c.format == 4 ? 2 : 4);
                if (c.format == 4) {
                    const std::uint32_t v = std::uint32_t{p[0]} << 8 | p[1];
                    const auto widen = [](std::uint32_t f) { return f << 3 | f >> 2; };
                    const std::uint32_t rgb
                        = Expected(widen((v >> 10) & 31) | widen((v >> 5) & 31) << 8 | widen(v & 31) << 16);
                    const auto narrow = [](std::uint32_t b) { return (b * 31 + 127) / 255; };
                    const std::uint32_t n
                        = (v & 0x8000) | narrow(rgb & 0xFF) << 10 | narrow((rgb >> 8) & 0xFF) << 5 | narrow(rgb >> 16);
                    p[0] = static_cast<std::uint8_t>(n >> 8);
                    p[1] = static_cast<std::uint8_t>(n);
                } else if (alpha) {
                    const auto q = ExpectedPremultiplied(p[1], p[2], p[3], p[0]);
                    std::copy(q.begin(), q.end(), p + 1);
                } else {
                    const std::uint32_t rgb = Expected(p[1] | p[2] << 8 | p[3] << 16);
                    p[1] = static_cast<std::uint8_t>(rgb);
                    p[2] = static_cast<std::uint8_t>(rgb >> 8);
                    p[3] = static_cast<std::uint8_t>(rgb >> 16);
                }
            }
        EXPECT_TRUE(std::equal(got->begin(), got->end(), expected.begin(), expected.end()));
        for (std::size_t i = 0; i < std::min(got->size(), expected.size()); ++i)
            if ((*got)[i] != expected[i]) {
                ADD_FAILURE() << "first difference at byte " << i;
                break;
            }
    }
}

// Decodes a JPEG to RGB with libjpeg-turbo, and its subsampling.
std::vector<std::uint8_t> DecodeRgb(std::span<const std::uint8_t> jpeg, int& subsampling)
{
    tjhandle tj = tjInitDecompress();
    int width = 0, height = 0, colourspace = 0;
    tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colourspace);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3));
    EXPECT_EQ(tjDecompress2(tj, jpeg.data(), jpeg.size(), rgb.data(), width, 0, height, TJPF_RGB, 0), 0);
    tjDestroy(tj);
    return rgb;
}

struct JpegCase {
    const char* name;
    std::uint16_t code;
    int subsampling;
    bool erroneousHeader;
    bool alpha;
};

TEST(BitmapJpeg, RoundTripsWithinTheErrorOfOneReEncoding)
{
    // A hue shift moves the picture's colours; the error measured is that of
    // the new image against the decoded original with the arithmetic run
    // over each pixel: one more JPEG encoding at the image's own quality.
    constexpr int kWidth = 61, kHeight = 47;
    const JpegCase cases[] = {
        {"DefineBitsJPEG2 4:2:0", 21, TJSAMP_420, false, false},
        {"DefineBitsJPEG2 4:4:4 behind FF D9 FF D8", 21, TJSAMP_444, true, false},
        {"DefineBitsJPEG3 with alpha", 35, TJSAMP_422, false, true},
        {"DefineBitsJPEG4 with alpha and deblocking", 90, TJSAMP_420, false, true},
    };
    for (const JpegCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> rgb = PhotoLikeRgb(kWidth, kHeight);
        std::vector<std::uint8_t> alpha;
        for (int i = 0; c.alpha && i < kWidth * kHeight; ++i) {
            // Regions, as a picture with a cut-out and a soft edge has them.
            alpha.push_back(static_cast<std::uint8_t>(i % kWidth < 10 ? 0 : i % kWidth < 30 ? 128 : 255));
            for (int k = 0; k < 3; ++k)
                rgb[static_cast<std::size_t>(i * 3 + k)]
                    = static_cast<std::uint8_t>(rgb[static_cast<std::size_t>(i * 3 + k)] * alpha.back() / 255);
        }
        std::vector<std::uint8_t> jpeg = JpegOf(rgb, kWidth, kHeight, c.subsampling, 85);
        if (c.erroneousHeader)
            jpeg.insert(jpeg.begin(), {0xFF, 0xD9, 0xFF, 0xD8});
        const std::vector<std::uint8_t> alphaStream = c.alpha ? ZlibOf(alpha) : std::vector<std::uint8_t>{};
        TagUnderTest t;
        LoadTag(t, c.code, JpegTagBody(c.code, 4, jpeg, alphaStream, 0x1234));
        EXPECT_EQ(CBitmapImage::Describe(SourceOf(t)).problem, "");
        const auto image = Shifted(t);
        ASSERT_NE(image, nullptr);
        const auto body = image->Body();

        const std::size_t fields = c.code == 21 ? 2 : c.code == 35 ? 6 : 8;
        const std::uint32_t offset = c.code == 21 ? static_cast<std::uint32_t>(body->size() - fields)
                                                  : (*body)[2] | (*body)[3] << 8 | (*body)[4] << 16 | (*body)[5] << 24;
        EXPECT_EQ((*body)[0] | (*body)[1] << 8, 4);
        if (c.code == 90) {
            EXPECT_EQ((*body)[6] | (*body)[7] << 8, 0x1234);
        }
        ASSERT_EQ(body->size(), fields + offset + alphaStream.size());
        EXPECT_TRUE(std::equal(alphaStream.begin(), alphaStream.end(), body->begin() + fields + offset));

        // The same quantisation tables: the picture keeps its quality.
        const auto tablesOf = [](std::span<const std::uint8_t> data) {
            const auto stream = bitmap::JoinJpegStreams(data);
            return stream ? bitmap::ReadJpegHeader(*stream).value_or(bitmap::JpegHeader{}).tables
                          : std::vector<std::array<std::uint16_t, 64>>{};
        };
        EXPECT_EQ(tablesOf(std::span(*body).subspan(fields, offset)), tablesOf(jpeg));
        EXPECT_EQ(tablesOf(jpeg).size(), 2u);
        int before = -1, after = -1;
        const auto original = DecodeRgb(std::span(jpeg).subspan(c.erroneousHeader ? 4 : 0), before);
        const auto shifted = DecodeRgb(std::span(*body).subspan(fields, offset), after);
        EXPECT_EQ(after, before);
        ASSERT_EQ(shifted.size(), original.size());
        double total = 0;
        int worst = 0;
        for (std::size_t i = 0; i < original.size() / 3; ++i) {
            const std::uint8_t a = c.alpha ? alpha[i] : 255;
            if (a == 0)
                continue;
            const auto want = ExpectedPremultiplied(original[i * 3], original[i * 3 + 1], original[i * 3 + 2], a);
            for (int k = 0; k < 3; ++k) {
                const int d = std::abs(
                    int{shifted[i * 3 + static_cast<std::size_t>(k)]} - int{want[static_cast<std::size_t>(k)]});
                total += d;
                worst = std::max(worst, d);
            }
        }
        // Stated error of a round trip: under 2 levels on average, no channel
        // off by more than 40 (at sharp edges of the alpha pattern).
        EXPECT_LT(total / static_cast<double>(original.size()), 2.0);
        EXPECT_LE(worst, 40);
    }
}

TEST(BitmapJpeg, QualityOfLibjpegTablesIsFoundExactly)
{
    const auto rgb = PhotoLikeRgb(16, 16);
    for (const int quality : {5, 30, 50, 75, 90, 98, 100}) {
        const auto stream = bitmap::JoinJpegStreams(JpegOf(rgb, 16, 16, TJSAMP_420, quality));
        ASSERT_TRUE(stream.has_value());
        const auto header = bitmap::ReadJpegHeader(*stream);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->quality, quality);
        EXPECT_EQ(header->width, 16u);
    }
}

TEST(BitmapJpeg, TablesInAStreamOfTheirOwnAreJoinedToTheImage)
{
    const auto jpeg = JpegOf(PhotoLikeRgb(8, 8), 8, 8);
    // SOI, then every segment before the frame as a stream of its own.
    const auto frame = std::search(jpeg.begin(), jpeg.end(), std::begin(kFrameMarker), std::end(kFrameMarker));
    std::vector<std::uint8_t> split(jpeg.begin(), frame);
    split.insert(split.end(), {0xFF, 0xD9, 0xFF, 0xD8});
    split.insert(split.end(), frame, jpeg.end());
    const auto joined = bitmap::JoinJpegStreams(split);
    ASSERT_TRUE(joined.has_value());
    EXPECT_EQ(*joined, jpeg);
    EXPECT_FALSE(bitmap::JoinJpegStreams(std::vector<std::uint8_t>(jpeg.begin(), frame)).has_value());
}

std::vector<std::uint8_t> ReadPngRgba(std::span<const std::uint8_t> png)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    return rgba;
}

TEST(BitmapPngAndGif, ComeBackAsPngWithEveryVisibleColourShiftedExactly)
{
    constexpr int kWidth = 5, kHeight = 3;
    std::vector<std::uint8_t> rgba;
    std::uint32_t state = 3;
    for (int i = 0; i < kWidth * kHeight; ++i)
        rgba.insert(rgba.end(),
            {static_cast<std::uint8_t>(Noise(state)), static_cast<std::uint8_t>(Noise(state)),
                static_cast<std::uint8_t>(Noise(state)), static_cast<std::uint8_t>(i % 3 * 127)});
    const std::uint32_t palette[] = {0x0000FF, 0x00FF00, 0x123456, 0xABCDEF};
    std::vector<std::uint8_t> indices;
    for (int i = 0; i < kWidth * kHeight; ++i)
        indices.push_back(static_cast<std::uint8_t>(i % 4));
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> straight; // what the data shows
    };
    std::vector<std::uint8_t> gifShows;
    for (const std::uint8_t index : indices)
        gifShows.insert(gifShows.end(),
            {static_cast<std::uint8_t>(palette[index]), static_cast<std::uint8_t>(palette[index] >> 8),
                static_cast<std::uint8_t>(palette[index] >> 16), static_cast<std::uint8_t>(index == 3 ? 0 : 255)});
    const Case cases[]
        = {{"png", PngOf(rgba, kWidth, kHeight), rgba}, {"gif", GifOf(indices, palette, kWidth, kHeight, 3), gifShows}};
    const CColorTable table = ShiftTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagUnderTest t;
        LoadTag(t, 21, JpegTagBody(21, 2, c.data));
        EXPECT_EQ(CBitmapImage::Describe(SourceOf(t)).format, c.name);
        const auto image = Shifted(t);
        ASSERT_NE(image, nullptr);
        const auto body = image->Body();
        const auto got = ReadPngRgba(std::span(*body).subspan(2));
        ASSERT_EQ(got.size(), c.straight.size());
        for (std::size_t i = 0; i < got.size(); i += 4) {
            const std::uint8_t* s = c.straight.data() + i;
            const std::uint32_t want
                = s[3] == 0 ? (s[0] | s[1] << 8 | s[2] << 16) : Expected(s[0] | s[1] << 8 | s[2] << 16);
            EXPECT_EQ(got[i + 3], s[3]) << i / 4;
            if (s[3] != 0) {
                EXPECT_EQ(got[i] | got[i + 1] << 8 | got[i + 2] << 16, want) << i / 4;
            }
        }
    }
}

// A PNG with other dimensions in its header, its checksum made again.
std::vector<std::uint8_t> WithPngSize(std::vector<std::uint8_t> png, std::uint32_t width, std::uint32_t height)
{
    for (int i = 0; i < 4; ++i) {
        png[16 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        png[20 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, png.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        png[29 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return png;
}

// A GIF of one 1 x 1 frame on a canvas of the given size.
std::vector<std::uint8_t> GifOnCanvas(std::uint16_t width, std::uint16_t height)
{
    const std::uint32_t palette[] = {0x0000FF, 0x00FF00};
    auto gif = GifOf(std::vector<std::uint8_t>{1}, palette, 1, 1);
    gif[6] = static_cast<std::uint8_t>(width);
    gif[7] = static_cast<std::uint8_t>(width >> 8);
    gif[8] = static_cast<std::uint8_t>(height);
    gif[9] = static_cast<std::uint8_t>(height >> 8);
    return gif;
}

TEST(BitmapCorrupt, IsListedWithWhyAndItsStatedSizeAndNeverRecoloured)
{
    const std::vector<std::uint8_t> pixels(16 * 4, 0x80);
    const auto lossless = LosslessBody(1, 5, 4, 4, pixels);
    const auto jpeg = JpegOf(PhotoLikeRgb(16, 16), 16, 16);
    const auto png = PngOf(std::vector<std::uint8_t>(16 * 16 * 4, 0x40), 16, 16);
    const auto cut = [](std::vector<std::uint8_t> v, std::size_t n) {
        v.resize(v.size() - n);
        return v;
    };
    // Everything up to the frame, and the end of the image: tables only.
    std::vector<std::uint8_t> tablesOnly(
        jpeg.begin(), std::search(jpeg.begin(), jpeg.end(), std::begin(kFrameMarker), std::end(kFrameMarker)));
    tablesOnly.insert(tablesOnly.end(), {0xFF, 0xD9});
    // Half of the coded data after the scan's header, and no end marker.
    static constexpr std::uint8_t kScanMarker[] = {0xFF, 0xDA};
    const auto scan = static_cast<std::size_t>(
        std::search(jpeg.begin(), jpeg.end(), std::begin(kScanMarker), std::end(kScanMarker)) - jpeg.begin());
    auto arithmetic = jpeg;
    std::search(arithmetic.begin(), arithmetic.end(), std::begin(kFrameMarker), std::end(kFrameMarker))[1] = 0xC9;
    struct Case {
        const char* name;
        std::uint16_t code;
        std::vector<std::uint8_t> body;
        std::string problem;
        std::string size; // as listed, when the headers state one
    };
    const Case cases[] = {
        {"zlib stream cut short", 20, cut(lossless, 6), "corrupt image data", "4x4"},
        {"fewer rows than the height", 36, LosslessBody(1, 5, 4, 9, pixels), "corrupt image data", "4x9"},
        {"15-bit pixels with alpha", 36, LosslessBody(1, 4, 4, 4, pixels), "unknown lossless format 4", ""},
        {"unknown format", 20, LosslessBody(1, 7, 4, 4, pixels), "unknown lossless format 7", ""},
        {"JPEG cut in its headers", 21, JpegTagBody(21, 1, std::span(jpeg).first(100)), "corrupt JPEG data", ""},
        {"JPEG of tables only", 21, JpegTagBody(21, 1, tablesOnly), "corrupt JPEG data", ""},
        // libjpeg fills what is missing with grey, as it does any
        // "premature end of data".
        {"JPEG cut in its scan", 21, JpegTagBody(21, 1, cut(jpeg, (jpeg.size() - scan) / 2)), "JPEG data cut short",
            "16x16"},
        {"arithmetic-coded JPEG", 21, JpegTagBody(21, 1, arithmetic), "arithmetic-coded JPEG", "16x16"},
        {"alpha offset past the body", 35, cut(JpegTagBody(35, 1, jpeg), 10), "corrupt image data", ""},
        {"alpha plane too small", 35, JpegTagBody(35, 1, jpeg, ZlibOf(pixels)), "corrupt alpha data", "16x16"},
        {"PNG cut short", 21, JpegTagBody(21, 1, cut(png, 20)), "corrupt PNG data", "16x16"},
        {"GIF cut short", 21, JpegTagBody(21, 1, std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a', 1}),
            "corrupt GIF data", ""},
        // The image fuzzer's two findings: libpng refused to write them.
        {"GIF canvas of zero width", 21, JpegTagBody(21, 1, GifOnCanvas(0, 5)), "GIF canvas of zero width or height",
            "0x5"},
        {"GIF canvas of zero size", 21, JpegTagBody(21, 1, GifOnCanvas(0, 0)), "GIF canvas of zero width or height",
            "0x0"},
        // Tiny data declaring huge images: refused before any pixel is held.
        {"lossless beyond 1032 times its data", 20, LosslessBody(1, 5, 4000, 4000, pixels),
            "too little data for its size", "4000x4000"},
        {"JPEG declaring 11000 x 11000", 21, JpegTagBody(21, 1, JpegWithSize(jpeg, 11000, 11000)),
            "too little data for its size", "11000x11000"},
        {"PNG declaring 11000 x 11000", 21, JpegTagBody(21, 1, WithPngSize(png, 11000, 11000)),
            "too little data for its size", "11000x11000"},
        {"GIF canvas beyond its data", 21, JpegTagBody(21, 1, GifOnCanvas(8000, 8000)), "too little data for its size",
            "8000x8000"},
        {"more pixels than any image may have", 20, LosslessBody(1, 5, 65535, 65535, pixels), "image too large",
            "65535x65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagUnderTest t;
        LoadTag(t, c.code, c.body);
        const BitmapDescription description = CBitmapImage::Describe(SourceOf(t));
        EXPECT_EQ(description.problem, c.problem);
        if (!c.size.empty()) {
            EXPECT_EQ(std::to_string(description.width) + "x" + std::to_string(description.height), c.size);
        }
        std::string problem;
        EXPECT_EQ(Shifted(t, &problem), nullptr);
        EXPECT_EQ(problem, c.problem);
        EXPECT_FALSE(CBitmapImage::Thumbnail(SourceOf(t), 48).has_value());
    }
}

TEST(BitmapCorrupt, ALosslessTagCutShortByTheMovieIsListedWithItsStatedSize)
{
    CMovieBuilder builder;
    const auto body = LosslessBody(7, 5, 300, 200, std::vector<std::uint8_t>(300 * 200 * 4, 0x55));
    // The header claims the whole body; the movie ends halfway through it.
    auto tag = TagBytes(20, body, true);
    tag.resize(tag.size() / 2);
    builder.AddRaw(tag);
    TagUnderTest t;
    CMemoryInputFile file(builder.Build(false, false), "cut.swf");
    ASSERT_TRUE(t.movie.Load(file));
    ASSERT_EQ(t.movie.Images().size(), 1u);
    t.record = t.movie.Images()[0];
    t.body = t.movie.Buffer().subspan(t.record.bodyOffset, t.record.bodyLength);
    const BitmapDescription description = CBitmapImage::Describe(SourceOf(t));
    EXPECT_EQ(description.problem, "cut short by the end of the movie");
    EXPECT_EQ(description.width, 300u);
    EXPECT_EQ(description.height, 200u);
}

// Thumbnails of every kind of image, each made of a left half of one colour
// and a right half of another (half transparent where the format has alpha):
// the thumbnail keeps the proportions within the size asked, and its pixels
// away from the middle show each half's colour as a player shows it.
TEST(BitmapThumbnail, IsTheImageScaledDownWithItsColoursAndAlpha)
{
    constexpr int kWidth = 200, kHeight = 100;
    std::vector<std::uint8_t> rgb, rgba, xrgb, argb, indices;
    std::vector<std::uint8_t> alpha;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool left = x < kWidth / 2;
            rgb.insert(rgb.end(), {std::uint8_t(left ? 200 : 20), 40, std::uint8_t(left ? 30 : 220)});
            rgba.insert(rgba.end(),
                {std::uint8_t(left ? 200 : 20), 40, std::uint8_t(left ? 30 : 220), std::uint8_t(left ? 255 : 128)});
            xrgb.insert(xrgb.end(), {0xFF, std::uint8_t(left ? 200 : 20), 40, std::uint8_t(left ? 30 : 220)});
            // Premultiplied: the right half at alpha 128.
            argb.insert(argb.end(),
                {std::uint8_t(left ? 255 : 128), std::uint8_t(left ? 200 : 10), std::uint8_t(left ? 40 : 20),
                    std::uint8_t(left ? 30 : 110)});
            indices.push_back(left ? 0 : 1);
            alpha.push_back(left ? 255 : 128);
        }
    // JPEG3's colours are premultiplied by its alpha plane.
    std::vector<std::uint8_t> premultiplied = rgb;
    for (std::size_t i = 0; i < alpha.size(); ++i)
        for (std::size_t k = 0; k < 3; ++k)
            premultiplied[i * 3 + k] = static_cast<std::uint8_t>((premultiplied[i * 3 + k] * alpha[i] + 127) / 255);
    const std::uint32_t palette[] = {0x1E28C8, 0xDC2814};
    struct Case {
        const char* name;
        std::uint16_t code;
        std::vector<std::uint8_t> body;
        std::uint8_t rightAlpha;
    };
    const Case cases[] = {
        {"lossless", 20, LosslessBody(1, 5, kWidth, kHeight, xrgb), 255},
        {"lossless2", 36, LosslessBody(1, 5, kWidth, kHeight, argb), 128},
        {"jpeg, decoded at a quarter", 21, JpegTagBody(21, 1, JpegOf(rgb, kWidth, kHeight, TJSAMP_444, 95)), 255},
        {"jpeg3", 35, JpegTagBody(35, 1, JpegOf(premultiplied, kWidth, kHeight, TJSAMP_444, 95), ZlibOf(alpha)), 128},
        {"png", 21, JpegTagBody(21, 1, PngOf(rgba, kWidth, kHeight)), 128},
        {"gif", 21, JpegTagBody(21, 1, GifOf(indices, palette, kWidth, kHeight)), 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagUnderTest t;
        LoadTag(t, c.code, c.body);
        const auto thumbnail = CBitmapImage::Thumbnail(SourceOf(t), 48);
        ASSERT_TRUE(thumbnail.has_value());
        ASSERT_EQ(thumbnail->width, 48u);
        ASSERT_EQ(thumbnail->height, 24u);
        const auto pixel = [&](int x) { return thumbnail->rgba.data() + (12 * 48 + x) * 4; };
        const auto near = [](const std::uint8_t* p, std::array<int, 4> want) {
            for (std::size_t k = 0; k < 4; ++k)
                if (std::abs(p[k] - want[k]) > 4)
                    return false;
            return true;
        };
        EXPECT_TRUE(near(pixel(5), {200, 40, 30, 255}));
        EXPECT_TRUE(near(pixel(40), {20, 40, 220, c.rightAlpha}));
    }
}

} // namespace
} // namespace tintor
