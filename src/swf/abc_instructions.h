#pragma once

#include "swf/abc_cursor.h"

#include <cstdint>
#include <span>

namespace tintor {

// The opcodes the stack walk tells apart; every other known opcode is read
// by its operand layout alone.
enum AbcOp : std::uint8_t {
    kOpThrow = 0x03,
    kOpGetSuper = 0x04,
    kOpSetSuper = 0x05,
    kOpDxnsLate = 0x07,
    kOpKill = 0x08,
    kOpIfNlt = 0x0C,
    kOpJump = 0x10,
    kOpIfTrue = 0x11,
    kOpIfFalse = 0x12,
    kOpIfStrictNe = 0x1A,
    kOpLookupSwitch = 0x1B,
    kOpPushWith = 0x1C,
    kOpNextName = 0x1E,
    kOpHasNext = 0x1F,
    kOpPushNull = 0x20,
    kOpPushUndefined = 0x21,
    kOpNextValue = 0x23,
    kOpPushByte = 0x24,
    kOpPushShort = 0x25,
    kOpPushTrue = 0x26,
    kOpPushFalse = 0x27,
    kOpPushNaN = 0x28,
    kOpPop = 0x29,
    kOpDup = 0x2A,
    kOpSwap = 0x2B,
    kOpPushString = 0x2C,
    kOpPushInt = 0x2D,
    kOpPushUint = 0x2E,
    kOpPushDouble = 0x2F,
    kOpPushScope = 0x30,
    kOpPushNamespace = 0x31,
    kOpHasNext2 = 0x32,
    kOpLi8 = 0x35,
    kOpLf64 = 0x39,
    kOpSi8 = 0x3A,
    kOpSf64 = 0x3E,
    kOpNewFunction = 0x40,
    kOpCall = 0x41,
    kOpConstruct = 0x42,
    kOpCallMethod = 0x43,
    kOpCallStatic = 0x44,
    kOpCallSuper = 0x45,
    kOpCallProperty = 0x46,
    kOpReturnVoid = 0x47,
    kOpReturnValue = 0x48,
    kOpConstructSuper = 0x49,
    kOpConstructProp = 0x4A,
    kOpCallPropLex = 0x4C,
    kOpCallSuperVoid = 0x4E,
    kOpCallPropVoid = 0x4F,
    kOpSxi1 = 0x50,
    kOpSxi16 = 0x52,
    kOpApplyType = 0x53,
    kOpNewObject = 0x55,
    kOpNewArray = 0x56,
    kOpNewActivation = 0x57,
    kOpNewClass = 0x58,
    kOpGetDescendants = 0x59,
    kOpNewCatch = 0x5A,
    kOpFindPropStrict = 0x5D,
    kOpFindProperty = 0x5E,
    kOpFindDef = 0x5F,
    kOpGetLex = 0x60,
    kOpSetProperty = 0x61,
    kOpGetLocal = 0x62,
    kOpSetLocal = 0x63,
    kOpGetGlobalScope = 0x64,
    kOpGetScopeObject = 0x65,
    kOpGetProperty = 0x66,
    kOpGetOuterScope = 0x67,
    kOpInitProperty = 0x68,
    kOpDeleteProperty = 0x6A,
    kOpGetSlot = 0x6C,
    kOpSetSlot = 0x6D,
    kOpGetGlobalSlot = 0x6E,
    kOpSetGlobalSlot = 0x6F,
    kOpConvertS = 0x70,
    kOpEscXElem = 0x71,
    kOpEscXAttr = 0x72,
    kOpConvertI = 0x73,
    kOpConvertU = 0x74,
    kOpConvertD = 0x75,
    kOpConvertB = 0x76,
    kOpConvertO = 0x77,
    kOpCheckFilter = 0x78,
    kOpCoerce = 0x80,
    kOpCoerceB = 0x81,
    kOpCoerceA = 0x82,
    kOpCoerceI = 0x83,
    kOpCoerceD = 0x84,
    kOpCoerceS = 0x85,
    kOpAsType = 0x86,
    kOpAsTypeLate = 0x87,
    kOpCoerceU = 0x88,
    kOpCoerceO = 0x89,
    kOpNegate = 0x90,
    kOpIncrement = 0x91,
    kOpIncLocal = 0x92,
    kOpDecrement = 0x93,
    kOpDecLocal = 0x94,
    kOpTypeOf = 0x95,
    kOpNot = 0x96,
    kOpBitNot = 0x97,
    kOpAdd = 0xA0,
    kOpIn = 0xB4,
    kOpIsType = 0xB2,
    kOpIsTypeLate = 0xB3,
    kOpIncrementI = 0xC0,
    kOpDecrementI = 0xC1,
    kOpIncLocalI = 0xC2,
    kOpDecLocalI = 0xC3,
    kOpNegateI = 0xC4,
    kOpAddI = 0xC5,
    kOpMultiplyI = 0xC7,
    kOpGetLocal0 = 0xD0,
    kOpGetLocal1 = 0xD1,
    kOpGetLocal2 = 0xD2,
    kOpGetLocal3 = 0xD3,
    kOpSetLocal0 = 0xD4,
    kOpSetLocal1 = 0xD5,
    kOpSetLocal2 = 0xD6,
    kOpSetLocal3 = 0xD7,
    kOpDebug = 0xEF,
    kOpDebugLine = 0xF0,
    kOpDebugFile = 0xF1,
    kOpBkptLine = 0xF2,
    kOpTimestamp = 0xF3,
};

// What follows an opcode in the code.
enum class AbcOperands : std::uint8_t {
    None,
    U30,
    U30U30,
    U8,
    // A branch: a signed 24-bit offset from the next instruction.
    S24,
    // A default offset, a case count less one, and that many offsets plus
    // one, all from the lookupswitch itself.
    LookupSwitch,
    // debug: a u8, a u30, a u8 and a u30.
    Debug,
    // Not an opcode of an ABC file: unused, or internal to the player.
    Invalid,
};

AbcOperands OperandsOf(std::uint8_t opcode);

// One instruction as read: where it stands in the method's code, its
// length, and its first two operands (a u30 or u8 value, or a branch
// offset as a signed value's bits; a lookupswitch's default offset and
// case count).
struct AbcInstruction {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint8_t opcode = 0;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    // The first operand's movie position and length: where pushbyte and
    // pushshort keep their value.
    std::uint32_t operandPos = 0;
    std::uint8_t operandLength = 0;
    // A lookupswitch's case offsets, 3 bytes each.
    std::span<const std::uint8_t> cases;
};

// Reads the instruction at the cursor, which runs over one method's code
// from movie position codePos. False, with the cursor failed, at an opcode
// that is not one of an ABC file or an instruction cut short by the end of
// the code.
bool ReadInstruction(CAbcCursor& cursor, std::uint32_t codePos, AbcInstruction& instruction);

// The offset a lookupswitch's case i leads to.
std::int64_t LookupSwitchTarget(const AbcInstruction& instruction, std::size_t i);

} // namespace tintor
