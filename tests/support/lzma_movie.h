#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tintor::test {

// The content of a ZWS movie after its 8-byte header, decoded through
// liblzma's .lzma reader, which shares nothing with the loader's raw decoder
// but the library. Checks the layout on the way: the stated compressed
// length is the stream's, and the stream ends with its end marker. Nullopt
// when any of that does not hold.
std::optional<std::vector<std::uint8_t>> DecodeLzmaMovie(std::span<const std::uint8_t> movie);

} // namespace tintor::test
