#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tintor {

// Action records of ActionScript 1 and 2 (DoAction, DoInitAction, button and
// clip actions), as stored. Positions are offsets into the movie's buffer;
// every reader takes the end of the action block it reads in and never
// reads past it.

enum ActionCode : std::uint8_t {
    kActionEnd = 0x00,
    kActionAdd = 0x0A,
    kActionPop = 0x17,
    kActionGetVariable = 0x1C,
    kActionSetVariable = 0x1D,
    kActionThrow = 0x2A,
    kActionCallFunction = 0x3D,
    kActionReturn = 0x3E,
    kActionNewObject = 0x40,
    kActionInitArray = 0x42,
    kActionInitObject = 0x43,
    kActionPushDuplicate = 0x4C,
    kActionStackSwap = 0x4D,
    kActionGetMember = 0x4E,
    kActionSetMember = 0x4F,
    kActionCallMethod = 0x52,
    kActionNewMethod = 0x53,
    kActionStoreRegister = 0x87,
    kActionConstantPool = 0x88,
    kActionWaitForFrame = 0x8A,
    kActionWaitForFrame2 = 0x8D,
    kActionDefineFunction2 = 0x8E,
    kActionTry = 0x8F,
    kActionWith = 0x94,
    kActionPush = 0x96,
    kActionJump = 0x99,
    kActionDefineFunction = 0x9B,
    kActionIf = 0x9D,
};

// Codes from this one on carry a 16-bit length and that many bytes of data.
inline constexpr std::uint8_t kActionWithLength = 0x80;

// One action record: its code and where its data lie.
struct ActionRecord {
    std::uint8_t code = 0;
    std::uint32_t pos = 0;     // of the code byte
    std::uint32_t dataPos = 0; // of the first byte after the header
    std::uint16_t length = 0;  // of the data; 0 below kActionWithLength

    std::uint32_t End() const { return dataPos + length; }
    friend bool operator==(const ActionRecord&, const ActionRecord&) = default;
};

// The record at at; nothing when its header or its data run past end.
// Inline: a block is read record by record, and the record is best built
// where it is kept.
inline std::optional<ActionRecord> ReadActionRecord(
    std::span<const std::uint8_t> movie, std::size_t at, std::size_t end)
{
    end = end < movie.size() ? end : movie.size();
    if (at >= end)
        return std::nullopt;
    ActionRecord record;
    record.code = movie[at];
    record.pos = static_cast<std::uint32_t>(at);
    record.dataPos = static_cast<std::uint32_t>(at + 1);
    if (record.code >= kActionWithLength) {
        if (end - at < 3)
            return std::nullopt;
        record.length = static_cast<std::uint16_t>(movie[at + 1] | movie[at + 2] << 8);
        record.dataPos += 2;
    }
    if (record.End() > end)
        return std::nullopt;
    return record;
}

enum class PushType : std::uint8_t {
    String = 0,
    Float = 1,
    Null = 2,
    Undefined = 3,
    Register = 4,
    Boolean = 5,
    Double = 6,
    Integer = 7,
    Constant8 = 8,
    Constant16 = 9,
};

// One value of an ActionPush.
struct PushValue {
    PushType type = PushType::Undefined;
    std::uint32_t pos = 0;   // of the value's bytes, after its type byte
    double number = 0;       // Float, Double and Integer
    std::string_view text;   // String, without its terminating zero
    std::uint16_t index = 0; // Register, Constant8 and Constant16; Boolean's byte

    friend bool operator==(const PushValue&, const PushValue&) = default;
};

// The values of an ActionPush, appended to values; false when one runs past
// the record's data or has a type no player knows.
bool ReadActionPush(std::span<const std::uint8_t> movie, const ActionRecord& record, std::vector<PushValue>& values);

// The strings of an ActionConstantPool; nothing when its count does not
// match the strings its data hold.
std::optional<std::vector<std::string_view>> ReadConstantPool(
    std::span<const std::uint8_t> movie, const ActionRecord& record);

// ActionDefineFunction and ActionDefineFunction2: the function's name and
// the size of its body, which follows the record.
struct ActionFunction {
    std::string_view name;
    std::uint16_t bodySize = 0;
};
std::optional<ActionFunction> ReadDefineFunction(std::span<const std::uint8_t> movie, const ActionRecord& record);

// ActionWith: the size of its body, which follows the record; ActionTry:
// the sizes of its try, catch and finally bodies, in that order.
std::optional<std::uint16_t> ReadWith(std::span<const std::uint8_t> movie, const ActionRecord& record);
std::optional<std::array<std::uint16_t, 3>> ReadTry(std::span<const std::uint8_t> movie, const ActionRecord& record);

// ActionJump and ActionIf: where they branch to, counted from the end of the
// record; ActionStoreRegister: the register.
std::optional<std::int16_t> ReadBranchOffset(std::span<const std::uint8_t> movie, const ActionRecord& record);
std::optional<std::uint8_t> ReadStoreRegister(std::span<const std::uint8_t> movie, const ActionRecord& record);

} // namespace tintor
