#pragma once

#include "core/byte_buffer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace tintor {

// No zlib stream inflates to more than this many times its own length: a
// deflate block codes at most 258 bytes in two bits. An image whose pixels
// would need more is not one its data can hold.
inline constexpr std::uint64_t kZlibMaxRatio = 1032;

// Inflates one zlib stream; nullopt when it is corrupt, cut short, or would
// inflate to more than limit bytes.
std::optional<ByteBuffer> Inflate(std::span<const std::uint8_t> stream, std::size_t limit);
// The same without keeping what it yields: each piece goes to take as it
// comes, through a buffer of a fixed size. The length inflated, or nullopt
// as for Inflate.
std::optional<std::size_t> InflatePieces(std::span<const std::uint8_t> stream, std::size_t limit,
    const std::function<void(std::span<const std::uint8_t>)>& take);
// Deflates at zlib's default level, as the movie itself is deflated.
ByteBuffer Deflate(std::span<const std::uint8_t> data);

} // namespace tintor
