#pragma once

#include "colour/colour.h"
#include "colour/perceptual_effect.h"
#include "core/keyed_map.h"
#include "core/messages.h"
#include "swf/colour_key.h"
#include "swf/colour_registry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tintor {

// Where the sliders' effect is worked out: HSV as the classic effect does,
// or OKLCh, which keeps the lightness people see.
enum class EffectSpace { Hsv, OkLch };

// The editable state of a movie's colours: for every ColorKey the colour that
// replaces it (bits 0-23), whether it is selected (bit 24) and its kind
// (bits 28-31); beside them the pending effect of the sliders.
class CColorTable {
public:
    static constexpr int kDefaultParameter = 100;
    static constexpr std::uint32_t kAllKinds = kKindMask;

    // The pending effect and the kinds listed: everything of the table
    // beside its entries.
    struct Parameters {
        int hue = 0;
        int saturation = 0;
        int value = 0;
        int unify = 0;
        EffectSpace space = EffectSpace::Hsv;
        std::uint32_t kindFilter = kAllKinds;
        bool operator==(const Parameters&) const = default;
        // Whether the effect leaves every colour as it is.
        bool Neutral() const;
    };

    // The argument of the HSV effect for a slider's parameter: with N the
    // parameter less its default (-100..100), 128 + 1.28 N, so that 0 is
    // exactly the effect's neutral point and ±100 its whole range.
    static double EffectArgument(int parameter);

    CColorTable() = default;
    // Copies parameters and entries; the entries are inserted in the source's
    // order, so every bucket chain of the copy runs in reverse.
    CColorTable(const CColorTable& other);
    CColorTable& operator=(const CColorTable& other);
    // A table built aside takes the place of another without any way to fail.
    CColorTable(CColorTable&&) noexcept = default;
    CColorTable& operator=(CColorTable&&) noexcept = default;
    // Becomes other, the entries' iteration order included (a copy reverses it).
    void AssignExact(const CColorTable& other);

    const CKeyedMap<std::uint32_t>& Map() const { return m_map; }
    CKeyedMap<std::uint32_t>& Map() { return m_map; }

    int Hue() const { return m_hue; }
    int Saturation() const { return m_saturation; }
    int Value() const { return m_value; }
    int Unify() const { return m_unify; }
    // The space of the effect is a choice that lasts: applying the effect
    // leaves it as it is; a new movie starts in HSV.
    EffectSpace Space() const { return m_space; }
    std::uint32_t KindFilter() const { return m_kindFilter; }
    bool ParametersAreDefault() const;
    Parameters GetParameters() const { return {m_hue, m_saturation, m_value, m_unify, m_space, m_kindFilter}; }
    void SetParameters(const Parameters& parameters);
    // H = S = V = 100, U = 0.
    void ResetParameters();

    // Empties the table and sets the parameter defaults.
    void ResetColorTable();
    // Enters every registry key, mapped to itself and not selected.
    void FillColorTable(const CColorRegistry& registry);
    // The entry's value without the selection bit; with applyEffect and a
    // selected entry, the pending effect applied. A missing key is reported
    // and reads as white.
    std::uint32_t GetColor(std::uint32_t key, int applyEffect, IMessageSink& messages) const;
    // What GetColor gives for an entry of the given value, without the lookup.
    std::uint32_t ColorOf(std::uint32_t entry, int applyEffect) const;
    // ColorOf(entries[i], 1) into colours[i] for every entry; millions of
    // them are shared out among the machine's cores.
    void ColoursOf(std::span<const std::uint32_t> entries, std::span<std::uint32_t> colours) const;
    // Sets the parameter named by the first letter: 'H', 'S', 'V' or 'U';
    // 'P' chooses the effect's space, OKLCh when the value is nonzero.
    void Effect(std::string_view name, std::int32_t value, IMessageSink& messages);
    void Select(std::uint32_t key, int selected, IMessageSink& messages);
    // Folds the pending effect into the selected entries and resets the parameters.
    void ApplyEffects(IMessageSink& messages);
    // Whether two tables of the same keys show every entry in the same
    // colour, pending effects included; tables of other keys never do.
    static bool ShowSameColours(const CColorTable& a, const CColorTable& b);

private:
    // The entry's colour with the pending effect run over it, kind bits kept.
    std::uint32_t WithEffect(std::uint32_t entry) const;

    CKeyedMap<std::uint32_t> m_map;
    int m_hue = 0;
    int m_saturation = 0;
    int m_value = 0;
    int m_unify = 0;
    EffectSpace m_space = EffectSpace::Hsv;
    std::uint32_t m_kindFilter = kAllKinds;
    // The pending effect worked out for every colour at once, and the
    // parameters it was worked out for; a pass over a million colours then
    // costs each its way to HLS and back.
    struct EffectParameters {
        int hue, saturation, value, unify;
        bool operator==(const EffectParameters&) const = default;
    };
    mutable std::optional<CColorEffect> m_effect;
    mutable EffectParameters m_effectParameters{};
    // The same in OKLCh, which works each distinct colour out once.
    mutable std::optional<CPerceptualEffect> m_perceptual;
    mutable EffectParameters m_perceptualParameters{};
};

} // namespace tintor
