#pragma once

#include "core/byte_buffer.h"
#include "core/file.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tintor {

// The body of a zlib-compressed movie (signature "CWS"): a zlib stream after
// the 8-byte header whose content is the movie from its ninth byte on.

// Decodes the body of bodySize bytes from the file, which stands just past
// the header, into movie from offset 8 on; movie's first 8 bytes are left
// for the header. leftover gets the bytes read past the stream's end. The
// stream is read whole and inflated by libdeflate in one call into a buffer
// of bodySize bytes; when that fails (FileLength says more or less than the
// stream holds, the stream is cut short or damaged, or it is longer than any
// encoder makes one) zlib inflates it again as it is read, which gives the
// same bytes wherever both succeed and grows the buffer only with what
// really arrives. Memory is the body and the compressed stream. False when
// the stream is damaged, ends early or yields other than bodySize bytes;
// std::bad_alloc when even the second way finds no memory.
bool InflateZlibBody(IInputFile& file, std::uint32_t bodySize, ByteBuffer& movie, ByteBuffer& leftover);

// The two ways apart, so that each can be held to the other.
// libdeflate over a whole stream that must yield exactly out.size() bytes:
// how many bytes of the stream it took, up to and including its checksum;
// nullopt when it yields more or less, or is damaged or cut short.
std::optional<std::size_t> InflateWhole(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out);
// zlib, fed first with start and then with what the file holds.
bool InflateAsRead(std::span<const std::uint8_t> start, IInputFile& file, std::uint32_t bodySize, ByteBuffer& movie,
    ByteBuffer& leftover);

// The whole file of a movie with the given header and body: the header, the
// deflated body and the trailer, in one buffer so that it can be written at
// once. A body that libdeflate's fast level shrinks is deflated at a deeper
// level too and the shorter kept; a small one is deflated by zlib at its
// default level, as it always was. Nullopt when compression fails.
std::optional<ByteBuffer> DeflateZlibMovie(
    std::span<const std::uint8_t> header, std::span<const std::uint8_t> body, std::span<const std::uint8_t> trailer);

} // namespace tintor
