#include "colour/colour_table.h"

#include "core/parallel.h"

#include <algorithm>
#include <vector>

namespace tintor {
namespace {

// What GetColor gives for a key the table does not have.
constexpr std::uint32_t kWhite = 0x00FFFFFF;

} // namespace

double CColorTable::EffectArgument(int parameter)
{
    // In doubles: the parameter is whatever Effect was given, unchecked.
    return 128.0 + 1.28 * (static_cast<double>(parameter) - kDefaultParameter);
}

CColorTable::CColorTable(const CColorTable& other) { *this = other; }

CColorTable& CColorTable::operator=(const CColorTable& other)
{
    if (this == &other)
        return *this;
    SetParameters(other.GetParameters());
    // Each chain of the copy runs in reverse, as inserting the entries in the
    // source's order would make it; the history copies every state twice,
    // which brings the order back. Between tables of the same keys this is
    // one copy of the value array.
    m_map = other.m_map;
    return *this;
}

void CColorTable::AssignExact(const CColorTable& other)
{
    if (this == &other)
        return;
    SetParameters(other.GetParameters());
    m_map.AssignExact(other.m_map);
}

bool CColorTable::Parameters::Neutral() const
{
    return hue == kDefaultParameter && saturation == kDefaultParameter && value == kDefaultParameter && unify == 0;
}

bool CColorTable::ParametersAreDefault() const { return GetParameters().Neutral(); }

void CColorTable::SetParameters(const Parameters& parameters)
{
    m_hue = parameters.hue;
    m_saturation = parameters.saturation;
    m_value = parameters.value;
    m_unify = parameters.unify;
    m_space = parameters.space;
    m_kindFilter = parameters.kindFilter;
}

void CColorTable::ResetParameters()
{
    m_hue = kDefaultParameter;
    m_saturation = kDefaultParameter;
    m_value = kDefaultParameter;
    m_unify = 0;
}

void CColorTable::ResetColorTable()
{
    m_map.Clear();
    ResetParameters();
    m_space = EffectSpace::Hsv;
    m_kindFilter = kAllKinds;
}

void CColorTable::FillColorTable(const CColorRegistry& registry)
{
    // Into an empty table the registry's keys go in one pass, in its order,
    // so the table's dense index of a key is the registry's.
    if (m_map.Empty()) {
        m_map.AssignKeys(registry.DenseKeys());
        return;
    }
    registry.ForEach([this](std::uint32_t key, Positions) { m_map.Set(key, key); });
}

std::uint32_t CColorTable::GetColor(std::uint32_t key, int applyEffect, IMessageSink& messages) const
{
    const std::uint32_t* entry = m_map.Find(key & ~kSelectedBit);
    if (entry == nullptr) {
        messages.Show("GetColor: missing color");
        return kWhite;
    }
    return ColorOf(*entry, applyEffect);
}

std::uint32_t CColorTable::ColorOf(std::uint32_t entry, int applyEffect) const
{
    // Untouched sliders leave colours exactly as they are, without working
    // out an effect at all.
    if (applyEffect == 0 || !IsSelected(entry) || ParametersAreDefault())
        return entry & ~kSelectedBit;
    return WithEffect(entry);
}

void CColorTable::ColoursOf(std::span<const std::uint32_t> entries, std::span<std::uint32_t> colours) const
{
    // Each part works with an effect of its own: the table's cached ones
    // are not for sharing between threads.
    const bool neutral = ParametersAreDefault();
    const auto part = [&](std::size_t begin, std::size_t end) {
        std::optional<CColorEffect> hsv;
        std::optional<CPerceptualEffect> perceptual;
        if (!neutral && m_space == EffectSpace::OkLch)
            perceptual.emplace(
                m_hue - kDefaultParameter, m_saturation - kDefaultParameter, m_value - kDefaultParameter, m_unify != 0);
        else if (!neutral)
            hsv.emplace(EffectArgument(m_hue), EffectArgument(m_saturation), EffectArgument(m_value), m_unify);
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint32_t entry = entries[i];
            if (neutral || !IsSelected(entry))
                colours[i] = entry & ~kSelectedBit;
            else
                colours[i] = (entry & ~(kColourMask | kSelectedBit))
                    | (perceptual ? perceptual->Apply(entry) : hsv->Apply(entry));
        }
    };
    // Below this a thread costs more than it saves.
    constexpr std::size_t kPerThread = std::size_t{1} << 16;
    ForEachShare(entries.size(), kPerThread, part);
}

std::uint32_t CColorTable::WithEffect(std::uint32_t entry) const
{
    const EffectParameters parameters{m_hue, m_saturation, m_value, m_unify};
    if (m_space == EffectSpace::OkLch) {
        if (!m_perceptual || !(m_perceptualParameters == parameters)) {
            // The window's numbers: the parameter less its default.
            m_perceptual.emplace(
                m_hue - kDefaultParameter, m_saturation - kDefaultParameter, m_value - kDefaultParameter, m_unify != 0);
            m_perceptualParameters = parameters;
        }
        return (entry & ~(kColourMask | kSelectedBit)) | m_perceptual->Apply(entry);
    }
    if (!m_effect || !(m_effectParameters == parameters)) {
        m_effect.emplace(EffectArgument(m_hue), EffectArgument(m_saturation), EffectArgument(m_value), m_unify);
        m_effectParameters = parameters;
    }
    return (entry & ~(kColourMask | kSelectedBit)) | m_effect->Apply(entry);
}

bool CColorTable::ShowSameColours(const CColorTable& a, const CColorTable& b)
{
    if (!a.m_map.SameLayout(b.m_map))
        return a.m_map.Empty() && b.m_map.Empty();
    // Sliders at 0 leave every colour alone in either space.
    const bool sameEffect
        = a.GetParameters() == b.GetParameters() || (a.ParametersAreDefault() && b.ParametersAreDefault());
    const auto va = a.m_map.DenseValues();
    const auto vb = b.m_map.DenseValues();
    for (std::size_t i = 0; i < va.size(); ++i) {
        // Only an entry that differs, or that a differing effect reaches,
        // needs its colours worked out.
        if (va[i] == vb[i] && (sameEffect || !IsSelected(va[i])))
            continue;
        if (RgbOf(a.ColorOf(va[i], 1)) != RgbOf(b.ColorOf(vb[i], 1)))
            return false;
    }
    return true;
}

void CColorTable::Effect(std::string_view name, std::int32_t value, IMessageSink& messages)
{
    switch (name.empty() ? '\0' : name.front()) {
    case 'H':
        m_hue = value;
        break;
    case 'S':
        m_saturation = value;
        break;
    case 'V':
        m_value = value;
        break;
    case 'U':
        m_unify = value;
        break;
    case 'P':
        m_space = value != 0 ? EffectSpace::OkLch : EffectSpace::Hsv;
        break;
    default:
        messages.Show("Effect: unknown message type");
        break;
    }
}

void CColorTable::Select(std::uint32_t key, int selected, IMessageSink& messages)
{
    std::uint32_t* entry = m_map.Find(key & ~kSelectedBit);
    if (entry == nullptr) {
        messages.Show("Select: missing color");
        return;
    }
    if (selected != 0)
        *entry |= kSelectedBit;
    else
        *entry &= ~kSelectedBit;
}

void CColorTable::ApplyEffects(IMessageSink&)
{
    // At the defaults GetColor returns every colour as stored, so there is
    // nothing to fold in.
    if (!ParametersAreDefault()) {
        // Each entry on its own: the order does not matter.
        for (std::uint32_t& entry : m_map.DenseValues())
            if (IsSelected(entry))
                entry = WithEffect(entry) | kSelectedBit;
    }
    ResetParameters();
}

} // namespace tintor
