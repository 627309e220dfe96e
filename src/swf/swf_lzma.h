#pragma once

#include "core/byte_buffer.h"
#include "core/file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tintor {

// The body of an LZMA-compressed movie (signature "ZWS"): after the 8-byte
// header stand the length of the compressed stream (UI32), the five bytes of
// LZMA properties and a raw LZMA1 stream, with or without an end marker,
// whose content is the movie from its ninth byte on.
constexpr std::size_t kLzmaPrologueSize = 4 + 5;

// Decodes the body of bodySize bytes from the file, which stands just past
// the 8-byte header, into movie from offset 8 on; movie's first 8 bytes are
// left for the header. Nothing that the file states is trusted for an
// allocation: the buffer grows with what the stream really yields. Whatever
// follows the stream in the file goes to trailer. False when the stream is
// damaged or yields other than bodySize bytes.
bool DecodeLzmaBody(IInputFile& file, std::uint32_t bodySize, ByteBuffer& movie, ByteBuffer& trailer);

// The whole file of a movie with the given header and body: the header, the
// compressed length, properties and stream with its end marker, then the
// trailer, in one buffer so that it can be written at once. Nullopt when
// liblzma fails.
std::optional<ByteBuffer> EncodeLzmaMovie(
    std::span<const std::uint8_t> header, std::span<const std::uint8_t> body, std::span<const std::uint8_t> trailer);

} // namespace tintor
