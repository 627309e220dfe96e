#include "testkit/abc_builder.h"

#include "swf/abc_instructions.h"
#include "swf/abc_readers.h"
#include "testkit/movie_builder.h"

#include <cstring>

namespace tintor {

namespace {

constexpr std::uint16_t kAbcMinorVersion = 16;
constexpr std::uint8_t kSealed = 0x01;
constexpr std::uint8_t kHasOptional = 0x08;

// bits in exactly length bytes, 7 to a byte, whatever they say.
void PutVarint(std::vector<std::uint8_t>& out, std::uint32_t bits, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const auto payload = static_cast<std::uint8_t>(i < 5 ? (bits >> (7 * i)) & 0x7F : 0);
        out.push_back(static_cast<std::uint8_t>(payload | (i + 1 < length ? 0x80 : 0)));
    }
}

void PutU30(std::vector<std::uint8_t>& out, std::uint32_t value) { PutVarint(out, value, AbcVarintLength(value)); }

// The fewest bytes of an int, as compilers write it: a negative one takes
// all five.
std::size_t IntLength(std::int32_t value)
{
    return value < 0 ? kAbcVarintMaxLength : AbcVarintLength(static_cast<std::uint32_t>(value));
}

void PutTraits(std::vector<std::uint8_t>& out, const std::vector<AbcTrait>& traits)
{
    PutU30(out, static_cast<std::uint32_t>(traits.size()));
    for (const AbcTrait& trait : traits) {
        PutU30(out, trait.name);
        out.push_back(trait.kindAndAttributes);
        PutU30(out, trait.id);
        PutU30(out, trait.index);
        if (trait.Kind() == kAbcTraitSlot || trait.Kind() == kAbcTraitConst) {
            PutU30(out, trait.value.index);
            if (trait.value.index != 0)
                out.push_back(trait.value.kind);
        }
    }
}

// A pool's count: its entries and the implicit one, or 0 for none.
void PutCount(std::vector<std::uint8_t>& out, std::size_t entries)
{
    PutU30(out, entries == 0 ? 0 : static_cast<std::uint32_t>(entries + 1));
}

} // namespace

CAbcCode& CAbcCode::Op(std::uint8_t opcode)
{
    m_bytes.push_back(opcode);
    return *this;
}

CAbcCode& CAbcCode::U30(std::uint32_t value, std::size_t length)
{
    PutVarint(m_bytes, value, length == 0 ? AbcVarintLength(value) : length);
    return *this;
}

CAbcCode& CAbcCode::U8(std::uint8_t value)
{
    m_bytes.push_back(value);
    return *this;
}

CAbcCode& CAbcCode::S24(std::int32_t value)
{
    for (int i = 0; i < 3; ++i)
        m_bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
    return *this;
}

CAbcCode& CAbcCode::PushByte(std::int8_t value) { return Op(kOpPushByte).U8(static_cast<std::uint8_t>(value)); }

CAbcCode& CAbcCode::PushShort(std::uint32_t value, std::size_t length) { return Op(kOpPushShort).U30(value, length); }

std::uint32_t CAbcBuilder::Int(std::int32_t value, std::size_t length)
{
    m_ints.push_back({static_cast<std::uint32_t>(value), length == 0 ? IntLength(value) : length});
    return static_cast<std::uint32_t>(m_ints.size());
}

std::uint32_t CAbcBuilder::Uint(std::uint32_t value, std::size_t length)
{
    m_uints.push_back({value, length == 0 ? AbcVarintLength(value) : length});
    return static_cast<std::uint32_t>(m_uints.size());
}

std::uint32_t CAbcBuilder::Double(double value)
{
    m_doubles.push_back(value);
    return static_cast<std::uint32_t>(m_doubles.size());
}

std::uint32_t CAbcBuilder::String(std::string_view s)
{
    for (std::size_t i = 0; i < m_strings.size(); ++i)
        if (m_strings[i] == s)
            return static_cast<std::uint32_t>(i + 1);
    m_strings.emplace_back(s);
    return static_cast<std::uint32_t>(m_strings.size());
}

std::uint32_t CAbcBuilder::Package(std::string_view name)
{
    const std::uint32_t s = String(name);
    for (std::size_t i = 0; i < m_packages.size(); ++i)
        if (m_packages[i] == s)
            return static_cast<std::uint32_t>(i + 1);
    m_packages.push_back(s);
    return static_cast<std::uint32_t>(m_packages.size());
}

std::uint32_t CAbcBuilder::QName(std::string_view package, std::string_view name)
{
    const AbcMultiname mn{kAbcQName, String(name), Package(package), {}};
    for (std::size_t i = 0; i < m_multinames.size(); ++i)
        if (m_multinames[i] == mn)
            return static_cast<std::uint32_t>(i + 1);
    m_multinames.push_back(mn);
    return static_cast<std::uint32_t>(m_multinames.size());
}

std::uint32_t CAbcBuilder::RuntimeName(std::uint8_t kind, std::string_view name)
{
    m_multinames.push_back({kind, name.empty() ? 0 : String(name), 0, {}});
    return static_cast<std::uint32_t>(m_multinames.size());
}

std::uint32_t CAbcBuilder::Method(std::uint32_t paramCount, std::vector<AbcValueRef> options)
{
    AbcMethodInfo method;
    method.paramCount = paramCount;
    method.flags = options.empty() ? 0 : kHasOptional;
    method.options = std::move(options);
    m_methods.push_back(std::move(method));
    return static_cast<std::uint32_t>(m_methods.size() - 1);
}

void CAbcBuilder::Body(std::uint32_t method, const CAbcCode& code, std::uint32_t maxStack, std::uint32_t localCount,
    std::vector<AbcException> exceptions, std::uint32_t initScope, std::uint32_t maxScope)
{
    m_bodies.push_back({method, maxStack, localCount, initScope, maxScope, code.Bytes(), std::move(exceptions)});
}

std::uint32_t CAbcBuilder::Class(std::uint32_t name, std::uint32_t superName, std::uint32_t iinit, std::uint32_t cinit,
    std::vector<AbcTrait> instanceTraits)
{
    AbcInstanceInfo instance;
    instance.name = name;
    instance.superName = superName;
    instance.flags = kSealed;
    instance.iinit = iinit;
    instance.traits = std::move(instanceTraits);
    m_instances.push_back(std::move(instance));
    m_classes.push_back({cinit, {}});
    return static_cast<std::uint32_t>(m_classes.size() - 1);
}

void CAbcBuilder::Script(std::uint32_t init, std::vector<AbcTrait> traits) { m_scripts.push_back({init, traits}); }

AbcLayout CAbcBuilder::Build() const
{
    AbcLayout layout;
    std::vector<std::uint8_t>& out = layout.bytes;
    out = {static_cast<std::uint8_t>(kAbcMinorVersion), 0, static_cast<std::uint8_t>(kAbcMajorVersion), 0};
    PutCount(out, m_ints.size());
    for (const Entry& e : m_ints) {
        layout.ints.push_back(static_cast<std::uint32_t>(out.size()));
        PutVarint(out, e.bits, e.length);
    }
    PutCount(out, m_uints.size());
    for (const Entry& e : m_uints) {
        layout.uints.push_back(static_cast<std::uint32_t>(out.size()));
        PutVarint(out, e.bits, e.length);
    }
    PutCount(out, m_doubles.size());
    for (const double d : m_doubles) {
        layout.doubles.push_back(static_cast<std::uint32_t>(out.size()));
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        for (int i = 0; i < 8; ++i)
            out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    PutCount(out, m_strings.size());
    for (const std::string& s : m_strings) {
        PutU30(out, static_cast<std::uint32_t>(s.size()));
        out.insert(out.end(), s.begin(), s.end());
    }
    PutCount(out, m_packages.size());
    for (const std::uint32_t name : m_packages) {
        out.push_back(kAbcPackageNs);
        PutU30(out, name);
    }
    PutCount(out, 0); // namespace sets
    PutCount(out, m_multinames.size());
    for (const AbcMultiname& mn : m_multinames) {
        out.push_back(mn.kind);
        if (mn.kind == kAbcQName)
            PutU30(out, mn.ns);
        if (mn.kind == kAbcQName || mn.kind == kAbcRTQName)
            PutU30(out, mn.name);
    }
    PutU30(out, static_cast<std::uint32_t>(m_methods.size()));
    for (const AbcMethodInfo& method : m_methods) {
        PutU30(out, method.paramCount);
        PutU30(out, 0); // return type: any
        for (std::uint32_t i = 0; i < method.paramCount; ++i)
            PutU30(out, 0);
        PutU30(out, 0); // name
        out.push_back(method.flags);
        if (method.flags & kHasOptional) {
            PutU30(out, static_cast<std::uint32_t>(method.options.size()));
            for (const AbcValueRef& option : method.options) {
                PutU30(out, option.index);
                out.push_back(option.kind);
            }
        }
    }
    PutU30(out, 0); // metadata
    PutU30(out, static_cast<std::uint32_t>(m_instances.size()));
    for (const AbcInstanceInfo& instance : m_instances) {
        PutU30(out, instance.name);
        PutU30(out, instance.superName);
        out.push_back(instance.flags);
        PutU30(out, 0); // interfaces
        PutU30(out, instance.iinit);
        PutTraits(out, instance.traits);
    }
    for (const AbcClassInfo& cls : m_classes) {
        PutU30(out, cls.cinit);
        PutTraits(out, cls.traits);
    }
    PutU30(out, static_cast<std::uint32_t>(m_scripts.size()));
    for (const AbcScriptInfo& script : m_scripts) {
        PutU30(out, script.init);
        PutTraits(out, script.traits);
    }
    PutU30(out, static_cast<std::uint32_t>(m_bodies.size()));
    for (const BodyParts& body : m_bodies) {
        for (const std::uint32_t field : {body.method, body.maxStack, body.localCount, body.initScope, body.maxScope})
            PutU30(out, field);
        PutU30(out, static_cast<std::uint32_t>(body.code.size()));
        layout.codes.push_back(static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), body.code.begin(), body.code.end());
        PutU30(out, static_cast<std::uint32_t>(body.exceptions.size()));
        for (const AbcException& e : body.exceptions)
            for (const std::uint32_t field : {e.from, e.to, e.target, e.type, e.varName})
                PutU30(out, field);
        PutU30(out, 0); // traits
    }
    return layout;
}

std::vector<std::uint8_t> DoAbcBody(std::span<const std::uint8_t> abc, std::string_view name)
{
    CBitWriter w;
    w.WriteDWord(1); // lazy initialisation, as the authoring tools write it
    w.WriteString(name);
    w.WriteBytes(abc);
    return w.Take();
}

} // namespace tintor
