#pragma once

#include <cstdint>
#include <vector>

namespace tintor {

// What a recolouring does to one pixel value, remembered for the values
// met lately: neighbouring pixels mostly share their colour, so each
// distinct value is worked out about once. Direct-mapped on a hash of the
// value; every slot always holds a value with its true result (all start as
// 0 with the result for 0), so a lookup never needs a separate empty mark.
template <typename Compute> class CColourCache {
public:
    explicit CColourCache(Compute compute) : m_compute(std::move(compute)), m_slots(kSlots, Slot{0, m_compute(0)}) {}

    std::uint32_t operator()(std::uint32_t value)
    {
        Slot& slot = m_slots[(value * 2654435761u) >> (32 - kSlotBits)];
        if (slot.value != value) {
            slot.value = value;
            slot.result = m_compute(value);
        }
        return slot.result;
    }

private:
    static constexpr int kSlotBits = 16;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    struct Slot {
        std::uint32_t value;
        std::uint32_t result;
    };
    Compute m_compute;
    std::vector<Slot> m_slots;
};

// Premultiplied alpha undone, for a colour channel c of a pixel of alpha a
// (0 < a): the straight channel, rounded, at most 255.
constexpr std::uint32_t Unpremultiply(std::uint32_t c, std::uint32_t a)
{
    const std::uint32_t straight = (c * 255 + a / 2) / a;
    return straight > 255 ? 255 : straight;
}
// And done again, rounded.
constexpr std::uint32_t Premultiply(std::uint32_t c, std::uint32_t a) { return (c * a + 127) / 255; }

} // namespace tintor
