#pragma once

#include "swf/abc_records.h"

#include <cstdint>
#include <cstring>
#include <span>

namespace tintor {

// The longest variable-length integer: 5 bytes of 7 bits (the fifth gives
// only its low four).
inline constexpr std::size_t kAbcVarintMaxLength = 5;

// A cursor over the bytes of one ABC block, which no read leaves. The first
// read that would run past the end, or meets a byte no record allows, fails
// the cursor: it keeps the fault and where it was, and from then on every
// read yields 0 and moves nothing, so the record loops end within the
// block's own bytes whatever their counts say.
class CAbcCursor {
public:
    // bytes stand at movie position base.
    CAbcCursor(std::span<const std::uint8_t> bytes, std::uint32_t base) : m_bytes(bytes), m_base(base) {}

    bool Failed() const { return m_fault != AbcFault::None; }
    AbcFault Fault() const { return m_fault; }
    std::uint32_t FaultPos() const { return m_faultPos; }
    // The movie position of the next byte.
    std::uint32_t Pos() const { return m_base + static_cast<std::uint32_t>(m_offset); }
    std::size_t Offset() const { return m_offset; }
    std::size_t Remaining() const { return m_bytes.size() - m_offset; }

    void Fail(AbcFault fault) { FailAt(fault, Pos()); }
    // The same for a byte already read, at movie position pos.
    void FailAt(AbcFault fault, std::uint32_t pos)
    {
        if (Failed())
            return;
        m_fault = fault;
        m_faultPos = pos;
        m_offset = m_bytes.size();
    }

    std::uint8_t ReadU8()
    {
        if (m_offset >= m_bytes.size()) {
            Fail(AbcFault::Truncated);
            return 0;
        }
        return m_bytes[m_offset++];
    }

    std::uint16_t ReadU16()
    {
        if (Remaining() < 2) {
            Fail(AbcFault::Truncated);
            return 0;
        }
        const auto v = static_cast<std::uint16_t>(m_bytes[m_offset] | m_bytes[m_offset + 1] << 8);
        m_offset += 2;
        return v;
    }

    // A u32 or s32 with where it stands: its bits as the player reads them.
    AbcVarint ReadVarint()
    {
        AbcVarint v{Pos(), 0, 0};
        for (std::size_t i = 0; i < kAbcVarintMaxLength; ++i) {
            const std::uint8_t byte = ReadU8();
            if (Failed())
                return {};
            v.value |= static_cast<std::uint32_t>(byte & 0x7F) << (7 * i);
            v.length = static_cast<std::uint8_t>(i + 1);
            if ((byte & 0x80) == 0)
                return v;
        }
        // The fifth byte still says more follow: one player reads on, the
        // other stops, so what comes next means different things to each.
        FailAt(AbcFault::Malformed, Pos() - 1);
        return {};
    }

    // A u30: counts and indices. Values of 2^30 and more are refused, as
    // the player refuses them.
    std::uint32_t ReadU30()
    {
        const std::uint32_t pos = Pos();
        const std::uint32_t value = ReadVarint().value;
        if (value >= (1u << 30)) {
            FailAt(AbcFault::Malformed, pos);
            return 0;
        }
        return value;
    }

    std::int32_t ReadS24()
    {
        if (Remaining() < 3) {
            Fail(AbcFault::Truncated);
            return 0;
        }
        std::uint32_t v = m_bytes[m_offset] | m_bytes[m_offset + 1] << 8 | m_bytes[m_offset + 2] << 16;
        m_offset += 3;
        if (v & 0x800000)
            v |= 0xFF000000;
        return static_cast<std::int32_t>(v);
    }

    double ReadD64()
    {
        const auto bytes = ReadBytes(8);
        if (bytes.size() != 8)
            return 0;
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = bits << 8 | bytes[static_cast<std::size_t>(i)];
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::span<const std::uint8_t> ReadBytes(std::size_t n)
    {
        if (Remaining() < n) {
            Fail(AbcFault::Truncated);
            return {};
        }
        const auto bytes = m_bytes.subspan(m_offset, n);
        m_offset += n;
        return bytes;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::uint32_t m_base;
    std::size_t m_offset = 0;
    AbcFault m_fault = AbcFault::None;
    std::uint32_t m_faultPos = 0;
};

// How many bytes a u32 takes at the least.
std::size_t AbcVarintLength(std::uint32_t bits);

} // namespace tintor
