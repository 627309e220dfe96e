#pragma once

#include "swf/abc_records.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// Writes a method's code one instruction at a time.
class CAbcCode {
public:
    CAbcCode& Op(std::uint8_t opcode);
    // A u30 operand in length bytes, or the fewest when length is 0.
    CAbcCode& U30(std::uint32_t value, std::size_t length = 0);
    CAbcCode& U8(std::uint8_t value);
    CAbcCode& S24(std::int32_t value);

    CAbcCode& Op(std::uint8_t opcode, std::uint32_t operand) { return Op(opcode).U30(operand); }
    CAbcCode& Op(std::uint8_t opcode, std::uint32_t a, std::uint32_t b) { return Op(opcode).U30(a).U30(b); }
    CAbcCode& PushByte(std::int8_t value);
    CAbcCode& PushShort(std::uint32_t value, std::size_t length = 0);
    // A branch whose offset counts from the next instruction.
    CAbcCode& Branch(std::uint8_t opcode, std::int32_t offset) { return Op(opcode).S24(offset); }

    // Where the next byte goes, from the start of the code.
    std::uint32_t Size() const { return static_cast<std::uint32_t>(m_bytes.size()); }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Where the parts of a built ABC file landed, from its first byte.
struct AbcLayout {
    std::vector<std::uint8_t> bytes;
    // By pool index less one.
    std::vector<std::uint32_t> ints;
    std::vector<std::uint32_t> uints;
    std::vector<std::uint32_t> doubles;
    // The code of each body, in the order they were added.
    std::vector<std::uint32_t> codes;
};

// Puts an ABC file together: pools, methods, classes, scripts and bodies.
// Pool entries are written as asked, so a number can take more bytes than
// it needs; indices are those the code names them by.
class CAbcBuilder {
public:
    // Pool entries. A length of 0 writes the fewest bytes.
    std::uint32_t Int(std::int32_t value, std::size_t length = 0);
    std::uint32_t Uint(std::uint32_t value, std::size_t length = 0);
    std::uint32_t Double(double value);
    std::uint32_t String(std::string_view s);
    // A package namespace of the name, and a QName in it; the same name
    // twice gives the same index.
    std::uint32_t Package(std::string_view name);
    std::uint32_t QName(std::string_view package, std::string_view name);
    // A multiname of a kind without a namespace part (RTQNameL and the like).
    std::uint32_t RuntimeName(std::uint8_t kind, std::string_view name = {});

    std::uint32_t Method(std::uint32_t paramCount = 0, std::vector<AbcValueRef> options = {});
    void Body(std::uint32_t method, const CAbcCode& code, std::uint32_t maxStack, std::uint32_t localCount,
        std::vector<AbcException> exceptions = {}, std::uint32_t initScope = 0, std::uint32_t maxScope = 2);
    // A sealed class with an instance and a class initialiser; its index.
    std::uint32_t Class(std::uint32_t name, std::uint32_t superName, std::uint32_t iinit, std::uint32_t cinit,
        std::vector<AbcTrait> instanceTraits = {});
    void Script(std::uint32_t init, std::vector<AbcTrait> traits = {});

    AbcLayout Build() const;

private:
    struct Entry {
        std::uint32_t bits;
        std::size_t length;
    };
    struct BodyParts {
        std::uint32_t method, maxStack, localCount, initScope, maxScope;
        std::vector<std::uint8_t> code;
        std::vector<AbcException> exceptions;
    };
    std::vector<Entry> m_ints;
    std::vector<Entry> m_uints;
    std::vector<double> m_doubles;
    std::vector<std::string> m_strings;
    std::vector<std::uint32_t> m_packages; // string index of each
    std::vector<AbcMultiname> m_multinames;
    std::vector<AbcMethodInfo> m_methods;
    std::vector<AbcInstanceInfo> m_instances;
    std::vector<AbcClassInfo> m_classes;
    std::vector<AbcScriptInfo> m_scripts;
    std::vector<BodyParts> m_bodies;
};

// A DoABC tag's body: flags (1, lazy initialisation), a name, the ABC file.
// The file starts kDoAbcHeader + name.size() + 1 bytes in.
inline constexpr std::uint32_t kDoAbcHeader = 4;
std::vector<std::uint8_t> DoAbcBody(std::span<const std::uint8_t> abc, std::string_view name = {});

// A 400 x 300 movie of ActionScript 3 whose document class fills its whole
// stage with the colour (0xRRGGBB) that pushint or pushuint takes from a
// pool entry of the given length (0: the fewest bytes). entryPos gets the
// entry's position in the uncompressed movie.
std::vector<std::uint8_t> BuildAbcDrawingMovie(
    std::uint32_t colour, bool unsignedEntry, std::size_t length, std::uint32_t* entryPos = nullptr);

} // namespace tintor
