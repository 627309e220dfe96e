#include "swf/colour_account.h"

#include <algorithm>
#include <array>

namespace tintor {

namespace {

std::uint32_t BigEndian16(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at] << 8 | b[at + 1]);
}

std::uint32_t BigEndian32(std::span<const std::uint8_t> b, std::size_t at)
{
    return BigEndian16(b, at) << 16 | BigEndian16(b, at + 2);
}

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::optional<BitmapSize> PngSize(std::span<const std::uint8_t> image)
{
    // The IHDR chunk comes first: length, type, then width and height.
    constexpr std::size_t kWidthAt = 16;
    if (image.size() < kWidthAt + 8)
        return std::nullopt;
    return BitmapSize{BigEndian32(image, kWidthAt), BigEndian32(image, kWidthAt + 4)};
}

std::optional<BitmapSize> GifSize(std::span<const std::uint8_t> image)
{
    constexpr std::size_t kWidthAt = 6;
    if (image.size() < kWidthAt + 4)
        return std::nullopt;
    return BitmapSize{
        static_cast<std::uint32_t>(image[6] | image[7] << 8), static_cast<std::uint32_t>(image[8] | image[9] << 8)};
}

// Start-of-frame markers carry the size; C4 (Huffman tables), C8 and CC
// (arithmetic coding) share their range without being one.
bool IsStartOfFrame(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<BitmapSize> JpegSize(std::span<const std::uint8_t> image)
{
    constexpr std::uint8_t kStartOfScan = 0xDA;
    std::size_t pos = 0;
    while (pos + 1 < image.size()) {
        if (image[pos] != 0xFF) {
            ++pos;
            continue;
        }
        const std::uint8_t marker = image[pos + 1];
        // Fill bytes, start and end of image (older movies put an extra
        // pair in front) and restart markers stand alone.
        if (marker == 0xFF || marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
            pos += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (pos + 4 > image.size())
            return std::nullopt;
        const std::uint32_t length = BigEndian16(image, pos + 2);
        if (IsStartOfFrame(marker)) {
            if (pos + 9 > image.size())
                return std::nullopt;
            return BitmapSize{BigEndian16(image, pos + 7), BigEndian16(image, pos + 5)};
        }
        if (marker == kStartOfScan || length < 2)
            return std::nullopt;
        pos += 2 + length;
    }
    return std::nullopt;
}

} // namespace

std::uint32_t DrawingCallsIn(std::span<const std::uint8_t> bytes)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::uint32_t calls = 0;
    for (std::size_t i = 0; i < kScannedDrawingCalls; ++i)
        if (text.find(kDrawingCalls[i]) != std::string_view::npos)
            calls |= 1u << i;
    return calls;
}

std::uint32_t DrawingCallBit(std::string_view name, bool ignoreCase)
{
    const auto same = [ignoreCase](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return a == b || (ignoreCase && lower(a) == lower(b));
    };
    for (std::size_t i = 0; i < std::size(kDrawingCalls); ++i)
        if (std::equal(name.begin(), name.end(), kDrawingCalls[i].begin(), kDrawingCalls[i].end(), same))
            return 1u << i;
    return 0;
}

std::optional<BitmapSize> EncodedImageSize(std::span<const std::uint8_t> image)
{
    if (image.size() >= kPngSignature.size() && std::equal(kPngSignature.begin(), kPngSignature.end(), image.begin()))
        return PngSize(image);
    if (image.size() >= 6 && image[0] == 'G' && image[1] == 'I' && image[2] == 'F')
        return GifSize(image);
    if (image.size() >= 2 && image[0] == 0xFF && (image[1] == 0xD8 || image[1] == 0xD9))
        return JpegSize(image);
    return std::nullopt;
}

bool ColourAccount::Empty() const { return *this == ColourAccount{}; }

std::string_view TagName(std::uint16_t code)
{
    switch (code) {
    case 4:
        return "PlaceObject";
    case 6:
        return "DefineBits";
    case 7:
        return "DefineButton";
    case 12:
        return "DoAction";
    case 20:
        return "DefineBitsLossless";
    case 21:
        return "DefineBitsJPEG2";
    case 26:
        return "PlaceObject2";
    case 34:
        return "DefineButton2";
    case 35:
        return "DefineBitsJPEG3";
    case 36:
        return "DefineBitsLossless2";
    case 59:
        return "DoInitAction";
    case 60:
        return "DefineVideoStream";
    case 70:
        return "PlaceObject3";
    case 72:
        return "DoABCDefine";
    case 82:
        return "DoABC";
    case 90:
        return "DefineBitsJPEG4";
    default:
        return "tag";
    }
}

} // namespace tintor
