// The readers of an ABC file's records, one per record, over a cursor that
// never leaves the block. Counts are believed only as far as the block's
// bytes bear them out: every entry takes at least one byte, so no list is
// given more room than the bytes left, and a list ends at the first fault.
#include "swf/abc_readers.h"

#include <algorithm>

namespace tintor {

namespace {

constexpr std::uint8_t kMethodHasOptional = 0x08;
constexpr std::uint8_t kMethodHasParamNames = 0x80;
constexpr std::uint8_t kInstanceProtectedNs = 0x08;
constexpr std::uint8_t kTraitHasMetadata = 0x40;

// count records read by read, fewer when the cursor fails first.
template <typename T, typename Read> std::vector<T> ReadList(CAbcCursor& cursor, std::uint32_t count, Read read)
{
    std::vector<T> list;
    list.reserve(std::min<std::size_t>(count, cursor.Remaining()));
    for (std::uint32_t i = 0; i < count && !cursor.Failed(); ++i)
        list.push_back(read(cursor));
    if (cursor.Failed() && !list.empty())
        list.pop_back(); // the record the fault cut short
    return list;
}

std::vector<std::uint32_t> ReadU30List(CAbcCursor& cursor, std::uint32_t count)
{
    return ReadList<std::uint32_t>(cursor, count, [](CAbcCursor& c) { return c.ReadU30(); });
}

// A pool's count includes the implicit entry 0, which is not stored.
std::uint32_t ReadPoolCount(CAbcCursor& cursor)
{
    const std::uint32_t count = cursor.ReadU30();
    return count == 0 ? 0 : count - 1;
}

bool IsConstantKind(std::uint8_t kind)
{
    switch (kind) {
    case kAbcUndefined:
    case kAbcUtf8:
    case kAbcInt:
    case kAbcUInt:
    case kAbcPrivateNs:
    case kAbcDoubleKind:
    case kAbcNamespaceKind:
    case kAbcFalse:
    case kAbcTrue:
    case kAbcNull:
    case kAbcPackageNs:
    case kAbcPackageInternalNs:
    case kAbcProtectedNs:
    case kAbcExplicitNs:
    case kAbcStaticProtectedNs:
        return true;
    default:
        return false;
    }
}

AbcValueRef ReadValueKind(CAbcCursor& cursor, std::uint32_t index)
{
    const std::uint32_t pos = cursor.Pos();
    AbcValueRef value{index, cursor.ReadU8()};
    if (!IsConstantKind(value.kind))
        cursor.FailAt(AbcFault::Malformed, pos);
    return value;
}

std::vector<AbcTrait> ReadTraits(CAbcCursor& cursor)
{
    return ReadList<AbcTrait>(cursor, cursor.ReadU30(), ReadTraitsInfo);
}

} // namespace

std::string_view ReadStringInfo(CAbcCursor& cursor)
{
    const auto bytes = cursor.ReadBytes(cursor.ReadU30());
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

AbcNamespace ReadNamespaceInfo(CAbcCursor& cursor)
{
    AbcNamespace ns;
    const std::uint32_t pos = cursor.Pos();
    ns.kind = cursor.ReadU8();
    switch (ns.kind) {
    case kAbcNamespaceKind:
    case kAbcPrivateNs:
    case kAbcPackageNs:
    case kAbcPackageInternalNs:
    case kAbcProtectedNs:
    case kAbcExplicitNs:
    case kAbcStaticProtectedNs:
        break;
    default:
        cursor.FailAt(AbcFault::Malformed, pos);
        return ns;
    }
    ns.name = cursor.ReadU30();
    return ns;
}

std::vector<std::uint32_t> ReadNsSetInfo(CAbcCursor& cursor) { return ReadU30List(cursor, cursor.ReadU30()); }

AbcMultiname ReadMultiname(CAbcCursor& cursor)
{
    AbcMultiname mn;
    const std::uint32_t pos = cursor.Pos();
    mn.kind = cursor.ReadU8();
    switch (mn.kind) {
    case kAbcQName:
    case kAbcQNameA:
        mn.ns = cursor.ReadU30();
        mn.name = cursor.ReadU30();
        break;
    case kAbcRTQName:
    case kAbcRTQNameA:
        mn.name = cursor.ReadU30();
        break;
    case kAbcRTQNameL:
    case kAbcRTQNameLA:
        break;
    case kAbcMultiname:
    case kAbcMultinameA:
        mn.name = cursor.ReadU30();
        mn.ns = cursor.ReadU30();
        break;
    case kAbcMultinameL:
    case kAbcMultinameLA:
        mn.ns = cursor.ReadU30();
        break;
    case kAbcTypeName:
        mn.ns = cursor.ReadU30();
        mn.params = ReadU30List(cursor, cursor.ReadU30());
        break;
    default:
        cursor.FailAt(AbcFault::Malformed, pos);
        break;
    }
    return mn;
}

void ReadCpoolInfo(CAbcCursor& cursor, AbcConstantPool& pool)
{
    pool.ints = ReadList<AbcVarint>(cursor, ReadPoolCount(cursor), [](CAbcCursor& c) { return c.ReadVarint(); });
    pool.uints = ReadList<AbcVarint>(cursor, ReadPoolCount(cursor), [](CAbcCursor& c) { return c.ReadVarint(); });
    pool.doubles = ReadList<AbcDouble>(cursor, ReadPoolCount(cursor), [](CAbcCursor& c) {
        const std::uint32_t pos = c.Pos();
        return AbcDouble{pos, c.ReadD64()};
    });
    pool.strings = ReadList<std::string_view>(cursor, ReadPoolCount(cursor), ReadStringInfo);
    pool.namespaces = ReadList<AbcNamespace>(cursor, ReadPoolCount(cursor), ReadNamespaceInfo);
    pool.namespaceSets = ReadList<std::vector<std::uint32_t>>(cursor, ReadPoolCount(cursor), ReadNsSetInfo);
    pool.multinames = ReadList<AbcMultiname>(cursor, ReadPoolCount(cursor), ReadMultiname);
}

AbcMethodInfo ReadMethodInfo(CAbcCursor& cursor)
{
    AbcMethodInfo method;
    method.paramCount = cursor.ReadU30();
    method.returnType = cursor.ReadU30();
    method.paramTypes = ReadU30List(cursor, method.paramCount);
    method.name = cursor.ReadU30();
    method.flags = cursor.ReadU8();
    if (method.flags & kMethodHasOptional) {
        method.options = ReadList<AbcValueRef>(
            cursor, cursor.ReadU30(), [](CAbcCursor& c) { return ReadValueKind(c, c.ReadU30()); });
    }
    if (method.flags & kMethodHasParamNames)
        method.paramNames = ReadU30List(cursor, method.paramCount);
    return method;
}

AbcMetadataInfo ReadMetadataInfo(CAbcCursor& cursor)
{
    AbcMetadataInfo metadata;
    metadata.name = cursor.ReadU30();
    const std::uint32_t count = cursor.ReadU30();
    // The player reads every key first, then every value.
    const auto keys = ReadU30List(cursor, count);
    const auto values = ReadU30List(cursor, count);
    for (std::size_t i = 0; i < std::min(keys.size(), values.size()); ++i)
        metadata.items.emplace_back(keys[i], values[i]);
    return metadata;
}

AbcTrait ReadTraitsInfo(CAbcCursor& cursor)
{
    AbcTrait trait;
    trait.name = cursor.ReadU30();
    const std::uint32_t pos = cursor.Pos();
    trait.kindAndAttributes = cursor.ReadU8();
    switch (trait.Kind()) {
    case kAbcTraitSlot:
    case kAbcTraitConst:
        trait.id = cursor.ReadU30();
        trait.index = cursor.ReadU30(); // type name
        if (const std::uint32_t vindex = cursor.ReadU30())
            trait.value = ReadValueKind(cursor, vindex);
        break;
    case kAbcTraitMethod:
    case kAbcTraitGetter:
    case kAbcTraitSetter:
    case kAbcTraitClass:
    case kAbcTraitFunction:
        trait.id = cursor.ReadU30();
        trait.index = cursor.ReadU30();
        break;
    default:
        cursor.FailAt(AbcFault::Malformed, pos);
        return trait;
    }
    if (trait.kindAndAttributes & kTraitHasMetadata)
        trait.metadata = ReadU30List(cursor, cursor.ReadU30());
    return trait;
}

AbcInstanceInfo ReadInstanceInfo(CAbcCursor& cursor)
{
    AbcInstanceInfo instance;
    instance.name = cursor.ReadU30();
    instance.superName = cursor.ReadU30();
    instance.flags = cursor.ReadU8();
    if (instance.flags & kInstanceProtectedNs)
        instance.protectedNs = cursor.ReadU30();
    instance.interfaces = ReadU30List(cursor, cursor.ReadU30());
    instance.iinit = cursor.ReadU30();
    instance.traits = ReadTraits(cursor);
    return instance;
}

AbcClassInfo ReadClassInfo(CAbcCursor& cursor)
{
    AbcClassInfo cls;
    cls.cinit = cursor.ReadU30();
    cls.traits = ReadTraits(cursor);
    return cls;
}

AbcScriptInfo ReadScriptInfo(CAbcCursor& cursor)
{
    AbcScriptInfo script;
    script.init = cursor.ReadU30();
    script.traits = ReadTraits(cursor);
    return script;
}

AbcException ReadExceptionInfo(CAbcCursor& cursor)
{
    AbcException exception;
    exception.from = cursor.ReadU30();
    exception.to = cursor.ReadU30();
    exception.target = cursor.ReadU30();
    exception.type = cursor.ReadU30();
    exception.varName = cursor.ReadU30();
    return exception;
}

AbcMethodBody ReadMethodBody(CAbcCursor& cursor)
{
    AbcMethodBody body;
    body.method = cursor.ReadU30();
    body.maxStack = cursor.ReadU30();
    body.localCount = cursor.ReadU30();
    body.initScopeDepth = cursor.ReadU30();
    body.maxScopeDepth = cursor.ReadU30();
    const std::uint32_t length = cursor.ReadU30();
    body.codePos = cursor.Pos();
    body.code = cursor.ReadBytes(length);
    body.exceptions = ReadList<AbcException>(cursor, cursor.ReadU30(), ReadExceptionInfo);
    body.traits = ReadTraits(cursor);
    return body;
}

AbcFile ReadAbcFile(std::span<const std::uint8_t> abc, std::uint32_t pos)
{
    AbcFile file;
    CAbcCursor cursor(abc, pos);
    file.minorVersion = cursor.ReadU16();
    file.majorVersion = cursor.ReadU16();
    if (!cursor.Failed() && file.majorVersion != kAbcMajorVersion) {
        // Later majors add pools (floats) before the methods: the rest
        // cannot be read as this layout.
        file.fault = AbcFault::Version;
        file.faultPos = pos + 2;
        return file;
    }
    ReadCpoolInfo(cursor, file.pool);
    file.methods = ReadList<AbcMethodInfo>(cursor, cursor.ReadU30(), ReadMethodInfo);
    file.metadata = ReadList<AbcMetadataInfo>(cursor, cursor.ReadU30(), ReadMetadataInfo);
    const std::uint32_t classCount = cursor.ReadU30();
    file.instances = ReadList<AbcInstanceInfo>(cursor, classCount, ReadInstanceInfo);
    file.classes = ReadList<AbcClassInfo>(cursor, classCount, ReadClassInfo);
    file.scripts = ReadList<AbcScriptInfo>(cursor, cursor.ReadU30(), ReadScriptInfo);
    file.bodies = ReadList<AbcMethodBody>(cursor, cursor.ReadU30(), ReadMethodBody);
    file.fault = cursor.Fault();
    file.faultPos = cursor.FaultPos();
    return file;
}

std::size_t AbcVarintLength(std::uint32_t bits)
{
    std::size_t length = 1;
    while (length < kAbcVarintMaxLength && (bits >> (7 * length)) != 0)
        ++length;
    return length;
}

} // namespace tintor
