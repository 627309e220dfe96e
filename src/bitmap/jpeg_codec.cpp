// JPEG image data through libjpeg-turbo: decoded to RGB, recoloured pixel by
// pixel, and encoded again with the subsampling it had and the quality its
// own quantisation tables show.
#include "bitmap/codecs.h"
#include "bitmap/colour_cache.h"
#include "bitmap/zlib_codec.h"

#include <jpeglib.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

namespace tintor::bitmap {

namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kDqt = 0xDB;
constexpr std::uint8_t kDht = 0xC4;
constexpr std::uint8_t kJpg = 0xC8;
constexpr std::uint8_t kDac = 0xCC;
constexpr std::uint8_t kTem = 0x01;
constexpr std::uint8_t kRst0 = 0xD0;
constexpr std::uint8_t kRst7 = 0xD7;

// The standard tables that the IJG quality scale is made from, in natural
// order, and the zigzag order that DQT segments store them in.
constexpr std::array<std::uint16_t, 64> kLuminance = {16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64,
    81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<std::uint16_t, 64> kChrominance = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
constexpr std::array<std::uint8_t, 64> kZigzag = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26,
    33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// A marker that stands alone, without a length.
bool Standalone(std::uint8_t marker) { return marker == kTem || (marker >= kRst0 && marker <= kRst7); }

std::uint32_t Word(std::span<const std::uint8_t> data, std::size_t at)
{
    return std::uint32_t{data[at]} << 8 | data[at + 1];
}

struct TjHandle {
    tjhandle handle;
    explicit TjHandle(tjhandle h) : handle(h)
    {
        if (handle == nullptr)
            throw std::bad_alloc();
    }
    ~TjHandle() { tjDestroy(handle); }
    TjHandle(const TjHandle&) = delete;
    TjHandle& operator=(const TjHandle&) = delete;
};

struct SamplingFactors {
    int horizontal;
    int vertical;
};
// The luminance sampling factors of a TurboJPEG subsampling; chrominance
// stays at 1 by 1.
SamplingFactors FactorsOf(int subsampling)
{
    switch (subsampling) {
    case TJSAMP_422:
        return {2, 1};
    case TJSAMP_420:
        return {2, 2};
    case TJSAMP_440:
        return {1, 2};
    case TJSAMP_411:
        return {4, 1};
    default:
        return {1, 1};
    }
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }

// Encodes with libjpeg's own interface rather than TurboJPEG's: it takes the
// image's own quantisation tables, so that the picture keeps its quality
// and the file its size, and entropy coding made to fit the image. Its
// errors end in a jump back here; nothing between needs destroying.
std::vector<std::uint8_t> Compress(
    const CBitmapImage::Photo& photo, std::uint32_t width, std::uint32_t height, bool grey, SamplingFactors factors)
{
    jpeg_compress_struct cinfo{};
    JpegError error{};
    unsigned char* out = nullptr;
    unsigned long size = 0;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpOnError;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        std::free(out);
        throw std::bad_alloc(); // pixels that decoded fail to encode only for want of memory
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (grey) {
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    } else {
        cinfo.comp_info[0].h_samp_factor = factors.horizontal;
        cinfo.comp_info[0].v_samp_factor = factors.vertical;
    }
    // The estimated quality fills in any table the image does not have.
    jpeg_set_quality(&cinfo, photo.quality, TRUE);
    for (std::size_t t = 0; t < photo.tables.size() && t < (grey ? 1u : 2u); ++t) {
        unsigned int natural[64];
        for (std::size_t k = 0; k < 64; ++k)
            natural[kZigzag[k]] = photo.tables[t][k];
        jpeg_add_quant_table(&cinfo, static_cast<int>(t), natural, 100, TRUE);
    }
    cinfo.optimize_coding = TRUE;
    if (photo.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(photo.rgb.data() + std::size_t{cinfo.next_scanline} * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> result(out, out + size);
    std::free(out);
    return result;
}

// A failure of libjpeg-turbo that is only a warning leaves a usable image:
// players show such images too.
bool Decoded(tjhandle handle, int rc) { return rc == 0 || tjGetErrorCode(handle) == TJERR_WARNING; }

// Slightly damaged data decodes with a warning, a scan limit keeps a hostile
// progressive image from taking forever.
constexpr int kDecodeFlags = TJFLAG_LIMITSCANS;

} // namespace

std::optional<std::vector<std::uint8_t>> JoinJpegStreams(std::span<const std::uint8_t> data)
{
    // Movies made before version 8 may put an end and a start marker before
    // the real start of the image.
    static constexpr std::uint8_t kErroneous[] = {kMarker, kEoi, kMarker, kSoi};
    if (data.size() >= 4 && std::equal(std::begin(kErroneous), std::end(kErroneous), data.begin()))
        data = data.subspan(4);
    if (data.size() < 4 || data[0] != kMarker || data[1] != kSoi)
        return std::nullopt;
    std::vector<std::uint8_t> out = {kMarker, kSoi};
    std::size_t pos = 2;
    while (pos < data.size()) {
        if (data[pos] != kMarker)
            return std::nullopt;
        while (pos < data.size() && data[pos] == kMarker)
            ++pos; // fill bytes
        if (pos == data.size())
            return std::nullopt;
        const std::uint8_t marker = data[pos++];
        // The end of a stream of tables and the start of the next stream:
        // the two streams become one.
        if (marker == kEoi || marker == kSoi)
            continue;
        if (Standalone(marker)) {
            out.insert(out.end(), {kMarker, marker});
            continue;
        }
        if (pos + 2 > data.size())
            return std::nullopt;
        const std::size_t length = Word(data, pos);
        if (length < 2 || pos + length > data.size())
            return std::nullopt;
        out.insert(out.end(), {kMarker, marker});
        if (marker == kSos) {
            // The scans and the end of the image follow as they are.
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos), data.end());
            return out;
        }
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
            data.begin() + static_cast<std::ptrdiff_t>(pos + length));
        pos += length;
    }
    return std::nullopt; // no image in it
}

std::optional<JpegHeader> ReadJpegHeader(std::span<const std::uint8_t> stream)
{
    std::array<std::array<std::uint16_t, 64>, 4> tables{};
    std::array<bool, 4> defined{};
    std::vector<std::uint8_t> componentTables;
    JpegHeader header;
    bool frame = false;
    std::size_t pos = 2;
    while (pos + 4 <= stream.size() && stream[pos] == kMarker) {
        const std::uint8_t marker = stream[pos + 1];
        if (Standalone(marker)) {
            pos += 2;
            continue;
        }
        const std::size_t length = Word(stream, pos + 2);
        if (length < 2 || pos + 2 + length > stream.size())
            return std::nullopt;
        const std::span<const std::uint8_t> segment = stream.subspan(pos + 4, length - 2);
        if (marker == kSos)
            break;
        if (marker == kDqt) {
            for (std::size_t at = 0; at < segment.size();) {
                const bool wide = (segment[at] >> 4) != 0;
                const std::size_t id = segment[at] & 3;
                const std::size_t size = 1 + 64 * (wide ? 2 : 1);
                if (at + size > segment.size())
                    return std::nullopt;
                for (std::size_t k = 0; k < 64; ++k)
                    tables[id][k]
                        = wide ? static_cast<std::uint16_t>(Word(segment, at + 1 + 2 * k)) : segment[at + 1 + k];
                defined[id] = true;
                at += size;
            }
        } else if (marker >= 0xC0 && marker <= 0xCF && marker != kDht && marker != kJpg && marker != kDac) {
            if (segment.size() < 6)
                return std::nullopt;
            header.height = Word(segment, 1);
            header.width = Word(segment, 3);
            header.progressive = (marker & 0x03) == 0x02;
            for (std::size_t c = 0; c < segment[5] && 6 + 3 * c + 2 < segment.size(); ++c)
                componentTables.push_back(segment[6 + 3 * c + 2] & 3);
            frame = true;
        }
        pos += 2 + length;
    }
    if (!frame)
        return std::nullopt;
    // Luminance is the first component's table, chrominance the second's.
    std::vector<std::array<std::uint16_t, 64>> used;
    for (std::size_t c = 0; c < std::min<std::size_t>(componentTables.size(), 2); ++c)
        if (defined[componentTables[c]])
            used.push_back(tables[componentTables[c]]);
    header.quality = EstimateJpegQuality(used);
    header.tables = used;
    return header;
}

int EstimateJpegQuality(std::span<const std::array<std::uint16_t, 64>> tables)
{
    // Without tables to go by, libjpeg's own default.
    if (tables.empty())
        return 75;
    // The scale of the tables against the standard ones, over all their
    // entries: tables of other makers (Photoshop's, say) come out at the IJG
    // quality that makes a file of about their size, where matching entry by
    // entry would follow their few fine entries to a much larger file.
    double actual = 0;
    double standard = 0;
    for (std::size_t t = 0; t < tables.size(); ++t)
        for (std::size_t k = 0; k < 64; ++k) {
            actual += tables[t][k];
            standard += (t == 0 ? kLuminance : kChrominance)[kZigzag[k]];
        }
    const double scale = 100.0 * actual / standard;
    const int estimate
        = std::clamp(static_cast<int>(std::lround(scale <= 100 ? (200 - scale) / 2 : 5000 / scale)), 1, 100);
    // The quality that makes exactly these tables, when one does, nearest
    // the estimate first: entries clamped to 1 or 255 at the ends of the
    // scale pull the sums off.
    for (int distance = 0; distance < 100; ++distance)
        for (const int quality : {estimate - distance, estimate + distance}) {
            if (quality < 1 || quality > 100)
                continue;
            const long factor = quality < 50 ? 5000 / quality : 200 - quality * 2;
            bool exact = true;
            for (std::size_t t = 0; exact && t < tables.size(); ++t)
                for (std::size_t k = 0; exact && k < 64; ++k)
                    exact = std::clamp(((t == 0 ? kLuminance : kChrominance)[kZigzag[k]] * factor + 50) / 100, 1L, 255L)
                        == tables[t][k];
            if (exact)
                return quality;
        }
    return estimate;
}

std::optional<CBitmapImage::Photo> DecodeJpeg(std::span<const std::uint8_t> stream, const JpegHeader& header,
    std::span<const std::uint8_t> alphaStream, std::string& problem)
{
    TjHandle tj(tjInitDecompress());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(tj.handle, stream.data(), static_cast<unsigned long>(stream.size()), &width, &height,
            &subsampling, &colourspace)
            != 0
        || static_cast<std::uint32_t>(width) != header.width || static_cast<std::uint32_t>(height) != header.height) {
        problem = "corrupt JPEG data";
        return std::nullopt;
    }
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    if (pixels > CBitmapImage::kMaxPixels) {
        problem = "image too large";
        return std::nullopt;
    }
    CBitmapImage::Photo photo;
    photo.rgb.resize(pixels * 3);
    if (!Decoded(tj.handle,
            tjDecompress2(tj.handle, stream.data(), static_cast<unsigned long>(stream.size()), photo.rgb.data(), width,
                0, height, TJPF_RGB, kDecodeFlags))) {
        problem = "corrupt JPEG data";
        return std::nullopt;
    }
    if (!alphaStream.empty()) {
        auto alpha = Inflate(alphaStream, pixels);
        if (!alpha || alpha->size() != pixels) {
            problem = "corrupt alpha data";
            return std::nullopt;
        }
        photo.alpha.assign(alpha->begin(), alpha->end());
    }
    photo.grey = subsampling == TJSAMP_GRAY;
    photo.subsampling = subsampling >= TJSAMP_444 && subsampling <= TJSAMP_411 ? subsampling : TJSAMP_444;
    photo.quality = header.quality;
    photo.tables = header.tables;
    photo.progressive = header.progressive;
    return photo;
}

bool CheckJpeg(std::span<const std::uint8_t> stream, std::string& problem)
{
    TjHandle tj(tjInitDecompress());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    const auto size = static_cast<unsigned long>(stream.size());
    if (tjDecompressHeader3(tj.handle, stream.data(), size, &width, &height, &subsampling, &colourspace) != 0) {
        problem = "corrupt JPEG data";
        return false;
    }
    // An eighth of the size still reads every bit of the scans.
    const int small = std::max(1, (width + 7) / 8);
    const int smallHeight = std::max(1, (height + 7) / 8);
    std::vector<std::uint8_t> pixels(std::size_t(small) * std::size_t(smallHeight) * 3);
    if (!Decoded(tj.handle,
            tjDecompress2(
                tj.handle, stream.data(), size, pixels.data(), small, 0, smallHeight, TJPF_RGB, kDecodeFlags))) {
        problem = "corrupt JPEG data";
        return false;
    }
    return true;
}

CBitmapImage::Photo RecolourPhoto(const CBitmapImage::Photo& photo, const RecolourFn& recolour)
{
    const bool alpha = !photo.alpha.empty();
    CColourCache cache([&](std::uint32_t v) {
        const std::uint32_t a = alpha ? v >> 24 : 255;
        if (a == 0)
            return v & 0xFFFFFF; // invisible: as it was
        if (a == 255)
            return recolour(v & 0xFFFFFF);
        const std::uint32_t c = recolour(Unpremultiply(v & 0xFF, a) | Unpremultiply((v >> 8) & 0xFF, a) << 8
            | Unpremultiply((v >> 16) & 0xFF, a) << 16);
        return Premultiply(c & 0xFF, a) | Premultiply((c >> 8) & 0xFF, a) << 8 | Premultiply((c >> 16) & 0xFF, a) << 16;
    });
    // Opaque pixels, nearly all of most images, go through the memo.
    CRgbMemo opaque([&](std::uint32_t v) { return recolour(v); });
    CBitmapImage::Photo result;
    result.alpha = photo.alpha;
    result.subsampling = photo.subsampling;
    result.quality = photo.quality;
    result.progressive = photo.progressive;
    result.grey = photo.grey;
    result.tables = photo.tables;
    // Written once, straight from the pixels before: no copy to change.
    result.rgb.resize(photo.rgb.size());
    const std::uint8_t* in = photo.rgb.data();
    std::uint8_t* out = result.rgb.data();
    const std::size_t count = photo.rgb.size() / 3;
    // Neighbours often share their colour: the last one is kept at hand.
    std::uint32_t lastKey = 0;
    std::uint32_t lastColour = cache(0);
    for (std::size_t i = 0; i < count; ++i, in += 3, out += 3) {
        std::uint32_t key = in[0] | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16;
        if (alpha)
            key |= std::uint32_t{photo.alpha[i]} << 24;
        if (key != lastKey) {
            lastKey = key;
            lastColour = key >> 24 == (alpha ? 255u : 0u) ? opaque(key & 0xFFFFFF) : cache(key);
        }
        out[0] = static_cast<std::uint8_t>(lastColour);
        out[1] = static_cast<std::uint8_t>(lastColour >> 8);
        out[2] = static_cast<std::uint8_t>(lastColour >> 16);
    }
    return result;
}

std::vector<std::uint8_t> EncodeJpeg(const CBitmapImage::Photo& photo, std::uint32_t width, std::uint32_t height)
{
    bool grey = false;
    if (photo.grey) {
        // A grey image stays grey unless the change gave it colour.
        grey = true;
        for (std::size_t i = 0; grey && i < photo.rgb.size(); i += 3)
            grey = photo.rgb[i] == photo.rgb[i + 1] && photo.rgb[i] == photo.rgb[i + 2];
    }
    return Compress(photo, width, height, grey, FactorsOf(photo.grey ? TJSAMP_420 : photo.subsampling));
}

} // namespace tintor::bitmap
