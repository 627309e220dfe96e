#pragma once

#include "swf/avm1_records.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace tintor {

// One value of an ActionPush, as a test states it.
struct ActionValue {
    PushType type = PushType::Undefined;
    double number = 0;
    std::string_view text;
    std::uint16_t index = 0;

    static ActionValue Int(std::int32_t v) { return {PushType::Integer, static_cast<double>(v), {}, 0}; }
    static ActionValue Double(double v) { return {PushType::Double, v, {}, 0}; }
    static ActionValue Str(std::string_view s) { return {PushType::String, 0, s, 0}; }
    static ActionValue Reg(std::uint8_t r) { return {PushType::Register, 0, {}, r}; }
    static ActionValue Pool(std::uint16_t i) { return {PushType::Constant8, 0, {}, i}; }
};

// Writes action records for movies of scripts. Offsets are counted from the
// first record written, so a test adds the offset of the block in the movie.
class CActionWriter {
public:
    // One ActionPush of the values; the offset of each value's bytes (after
    // its type byte), in order.
    std::vector<std::uint32_t> Push(std::span<const ActionValue> values);
    std::vector<std::uint32_t> Push(std::initializer_list<ActionValue> values)
    {
        return Push(std::span<const ActionValue>(values.begin(), values.size()));
    }
    // The offset of the one value's bytes.
    std::uint32_t PushOne(ActionValue value) { return Push({value})[0]; }
    // A record of the code with the data given (none below 0x80).
    void Action(std::uint8_t code, std::span<const std::uint8_t> data = {});
    void ConstantPool(std::initializer_list<std::string_view> strings);
    void StoreRegister(std::uint8_t reg);
    // ActionJump or ActionIf by offset from the record's end.
    void Branch(std::uint8_t code, std::int16_t offset);

    // The calls below return the offsets of their arguments' bytes in the
    // order a script writes the arguments.
    // object.method(args...) with the object a variable of the timeline and
    // the result popped.
    std::vector<std::uint32_t> CallMethod(
        std::string_view object, std::string_view method, std::initializer_list<ActionValue> args);
    // new name(args...) kept in register reg.
    std::vector<std::uint32_t> NewObject(
        std::string_view name, std::initializer_list<ActionValue> args, std::uint8_t reg);
    // An array of the values in register reg.
    std::vector<std::uint32_t> InitArray(std::initializer_list<ActionValue> elements, std::uint8_t reg);
    // variable.property = value.
    std::uint32_t SetMember(std::string_view variable, std::string_view property, ActionValue value);

    std::size_t Size() const { return m_bytes.size(); }
    // The records with an ActionEnd after them, when asked.
    std::vector<std::uint8_t> Take(bool end = true);

private:
    void Word(std::uint16_t v);
    std::vector<std::uint8_t> m_bytes;
};

// A movie of one DoAction holding the actions; its body starts at
// the returned offset when given.
std::vector<std::uint8_t> ActionMovie(
    std::span<const std::uint8_t> actions, std::uint32_t* bodyOffset = nullptr, std::uint8_t version = 8);

} // namespace tintor
