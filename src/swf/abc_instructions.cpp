// The instruction reader: every opcode of an ABC file with the layout of its
// operands, so that any method's code can be stepped through exactly as the
// player steps through it.
#include "swf/abc_instructions.h"

#include <array>

namespace tintor {

namespace {

using enum AbcOperands;

constexpr std::array<AbcOperands, 256> BuildOperandTable()
{
    std::array<AbcOperands, 256> table{};
    table.fill(Invalid);
    // No operands.
    for (std::uint8_t op : {0x01, 0x02, 0x03, 0x07, 0x09, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x23, 0x26, 0x27, 0x28,
             0x29, 0x2A, 0x2B, 0x30, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x47, 0x48, 0x50, 0x51,
             0x52, 0x57, 0x64, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x81, 0x82, 0x83, 0x84, 0x85, 0x87,
             0x88, 0x89, 0x90, 0x91, 0x93, 0x95, 0x96, 0x97, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9,
             0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0xB1, 0xB3, 0xB4, 0xC0, 0xC1, 0xC4, 0xC5, 0xC6, 0xC7, 0xD0, 0xD1,
             0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xF3})
        table[op] = None;
    // One u30: a pool index, a multiname, a register, a count.
    for (std::uint8_t op : {0x04, 0x05, 0x06, 0x08, 0x25, 0x2C, 0x2D, 0x2E, 0x2F, 0x31, 0x40, 0x41, 0x42, 0x49, 0x53,
             0x55, 0x56, 0x58, 0x59, 0x5A, 0x5D, 0x5E, 0x5F, 0x60, 0x61, 0x62, 0x63, 0x66, 0x67, 0x68, 0x6A, 0x6C, 0x6D,
             0x6E, 0x6F, 0x80, 0x86, 0x92, 0x94, 0xB2, 0xC2, 0xC3, 0xF0, 0xF1, 0xF2})
        table[op] = U30;
    // A multiname or method and an argument count; hasnext2's two registers.
    for (std::uint8_t op : {0x32, 0x43, 0x44, 0x45, 0x46, 0x4A, 0x4C, 0x4E, 0x4F})
        table[op] = U30U30;
    table[0x24] = U8; // pushbyte
    table[0x65] = U8; // getscopeobject
    for (std::uint8_t op = 0x0C; op <= 0x1A; ++op)
        table[op] = S24;
    table[0x1B] = LookupSwitch;
    table[0xEF] = Debug;
    return table;
}

constexpr std::array<AbcOperands, 256> kOperandTable = BuildOperandTable();

// A u30 operand, with where it stands. pushshort's is read as a whole
// 32-bit number, of which the player keeps the low 16 bits: compilers write
// a negative value as its five-byte two's complement, past any u30.
std::uint32_t ReadOperand(CAbcCursor& cursor, AbcInstruction& instruction, bool first)
{
    const std::uint32_t pos = cursor.Pos();
    const std::uint32_t value = instruction.opcode == kOpPushShort ? cursor.ReadVarint().value : cursor.ReadU30();
    if (first) {
        instruction.operandPos = pos;
        instruction.operandLength = static_cast<std::uint8_t>(cursor.Pos() - pos);
    }
    return value;
}

} // namespace

AbcOperands OperandsOf(std::uint8_t opcode) { return kOperandTable[opcode]; }

bool ReadInstruction(CAbcCursor& cursor, std::uint32_t codePos, AbcInstruction& instruction)
{
    const std::uint32_t start = cursor.Pos();
    instruction.offset = start - codePos;
    instruction.a = instruction.b = 0;
    instruction.operandPos = 0;
    instruction.operandLength = 0;
    instruction.cases = {};
    instruction.opcode = cursor.ReadU8();
    switch (OperandsOf(instruction.opcode)) {
    case None:
        break;
    case U30:
        instruction.a = ReadOperand(cursor, instruction, true);
        break;
    case U30U30:
        instruction.a = ReadOperand(cursor, instruction, true);
        instruction.b = ReadOperand(cursor, instruction, false);
        break;
    case U8:
        instruction.operandPos = cursor.Pos();
        instruction.operandLength = 1;
        instruction.a = cursor.ReadU8();
        break;
    case S24:
        instruction.a = static_cast<std::uint32_t>(cursor.ReadS24());
        break;
    case LookupSwitch: {
        instruction.a = static_cast<std::uint32_t>(cursor.ReadS24());
        instruction.b = cursor.ReadU30();
        instruction.cases = cursor.ReadBytes(3 * (std::size_t{instruction.b} + 1));
        break;
    }
    case Debug:
        cursor.ReadU8();
        instruction.a = ReadOperand(cursor, instruction, true);
        cursor.ReadU8();
        cursor.ReadU30();
        break;
    case Invalid:
        cursor.FailAt(AbcFault::Malformed, start);
        break;
    }
    instruction.length = cursor.Pos() - start;
    return !cursor.Failed();
}

std::int64_t LookupSwitchTarget(const AbcInstruction& instruction, std::size_t i)
{
    const std::uint8_t* p = instruction.cases.data() + 3 * i;
    std::int32_t offset = p[0] | p[1] << 8 | p[2] << 16;
    if (offset & 0x800000)
        offset -= 0x1000000;
    return std::int64_t{instruction.offset} + offset;
}

} // namespace tintor
