#include "support/tag_headers.h"

namespace tintor::test {

std::vector<TagSpan> MainTags(std::span<const std::uint8_t> bytes)
{
    std::vector<TagSpan> tags;
    if (bytes.size() < 9)
        return tags;
    const std::size_t rectBits = 5 + 4 * (bytes[8] >> 3);
    std::size_t pos = 8 + (rectBits + 7) / 8 + 4;
    while (pos + 2 <= bytes.size()) {
        const std::uint16_t v = static_cast<std::uint16_t>(bytes[pos] | bytes[pos + 1] << 8);
        std::size_t length = v & 0x3F;
        pos += 2;
        if (length == 0x3F && pos + 4 <= bytes.size()) {
            length = bytes[pos] | bytes[pos + 1] << 8 | bytes[pos + 2] << 16 | std::size_t{bytes[pos + 3]} << 24;
            pos += 4;
        }
        const auto code = static_cast<std::uint16_t>(v >> 6);
        tags.push_back({code, pos, pos + length});
        pos += length;
        if (code == 0)
            break;
    }
    return tags;
}

} // namespace tintor::test
