#pragma once

#include "core/byte_buffer.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tintor {

// Inflates one zlib stream; nullopt when it is corrupt, cut short, or would
// inflate to more than limit bytes.
std::optional<ByteBuffer> Inflate(std::span<const std::uint8_t> stream, std::size_t limit);
// Deflates at zlib's default level, as the movie itself is deflated.
ByteBuffer Deflate(std::span<const std::uint8_t> data);

} // namespace tintor
