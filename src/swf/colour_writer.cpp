// Writing a colour at a place of the registry, in whatever form the place
// stores it, and reading it back.
#include "swf/cxform_record.h"
#include "swf/html_colours.h"
#include "swf/script_constants.h"
#include "swf/swf_file.h"

namespace tintor {

namespace {

constexpr std::size_t kRgbBytes = 3;
constexpr std::size_t kHexDigits = 6;
constexpr std::uint8_t kAllDigitsUpper = 0x3F;

bool WithAlpha(PlaceForm form) { return form == PlaceForm::TintWithAlpha; }

} // namespace

void CSwfFile::ClearColors()
{
    m_colors.Clear();
    m_encoded.clear();
    m_encodedKeys.clear();
    m_encodedAt.clear();
}

void CSwfFile::AddEncodedColor(ColorKind kind, const EncodedPlace& place)
{
    m_colors.Add(kind | place.loaded, place.pos);
    m_encoded.push_back(place);
    m_encodedKeys.push_back(kind | place.loaded);
}

void CSwfFile::AddScriptColour(EncodedPlace place)
{
    const std::size_t size = ScriptPlaceSize(place);
    if (size == 0 || place.pos > m_limit || m_limit - place.pos < size)
        return;
    const std::span<const std::uint8_t> bytes = std::span(m_fileBuf).subspan(place.pos, size);
    const auto value = ReadScriptConstant(bytes, place);
    if (!value)
        return;
    place.loaded = RgbOfScriptValue(*value);
    place.raw = 0;
    for (std::size_t i = 0; i < size; ++i)
        place.raw |= std::uint64_t{bytes[i]} << (8 * i);
    if (place.keepsValue)
        ++m_account.scriptNumbers;
    else if (!HoldsEveryColour(place))
        ++m_account.scriptsWithoutRoom;
    AddEncodedColor(KIND_SCRIPT, place);
}

void CSwfFile::SealEncodedPlaces()
{
    // The walk meets them in the order of the buffer; sorted all the same,
    // as every look-up relies on it.
    std::sort(
        m_encoded.begin(), m_encoded.end(), [](const EncodedPlace& a, const EncodedPlace& b) { return a.pos < b.pos; });
    std::sort(m_encodedKeys.begin(), m_encodedKeys.end());
    m_encodedKeys.erase(std::unique(m_encodedKeys.begin(), m_encodedKeys.end()), m_encodedKeys.end());
    // Looked up once here rather than for every key at every write.
    m_encodedAt.clear();
    if (m_encodedKeys.empty())
        return;
    const auto keys = m_colors.DenseKeys();
    m_encodedAt.resize(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        m_encodedAt[i] = std::binary_search(m_encodedKeys.begin(), m_encodedKeys.end(), keys[i]);
}

const EncodedPlace* CSwfFile::EncodedPlaceAt(std::uint32_t pos) const
{
    const auto it = std::lower_bound(
        m_encoded.begin(), m_encoded.end(), pos, [](const EncodedPlace& p, std::uint32_t at) { return p.pos < at; });
    return it != m_encoded.end() && it->pos == pos ? &*it : nullptr;
}

bool CSwfFile::WriteColour(std::uint32_t pos, std::uint32_t rgb) { return WriteColourInto(m_fileBuf, pos, rgb); }

bool CSwfFile::WriteColourInto(std::span<std::uint8_t> buffer, std::uint32_t pos, std::uint32_t rgb) const
{
    const std::span<std::uint8_t> rest = pos < buffer.size() ? buffer.subspan(pos) : std::span<std::uint8_t>();
    const EncodedPlace* place = EncodedPlaceAt(pos);
    if (place == nullptr) {
        if (rest.size() < kRgbBytes)
            return false;
        rest[0] = static_cast<std::uint8_t>(rgb & 0xFF);
        rest[1] = static_cast<std::uint8_t>((rgb >> 8) & 0xFF);
        rest[2] = static_cast<std::uint8_t>((rgb >> 16) & 0xFF);
        return true;
    }
    const bool original = RgbOf(rgb) == place->loaded;
    switch (place->form) {
    case PlaceForm::Tint:
    case PlaceForm::TintWithAlpha: {
        const auto record = ParseCxformRecord(rest, WithAlpha(place->form));
        const auto tint = record ? TintOf(*record) : std::nullopt;
        if (!tint)
            return false;
        // The colour as loaded goes back as the terms that were loaded: a
        // tint whose colour was clamped to 255 would not come back otherwise.
        const std::array<std::int32_t, 3> add = original
            ? std::array<std::int32_t, 3>{place->add[0], place->add[1], place->add[2]}
            : TintAddTerms(rgb, tint->mult);
        return WriteAddTerms(rest, *record, add);
    }
    case PlaceForm::HtmlHex:
        if (rest.size() < kHexDigits)
            return false;
        // A new colour in the letter case the movie wrote its own in.
        WriteHtmlHex(rest, rgb,
            original                      ? place->upperDigits
                : place->upperDigits != 0 ? kAllDigitsUpper
                                          : std::uint8_t{0});
        return true;
    case PlaceForm::ActionInteger:
    case PlaceForm::ActionDouble:
    case PlaceForm::AbcVarInt:
    case PlaceForm::AbcShort:
    case PlaceForm::AbcByte:
    case PlaceForm::AbcDouble: {
        const std::size_t size = ScriptPlaceSize(*place);
        if (rest.size() < size)
            return false;
        if (original) {
            for (std::size_t i = 0; i < size; ++i)
                rest[i] = static_cast<std::uint8_t>(place->raw >> (8 * i));
            return true;
        }
        // A constant that is also a number keeps its value.
        return !place->keepsValue && WriteScriptConstant(rest, *place, ScriptValueOf(RgbOf(rgb)));
    }
    }
    return false;
}

std::uint32_t CSwfFile::ScriptUsesOf(ColorKey key) const
{
    std::uint32_t uses = 0;
    if (KindOf(key) == KIND_SCRIPT)
        for (const std::uint32_t pos : m_colors.PositionsOf(key))
            if (const EncodedPlace* place = EncodedPlaceAt(pos))
                uses |= place->uses;
    return uses;
}

std::size_t CSwfFile::PlaceSize(std::uint32_t pos) const
{
    const EncodedPlace* place = EncodedPlaceAt(pos);
    if (place == nullptr)
        return kRgbBytes;
    if (place->form == PlaceForm::HtmlHex)
        return kHexDigits;
    if (IsScriptForm(place->form))
        return ScriptPlaceSize(*place);
    const auto record = ParseCxformRecord(
        std::span(m_fileBuf).subspan(std::min<std::size_t>(pos, m_fileBuf.size())), WithAlpha(place->form));
    return record ? record->ByteLength() : 0;
}

std::uint32_t CSwfFile::ColourAt(std::uint32_t pos) const
{
    const std::span<const std::uint8_t> rest
        = pos < m_fileBuf.size() ? std::span(m_fileBuf).subspan(pos) : std::span<const std::uint8_t>();
    const EncodedPlace* place = EncodedPlaceAt(pos);
    if (place == nullptr)
        return rest.size() < kRgbBytes ? 0 : static_cast<std::uint32_t>(rest[0] | rest[1] << 8 | rest[2] << 16);
    if (place->form == PlaceForm::HtmlHex)
        return ParseHtmlHex({reinterpret_cast<const char*>(rest.data()), rest.size()}).value_or(0);
    if (IsScriptForm(place->form))
        return RgbOfScriptValue(ReadScriptConstant(rest, *place).value_or(0));
    const auto record = ParseCxformRecord(rest, WithAlpha(place->form));
    const auto tint = record ? TintOf(*record) : std::nullopt;
    return tint ? tint->rgb : 0;
}

} // namespace tintor
