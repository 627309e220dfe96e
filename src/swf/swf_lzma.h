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
// left for the header. The stream is decoded once, as it is read: the
// buffer grows with what the stream really yields, and the dictionary is
// the one the properties state, but never larger than the body nor than
// the stream's bytes could fill. leftover gets the bytes read past the
// stream's end. False when the stream is damaged, ends early or yields
// other than bodySize bytes; std::bad_alloc when liblzma has no memory.
bool DecodeLzmaBody(IInputFile& file, std::uint32_t bodySize, ByteBuffer& movie, ByteBuffer& leftover);

// The whole file of a movie with the given header and body: the header, the
// compressed length, properties and stream with its end marker, then the
// trailer, in one buffer so that it can be written at once. Nullopt when
// liblzma fails.
std::optional<ByteBuffer> EncodeLzmaMovie(
    std::span<const std::uint8_t> header, std::span<const std::uint8_t> body, std::span<const std::uint8_t> trailer);

} // namespace tintor
