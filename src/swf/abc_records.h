#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace tintor {

// The records of an ActionScript 3 block (the ABC file of a DoABC tag), as
// read. Positions count from the start of the uncompressed movie; strings
// and code are views into the movie's buffer, valid while it is.

// An entry of the integer or unsigned pool: a variable-length integer of 1 to
// 5 bytes. value holds its bits as the player reads them; a shorter
// encoding is not sign-extended.
struct AbcVarint {
    std::uint32_t pos = 0;
    std::uint8_t length = 0;
    std::uint32_t value = 0;
    friend bool operator==(const AbcVarint&, const AbcVarint&) = default;
};

// An entry of the double pool: 8 bytes, little-endian.
struct AbcDouble {
    std::uint32_t pos = 0;
    double value = 0;
    friend bool operator==(const AbcDouble&, const AbcDouble&) = default;
};

struct AbcNamespace {
    std::uint8_t kind = 0;
    std::uint32_t name = 0;
    friend bool operator==(const AbcNamespace&, const AbcNamespace&) = default;
};

enum AbcMultinameKind : std::uint8_t {
    kAbcQName = 0x07,
    kAbcQNameA = 0x0D,
    kAbcRTQName = 0x0F,
    kAbcRTQNameA = 0x10,
    kAbcRTQNameL = 0x11,
    kAbcRTQNameLA = 0x12,
    kAbcMultiname = 0x09,
    kAbcMultinameA = 0x0E,
    kAbcMultinameL = 0x1B,
    kAbcMultinameLA = 0x1C,
    kAbcTypeName = 0x1D,
};

// A multiname: name is a string index (0 for none), ns a namespace or
// namespace-set index; a type name (Vector.<T>) keeps its base name's
// multiname in ns and its parameters in params.
struct AbcMultiname {
    std::uint8_t kind = 0;
    std::uint32_t name = 0;
    std::uint32_t ns = 0;
    std::vector<std::uint32_t> params;
    friend bool operator==(const AbcMultiname&, const AbcMultiname&) = default;
};

// cpool_info. Index 0 of each pool is the implicit default entry, which the
// file does not store; these vectors hold entries 1 and on at 0 and on.
struct AbcConstantPool {
    std::vector<AbcVarint> ints;
    std::vector<AbcVarint> uints;
    std::vector<AbcDouble> doubles;
    std::vector<std::string_view> strings;
    std::vector<AbcNamespace> namespaces;
    std::vector<std::vector<std::uint32_t>> namespaceSets;
    std::vector<AbcMultiname> multinames;
    friend bool operator==(const AbcConstantPool&, const AbcConstantPool&) = default;
};

// The kinds of a constant named by a default value.
enum AbcConstantKind : std::uint8_t {
    kAbcUndefined = 0x00,
    kAbcUtf8 = 0x01,
    kAbcInt = 0x03,
    kAbcUInt = 0x04,
    kAbcPrivateNs = 0x05,
    kAbcDoubleKind = 0x06,
    kAbcNamespaceKind = 0x08,
    kAbcFalse = 0x0A,
    kAbcTrue = 0x0B,
    kAbcNull = 0x0C,
    kAbcPackageNs = 0x16,
    kAbcPackageInternalNs = 0x17,
    kAbcProtectedNs = 0x18,
    kAbcExplicitNs = 0x19,
    kAbcStaticProtectedNs = 0x1A,
};

// A default value of an optional parameter or a slot: a pool index and the
// kind of pool.
struct AbcValueRef {
    std::uint32_t index = 0;
    std::uint8_t kind = 0;
    friend bool operator==(const AbcValueRef&, const AbcValueRef&) = default;
};

struct AbcMethodInfo {
    std::uint32_t paramCount = 0;
    std::uint32_t returnType = 0;
    std::vector<std::uint32_t> paramTypes;
    std::uint32_t name = 0;
    std::uint8_t flags = 0;
    std::vector<AbcValueRef> options;
    std::vector<std::uint32_t> paramNames;
    friend bool operator==(const AbcMethodInfo&, const AbcMethodInfo&) = default;
};

struct AbcMetadataInfo {
    std::uint32_t name = 0;
    // Key and value string indices, one pair per item.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> items;
    friend bool operator==(const AbcMetadataInfo&, const AbcMetadataInfo&) = default;
};

enum AbcTraitKind : std::uint8_t {
    kAbcTraitSlot = 0,
    kAbcTraitMethod = 1,
    kAbcTraitGetter = 2,
    kAbcTraitSetter = 3,
    kAbcTraitClass = 4,
    kAbcTraitFunction = 5,
    kAbcTraitConst = 6,
};

// traits_info: kind in the low four bits of kindAndAttributes. Slots and
// constants have a slot id, a type name and a value; the others an id
// (slot or dispatch) and the index of their method, class or function.
struct AbcTrait {
    std::uint32_t name = 0;
    std::uint8_t kindAndAttributes = 0;
    std::uint32_t id = 0;
    std::uint32_t index = 0;
    AbcValueRef value;
    std::vector<std::uint32_t> metadata;
    std::uint8_t Kind() const { return kindAndAttributes & 0x0F; }
    friend bool operator==(const AbcTrait&, const AbcTrait&) = default;
};

struct AbcInstanceInfo {
    std::uint32_t name = 0;
    std::uint32_t superName = 0;
    std::uint8_t flags = 0;
    std::uint32_t protectedNs = 0;
    std::vector<std::uint32_t> interfaces;
    std::uint32_t iinit = 0;
    std::vector<AbcTrait> traits;
    friend bool operator==(const AbcInstanceInfo&, const AbcInstanceInfo&) = default;
};

struct AbcClassInfo {
    std::uint32_t cinit = 0;
    std::vector<AbcTrait> traits;
    friend bool operator==(const AbcClassInfo&, const AbcClassInfo&) = default;
};

struct AbcScriptInfo {
    std::uint32_t init = 0;
    std::vector<AbcTrait> traits;
    friend bool operator==(const AbcScriptInfo&, const AbcScriptInfo&) = default;
};

// exception_info: offsets into the method's code.
struct AbcException {
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    std::uint32_t target = 0;
    std::uint32_t type = 0;
    std::uint32_t varName = 0;
    friend bool operator==(const AbcException&, const AbcException&) = default;
};

struct AbcMethodBody {
    std::uint32_t method = 0;
    std::uint32_t maxStack = 0;
    std::uint32_t localCount = 0;
    std::uint32_t initScopeDepth = 0;
    std::uint32_t maxScopeDepth = 0;
    // Where the code starts in the movie, and the code itself.
    std::uint32_t codePos = 0;
    std::span<const std::uint8_t> code;
    std::vector<AbcException> exceptions;
    std::vector<AbcTrait> traits;
    friend bool operator==(const AbcMethodBody& a, const AbcMethodBody& b)
    {
        return a.method == b.method && a.maxStack == b.maxStack && a.localCount == b.localCount
            && a.initScopeDepth == b.initScopeDepth && a.maxScopeDepth == b.maxScopeDepth && a.codePos == b.codePos
            && std::equal(a.code.begin(), a.code.end(), b.code.begin(), b.code.end()) && a.exceptions == b.exceptions
            && a.traits == b.traits;
    }
};

// Why reading an ABC file stopped before its end.
enum class AbcFault : std::uint8_t {
    None,
    // A version the reader does not know the layout of.
    Version,
    // A count, length or record that runs past the end of the block.
    Truncated,
    // A byte no record allows: an unknown kind, an index past 2^30, a
    // variable-length integer of more than five bytes.
    Malformed,
};

// abcFile. Reading stops at the first fault, with what was read before it.
struct AbcFile {
    std::uint16_t minorVersion = 0;
    std::uint16_t majorVersion = 0;
    AbcConstantPool pool;
    std::vector<AbcMethodInfo> methods;
    std::vector<AbcMetadataInfo> metadata;
    std::vector<AbcInstanceInfo> instances;
    std::vector<AbcClassInfo> classes;
    std::vector<AbcScriptInfo> scripts;
    std::vector<AbcMethodBody> bodies;
    AbcFault fault = AbcFault::None;
    // The movie position of the byte that made the fault.
    std::uint32_t faultPos = 0;
    friend bool operator==(const AbcFile&, const AbcFile&) = default;
};

} // namespace tintor
