#include "testkit/action_writer.h"

#include "testkit/movie_builder.h"

#include <algorithm>
#include <bit>

namespace tintor {

namespace {

constexpr std::uint8_t kDoAction = 12;

// Arguments as the stack takes them, the last first, and then their count.
std::vector<ActionValue> Arguments(std::initializer_list<ActionValue> args)
{
    std::vector<ActionValue> values(std::rbegin(args), std::rend(args));
    values.push_back(ActionValue::Int(static_cast<std::int32_t>(args.size())));
    return values;
}

// The offsets of the first count values, pushed last first, in the order
// the script wrote them.
std::vector<std::uint32_t> InScriptOrder(std::vector<std::uint32_t> offsets, std::size_t count)
{
    offsets.resize(count);
    std::reverse(offsets.begin(), offsets.end());
    return offsets;
}

} // namespace

void CActionWriter::Word(std::uint16_t v)
{
    m_bytes.push_back(static_cast<std::uint8_t>(v));
    m_bytes.push_back(static_cast<std::uint8_t>(v >> 8));
}

void CActionWriter::Action(std::uint8_t code, std::span<const std::uint8_t> data)
{
    m_bytes.push_back(code);
    if (code >= kActionWithLength) {
        Word(static_cast<std::uint16_t>(data.size()));
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    }
}

std::vector<std::uint32_t> CActionWriter::Push(std::span<const ActionValue> values)
{
    CBitWriter data;
    std::vector<std::uint32_t> offsets;
    const auto start = static_cast<std::uint32_t>(m_bytes.size() + 3);
    for (const ActionValue& v : values) {
        data.WriteByte(static_cast<std::uint8_t>(v.type));
        offsets.push_back(start + static_cast<std::uint32_t>(data.Size()));
        switch (v.type) {
        case PushType::String:
            data.WriteString(v.text);
            break;
        case PushType::Integer:
            data.WriteDWord(static_cast<std::uint32_t>(static_cast<std::int32_t>(v.number)));
            break;
        case PushType::Double: {
            const auto bits = std::bit_cast<std::uint64_t>(v.number);
            data.WriteDWord(static_cast<std::uint32_t>(bits >> 32));
            data.WriteDWord(static_cast<std::uint32_t>(bits));
            break;
        }
        case PushType::Register:
        case PushType::Constant8:
        case PushType::Boolean:
            data.WriteByte(static_cast<std::uint8_t>(v.index));
            break;
        case PushType::Constant16:
            data.WriteWord(v.index);
            break;
        case PushType::Float:
            data.WriteDWord(std::bit_cast<std::uint32_t>(static_cast<float>(v.number)));
            break;
        case PushType::Null:
        case PushType::Undefined:
            break;
        }
    }
    Action(kActionPush, data.Take());
    return offsets;
}

void CActionWriter::ConstantPool(std::initializer_list<std::string_view> strings)
{
    CBitWriter data;
    data.WriteWord(static_cast<std::uint16_t>(strings.size()));
    for (const std::string_view s : strings)
        data.WriteString(s);
    Action(kActionConstantPool, data.Take());
}

void CActionWriter::StoreRegister(std::uint8_t reg)
{
    const std::uint8_t data[] = {reg};
    Action(kActionStoreRegister, data);
}

void CActionWriter::Branch(std::uint8_t code, std::int16_t offset)
{
    const auto v = static_cast<std::uint16_t>(offset);
    const std::uint8_t data[] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    Action(code, data);
}

std::vector<std::uint32_t> CActionWriter::CallMethod(
    std::string_view object, std::string_view method, std::initializer_list<ActionValue> args)
{
    std::vector<ActionValue> values = Arguments(args);
    values.push_back(ActionValue::Str(object));
    const auto offsets = Push(values);
    Action(kActionGetVariable);
    Push({ActionValue::Str(method)});
    Action(kActionCallMethod);
    Action(kActionPop);
    return InScriptOrder(offsets, args.size());
}

std::vector<std::uint32_t> CActionWriter::NewObject(
    std::string_view name, std::initializer_list<ActionValue> args, std::uint8_t reg)
{
    std::vector<ActionValue> values = Arguments(args);
    values.push_back(ActionValue::Str(name));
    const auto offsets = Push(values);
    Action(kActionNewObject);
    StoreRegister(reg);
    Action(kActionPop);
    return InScriptOrder(offsets, args.size());
}

std::vector<std::uint32_t> CActionWriter::InitArray(std::initializer_list<ActionValue> elements, std::uint8_t reg)
{
    const auto offsets = Push(Arguments(elements));
    Action(kActionInitArray);
    StoreRegister(reg);
    Action(kActionPop);
    return InScriptOrder(offsets, elements.size());
}

std::uint32_t CActionWriter::SetMember(std::string_view variable, std::string_view property, ActionValue value)
{
    Push({ActionValue::Str(variable)});
    Action(kActionGetVariable);
    const std::uint32_t at = Push({ActionValue::Str(property), value})[1];
    Action(kActionSetMember);
    return at;
}

std::vector<std::uint8_t> CActionWriter::Take(bool end)
{
    if (end)
        m_bytes.push_back(kActionEnd);
    return std::move(m_bytes);
}

std::vector<std::uint8_t> ActionMovie(
    std::span<const std::uint8_t> actions, std::uint32_t* bodyOffset, std::uint8_t version)
{
    CMovieBuilder builder(version);
    const std::uint32_t at = builder.AddTag(kDoAction, actions);
    if (bodyOffset != nullptr)
        *bodyOffset = at;
    return builder.Build();
}

} // namespace tintor
