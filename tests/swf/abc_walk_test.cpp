// The stack walk over built method bodies: each call form that takes a
// colour, the ways a value travels to it, and the uses that keep a shared
// pool entry as it is.
#include "swf/abc_colours.h"
#include "swf/abc_instructions.h"
#include "swf/abc_walk.h"
#include "testkit/abc_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace tintor::test {
namespace {

struct Summary {
    AbcSource source;
    std::uint32_t colour;
    std::uint32_t calls;
    bool exclusive;
    friend bool operator==(const Summary&, const Summary&) = default;
};

std::ostream& operator<<(std::ostream& out, const Summary& s)
{
    return out << "{" << static_cast<int>(s.source) << ", #" << std::hex << s.colour << ", calls " << s.calls
               << std::dec << (s.exclusive ? "" : ", shared") << "}";
}

std::uint32_t Call(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(kScriptUseNames); ++i)
        if (kScriptUseNames[i] == name)
            return 1u << i;
    return 0;
}

using Write = std::function<void(CAbcBuilder&, CAbcCode&)>;

// One method of the given code, then returnvoid; its exception handlers.
AbcColours Walk(const Write& write, std::vector<AbcException> exceptions = {}, AbcLayout* layout = nullptr)
{
    CAbcBuilder abc;
    CAbcCode code;
    write(abc, code);
    code.Op(kOpReturnVoid);
    const std::uint32_t method = abc.Method();
    abc.Body(method, code, 16, 4, std::move(exceptions));
    abc.Script(method);
    const AbcLayout built = abc.Build();
    if (layout)
        *layout = built;
    return FindAbcColours(built.bytes, 0);
}

std::vector<Summary> Summaries(const AbcColours& colours)
{
    std::vector<Summary> out;
    for (const AbcColourPlace& p : colours.places)
        out.push_back({p.source, p.colour, p.calls, p.exclusive});
    return out;
}

// obj.name(args): the receiver, the arguments push writes, the call.
void CallOn(CAbcBuilder& abc, CAbcCode& c, std::uint8_t op, const char* name, std::uint32_t args,
    const std::function<void()>& push)
{
    c.Op(kOpGetLocal0).Op(kOpGetProperty, abc.QName("", "graphics"));
    push();
    c.Op(op, abc.QName("", name), args);
}

// new Class(args) by findpropstrict and constructprop.
void New(CAbcBuilder& abc, CAbcCode& c, const char* cls, std::uint32_t args, const std::function<void()>& push)
{
    c.Op(kOpFindPropStrict, abc.QName("flash.filters", cls));
    push();
    c.Op(kOpConstructProp, abc.QName("flash.filters", cls), args).Op(kOpPop);
}

struct Row {
    const char* name;
    Write write;
    std::vector<Summary> places;
};

constexpr AbcSource kInt = AbcSource::Int;

TEST(AbcWalk, FindsTheColourOfEachCallForm)
{
    const Row rows[] = {
        {"beginFill(pushint)",
            [](CAbcBuilder& abc, CAbcCode& c) {
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpPushInt, abc.Int(0xFF0000)); });
            },
            {{kInt, 0xFF0000, Call("beginFill"), true}}},
        {"lineStyle(2, pushuint, 1): the thickness is no colour",
            [](CAbcBuilder& abc, CAbcCode& c) {
                CallOn(abc, c, kOpCallPropVoid, "lineStyle", 3,
                    [&] { c.PushByte(2).Op(kOpPushUint, abc.Uint(0x00FF00)).PushByte(1); });
            },
            {{AbcSource::Uint, 0x00FF00, Call("lineStyle"), true}}},
        {"beginGradientFill's colours array",
            [](CAbcBuilder& abc, CAbcCode& c) {
                CallOn(abc, c, kOpCallPropVoid, "beginGradientFill", 4, [&] {
                    c.Op(kOpPushString, abc.String("linear"));
                    c.Op(kOpPushInt, abc.Int(0x112233)).Op(kOpPushInt, abc.Int(0x445566)).Op(kOpNewArray, 2);
                    c.PushByte(1).PushByte(1).Op(kOpNewArray, 2).PushByte(0).Op(kOpNewArray, 1);
                });
            },
            {{kInt, 0x112233, Call("beginGradientFill"), true}, {kInt, 0x445566, Call("beginGradientFill"), true}}},
        {"lineGradientStyle's colours array, through callproperty",
            [](CAbcBuilder& abc, CAbcCode& c) {
                CallOn(abc, c, kOpCallProperty, "lineGradientStyle", 2, [&] {
                    c.Op(kOpPushString, abc.String("radial")).Op(kOpPushInt, abc.Int(0x0A0B0C)).Op(kOpNewArray, 1);
                });
                c.Op(kOpPop);
            },
            {{kInt, 0x0A0B0C, Call("lineGradientStyle"), true}}},
        {"GlowFilter(color)",
            [](CAbcBuilder& abc, CAbcCode& c) {
                New(abc, c, "GlowFilter", 2, [&] { c.Op(kOpPushInt, abc.Int(0xFFCC00)).PushByte(1); });
            },
            {{kInt, 0xFFCC00, Call("GlowFilter"), true}}},
        {"DropShadowFilter(distance, angle, color)",
            [](CAbcBuilder& abc, CAbcCode& c) {
                New(abc, c, "DropShadowFilter", 3,
                    [&] { c.PushByte(4).PushByte(45).Op(kOpPushInt, abc.Int(0x222222)); });
            },
            {{kInt, 0x222222, Call("DropShadowFilter"), true}}},
        {"BevelFilter's highlight and shadow",
            [](CAbcBuilder& abc, CAbcCode& c) {
                New(abc, c, "BevelFilter", 5, [&] {
                    c.PushByte(4).PushByte(45).Op(kOpPushInt, abc.Int(0xEEEEEE)).PushByte(1);
                    c.Op(kOpPushInt, abc.Int(0x111111));
                });
            },
            {{kInt, 0xEEEEEE, Call("BevelFilter"), true}, {kInt, 0x111111, Call("BevelFilter"), true}}},
        {"GradientGlowFilter's and GradientBevelFilter's arrays",
            [](CAbcBuilder& abc, CAbcCode& c) {
                New(abc, c, "GradientGlowFilter", 3,
                    [&] { c.PushByte(4).PushByte(45).Op(kOpPushInt, abc.Int(0x123456)).Op(kOpNewArray, 1); });
                New(abc, c, "GradientBevelFilter", 3,
                    [&] { c.PushByte(4).PushByte(45).Op(kOpPushInt, abc.Int(0x654321)).Op(kOpNewArray, 1); });
            },
            {{kInt, 0x123456, Call("GradientGlowFilter"), true}, {kInt, 0x654321, Call("GradientBevelFilter"), true}}},
        {"TextFormat(font, size, color)",
            [](CAbcBuilder& abc, CAbcCode& c) {
                New(abc, c, "TextFormat", 3,
                    [&] { c.Op(kOpPushString, abc.String("_sans")).PushByte(12).Op(kOpPushInt, abc.Int(0x333333)); });
            },
            {{kInt, 0x333333, Call("TextFormat"), true}}},
        {"construct of a class fetched by getlex",
            [](CAbcBuilder& abc, CAbcCode& c) {
                c.Op(kOpGetLex, abc.QName("flash.filters", "GlowFilter")).Op(kOpPushInt, abc.Int(0x00AA00));
                c.Op(kOpConstruct, 1).Op(kOpPop);
            },
            {{kInt, 0x00AA00, Call("GlowFilter"), true}}},
        {"the four colour properties, set and initialised",
            [](CAbcBuilder& abc, CAbcCode& c) {
                const char* names[] = {"textColor", "backgroundColor", "borderColor", "color"};
                for (int i = 0; i < 4; ++i) {
                    c.Op(kOpGetLocal1).Op(kOpPushInt, abc.Int(0x101010 * (i + 1)));
                    c.Op(i == 1 ? kOpInitProperty : kOpSetProperty, abc.QName("", names[i]));
                }
            },
            {{kInt, 0x101010, Call("textColor"), true}, {kInt, 0x202020, Call("backgroundColor"), true},
                {kInt, 0x303030, Call("borderColor"), true}, {kInt, 0x404040, Call("color"), true}}},
        {"operands and a double: pushbyte 0x7f, pushshort, pushdouble; pushbyte -1 is no colour",
            [](CAbcBuilder& abc, CAbcCode& c) {
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.PushByte(0x7F); });
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.PushByte(-1); });
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.PushShort(0x1234); });
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpPushDouble, abc.Double(16711680)); });
            },
            // Pool entries stand before the code.
            {{AbcSource::Double, 0xFF0000, Call("beginFill"), true}, {AbcSource::Byte, 0x7F, Call("beginFill"), true},
                {AbcSource::Short, 0x1234, Call("beginFill"), true}}},
        {"a colour kept in a register, converted on its way",
            [](CAbcBuilder& abc, CAbcCode& c) {
                c.Op(kOpPushInt, abc.Int(0x00FFFF)).Op(kOpCoerceU).Op(kOpSetLocal1);
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1,
                    [&] { c.Op(kOpGetLocal1).Op(kOpConvertD).Op(kOpCoerce, abc.QName("", "uint")); });
            },
            {{kInt, 0x00FFFF, Call("beginFill"), true}}},
        {"nothing else takes a colour: gotoAndStop, a string coercion",
            [](CAbcBuilder& abc, CAbcCode& c) {
                c.Op(kOpGetLocal0).Op(kOpPushInt, abc.Int(0xFF0000));
                c.Op(kOpCallPropVoid, abc.QName("", "gotoAndStop"), 1);
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1,
                    [&] { c.Op(kOpPushInt, abc.Int(0x00FF00)).Op(kOpCoerce, abc.QName("", "String")); });
            },
            {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Summaries(Walk(row.write)), row.places) << row.name;
}

TEST(AbcWalk, KeepsAnEntryOtherCodeUsesAsANumber)
{
    const Row rows[] = {
        {"twice as a colour, once as a number",
            [](CAbcBuilder& abc, CAbcCode& c) {
                const std::uint32_t k = abc.Int(0xCC0000);
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpPushInt, k); });
                CallOn(abc, c, kOpCallPropVoid, "lineStyle", 2, [&] { c.PushByte(1).Op(kOpPushInt, k); });
                c.Op(kOpPushInt, k).PushByte(1).Op(kOpAdd).Op(kOpPop);
            },
            {{kInt, 0xCC0000, Call("beginFill") | Call("lineStyle"), false}}},
        {"duplicated into a colour and a sum",
            [](CAbcBuilder& abc, CAbcCode& c) {
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1,
                    [&] { c.Op(kOpPushInt, abc.Int(0x00CC00)).Op(kOpDup).Op(kOpSetLocal2); });
                c.Op(kOpGetLocal2).PushByte(1).Op(kOpAdd).Op(kOpPop);
            },
            {{kInt, 0x00CC00, Call("beginFill"), false}}},
        {"the default value of a parameter",
            [](CAbcBuilder& abc, CAbcCode& c) {
                const std::uint32_t k = abc.Int(0x0000CC);
                abc.Method(1, {{k, kAbcInt}});
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpPushInt, k); });
            },
            {{kInt, 0x0000CC, Call("beginFill"), false}}},
        {"a register read after a branch target",
            [](CAbcBuilder& abc, CAbcCode& c) {
                c.Op(kOpPushInt, abc.Int(0xABCDEF)).Op(kOpSetLocal1);
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpGetLocal1); });
                c.Branch(kOpJump, 0).Op(kOpGetLocal1).Op(kOpPop);
            },
            {{kInt, 0xABCDEF, Call("beginFill"), false}}},
        {"a register no other code reads survives the branch",
            [](CAbcBuilder& abc, CAbcCode& c) {
                c.Op(kOpPushInt, abc.Int(0xABCDEF)).Op(kOpSetLocal1);
                CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpGetLocal1); });
                c.Branch(kOpJump, 0).Op(kOpGetLocal2).Op(kOpPop);
            },
            {{kInt, 0xABCDEF, Call("beginFill"), true}}},
        {"a push before a branch target, used after it",
            [](CAbcBuilder& abc, CAbcCode& c) {
                c.Op(kOpGetLocal0).Op(kOpPushInt, abc.Int(0x777777)).Branch(kOpJump, 0);
                c.Op(kOpCallPropVoid, abc.QName("", "beginFill"), 1);
            },
            {}},
        {"a name the player works out at run time",
            [](CAbcBuilder& abc, CAbcCode& c) {
                c.Op(kOpGetLocal1).Op(kOpGetLocal2).Op(kOpGetLocal3).Op(kOpPushInt, abc.Int(0x999999));
                c.Op(kOpSetProperty, abc.RuntimeName(kAbcRTQNameL));
            },
            {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Summaries(Walk(row.write)), row.places) << row.name;
}

TEST(AbcWalk, AHandlerThatReadsARegisterSharesWhatItHeld)
{
    const Write write = [](CAbcBuilder& abc, CAbcCode& c) {
        c.Op(kOpPushInt, abc.Int(0x0F0F0F)).Op(kOpSetLocal1); // 0 .. 2
        CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpGetLocal1); });
        c.Op(kOpReturnVoid); // at 10; the handler follows
        c.Op(kOpGetLocal1).Op(kOpPop);
    };
    EXPECT_EQ(Summaries(Walk(write)), (std::vector<Summary>{{kInt, 0x0F0F0F, Call("beginFill"), true}}));
    EXPECT_EQ(Summaries(Walk(write, {{0, 11, 11, 0, 0}})),
        (std::vector<Summary>{{kInt, 0x0F0F0F, Call("beginFill"), false}}));
}

TEST(AbcWalk, CodeItCannotStepThroughLeavesOnlyOperands)
{
    CAbcBuilder abc;
    const std::uint32_t k = abc.Int(0x102030);
    const std::uint32_t method = abc.Method();
    CAbcCode code;
    CallOn(abc, code, kOpCallPropVoid, "beginFill", 1, [&] { code.Op(kOpPushInt, k); });
    CallOn(abc, code, kOpCallPropVoid, "beginFill", 1, [&] { code.PushByte(0x30); });
    code.Op(kOpReturnVoid);
    abc.Body(method, code, 4, 1);
    // A second body with an opcode no file has: it may push the entry too.
    CAbcCode broken;
    broken.Op(kOpPushInt, k).Op(0xFE).Op(kOpReturnVoid);
    abc.Body(abc.Method(), broken, 4, 1);
    abc.Script(method);
    const AbcColours colours = FindAbcColours(abc.Build().bytes, 0);
    EXPECT_EQ(colours.unreadBodies, 1u);
    EXPECT_FALSE(colours.Followed());
    EXPECT_EQ(Summaries(colours),
        (std::vector<Summary>{
            {kInt, 0x102030, Call("beginFill"), false}, {AbcSource::Byte, 0x30, Call("beginFill"), true}}));
}

TEST(AbcWalk, CountsColourArgumentsItCouldNotFollowAndPlacesThemWhereTheyStand)
{
    AbcLayout layout;
    std::uint32_t shortAt = 0;
    const AbcColours colours = Walk(
        [&](CAbcBuilder& abc, CAbcCode& c) {
            CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpGetLocal2); });
            CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpPushUint, abc.Uint(0xFFFFFFFF)); });
            CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] { c.Op(kOpPushInt, abc.Int(0x4080C0, 5)); });
            CallOn(abc, c, kOpCallPropVoid, "beginFill", 1, [&] {
                shortAt = c.Size() + 1;
                c.PushShort(0x40, 2);
            });
        },
        {}, &layout);
    EXPECT_EQ(colours.followedColours, 2u);
    EXPECT_EQ(colours.unfollowedColours, 2u);
    EXPECT_EQ(colours.places,
        (std::vector<AbcColourPlace>{
            {layout.ints[0], 5, kInt, 0x4080C0, Call("beginFill"), true},
            {layout.codes[0] + shortAt, 2, AbcSource::Short, 0x40, Call("beginFill"), true},
        }));
}

} // namespace
} // namespace tintor::test
