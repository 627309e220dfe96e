// The colour pass over an action block: a stack model of its straight-line
// runs that tells which number constants are drawn with.
#include "swf/avm1_colours.h"

#include "swf/avm1_records.h"
#include "swf/colour_account.h"
#include "swf/script_constants.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

namespace tintor {

namespace {

constexpr std::uint32_t kLargestColour = 0xFFFFFF;
// Argument and element counts above this are taken for unknown.
constexpr double kLargestCount = 0xFFFF;
constexpr std::uint8_t kFirstCaseSensitiveVersion = 7;
// Colour arguments stand among a call's first eight.
constexpr std::size_t kColourArgs = 8;

enum class CallForm : std::uint8_t { Method, Constructor };

// A call that takes colours, and which of its arguments are colours or
// arrays of colours (bit i: argument i, the first being 0).
struct ColourCall {
    std::string_view name;
    CallForm form;
    ScriptUse use;
    std::uint8_t colourArgs;
    std::uint8_t arrayArgs;
    // A colour transform made of multipliers and offsets: a tint of numbers
    // the pass does not follow, unless it is made without arguments.
    bool numbersTint = false;
};

constexpr ColourCall kColourCalls[] = {
    {"beginFill", CallForm::Method, ScriptUse::BeginFill, 1 << 0, 0},
    {"lineStyle", CallForm::Method, ScriptUse::LineStyle, 1 << 1, 0},
    {"beginGradientFill", CallForm::Method, ScriptUse::BeginGradientFill, 0, 1 << 1},
    {"lineGradientStyle", CallForm::Method, ScriptUse::LineGradientStyle, 0, 1 << 1},
    {"setRGB", CallForm::Method, ScriptUse::SetRgb, 1 << 0, 0},
    {"GlowFilter", CallForm::Constructor, ScriptUse::GlowFilter, 1 << 0, 0},
    {"DropShadowFilter", CallForm::Constructor, ScriptUse::DropShadowFilter, 1 << 2, 0},
    {"BevelFilter", CallForm::Constructor, ScriptUse::BevelFilter, 1 << 2 | 1 << 4, 0}, // highlight, shadow
    {"GradientGlowFilter", CallForm::Constructor, ScriptUse::GradientGlowFilter, 0, 1 << 2},
    {"GradientBevelFilter", CallForm::Constructor, ScriptUse::GradientBevelFilter, 0, 1 << 2},
    {"TextFormat", CallForm::Constructor, ScriptUse::TextFormat, 1 << 2, 0},
    {"ColorTransform", CallForm::Constructor, ScriptUse::ColorTransform, 0, 0, true},
};

struct ColourProperty {
    std::string_view name;
    ScriptUse use;
};

constexpr ColourProperty kColourProperties[] = {
    {"textColor", ScriptUse::TextColor},
    {"backgroundColor", ScriptUse::BackgroundColor},
    {"borderColor", ScriptUse::BorderColor},
    {"color", ScriptUse::Color},
    {"rgb", ScriptUse::Rgb},
};

// Set to a colour transform built before, whose colours are followed where
// it is built.
constexpr std::string_view kColorTransformProperty = "colorTransform";

// Pops and pushes of the actions that only compute: each value they take is
// used as a number (or a string), and what they give is unknown.
struct StackEffect {
    std::int8_t pops = -1; // -1: not such an action
    std::int8_t pushes = 0;
};

constexpr std::array<StackEffect, 256> StackEffects()
{
    std::array<StackEffect, 256> e{};
    const auto set = [&e](std::initializer_list<int> codes, int pops, int pushes) {
        for (const int code : codes)
            e[static_cast<std::size_t>(code)] = {static_cast<std::int8_t>(pops), static_cast<std::int8_t>(pushes)};
    };
    set({0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x28, 0x81, 0x83, 0x8B, 0x8C}, 0, 0);
    set({0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x13, 0x21, 0x22, 0x29, 0x2B, 0x3A, 0x3F, 0x47, 0x48, 0x49,
            0x54, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68},
        2, 1);
    set({0x12, 0x14, 0x18, 0x1C, 0x30, 0x31, 0x32, 0x33, 0x36, 0x37, 0x3B, 0x44, 0x45, 0x4A, 0x4B, 0x50, 0x51}, 1, 1);
    set({0x15, 0x35}, 3, 1);
    set({0x20, 0x25, 0x26, 0x41, 0x9E, 0x9F}, 1, 0);
    set({0x23, 0x24}, 3, 0);
    set({0x34}, 0, 1);
    set({0x3C, 0x69, 0x9A}, 2, 0);
    return e;
}

constexpr std::array<StackEffect, 256> kStackEffects = StackEffects();

class CActionColourPass {
public:
    CActionColourPass(std::span<const std::uint8_t> movie, std::uint8_t version)
        : m_movie(movie), m_ignoreCase(version < kFirstCaseSensitiveVersion)
    {
    }

    ActionBlockColours Run(std::size_t start, std::size_t end);

private:
    struct Value {
        enum class Kind : std::uint8_t { Unknown, Number, String, Array };
        Kind kind = Kind::Unknown;
        // The push item a number came from, as an index of m_constants, when
        // it can be a colour.
        std::int32_t constant = -1;
        double number = 0;
        std::string_view text;
        std::uint32_t array = 0; // index of m_arrays
    };
    struct Constant {
        std::uint32_t pos = 0;
        PlaceForm form = PlaceForm::ActionInteger;
        std::uint32_t uses = 0;
        bool number = false; // also used as a number, or its fate unknown
    };
    // The stack and registers of the code being modelled: the block's, or
    // a function body's while it is read.
    struct Frame {
        std::vector<Value> stack;
        std::vector<std::pair<std::uint8_t, Value>> registers;
        std::uint32_t end = 0;
        bool pushesFunction = false;
    };

    bool ReadRecords(std::size_t start, std::size_t end);
    bool Step(const ActionRecord& record);
    bool Compute(std::uint8_t code);

    Frame& Top() { return m_frames.back(); }
    void Push(Value v) { Top().stack.push_back(std::move(v)); }
    Value Pop();
    // The value a push item puts on the stack, made in place.
    void PushValueOf(const PushValue& pushed);
    Value Register(std::uint8_t reg) const;
    void SetRegister(std::uint8_t reg, const Value& v);
    std::optional<std::size_t> Count(const Value& v);

    // What becomes of a value: used as a number (or a string, or in a way
    // the model does not know), or dropped unused.
    void Use(const Value& v);
    void Drop(const Value& v);
    // Every value still held is used in ways unknown: at branch targets and
    // actions the model does not know.
    void Forget();
    // Every value still held is dropped: the code ends here.
    void DropAll();
    void EndFunction();

    bool SameName(std::string_view a, std::string_view b) const;
    const ColourCall* CallNamed(const Value& name) const;
    const ColourProperty* PropertyNamed(std::string_view name) const;
    std::uint32_t CallBit(std::string_view name) const { return DrawingCallBit(name, m_ignoreCase); }

    void Call(const Value& name, CallForm form);
    void SetProperty(const Value& name, const Value& value, bool variable);
    void GetProperty(const Value& name);
    void Colour(const Value& v, ScriptUse use, std::string_view callName);
    void ColourArray(const Value& v, ScriptUse use, std::string_view callName);

    std::span<const std::uint8_t> m_movie;
    bool m_ignoreCase;
    // Where each action of the block starts, in order; the block's end
    // follows the last.
    std::vector<std::uint32_t> m_starts;
    std::size_t m_end = 0;
    // Positions where straight-line runs start, in order.
    std::vector<std::uint32_t> m_runStarts;
    std::size_t m_pools = 0;
    std::vector<std::string_view> m_pool;
    bool m_poolKnown = false;
    std::vector<Constant> m_constants;
    std::vector<std::vector<Value>> m_arrays;
    std::vector<Frame> m_frames;
    std::vector<PushValue> m_pushed;
    // The arguments of the call being modelled.
    std::vector<Value> m_args;
    std::uint32_t m_unfollowed = 0;
};

bool CActionColourPass::ReadRecords(std::size_t start, std::size_t end)
{
    std::vector<std::uint32_t> bodyEnds;
    std::vector<std::uint32_t> targets;
    // Compiled scripts take about six bytes an action.
    m_starts.reserve((end - start) / 6 + 1);
    m_end = end;
    std::size_t pos = start;
    while (pos < end) {
        const auto record = ReadActionRecord(m_movie, pos, end);
        if (!record)
            return false;
        while (!bodyEnds.empty() && bodyEnds.back() <= pos) {
            if (bodyEnds.back() < pos)
                return false; // a body that ends inside an action
            bodyEnds.pop_back();
        }
        m_starts.push_back(record->pos);
        pos = record->End();
        switch (record->code) {
        case kActionEnd:
            if (bodyEnds.empty())
                pos = end;
            break;
        case kActionDefineFunction:
        case kActionDefineFunction2: {
            const auto function = ReadDefineFunction(m_movie, *record);
            if (!function || record->End() + std::size_t{function->bodySize} > end)
                return false;
            bodyEnds.push_back(record->End() + function->bodySize);
            break;
        }
        case kActionTry: {
            const auto sizes = ReadTry(m_movie, *record);
            if (!sizes)
                return false;
            // The catch and finally bodies are reached by a throw as much
            // as by the try body's end.
            std::size_t at = record->End();
            for (const std::uint16_t size : *sizes) {
                at += size;
                targets.push_back(static_cast<std::uint32_t>(at));
            }
            if (at > end)
                return false;
            break;
        }
        case kActionJump:
        case kActionIf: {
            const auto offset = ReadBranchOffset(m_movie, *record);
            const auto target = static_cast<std::int64_t>(record->End()) + (offset ? *offset : 0);
            if (!offset || target < static_cast<std::int64_t>(start) || target > static_cast<std::int64_t>(end))
                return false;
            targets.push_back(static_cast<std::uint32_t>(target));
            break;
        }
        case kActionConstantPool:
            ++m_pools;
            break;
        default:
            break;
        }
    }
    // A body still open ends with the block, or inside its last action.
    if (std::any_of(bodyEnds.begin(), bodyEnds.end(), [&](std::uint32_t e) { return e != pos; }))
        return false;
    // The action after those a WaitForFrame may skip is reached two ways.
    for (std::size_t i = 0; i < m_starts.size(); ++i) {
        const ActionRecord r = *ReadActionRecord(m_movie, m_starts[i], end);
        if (r.code != kActionWaitForFrame && r.code != kActionWaitForFrame2)
            continue;
        const std::size_t skipAt = r.code == kActionWaitForFrame ? 2 : 0;
        if (r.length <= skipAt)
            return false;
        const std::size_t after = i + 1 + m_movie[r.dataPos + skipAt];
        targets.push_back(after < m_starts.size() ? m_starts[after] : static_cast<std::uint32_t>(pos));
    }
    // Every target must start an action (or be where the block's actions
    // end): one into the middle of an action would read its bytes as other
    // actions than these.
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    const auto starts
        = [&](std::uint32_t at) { return std::binary_search(m_starts.begin(), m_starts.end(), at) || at == pos; };
    if (!std::all_of(targets.begin(), targets.end(), starts))
        return false;
    m_runStarts = std::move(targets);
    return true;
}

CActionColourPass::Value CActionColourPass::Pop()
{
    std::vector<Value>& stack = Top().stack;
    // Below what the model knows, the stack holds what came before a point
    // it forgot.
    if (stack.empty())
        return {};
    Value v = std::move(stack.back());
    stack.pop_back();
    return v;
}

void CActionColourPass::PushValueOf(const PushValue& pushed)
{
    Value& v = Top().stack.emplace_back();
    switch (pushed.type) {
    case PushType::String:
        v.kind = Value::Kind::String;
        v.text = pushed.text;
        break;
    case PushType::Constant8:
    case PushType::Constant16:
        if (m_poolKnown && pushed.index < m_pool.size()) {
            v.kind = Value::Kind::String;
            v.text = m_pool[pushed.index];
        }
        break;
    case PushType::Register:
        v = Register(static_cast<std::uint8_t>(pushed.index));
        break;
    case PushType::Integer:
    case PushType::Double:
    case PushType::Float:
        v.kind = Value::Kind::Number;
        v.number = pushed.number;
        // A float holds every colour exactly too, but no compiler writes
        // one: only the two forms that carry colours are followed.
        if (pushed.type != PushType::Float && pushed.number >= 0 && pushed.number <= kLargestColour
            && pushed.number == std::floor(pushed.number)) {
            v.constant = static_cast<std::int32_t>(m_constants.size());
            m_constants.push_back(
                {pushed.pos, pushed.type == PushType::Integer ? PlaceForm::ActionInteger : PlaceForm::ActionDouble});
        }
        break;
    default:
        break;
    }
}

CActionColourPass::Value CActionColourPass::Register(std::uint8_t reg) const
{
    for (const auto& [r, v] : m_frames.back().registers)
        if (r == reg)
            return v;
    return {};
}

void CActionColourPass::SetRegister(std::uint8_t reg, const Value& v)
{
    for (auto& [r, held] : Top().registers)
        if (r == reg) {
            Drop(held);
            held = v;
            return;
        }
    Top().registers.emplace_back(reg, v);
}

std::optional<std::size_t> CActionColourPass::Count(const Value& v)
{
    Use(v);
    if (v.kind != Value::Kind::Number || !(v.number >= 0 && v.number <= kLargestCount)
        || v.number != std::floor(v.number))
        return std::nullopt;
    return static_cast<std::size_t>(v.number);
}

void CActionColourPass::Use(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Number:
        if (v.constant >= 0)
            m_constants[static_cast<std::size_t>(v.constant)].number = true;
        break;
    case Value::Kind::String:
        m_unfollowed |= CallBit(v.text);
        break;
    case Value::Kind::Array:
        for (const Value& element : m_arrays[v.array])
            Use(element);
        break;
    case Value::Kind::Unknown:
        break;
    }
}

void CActionColourPass::Drop(const Value& v)
{
    // A number dropped unused is no use of it; a name of a drawing call
    // that leads nowhere the model follows is one it could not follow.
    if (v.kind == Value::Kind::String)
        m_unfollowed |= CallBit(v.text);
    else if (v.kind == Value::Kind::Array)
        for (const Value& element : m_arrays[v.array])
            Drop(element);
}

void CActionColourPass::Forget()
{
    Frame& frame = Top();
    for (const Value& v : frame.stack)
        Use(v);
    for (const auto& [reg, v] : frame.registers)
        Use(v);
    frame.stack.clear();
    frame.registers.clear();
    // With more than one pool, which one holds here depends on the way
    // taken.
    if (m_pools > 1)
        m_poolKnown = false;
}

void CActionColourPass::DropAll()
{
    Frame& frame = Top();
    for (const Value& v : frame.stack)
        Drop(v);
    for (const auto& [reg, v] : frame.registers)
        Drop(v);
    frame.stack.clear();
    frame.registers.clear();
}

void CActionColourPass::EndFunction()
{
    DropAll();
    const bool pushesFunction = Top().pushesFunction;
    m_frames.pop_back();
    if (pushesFunction)
        Push({});
}

bool CActionColourPass::SameName(std::string_view a, std::string_view b) const
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [&](char x, char y) { return x == y || (m_ignoreCase && lower(x) == lower(y)); });
}

const ColourCall* CActionColourPass::CallNamed(const Value& name) const
{
    if (name.kind != Value::Kind::String)
        return nullptr;
    for (const ColourCall& call : kColourCalls)
        if (SameName(name.text, call.name))
            return &call;
    return nullptr;
}

const ColourProperty* CActionColourPass::PropertyNamed(std::string_view name) const
{
    for (const ColourProperty& property : kColourProperties)
        if (SameName(name, property.name))
            return &property;
    return nullptr;
}

void CActionColourPass::Colour(const Value& v, ScriptUse use, std::string_view callName)
{
    if (v.kind == Value::Kind::Number && v.constant >= 0) {
        m_constants[static_cast<std::size_t>(v.constant)].uses |= UseBit(use);
        return;
    }
    // Computed, read from a variable, or a number that is no colour.
    m_unfollowed |= CallBit(callName);
    Use(v);
}

void CActionColourPass::ColourArray(const Value& v, ScriptUse use, std::string_view callName)
{
    if (v.kind != Value::Kind::Array) {
        m_unfollowed |= CallBit(callName);
        Use(v);
        return;
    }
    for (const Value& element : m_arrays[v.array])
        Colour(element, use, callName);
}

void CActionColourPass::Call(const Value& name, CallForm form)
{
    const auto count = Count(Pop());
    if (!count) {
        Use(name);
        Forget();
        Push({});
        return;
    }
    // Arguments below what the model knows are unknown; only those that can
    // be colours are spelt out, so a count of 65535 costs no more than the
    // values the model holds.
    std::vector<Value>& args = m_args;
    args.resize(std::min(*count, std::max(Top().stack.size(), kColourArgs)));
    for (Value& arg : args)
        arg = Pop();
    const ColourCall* call = CallNamed(name);
    if (call == nullptr || call->form != form) {
        Use(name);
        for (const Value& arg : args)
            Use(arg);
    } else {
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (i < kColourArgs && (call->colourArgs >> i) & 1u)
                Colour(args[i], call->use, call->name);
            else if (i < kColourArgs && (call->arrayArgs >> i) & 1u)
                ColourArray(args[i], call->use, call->name);
            else
                Use(args[i]);
        }
        if (call->numbersTint && !args.empty())
            m_unfollowed |= CallBit(call->name);
    }
    Push({});
}

void CActionColourPass::SetProperty(const Value& name, const Value& value, bool variable)
{
    if (name.kind == Value::Kind::String) {
        std::string_view property = name.text;
        // A variable may be named by its path: "tf.textColor".
        if (variable)
            if (const auto dot = property.find_last_of(".:/"); dot != std::string_view::npos)
                property.remove_prefix(dot + 1);
        if (const ColourProperty* colour = PropertyNamed(property)) {
            Colour(value, colour->use, colour->name);
            return;
        }
        if (SameName(property, kColorTransformProperty)) {
            Use(value);
            return;
        }
    }
    Use(name);
    Use(value);
}

void CActionColourPass::GetProperty(const Value& name)
{
    // Reading a colour property is no use of a colour.
    if (name.kind == Value::Kind::String
        && (PropertyNamed(name.text) != nullptr || SameName(name.text, kColorTransformProperty)))
        return;
    Use(name);
}

bool CActionColourPass::Compute(std::uint8_t code)
{
    const StackEffect effect = kStackEffects[code];
    if (effect.pops < 0)
        return false;
    for (int i = 0; i < effect.pops; ++i)
        Use(Pop());
    for (int i = 0; i < effect.pushes; ++i)
        Push({});
    return true;
}

bool CActionColourPass::Step(const ActionRecord& r)
{
    switch (r.code) {
    case kActionPush:
        m_pushed.clear();
        if (!ReadActionPush(m_movie, r, m_pushed))
            return false;
        for (const PushValue& pushed : m_pushed)
            PushValueOf(pushed);
        return true;
    case kActionConstantPool: {
        auto pool = ReadConstantPool(m_movie, r);
        if (!pool)
            return false;
        m_pool = std::move(*pool);
        m_poolKnown = true;
        return true;
    }
    case kActionPop:
        Drop(Pop());
        return true;
    case kActionPushDuplicate: {
        Value v = Pop();
        Push(v);
        Push(std::move(v));
        return true;
    }
    case kActionStackSwap: {
        Value a = Pop();
        Value b = Pop();
        Push(std::move(a));
        Push(std::move(b));
        return true;
    }
    case kActionStoreRegister: {
        const auto reg = ReadStoreRegister(m_movie, r);
        if (!reg)
            return false;
        Value v = Pop();
        SetRegister(*reg, v);
        Push(std::move(v));
        return true;
    }
    case kActionCallFunction:
    case kActionNewObject: {
        const Value name = Pop();
        Call(name, r.code == kActionNewObject ? CallForm::Constructor : CallForm::Method);
        return true;
    }
    case kActionCallMethod:
    case kActionNewMethod: {
        const Value name = Pop();
        Use(Pop()); // the object
        Call(name, r.code == kActionNewMethod ? CallForm::Constructor : CallForm::Method);
        return true;
    }
    case kActionInitArray: {
        const auto count = Count(Pop());
        if (!count) {
            Forget();
            Push({});
            return true;
        }
        if (*count > Top().stack.size()) {
            // Some elements come from below what the model knows: none is
            // followed.
            while (!Top().stack.empty())
                Use(Pop());
            Push({});
            return true;
        }
        std::vector<Value> elements(*count);
        for (Value& element : elements) {
            element = Pop();
            // No colour is an array: one inside another is used up here,
            // which keeps arrays one level deep however a block nests them.
            if (element.kind == Value::Kind::Array) {
                Use(element);
                element = Value{};
            }
        }
        Value array;
        array.kind = Value::Kind::Array;
        array.array = static_cast<std::uint32_t>(m_arrays.size());
        m_arrays.push_back(std::move(elements));
        Push(std::move(array));
        return true;
    }
    case kActionInitObject: {
        const auto count = Count(Pop());
        if (!count) {
            Forget();
        } else {
            const std::size_t known = std::min(2 * *count, Top().stack.size());
            for (std::size_t i = 0; i < known; ++i)
                Use(Pop());
        }
        Push({});
        return true;
    }
    case kActionSetMember: {
        const Value value = Pop();
        const Value name = Pop();
        Use(Pop()); // the object
        SetProperty(name, value, false);
        return true;
    }
    case kActionSetVariable: {
        const Value value = Pop();
        SetProperty(Pop(), value, true);
        return true;
    }
    case kActionGetMember: {
        GetProperty(Pop());
        Use(Pop()); // the object
        Push({});
        return true;
    }
    case kActionIf: {
        Use(Pop());
        // A branch back carries what is held to a place already passed.
        if (ReadBranchOffset(m_movie, r).value_or(0) < 0)
            Forget();
        return true;
    }
    case kActionReturn:
    case kActionThrow:
        Use(Pop());
        DropAll();
        return true;
    case kActionEnd:
        DropAll();
        return true;
    case kActionDefineFunction:
    case kActionDefineFunction2: {
        const auto function = ReadDefineFunction(m_movie, r);
        if (!function)
            return false;
        Frame body;
        body.end = r.End() + function->bodySize;
        // A function without a name is a value: the body leaves it on the
        // stack once it is read.
        body.pushesFunction = function->name.empty();
        m_frames.push_back(std::move(body));
        return true;
    }
    case kActionWith:
        Use(Pop()); // the object its body runs with
        return true;
    case kActionWaitForFrame2:
        Use(Pop());
        Forget();
        return true;
    default:
        // Jump, Try, WaitForFrame and every action of unknown effect.
        if (!Compute(r.code))
            Forget();
        return true;
    }
}

ActionBlockColours CActionColourPass::Run(std::size_t start, std::size_t end)
{
    ActionBlockColours result;
    if (!ReadRecords(start, end)) {
        result.readable = false;
        return result;
    }
    m_frames.emplace_back();
    m_frames.back().end = static_cast<std::uint32_t>(end);
    std::size_t nextRun = 0;
    for (const std::uint32_t at : m_starts) {
        const ActionRecord r = *ReadActionRecord(m_movie, at, m_end);
        while (m_frames.size() > 1 && r.pos >= m_frames.back().end)
            EndFunction();
        while (nextRun < m_runStarts.size() && m_runStarts[nextRun] <= r.pos) {
            if (m_runStarts[nextRun] == r.pos)
                Forget();
            ++nextRun;
        }
        if (!Step(r)) {
            result.readable = false;
            return result;
        }
    }
    while (m_frames.size() > 1)
        EndFunction();
    DropAll();
    for (const Constant& c : m_constants) {
        if (c.uses == 0)
            continue;
        EncodedPlace place;
        place.pos = c.pos;
        place.form = c.form;
        place.uses = c.uses;
        place.keepsValue = c.number;
        result.places.push_back(place);
    }
    result.unfollowed = m_unfollowed;
    return result;
}

} // namespace

ActionBlockColours FindActionColours(
    std::span<const std::uint8_t> movie, std::size_t start, std::size_t end, std::uint8_t version)
{
    return CActionColourPass(movie, version).Run(start, end);
}

} // namespace tintor
