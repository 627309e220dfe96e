#pragma once

#include "core/byte_buffer.h"
#include "core/file.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tintor {

// What a body whose true size only its data can tell is first given; it
// grows from there with what really arrives.
constexpr std::size_t kFirstBodyGuess = std::size_t{1} << 20;

// Where a reader or a decoder puts a movie's body, whose true length only
// the data can tell, up to the length the header states (or the bytes after
// a movie, up to the most that is kept). Nothing the header states is
// trusted for memory: the bytes gather in pieces that grow with
// what has really arrived, and only once they make half the stated length
// is the movie's one buffer of the full length made, the pieces moved into
// it one by one (each freed as soon as it is copied) and the rest written
// straight into it. The peak is the body and one piece, where one buffer
// grown by doubling would at its last step hold up to twice the body.
class CBodyOutput {
public:
    // movie's first headerSize bytes are kept for the header. A first guess
    // that reaches bodySize makes the movie's buffer at once.
    CBodyOutput(ByteBuffer& movie, std::size_t headerSize, std::size_t bodySize, std::size_t firstGuess);
    CBodyOutput(const CBodyOutput&) = delete;
    CBodyOutput& operator=(const CBodyOutput&) = delete;

    // Room for the next bytes; empty once bodySize bytes have arrived.
    std::span<std::uint8_t> Room();
    // The first n bytes of the last Room were filled.
    void Filled(std::size_t n);
    std::size_t Size() const { return m_size; }
    // Leaves movie holding the header room and every byte that arrived.
    void Finish();

private:
    // The movie's buffer at its full length, the pieces moved into it.
    void MakeWhole(std::size_t length);

    ByteBuffer& m_movie;
    std::size_t m_headerSize;
    std::size_t m_bodySize;
    std::size_t m_firstGuess;
    std::size_t m_size = 0;
    bool m_whole = false;
    std::vector<ByteBuffer> m_pieces;
    // Bytes filled in the last piece.
    std::size_t m_lastFilled = 0;
};

// Reads from the file into out until out is full or the file ends.
void ReadInto(IInputFile& file, CBodyOutput& out);

} // namespace tintor
