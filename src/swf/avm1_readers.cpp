// Readers of action records, one per record that the colour pass needs.
#include "swf/avm1_records.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tintor {

namespace {

// Reads the data of one record: every read checks that it stays inside
// them, and the first that does not leaves the cursor failed.
class CActionData {
public:
    CActionData(std::span<const std::uint8_t> movie, const ActionRecord& record)
        : m_movie(movie), m_pos(record.dataPos), m_end(std::min<std::size_t>(record.End(), movie.size()))
    {
    }
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_pos >= m_end; }
    std::uint32_t Pos() const { return static_cast<std::uint32_t>(m_pos); }

    bool Has(std::size_t n)
    {
        m_ok = m_ok && m_pos <= m_end && m_end - m_pos >= n;
        return m_ok;
    }
    std::uint8_t Byte() { return Has(1) ? m_movie[m_pos++] : 0; }
    std::uint16_t Word()
    {
        if (!Has(2))
            return 0;
        const auto v = static_cast<std::uint16_t>(m_movie[m_pos] | m_movie[m_pos + 1] << 8);
        m_pos += 2;
        return v;
    }
    std::uint32_t DWord()
    {
        const std::uint32_t low = Word();
        return low | std::uint32_t{Word()} << 16;
    }
    // A string up to its terminating zero, which must lie inside the data.
    std::string_view String()
    {
        if (!m_ok || m_pos >= m_end) {
            m_ok = false;
            return {};
        }
        const auto* begin = m_movie.data() + m_pos;
        const auto* zero = static_cast<const std::uint8_t*>(std::memchr(begin, 0, m_end - m_pos));
        if (zero == nullptr) {
            m_ok = false;
            return {};
        }
        m_pos += static_cast<std::size_t>(zero - begin) + 1;
        return {reinterpret_cast<const char*>(begin), static_cast<std::size_t>(zero - begin)};
    }

private:
    std::span<const std::uint8_t> m_movie;
    std::size_t m_pos;
    std::size_t m_end;
    bool m_ok = true;
};

} // namespace

bool ReadActionPush(std::span<const std::uint8_t> movie, const ActionRecord& record, std::vector<PushValue>& values)
{
    CActionData data(movie, record);
    while (data.Ok() && !data.AtEnd()) {
        PushValue value;
        value.type = static_cast<PushType>(data.Byte());
        value.pos = data.Pos();
        switch (value.type) {
        case PushType::String:
            value.text = data.String();
            break;
        case PushType::Float:
            value.number = std::bit_cast<float>(data.DWord());
            break;
        case PushType::Null:
        case PushType::Undefined:
            break;
        case PushType::Register:
        case PushType::Boolean:
        case PushType::Constant8:
            value.index = data.Byte();
            break;
        case PushType::Double: {
            // The high half of the double comes first.
            const std::uint64_t high = data.DWord();
            value.number = std::bit_cast<double>(high << 32 | data.DWord());
            break;
        }
        case PushType::Integer:
            value.number = static_cast<std::int32_t>(data.DWord());
            break;
        case PushType::Constant16:
            value.index = data.Word();
            break;
        default:
            return false;
        }
        if (!data.Ok())
            return false;
        values.push_back(value);
    }
    return data.Ok();
}

std::optional<std::vector<std::string_view>> ReadConstantPool(
    std::span<const std::uint8_t> movie, const ActionRecord& record)
{
    CActionData data(movie, record);
    const std::uint16_t count = data.Word();
    std::vector<std::string_view> strings;
    // Each string takes at least its zero: a count the data cannot hold
    // is refused before anything is reserved for it.
    if (!data.Ok() || count > record.length)
        return std::nullopt;
    strings.reserve(count);
    for (std::uint16_t i = 0; i < count && data.Ok(); ++i)
        strings.push_back(data.String());
    if (!data.Ok() || !data.AtEnd())
        return std::nullopt;
    return strings;
}

std::optional<ActionFunction> ReadDefineFunction(std::span<const std::uint8_t> movie, const ActionRecord& record)
{
    CActionData data(movie, record);
    ActionFunction function;
    function.name = data.String();
    const std::uint16_t params = data.Word();
    if (record.code == kActionDefineFunction2) {
        data.Byte(); // register count
        data.Word(); // flags
        for (std::uint16_t i = 0; i < params && data.Ok(); ++i) {
            data.Byte(); // register
            data.String();
        }
    } else {
        for (std::uint16_t i = 0; i < params && data.Ok(); ++i)
            data.String();
    }
    function.bodySize = data.Word();
    if (!data.Ok())
        return std::nullopt;
    return function;
}

std::optional<std::uint16_t> ReadWith(std::span<const std::uint8_t> movie, const ActionRecord& record)
{
    CActionData data(movie, record);
    const std::uint16_t size = data.Word();
    return data.Ok() ? std::optional<std::uint16_t>(size) : std::nullopt;
}

std::optional<std::array<std::uint16_t, 3>> ReadTry(std::span<const std::uint8_t> movie, const ActionRecord& record)
{
    CActionData data(movie, record);
    data.Byte(); // flags
    std::array<std::uint16_t, 3> sizes{};
    for (std::uint16_t& size : sizes)
        size = data.Word();
    return data.Ok() ? std::optional<std::array<std::uint16_t, 3>>(sizes) : std::nullopt;
}

std::optional<std::int16_t> ReadBranchOffset(std::span<const std::uint8_t> movie, const ActionRecord& record)
{
    CActionData data(movie, record);
    const auto offset = static_cast<std::int16_t>(data.Word());
    return data.Ok() ? std::optional<std::int16_t>(offset) : std::nullopt;
}

std::optional<std::uint8_t> ReadStoreRegister(std::span<const std::uint8_t> movie, const ActionRecord& record)
{
    CActionData data(movie, record);
    const std::uint8_t reg = data.Byte();
    return data.Ok() ? std::optional<std::uint8_t>(reg) : std::nullopt;
}

} // namespace tintor
