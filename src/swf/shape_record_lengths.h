#pragma once

#include <array>
#include <cstdint>

namespace tintor {

// The length in bits of a shape record, told from its first eleven bits: the
// type bit and an edge's straight flag and width, or a style change's five
// flags and its move-to width. Skipping a record needs no more than that, so
// a run of edges and style changes is stepped over without decoding any
// field of it. The lengths of style changes depend on the widths of the
// style indices, which hold until the next new-styles record.
class CShapeRecordLengths {
public:
    CShapeRecordLengths()
    {
        // Edges, whose lengths no width changes: the type bit, the straight
        // flag, the width less 2, then for a straight edge the general-line
        // and vertical flags.
        for (unsigned first = 0x400; first < 0x800; ++first) {
            const unsigned n = ((first >> 5) & 0xF) + 2;
            m_lengths[first] = static_cast<std::uint8_t>((first & 0x200) == 0 ? 6 + 4 * n
                    : (first & 0x10) != 0                                     ? 7 + 2 * n
                                                                              : 8 + n);
        }
    }

    // Sets the widths of the fill and line style indices; nothing to do when
    // they are those set last, as across most shapes of a movie.
    void SetWidths(unsigned fillBits, unsigned lineBits)
    {
        if (fillBits != m_fillBits || lineBits != m_lineBits)
            Build(fillBits, lineBits);
    }

    // The length of the record whose first eleven bits stand at the top of
    // head; 0 for the records a reader must see itself: the end record and a
    // new-styles record, which stands before style arrays.
    unsigned Of(std::uint64_t head) const { return m_lengths[head >> 53]; }

private:
    // Style changes: the type bit, five flags, a move-to's five-bit width.
    void Build(unsigned fillBits, unsigned lineBits)
    {
        m_fillBits = fillBits;
        m_lineBits = lineBits;
        for (unsigned flags = 0; flags < 0x20; ++flags) {
            std::uint8_t* const lengths = &m_lengths[flags << 5];
            const bool seen = flags != 0 && (flags & 0x10) == 0;
            const unsigned bits = 6 + ((flags & 0x02) ? fillBits : 0) + ((flags & 0x04) ? fillBits : 0)
                + ((flags & 0x08) ? lineBits : 0);
            for (unsigned n = 0; n < 0x20; ++n)
                lengths[n] = static_cast<std::uint8_t>(!seen ? 0 : (flags & 0x01) ? bits + 5 + 2 * n : bits);
        }
    }

    std::array<std::uint8_t, 0x800> m_lengths{};
    // None yet: the first SetWidths builds the table.
    unsigned m_fillBits = ~0u;
    unsigned m_lineBits = ~0u;
};

} // namespace tintor
