// The stack walk over ActionScript 3 method bodies: which pushed numbers
// reach a colour argument, and which reach anything else.
//
// Each body is stepped through twice. The first pass reads every
// instruction, marks where branches and exception handlers lead and counts
// the reads of each local register. The second models the stack and the
// registers through the straight runs between those targets. Every value
// knows the push it came from; what it meets decides its use: a colour
// argument of a known call, anything else, or nothing (pop, an overwritten
// register, the end of the method). Whenever the model must forget what it
// holds (a branch, a target, an instruction it does not know), what it
// forgets counts as used otherwise, unless it is a register value that no
// read outside the model could see.
#include "swf/abc_walk.h"

#include <algorithm>
#include <array>

namespace tintor {

namespace {

enum class CallForm : std::uint8_t { Method, Constructor, Property };

// A call, constructor or property that takes colours: up to two argument
// indices (-1 for none), and whether they are arrays of colours.
struct ColourCall {
    ScriptUse use;
    CallForm form;
    std::array<std::int8_t, 2> slots;
    bool arrays;
};

// A property's value is its slot 0. ColorTransform's constructor is not
// among them: it takes multipliers and offsets, one channel each, which
// are no colour alone; its color property is.
constexpr ColourCall kColourCallForms[] = {
    {ScriptUse::BeginFill, CallForm::Method, {0, -1}, false},             // (color, alpha)
    {ScriptUse::LineStyle, CallForm::Method, {1, -1}, false},             // (thickness, color, ...)
    {ScriptUse::BeginGradientFill, CallForm::Method, {1, -1}, true},      // (type, colors, ...)
    {ScriptUse::LineGradientStyle, CallForm::Method, {1, -1}, true},      // (type, colors, ...)
    {ScriptUse::GlowFilter, CallForm::Constructor, {0, -1}, false},       // (color, ...)
    {ScriptUse::DropShadowFilter, CallForm::Constructor, {2, -1}, false}, // (distance, angle, color, ...)
    {ScriptUse::BevelFilter, CallForm::Constructor, {2, 4}, false},       // (distance, angle, highlight, alpha, shadow)
    {ScriptUse::GradientGlowFilter, CallForm::Constructor, {2, -1}, true},  // (distance, angle, colors, ...)
    {ScriptUse::GradientBevelFilter, CallForm::Constructor, {2, -1}, true}, // (distance, angle, colors, ...)
    {ScriptUse::TextFormat, CallForm::Constructor, {2, -1}, false},         // (font, size, color, ...)
    {ScriptUse::TextColor, CallForm::Property, {0, -1}, false},
    {ScriptUse::BackgroundColor, CallForm::Property, {0, -1}, false},
    {ScriptUse::BorderColor, CallForm::Property, {0, -1}, false},
    {ScriptUse::Color, CallForm::Property, {0, -1}, false}, // TextFormat's, ColorTransform's
};

constexpr std::uint32_t BitOf(std::uint8_t call) { return UseBit(kColourCallForms[call].use); }

constexpr std::uint8_t kNoCall = 0xFF;
// What the first pass marks at an offset of the code.
constexpr std::uint8_t kStart = 1;
constexpr std::uint8_t kTarget = 2;
// Registers beyond these are not modelled: what is stored there is used.
constexpr std::uint32_t kModelledLocals = 256;

// What the walk needs of a multiname.
struct NameFacts {
    bool valid = false;
    // The entry of kColourCallForms its name is, or kNoCall.
    std::uint8_t call = kNoCall;
    // Values a runtime name takes off the stack: its name, its namespace.
    std::uint8_t runtimeParts = 0;
    // A coerce to this type leaves a number (int, uint, Number, Object) or
    // an array (Array, Object) as it is.
    bool keepsNumbers = false;
    bool keepsArrays = false;
};

struct Value {
    enum Kind : std::uint8_t { Unknown, Constant, Name, Array };
    Kind kind = Unknown;
    // The push, the call of the name, or the array.
    std::uint32_t id = 0;
};

struct ArrayValue {
    std::vector<Value> elements;
    // Elements the model did not know.
    std::uint32_t unknown = 0;
    // Whether its elements were already used otherwise, and the calls that
    // took them as colours: an array of arrays of the same array is visited
    // once for each, not once a path.
    bool usedOther = false;
    std::uint32_t usedCalls = 0;
};

// A register as the model holds it: known once the run stored into it.
struct Local {
    Value value;
    bool known = false;
};

enum class Use : std::uint8_t { Other, Drop };

// A number pushed in the body being walked, from a pool entry (at is its
// index) or the instruction's operand (at is its position).
struct Pushed {
    AbcSource source;
    std::uint8_t length;
    std::uint32_t at;
    AbcUses uses;
};

std::vector<NameFacts> FactsOf(const AbcConstantPool& pool)
{
    std::vector<NameFacts> facts(pool.multinames.size() + 1);
    for (std::size_t i = 0; i < pool.multinames.size(); ++i) {
        const AbcMultiname& mn = pool.multinames[i];
        NameFacts& f = facts[i + 1];
        f.valid = true;
        switch (mn.kind) {
        case kAbcRTQName:
        case kAbcRTQNameA:
        case kAbcMultinameL:
        case kAbcMultinameLA:
            f.runtimeParts = 1;
            break;
        case kAbcRTQNameL:
        case kAbcRTQNameLA:
            f.runtimeParts = 2;
            break;
        default:
            break;
        }
        if (mn.kind == kAbcTypeName || mn.name == 0 || mn.name > pool.strings.size())
            continue;
        const std::string_view name = pool.strings[mn.name - 1];
        for (std::size_t c = 0; c < std::size(kColourCallForms); ++c)
            if (name == kScriptUseNames[static_cast<std::size_t>(kColourCallForms[c].use)])
                f.call = static_cast<std::uint8_t>(c);
        f.keepsNumbers = name == "int" || name == "uint" || name == "Number" || name == "Object";
        f.keepsArrays = name == "Array" || name == "Object";
    }
    return facts;
}

// The colour each entry of a number pool holds, when it holds one.
std::vector<std::optional<std::uint32_t>> ColoursOf(
    std::span<const AbcVarint> entries, AbcSource source, std::span<const std::uint8_t> abc, std::uint32_t pos)
{
    std::vector<std::optional<std::uint32_t>> colours;
    colours.reserve(entries.size());
    for (const AbcVarint& e : entries)
        colours.push_back(AbcColourOf(source, abc.subspan(e.pos - pos, e.length)));
    return colours;
}

// The pops and pushes of the instructions whose stack effect does not
// depend on their operands and that the model knows only by it.
struct FixedEffect {
    bool known = false;
    std::uint8_t pops = 0;
    std::uint8_t pushes = 0;
};

constexpr FixedEffect FixedEffectOf(std::uint8_t op)
{
    if (op == 0x01 || op == 0x02 || op == 0x06 || op == 0x09 || op == 0x1D || (op >= kOpDebug && op <= kOpTimestamp))
        return {true, 0, 0}; // bkpt, nop, dxns, label, popscope, debug records, timestamp
    if (op == kOpDxnsLate || op == kOpPushWith || op == kOpPushScope || op == kOpSetGlobalSlot)
        return {true, 1, 0};
    if (op == kOpNextName || op == kOpNextValue || op == kOpHasNext || op == kOpAsTypeLate || op == kOpIsTypeLate
        || op == 0xB1 || op == kOpIn || (op >= kOpAdd && op <= 0xB0) || (op >= kOpAddI && op <= kOpMultiplyI))
        return {true, 2, 1};
    if (op == kOpPushNull || op == kOpPushUndefined || op == kOpPushTrue || op == kOpPushFalse || op == kOpPushNaN
        || op == kOpPushString || op == kOpPushNamespace || op == kOpNewFunction || op == kOpNewActivation
        || op == kOpNewCatch || op == kOpGetGlobalScope || op == kOpGetScopeObject || op == kOpGetOuterScope
        || op == kOpGetGlobalSlot)
        return {true, 0, 1};
    if ((op >= kOpLi8 && op <= kOpLf64) || (op >= kOpSxi1 && op <= kOpSxi16) || op == kOpNewClass || op == kOpGetSlot
        || op == kOpConvertS || op == kOpEscXElem || op == kOpEscXAttr || op == kOpConvertB || op == kOpCheckFilter
        || op == kOpCoerceB || op == kOpCoerceS || op == kOpCoerceO || op == kOpNegate || op == kOpIncrement
        || op == kOpDecrement || op == kOpTypeOf || op == kOpNot || op == kOpBitNot || op == kOpIncrementI
        || op == kOpDecrementI || op == kOpNegateI)
        return {true, 1, 1};
    if ((op >= kOpSi8 && op <= kOpSf64) || op == kOpSetSlot)
        return {true, 2, 0};
    return {};
}

constexpr std::array<FixedEffect, 256> BuildFixedEffects()
{
    std::array<FixedEffect, 256> table{};
    for (int op = 0; op < 256; ++op)
        table[static_cast<std::size_t>(op)] = FixedEffectOf(static_cast<std::uint8_t>(op));
    return table;
}

constexpr std::array<FixedEffect, 256> kFixedEffects = BuildFixedEffects();

class CAbcStackWalk {
public:
    CAbcStackWalk(const AbcFile& file, std::span<const std::uint8_t> abc, std::uint32_t pos)
        : m_abc(abc),
          m_pos(pos),
          m_names(FactsOf(file.pool)),
          m_intColours(ColoursOf(file.pool.ints, AbcSource::Int, abc, pos)),
          m_uintColours(ColoursOf(file.pool.uints, AbcSource::Uint, abc, pos))
    {
        m_doubleColours.reserve(file.pool.doubles.size());
        for (const AbcDouble& d : file.pool.doubles)
            m_doubleColours.push_back(AbcColourOf(AbcSource::Double, abc.subspan(d.pos - pos, 8)));
        m_result.ints.resize(file.pool.ints.size() + 1);
        m_result.uints.resize(file.pool.uints.size() + 1);
        m_result.doubles.resize(file.pool.doubles.size() + 1);
    }

    void Walk(const AbcMethodBody& body)
    {
        if (!Decode(body)) {
            ++m_result.unreadBodies;
            return;
        }
        Model(body);
    }

    AbcWalkResult Take() { return std::move(m_result); }

private:
    // --- First pass ----------------------------------------------------------
    bool Decode(const AbcMethodBody& body)
    {
        m_marks.assign(body.code.size(), 0);
        m_reads.assign(std::min(body.localCount, kModelledLocals), 0);
        m_exceptions = !body.exceptions.empty();
        std::vector<std::int64_t>& targets = m_branchTargets;
        targets.clear();
        CAbcCursor cursor(body.code, body.codePos);
        AbcInstruction ins;
        while (cursor.Remaining() > 0) {
            if (!ReadInstruction(cursor, body.codePos, ins))
                return false;
            m_marks[ins.offset] = kStart;
            const AbcOperands operands = OperandsOf(ins.opcode);
            if (operands == AbcOperands::S24)
                targets.push_back(std::int64_t{ins.offset} + ins.length + static_cast<std::int32_t>(ins.a));
            if (operands == AbcOperands::LookupSwitch) {
                targets.push_back(std::int64_t{ins.offset} + static_cast<std::int32_t>(ins.a));
                for (std::size_t i = 0; i <= ins.b; ++i)
                    targets.push_back(LookupSwitchTarget(ins, i));
            }
            CountReads(ins);
        }
        for (const AbcException& e : body.exceptions)
            targets.push_back(e.target);
        // Compilers leave dead code behind a return whose branches lead past
        // the end; the player never takes them, as it would refuse the
        // method if it could. A branch into the middle of an instruction
        // would read other instructions than these.
        for (const std::int64_t t : targets) {
            if (t < 0 || t >= static_cast<std::int64_t>(body.code.size()))
                continue;
            if (!(m_marks[static_cast<std::size_t>(t)] & kStart))
                return false;
            m_marks[static_cast<std::size_t>(t)] |= kTarget;
        }
        return true;
    }

    void CountRead(std::uint32_t local)
    {
        if (local < m_reads.size())
            ++m_reads[local];
    }

    void CountReads(const AbcInstruction& ins)
    {
        switch (ins.opcode) {
        case kOpGetLocal:
        case kOpIncLocal:
        case kOpDecLocal:
        case kOpIncLocalI:
        case kOpDecLocalI:
            CountRead(ins.a);
            break;
        case kOpHasNext2:
            CountRead(ins.a);
            CountRead(ins.b);
            break;
        default:
            if (ins.opcode >= kOpGetLocal0 && ins.opcode <= kOpGetLocal3)
                CountRead(ins.opcode - kOpGetLocal0);
            break;
        }
    }

    // --- The model -----------------------------------------------------------
    // Steps through the code again, which the first pass read whole.
    void Model(const AbcMethodBody& body)
    {
        m_stack.clear();
        m_locals.assign(m_reads.size(), Local{});
        m_modelledReads.assign(m_reads.size(), 0);
        m_arrays.clear();
        CAbcCursor cursor(body.code, body.codePos);
        AbcInstruction ins;
        while (cursor.Remaining() > 0 && ReadInstruction(cursor, body.codePos, ins)) {
            if (m_marks[ins.offset] & kTarget)
                Forget(Use::Other);
            Step(ins);
        }
        Forget(Use::Drop);
        Gather();
    }

    Value Pop()
    {
        if (m_stack.empty())
            return {};
        const Value v = m_stack.back();
        m_stack.pop_back();
        return v;
    }

    void Push(Value v) { m_stack.push_back(v); }

    // The colours of a pool's entries, by index less one.
    const std::vector<std::optional<std::uint32_t>>& PoolColours(AbcSource source) const
    {
        return source == AbcSource::Int ? m_intColours : source == AbcSource::Uint ? m_uintColours : m_doubleColours;
    }

    void PushPoolEntry(AbcSource source, std::uint32_t index)
    {
        if (index == 0 || index > PoolColours(source).size())
            return Push({}); // a method the player refuses
        m_pushed.push_back({source, 0, index, {}});
        Push({Value::Constant, static_cast<std::uint32_t>(m_pushed.size() - 1)});
    }

    void PushOperand(AbcSource source, const AbcInstruction& ins)
    {
        m_pushed.push_back({source, ins.operandLength, ins.operandPos, {}});
        Push({Value::Constant, static_cast<std::uint32_t>(m_pushed.size() - 1)});
    }

    std::optional<std::uint32_t> ColourOf(const Pushed& p) const
    {
        if (p.source == AbcSource::Byte || p.source == AbcSource::Short)
            return AbcColourOf(p.source, m_abc.subspan(p.at - m_pos, p.length));
        return PoolColours(p.source)[p.at - 1];
    }

    // Adds what the body's pushes met to the file's entries and operands.
    void Gather()
    {
        for (const Pushed& p : m_pushed) {
            if (p.source == AbcSource::Byte || p.source == AbcSource::Short) {
                if (p.uses.colour > 0)
                    m_result.operands.push_back({p.source, p.at, p.length, *ColourOf(p), p.uses});
                continue;
            }
            std::vector<AbcUses>& pool = p.source == AbcSource::Int ? m_result.ints
                : p.source == AbcSource::Uint                       ? m_result.uints
                                                                    : m_result.doubles;
            AbcUses& uses = pool[p.at];
            uses.colour += p.uses.colour;
            uses.other += p.uses.other;
            uses.calls |= p.uses.calls;
        }
        m_pushed.clear();
    }

    // A value used otherwise than as a colour, or dropped unseen.
    void Consume(const Value& v, Use use)
    {
        if (use == Use::Drop)
            return;
        if (v.kind == Value::Constant)
            ++m_pushed[v.id].uses.other;
        if (v.kind == Value::Array && !m_arrays[v.id].usedOther) {
            m_arrays[v.id].usedOther = true;
            for (const Value& e : m_arrays[v.id].elements)
                Consume(e, use);
        }
    }

    void ConsumeColour(const Value& v, std::uint8_t call)
    {
        if (v.kind == Value::Constant && ColourOf(m_pushed[v.id])) {
            AbcUses& uses = m_pushed[v.id].uses;
            ++uses.colour;
            uses.calls |= BitOf(call);
            ++m_result.followedColours;
            return;
        }
        Unfollowed(call);
        Consume(v, Use::Other);
    }

    // Colour arguments of the call that got values the walk cannot tell.
    void Unfollowed(std::uint8_t call, std::uint32_t count = 1)
    {
        if (count == 0)
            return;
        m_result.unfollowedColours += count;
        m_result.unfollowedUses |= BitOf(call);
    }

    void ConsumeColourArray(const Value& v, std::uint8_t call)
    {
        if (v.kind != Value::Array) {
            Unfollowed(call);
            return Consume(v, Use::Other);
        }
        ArrayValue& array = m_arrays[v.id];
        if (array.usedCalls & BitOf(call))
            return;
        array.usedCalls |= BitOf(call);
        Unfollowed(call, array.unknown);
        for (const Value& e : array.elements)
            ConsumeColour(e, call);
    }

    void ConsumeSlot(const Value& v, std::uint8_t call)
    {
        if (kColourCallForms[call].arrays)
            ConsumeColourArray(v, call);
        else
            ConsumeColour(v, call);
    }

    // Pops n values, used otherwise.
    void PopOther(std::size_t n)
    {
        const std::size_t known = std::min(n, m_stack.size());
        for (std::size_t i = m_stack.size() - known; i < m_stack.size(); ++i)
            Consume(m_stack[i], Use::Other);
        m_stack.resize(m_stack.size() - known);
    }

    bool IsSlot(std::uint8_t call, std::size_t arg) const
    {
        if (call == kNoCall)
            return false;
        for (const std::int8_t s : kColourCallForms[call].slots)
            if (s >= 0 && static_cast<std::size_t>(s) == arg)
                return true;
        return false;
    }

    // Pops a call's n arguments; those the call takes colours in are colour
    // uses, the others used otherwise.
    void PopArguments(std::size_t n, std::uint8_t call)
    {
        const std::size_t known = std::min(n, m_stack.size());
        const std::size_t firstKnown = n - known;
        // Arguments under what the model holds; their count may be huge.
        if (call != kNoCall)
            for (const std::int8_t s : kColourCallForms[call].slots)
                if (s >= 0 && static_cast<std::size_t>(s) < firstKnown)
                    Unfollowed(call);
        const std::size_t base = m_stack.size() - known;
        for (std::size_t arg = firstKnown; arg < n; ++arg) {
            const Value v = m_stack[base + arg - firstKnown];
            if (IsSlot(call, arg))
                ConsumeSlot(v, call);
            else
                Consume(v, Use::Other);
        }
        m_stack.resize(base);
    }

    std::uint8_t CallOf(std::uint8_t call, CallForm form) const
    {
        return call != kNoCall && kColourCallForms[call].form == form ? call : kNoCall;
    }

    void NewArray(std::size_t n)
    {
        ArrayValue array;
        const std::size_t known = std::min(n, m_stack.size());
        array.unknown = static_cast<std::uint32_t>(n - known);
        array.elements.assign(m_stack.end() - static_cast<std::ptrdiff_t>(known), m_stack.end());
        m_stack.resize(m_stack.size() - known);
        m_arrays.push_back(std::move(array));
        Push({Value::Array, static_cast<std::uint32_t>(m_arrays.size() - 1)});
    }

    // Whether what a register held when the model lets go of it could be
    // read where the model does not see. A read inside a run, after the
    // run stored into the register, reads what the model says on every
    // path through it; any other read might read this value. Without
    // exception handlers, only a branch lets control go on elsewhere with
    // the register as it is.
    bool Escapes(std::uint32_t local, Use use) const
    {
        return (use == Use::Other || m_exceptions) && m_reads[local] > m_modelledReads[local];
    }

    void DropLocal(std::uint32_t local, Use use)
    {
        if (local >= m_locals.size())
            return;
        Consume(m_locals[local].value, Escapes(local, use) ? Use::Other : Use::Drop);
        m_locals[local] = {};
    }

    // The register as a run's instruction leaves it: known, holding v.
    void StoreLocal(std::uint32_t local, Value v)
    {
        DropLocal(local, Use::Drop);
        m_locals[local] = {v, true};
    }

    // Forgets the stack and the registers: on Other they go on to code the
    // model does not see, on Drop the method ends.
    void Forget(Use use)
    {
        for (const Value& v : m_stack)
            Consume(v, use);
        m_stack.clear();
        for (std::uint32_t i = 0; i < m_locals.size(); ++i)
            DropLocal(i, use);
    }

    void GetLocal(std::uint32_t local)
    {
        if (local >= m_locals.size())
            return Push({});
        if (m_locals[local].known)
            ++m_modelledReads[local];
        Push(m_locals[local].value);
    }

    void SetLocal(std::uint32_t local)
    {
        const Value v = Pop();
        if (local >= m_locals.size())
            return Consume(v, Use::Other);
        StoreLocal(local, v);
    }

    // A register an instruction reads as a number and changes.
    void ChangeLocal(std::uint32_t local)
    {
        if (local >= m_locals.size())
            return;
        if (m_locals[local].known)
            ++m_modelledReads[local];
        Consume(m_locals[local].value, Use::Other);
        m_locals[local] = {Value{}, true};
    }

    const NameFacts& Facts(std::uint32_t index) const
    {
        static const NameFacts kInvalid;
        return index < m_names.size() ? m_names[index] : kInvalid;
    }

    // A value that a conversion leaves as it is, or an unknown one.
    void Convert(bool keeps)
    {
        const Value v = Pop();
        if (keeps)
            return Push(v);
        Consume(v, Use::Other);
        Push({});
    }

    bool IsNumber(const Value& v) const { return v.kind == Value::Constant; }

    // Instructions with a multiname: false when it is not one of the file's.
    bool StepNamed(const AbcInstruction& ins)
    {
        const NameFacts& name = Facts(ins.a);
        if (!name.valid)
            return false;
        switch (ins.opcode) {
        case kOpFindPropStrict:
        case kOpFindProperty:
        case kOpFindDef:
        case kOpGetLex:
            PopOther(name.runtimeParts);
            Push({Value::Name, name.call});
            return true;
        case kOpGetProperty:
            PopOther(name.runtimeParts + 1u);
            Push({Value::Name, name.call});
            return true;
        case kOpSetProperty:
        case kOpInitProperty: {
            const Value v = Pop();
            const std::uint8_t call = CallOf(name.call, CallForm::Property);
            if (call != kNoCall)
                ConsumeSlot(v, call);
            else
                Consume(v, Use::Other);
            PopOther(name.runtimeParts + 1u);
            return true;
        }
        case kOpCallProperty:
        case kOpCallPropLex:
        case kOpCallPropVoid:
            PopArguments(ins.b, CallOf(name.call, CallForm::Method));
            PopOther(name.runtimeParts + 1u);
            if (ins.opcode != kOpCallPropVoid)
                Push({});
            return true;
        case kOpConstructProp:
            PopArguments(ins.b, CallOf(name.call, CallForm::Constructor));
            PopOther(name.runtimeParts + 1u);
            Push({});
            return true;
        case kOpCoerce: {
            const Value v = Pop();
            Push(v);
            Convert((v.kind == Value::Array && name.keepsArrays) || (IsNumber(v) && name.keepsNumbers));
            return true;
        }
        case kOpGetSuper:
        case kOpGetDescendants:
        case kOpDeleteProperty:
        case kOpAsType:
        case kOpIsType:
            PopOther(name.runtimeParts + 1u);
            Push({});
            return true;
        case kOpSetSuper:
            PopOther(name.runtimeParts + 2u);
            return true;
        case kOpCallSuper:
        case kOpCallSuperVoid:
            PopOther(ins.b + name.runtimeParts + 1u);
            if (ins.opcode == kOpCallSuper)
                Push({});
            return true;
        default:
            return false;
        }
    }

    void Construct(std::size_t n)
    {
        // The class object lies under the arguments.
        const std::size_t classAt = m_stack.size() > n ? m_stack.size() - n - 1 : m_stack.size();
        const Value cls = classAt < m_stack.size() ? m_stack[classAt] : Value{};
        const std::uint8_t call
            = cls.kind == Value::Name ? CallOf(static_cast<std::uint8_t>(cls.id), CallForm::Constructor) : kNoCall;
        PopArguments(n, call);
        PopOther(1);
        Push({});
    }

    // Pops and pushes of the instructions the model knows only by their
    // count; false for those whose count it does not know.
    static bool Effect(const AbcInstruction& ins, std::size_t& pops, std::size_t& pushes)
    {
        const FixedEffect fixed = kFixedEffects[ins.opcode];
        if (fixed.known) {
            pops = fixed.pops;
            pushes = fixed.pushes;
            return true;
        }
        pushes = 1;
        switch (ins.opcode) {
        case kOpCall:
            pops = std::size_t{ins.a} + 2;
            return true;
        case kOpCallMethod:
        case kOpCallStatic:
            pops = std::size_t{ins.b} + 1;
            return true;
        case kOpConstructSuper:
            pops = std::size_t{ins.a} + 1;
            pushes = 0;
            return true;
        case kOpApplyType:
            pops = std::size_t{ins.a} + 1;
            return true;
        case kOpNewObject:
            pops = 2 * std::size_t{ins.a};
            return true;
        default:
            return false;
        }
    }

    void Step(const AbcInstruction& ins)
    {
        const std::uint8_t op = ins.opcode;
        switch (op) {
        case kOpPushByte:
            return PushOperand(AbcSource::Byte, ins);
        case kOpPushShort:
            return PushOperand(AbcSource::Short, ins);
        case kOpPushInt:
            return PushPoolEntry(AbcSource::Int, ins.a);
        case kOpPushUint:
            return PushPoolEntry(AbcSource::Uint, ins.a);
        case kOpPushDouble:
            return PushPoolEntry(AbcSource::Double, ins.a);
        case kOpPop:
            return Consume(Pop(), Use::Drop);
        case kOpDup: {
            const Value v = Pop();
            Push(v);
            return Push(v);
        }
        case kOpSwap: {
            const Value a = Pop();
            const Value b = Pop();
            Push(a);
            return Push(b);
        }
        case kOpGetLocal:
            return GetLocal(ins.a);
        case kOpSetLocal:
            return SetLocal(ins.a);
        case kOpKill:
            if (ins.a < m_locals.size())
                StoreLocal(ins.a, {});
            return;
        case kOpIncLocal:
        case kOpDecLocal:
        case kOpIncLocalI:
        case kOpDecLocalI:
            return ChangeLocal(ins.a);
        case kOpHasNext2:
            ChangeLocal(ins.a);
            ChangeLocal(ins.b);
            return Push({});
        case kOpConvertI:
        case kOpConvertU:
        case kOpConvertD:
        case kOpCoerceI:
        case kOpCoerceU:
        case kOpCoerceD: {
            const Value v = Pop();
            Push(v);
            return Convert(IsNumber(v));
        }
        case kOpCoerceA:
        case kOpConvertO:
            return; // leaves any value as it is
        case kOpNewArray:
            return NewArray(ins.a);
        case kOpConstruct:
            return Construct(ins.a);
        case kOpReturnValue:
        case kOpThrow:
            Consume(Pop(), Use::Other);
            return Forget(Use::Drop);
        case kOpReturnVoid:
            return Forget(Use::Drop);
        default:
            break;
        }
        if (op >= kOpGetLocal0 && op <= kOpGetLocal3)
            return GetLocal(op - kOpGetLocal0);
        if (op >= kOpSetLocal0 && op <= kOpSetLocal3)
            return SetLocal(op - kOpSetLocal0);
        const AbcOperands operands = OperandsOf(op);
        if (operands == AbcOperands::S24 || operands == AbcOperands::LookupSwitch) {
            // What the branch compares is used; what stays on the stack and
            // in the registers goes on to the target as well.
            PopOther(op == kOpJump ? 0 : op == kOpIfTrue || op == kOpIfFalse || op == kOpLookupSwitch ? 1 : 2);
            return Forget(Use::Other);
        }
        if (StepNamed(ins))
            return;
        std::size_t pops = 0, pushes = 0;
        if (!Effect(ins, pops, pushes))
            return Forget(Use::Other);
        PopOther(pops);
        for (std::size_t i = 0; i < pushes; ++i)
            Push({});
    }

    std::span<const std::uint8_t> m_abc;
    std::uint32_t m_pos;
    std::vector<NameFacts> m_names;
    std::vector<std::optional<std::uint32_t>> m_intColours;
    std::vector<std::optional<std::uint32_t>> m_uintColours;
    std::vector<std::optional<std::uint32_t>> m_doubleColours;
    AbcWalkResult m_result;
    // The body being walked: which offsets start an instruction and which
    // are targets, the reads of each register, whether it has exception
    // handlers.
    std::vector<std::uint8_t> m_marks;
    std::vector<std::int64_t> m_branchTargets;
    std::vector<std::uint32_t> m_reads;
    bool m_exceptions = false;
    // The model: the values pushed in the body, the stack, the registers.
    std::vector<Pushed> m_pushed;
    std::vector<Value> m_stack;
    std::vector<Local> m_locals;
    // Reads of each register at which the model knew what it held.
    std::vector<std::uint32_t> m_modelledReads;
    std::vector<ArrayValue> m_arrays;
};

} // namespace

AbcWalkResult WalkAbcFile(const AbcFile& file, std::span<const std::uint8_t> abc, std::uint32_t pos)
{
    CAbcStackWalk walk(file, abc, pos);
    for (const AbcMethodBody& body : file.bodies)
        walk.Walk(body);
    return walk.Take();
}

} // namespace tintor
