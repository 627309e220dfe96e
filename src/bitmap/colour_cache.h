#pragma once

#include <array>
#include <cstdint>
#include <memory>
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

// What a recolouring does to each RGB colour (red in the low byte), worked
// out once per distinct colour and remembered exactly. Colours are filed by
// their top bits per channel in blocks of the colours that share them, made
// when first needed: the colours of neighbouring pixels of a
// photograph are close, so one block serves many pixels in a row and stays
// in the processor's cache, where a hash over all colours would not.
template <typename Compute> class CRgbMemo {
public:
    explicit CRgbMemo(Compute compute) : m_compute(std::move(compute)), m_blocks(kCells) {}

    std::uint32_t operator()(std::uint32_t rgb)
    {
        const std::uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
        auto& block = m_blocks[(r >> kLow) | (g >> kLow) << kHigh | (b >> kLow) << (2 * kHigh)];
        if (!block) {
            block = std::make_unique<Block>();
            block->fill(kUnknown);
        }
        std::uint32_t& result = (*block)[(r & kLowMask) | (g & kLowMask) << kLow | (b & kLowMask) << (2 * kLow)];
        if (result == kUnknown)
            result = m_compute(rgb) & 0xFFFFFF;
        return result;
    }

private:
    // Bits of each channel that pick the block, and that pick the colour in it.
    static constexpr int kHigh = 5;
    static constexpr int kLow = 8 - kHigh;
    static constexpr std::uint32_t kLowMask = (1u << kLow) - 1;
    static constexpr std::size_t kCells = std::size_t{1} << (3 * kHigh);
    // No colour has bits above 23 set.
    static constexpr std::uint32_t kUnknown = 0xFFFFFFFF;
    using Block = std::array<std::uint32_t, std::size_t{1} << (3 * kLow)>;
    Compute m_compute;
    std::vector<std::unique_ptr<Block>> m_blocks;
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
