#include "swf/cxform_record.h"

#include <algorithm>

namespace tintor {

namespace {

constexpr unsigned kFlagBits = 6; // has-add, has-mult and the 4-bit width
constexpr std::int32_t kNeutralMult = 256;
constexpr std::uint32_t kChannelMax = 255;

// Bit fields most significant bit first, from a bit offset of a byte span
// that the caller has checked holds them.
std::uint32_t BitsAt(std::span<const std::uint8_t> bytes, std::size_t bit, unsigned n)
{
    if (n == 0)
        return 0;
    // A field of at most 15 bits spans at most three bytes.
    const std::size_t first = bit / 8, last = (bit + n - 1) / 8;
    std::uint32_t window = 0;
    for (std::size_t i = first; i <= last; ++i)
        window = window << 8 | bytes[i];
    const auto used = static_cast<unsigned>(last - first + 1) * 8;
    return (window >> (used - bit % 8 - n)) & ((1u << n) - 1);
}

std::int32_t SignedBitsAt(std::span<const std::uint8_t> bytes, std::size_t bit, unsigned n)
{
    std::uint32_t value = BitsAt(bytes, bit, n);
    if (n > 0 && (value & (1u << (n - 1))) != 0)
        value |= ~0u << n;
    return static_cast<std::int32_t>(value);
}

void PutBitsAt(std::span<std::uint8_t> bytes, std::size_t bit, unsigned n, std::uint32_t value)
{
    for (unsigned i = 0; i < n; ++i, ++bit) {
        const auto mask = static_cast<std::uint8_t>(0x80u >> (bit % 8));
        if ((value >> (n - 1 - i)) & 1u)
            bytes[bit / 8] |= mask;
        else
            bytes[bit / 8] &= static_cast<std::uint8_t>(~mask);
    }
}

} // namespace

std::size_t CxformRecord::BitLength() const
{
    const std::size_t terms = (hasMult ? Channels() : 0) + (hasAdd ? Channels() : 0);
    return kFlagBits + terms * bits;
}

std::size_t CxformRecord::AddBit(unsigned channel) const
{
    return kFlagBits + ((hasMult ? Channels() : 0) + channel) * bits;
}

bool CxformRecord::Fits(std::int32_t value) const
{
    if (bits == 0)
        return value == 0;
    const std::int32_t half = std::int32_t{1} << (bits - 1);
    return value >= -half && value < half;
}

std::optional<CxformRecord> ParseCxformRecord(std::span<const std::uint8_t> bytes, bool withAlpha)
{
    if (bytes.empty())
        return std::nullopt;
    CxformRecord r;
    r.withAlpha = withAlpha;
    r.hasAdd = BitsAt(bytes, 0, 1) != 0;
    r.hasMult = BitsAt(bytes, 1, 1) != 0;
    r.bits = BitsAt(bytes, 2, 4);
    if (r.BitLength() > bytes.size() * 8)
        return std::nullopt;
    std::size_t bit = kFlagBits;
    if (r.hasMult)
        for (unsigned c = 0; c < r.Channels(); ++c, bit += r.bits)
            r.mult[c] = SignedBitsAt(bytes, bit, r.bits);
    if (r.hasAdd)
        for (unsigned c = 0; c < r.Channels(); ++c, bit += r.bits)
            r.add[c] = SignedBitsAt(bytes, bit, r.bits);
    return r;
}

std::optional<Tint> TintOf(const CxformRecord& r)
{
    if (!r.hasAdd || !r.hasMult)
        return std::nullopt;
    const std::int32_t m = r.mult[0];
    // A negative multiplier inverts, which no tint does.
    if (m < 0 || m >= kNeutralMult || r.mult[1] != m || r.mult[2] != m)
        return std::nullopt;
    if (r.add[0] < 0 || r.add[1] < 0 || r.add[2] < 0)
        return std::nullopt;
    Tint tint;
    tint.mult = m;
    for (unsigned c = 0; c < 3; ++c)
        tint.rgb |= TintChannel(r.add[c], m) << (8 * c);
    return tint;
}

std::uint32_t TintChannel(std::int32_t add, std::int32_t mult)
{
    const std::int64_t weight = kNeutralMult - mult;
    const std::int64_t c = (std::int64_t{add} * kNeutralMult + weight / 2) / weight;
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(c, 0, kChannelMax));
}

std::int32_t TintAddTerm(std::uint32_t channel, std::int32_t mult)
{
    return static_cast<std::int32_t>((channel * static_cast<std::uint32_t>(kNeutralMult - mult) + 128) / 256);
}

std::array<std::int32_t, 3> TintAddTerms(std::uint32_t rgb, std::int32_t mult)
{
    return {TintAddTerm(rgb & 0xFF, mult), TintAddTerm((rgb >> 8) & 0xFF, mult), TintAddTerm((rgb >> 16) & 0xFF, mult)};
}

bool HasRoomForEveryColour(const CxformRecord& record, std::int32_t mult)
{
    return record.Fits(TintAddTerm(kChannelMax, mult));
}

bool WriteAddTerms(std::span<std::uint8_t> bytes, const CxformRecord& record, const std::array<std::int32_t, 3>& add)
{
    if (!record.hasAdd || bytes.size() * 8 < record.BitLength())
        return false;
    if (!std::all_of(add.begin(), add.end(), [&](std::int32_t a) { return record.Fits(a); }))
        return false;
    for (unsigned c = 0; c < 3; ++c)
        PutBitsAt(bytes, record.AddBit(c), record.bits, static_cast<std::uint32_t>(add[c]));
    return true;
}

} // namespace tintor
