// ActionScript 1 and 2: the action readers, and the colour constants the
// stack model finds in each form a script draws with.
#include "reader_fixture.h"

#include "swf/avm1_colours.h"
#include "swf/avm1_records.h"
#include "swf/script_constants.h"
#include "testkit/action_writer.h"

#include <algorithm>
#include <functional>
#include <tuple>

namespace tintor::test {
namespace {

constexpr std::uint8_t kGotoFrame2 = 0x9F;
constexpr std::uint8_t kStartDrag = 0x27;

TEST(ActionReaderTest, PushValuesAreReadWithTheirPositions)
{
    // type 7 int, type 6 double (16711680.0, high half first), a string, a
    // pool index and a register.
    const std::vector<std::uint8_t> block = {0x96, 21, 0,  //
        7, 0x00, 0x00, 0xFF, 0x00,                         //
        6, 0x00, 0xE0, 0x6F, 0x41, 0x00, 0x00, 0x00, 0x00, //
        0, 'm', 0,                                         //
        8, 3,                                              //
        4, 1};
    const auto record = ReadActionRecord(block, 0, block.size());
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, (ActionRecord{kActionPush, 0, 3, 21}));
    std::vector<PushValue> values;
    ASSERT_TRUE(ReadActionPush(block, *record, values));
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0], (PushValue{PushType::Integer, 4, 16711680.0, {}, 0}));
    EXPECT_EQ(values[1], (PushValue{PushType::Double, 9, 16711680.0, {}, 0}));
    EXPECT_EQ(values[2].text, "m");
    EXPECT_EQ(values[3], (PushValue{PushType::Constant8, 21, 0, {}, 3}));
    EXPECT_EQ(values[4], (PushValue{PushType::Register, 23, 0, {}, 1}));

    // The action's length runs past the block; a value runs past the action.
    EXPECT_FALSE(ReadActionRecord(block, 0, 10));
    std::vector<std::uint8_t> cut = block;
    cut[1] = 3;
    values.clear();
    EXPECT_FALSE(ReadActionPush(cut, ActionRecord{kActionPush, 0, 3, 3}, values));
}

TEST(ActionReaderTest, ConstantPoolsThatLieAreRefused)
{
    const struct {
        const char* name;
        std::vector<std::uint8_t> data;
        std::optional<std::vector<std::string_view>> strings;
    } cases[] = {
        {"two strings", {2, 0, 'a', 0, 'b', 'c', 0}, std::vector<std::string_view>{"a", "bc"}},
        {"count past the strings", {3, 0, 'a', 0, 'b', 'c', 0}, std::nullopt},
        {"bytes after the strings", {1, 0, 'a', 0, 'b', 'c', 0}, std::nullopt},
        {"a string without its zero", {1, 0, 'a'}, std::nullopt},
        {"a count of 65535 in 2 bytes", {0xFF, 0xFF}, std::nullopt},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> block = {kActionConstantPool, static_cast<std::uint8_t>(c.data.size()), 0};
        block.insert(block.end(), c.data.begin(), c.data.end());
        const auto record = ReadActionRecord(block, 0, block.size());
        ASSERT_TRUE(record) << c.name;
        EXPECT_EQ(ReadConstantPool(block, *record), c.strings) << c.name;
    }
}

// A place the pass should find: offset in the block, the value as the
// script writes it, and the form.
struct Expected {
    std::uint32_t offset;
    std::uint32_t value;
    PlaceForm form = PlaceForm::ActionInteger;
};

using Script = std::function<std::vector<Expected>(CActionWriter&)>;

struct CallCase {
    const char* name;
    Script script;
    bool followed = true; // no drawing call left unfollowed
    std::uint8_t version = 8;
};

std::vector<Expected> Ints(const std::vector<std::uint32_t>& offsets, std::initializer_list<std::size_t> which,
    std::initializer_list<std::uint32_t> values)
{
    std::vector<Expected> expected;
    auto v = values.begin();
    for (const std::size_t i : which)
        expected.push_back({offsets[i], *v++});
    return expected;
}

using V = ActionValue;

const CallCase kCallCases[] = {
    {"beginFill",
        [](CActionWriter& w) {
            return Ints(w.CallMethod("mc", "beginFill", {V::Int(0xFF0000), V::Int(100)}), {0}, {0xFF0000});
        }},
    {"lineStyle",
        [](CActionWriter& w) {
            return Ints(w.CallMethod("mc", "lineStyle", {V::Int(2), V::Int(0x00FF00), V::Int(100)}), {1}, {0x00FF00});
        }},
    {"setRGB", [](CActionWriter& w) { return Ints(w.CallMethod("c", "setRGB", {V::Int(0x123456)}), {0}, {0x123456}); }},
    {"a double push",
        [](CActionWriter& w) {
            return std::vector<Expected>{
                {w.CallMethod("mc", "beginFill", {V::Double(0xFF8000)})[0], 0xFF8000, PlaceForm::ActionDouble}};
        }},
    {"beginGradientFill's colours array",
        [](CActionWriter& w) {
            const auto colours = w.InitArray({V::Int(0xFF0000), V::Int(0x0000FF)}, 1);
            w.CallMethod("mc", "beginGradientFill", {V::Str("linear"), V::Reg(1), V::Reg(2)});
            return Ints(colours, {0, 1}, {0xFF0000, 0x0000FF});
        }},
    {"lineGradientStyle's colours array",
        [](CActionWriter& w) {
            const auto colours = w.InitArray({V::Int(0x00FF00)}, 1);
            w.CallMethod("mc", "lineGradientStyle", {V::Str("radial"), V::Reg(1)});
            return Ints(colours, {0}, {0x00FF00});
        }},
    {"GlowFilter",
        [](CActionWriter& w) {
            return Ints(w.NewObject("GlowFilter", {V::Int(0xFF00FF), V::Int(1)}, 1), {0}, {0xFF00FF});
        }},
    {"DropShadowFilter",
        [](CActionWriter& w) {
            return Ints(w.NewObject("DropShadowFilter", {V::Int(4), V::Int(45), V::Int(0x333333)}, 1), {2}, {0x333333});
        }},
    {"BevelFilter, highlight and shadow",
        [](CActionWriter& w) {
            return Ints(
                w.NewObject("BevelFilter", {V::Int(4), V::Int(45), V::Int(0xFFFFFF), V::Int(1), V::Int(0x000001)}, 1),
                {2, 4}, {0xFFFFFF, 0x000001});
        }},
    {"GradientGlowFilter's colours",
        [](CActionWriter& w) {
            const auto colours = w.InitArray({V::Int(0x112233), V::Int(0x445566)}, 2);
            w.NewObject("GradientGlowFilter", {V::Int(4), V::Int(45), V::Reg(2)}, 1);
            return Ints(colours, {0, 1}, {0x112233, 0x445566});
        }},
    {"GradientBevelFilter's colours",
        [](CActionWriter& w) {
            const auto colours = w.InitArray({V::Int(0x778899)}, 2);
            w.NewObject("GradientBevelFilter", {V::Int(4), V::Int(45), V::Reg(2)}, 1);
            return Ints(colours, {0}, {0x778899});
        }},
    {"TextFormat",
        [](CActionWriter& w) {
            return Ints(w.NewObject("TextFormat", {V::Str("_sans"), V::Int(12), V::Int(0xABCDEF)}, 1), {2}, {0xABCDEF});
        }},
    {"textColor",
        [](CActionWriter& w) {
            return std::vector<Expected>{{w.SetMember("tf", "textColor", V::Int(0x010203)), 0x010203}};
        }},
    {"backgroundColor",
        [](CActionWriter& w) {
            return std::vector<Expected>{{w.SetMember("tf", "backgroundColor", V::Int(0x0A0B0C)), 0x0A0B0C}};
        }},
    {"borderColor",
        [](CActionWriter& w) {
            return std::vector<Expected>{{w.SetMember("tf", "borderColor", V::Int(0x0D0E0F)), 0x0D0E0F}};
        }},
    {"a TextFormat's color",
        [](CActionWriter& w) {
            return std::vector<Expected>{{w.SetMember("fmt", "color", V::Int(0x102030)), 0x102030}};
        }},
    {"a ColorTransform's rgb, made without arguments",
        [](CActionWriter& w) {
            w.NewObject("ColorTransform", {}, 1);
            w.Push({V::Reg(1), V::Str("rgb")});
            const std::uint32_t at = w.PushOne(V::Int(0x405060));
            w.Action(kActionSetMember);
            return std::vector<Expected>{{at, 0x405060}};
        }},
    {"textColor of a variable's path",
        [](CActionWriter& w) {
            const auto at = w.Push({V::Str("tf.textColor"), V::Int(0x708090)});
            w.Action(kActionSetVariable);
            return Ints(at, {1}, {0x708090});
        }},
    {"beginFill as a function, inside with",
        [](CActionWriter& w) {
            const auto at = w.Push({V::Int(0x00FFFF), V::Int(1), V::Str("beginFill")});
            w.Action(kActionCallFunction);
            w.Action(kActionPop);
            return Ints(at, {0}, {0x00FFFF});
        }},
    {"flash.filters.GlowFilter by NewMethod",
        [](CActionWriter& w) {
            const auto at = w.Push({V::Int(0xFFFF00), V::Int(1), V::Str("flash")});
            w.Action(kActionGetVariable);
            w.Push({V::Str("filters")});
            w.Action(kActionGetMember);
            w.Push({V::Str("GlowFilter")});
            w.Action(kActionNewMethod);
            w.Action(kActionPop);
            return Ints(at, {0}, {0xFFFF00});
        }},
    {"names from the constant pool",
        [](CActionWriter& w) {
            w.ConstantPool({"mc", "beginFill"});
            const auto at = w.Push({V::Int(0xFF0000), V::Int(1), V::Pool(0)});
            w.Action(kActionGetVariable);
            w.Push({V::Pool(1)});
            w.Action(kActionCallMethod);
            w.Action(kActionPop);
            return Ints(at, {0}, {0xFF0000});
        }},
    {"names in another letter case before version 7",
        [](CActionWriter& w) { return Ints(w.CallMethod("mc", "BEGINFILL", {V::Int(0xFF0000)}), {0}, {0xFF0000}); },
        true, 6},
    {"the same from version 7 on is another call",
        [](CActionWriter& w) {
            w.CallMethod("mc", "BEGINFILL", {V::Int(0xFF0000)});
            return std::vector<Expected>{};
        }},
    {"gotoAndStop stays a number",
        [](CActionWriter& w) {
            w.PushOne(V::Int(0xFF0000));
            const std::uint8_t flags[] = {0};
            w.Action(kGotoFrame2, flags);
            return std::vector<Expected>{};
        }},
    {"a colour read from a variable",
        [](CActionWriter& w) {
            w.Push({V::Str("c")});
            w.Action(kActionGetVariable);
            w.Push({V::Int(1), V::Str("mc")});
            w.Action(kActionGetVariable);
            w.Push({V::Str("beginFill")});
            w.Action(kActionCallMethod);
            return std::vector<Expected>{};
        },
        false},
    {"a colour computed",
        [](CActionWriter& w) {
            w.Push({V::Int(0xFF0000), V::Int(0x000100)});
            w.Action(kActionAdd);
            w.Push({V::Int(1), V::Str("mc")});
            w.Action(kActionGetVariable);
            w.Push({V::Str("beginFill")});
            w.Action(kActionCallMethod);
            return std::vector<Expected>{};
        },
        false},
    {"an action the model does not know",
        [](CActionWriter& w) {
            w.Push({V::Int(0xFF0000), V::Int(1), V::Str("mc")});
            w.Action(kStartDrag);
            w.Action(kActionGetVariable);
            w.Push({V::Str("beginFill")});
            w.Action(kActionCallMethod);
            return std::vector<Expected>{};
        },
        false},
    {"a branch target between the colour and the call",
        [](CActionWriter& w) {
            w.Push({V::Int(0xFF0000), V::Int(1), V::Str("mc")});
            w.Branch(kActionJump, 0);
            w.Action(kActionGetVariable);
            w.Push({V::Str("beginFill")});
            w.Action(kActionCallMethod);
            return std::vector<Expected>{};
        },
        false},
    {"a negative number is no colour",
        [](CActionWriter& w) {
            w.CallMethod("mc", "beginFill", {V::Int(-1)});
            return std::vector<Expected>{};
        },
        false},
    {"counts past what the stack holds",
        [](CActionWriter& w) {
            w.Push({V::Int(0xFF0000), V::Int(65535)});
            w.Action(kActionInitArray);
            w.StoreRegister(1);
            w.CallMethod("mc", "beginGradientFill", {V::Str("linear"), V::Reg(1)});
            w.Push({V::Int(65535), V::Str("beginFill")});
            w.Action(kActionCallFunction);
            return std::vector<Expected>{};
        },
        false},
    {"a ColorTransform of numbers",
        [](CActionWriter& w) {
            w.NewObject("ColorTransform", {V::Int(1), V::Int(1), V::Int(1), V::Int(1), V::Int(255)}, 1);
            return std::vector<Expected>{};
        },
        false},
};

class ActionColourTest : public ReaderTest {
protected:
    // The script places of the movie as (position, value, form).
    std::vector<std::tuple<std::uint32_t, std::uint32_t, PlaceForm>> ScriptPlaces() const
    {
        std::vector<std::tuple<std::uint32_t, std::uint32_t, PlaceForm>> places;
        m_movie.Colors().ForEach([&](ColorKey key, Positions positions) {
            if (KindOf(key) != KIND_SCRIPT)
                return;
            for (const std::uint32_t p : positions)
                places.emplace_back(p, ScriptValueOf(RgbOf(key)), m_movie.EncodedPlaceAt(p)->form);
        });
        std::sort(places.begin(), places.end());
        return places;
    }
    std::uint32_t UnfollowedBlocks() const
    {
        std::uint32_t blocks = 0;
        for (const auto& [code, tally] : m_movie.Account().scripts)
            blocks += tally.blocks;
        return blocks;
    }
};

TEST_F(ActionColourTest, EveryCallFormGivesItsColourPlaces)
{
    for (const CallCase& c : kCallCases) {
        SCOPED_TRACE(c.name);
        CActionWriter w;
        const std::vector<Expected> expected = c.script(w);
        std::uint32_t body = 0;
        ASSERT_TRUE(Load(ActionMovie(w.Take(), &body, c.version)));
        std::vector<std::tuple<std::uint32_t, std::uint32_t, PlaceForm>> want;
        for (const Expected& e : expected)
            want.emplace_back(body + e.offset, e.value, e.form);
        std::sort(want.begin(), want.end());
        EXPECT_EQ(ScriptPlaces(), want);
        EXPECT_EQ(UnfollowedBlocks(), c.followed ? 0u : 1u);
        // A constant that only reaches colours is free to change.
        for (const EncodedPlace& place : m_movie.EncodedPlaces())
            EXPECT_FALSE(place.keepsValue);
    }
}

TEST_F(ActionColourTest, OnePushUsedAsAColourTwiceAndAsANumberKeepsItsValue)
{
    CActionWriter w;
    // var c = 0xff0000 (a register, as functions keep their locals), then
    // a.beginFill(c), b.beginFill(c) and gotoAndStop(c).
    const std::uint32_t shared = w.PushOne(V::Int(0xFF0000));
    w.StoreRegister(1);
    w.Action(kActionPop);
    w.CallMethod("a", "beginFill", {V::Reg(1)});
    w.CallMethod("b", "beginFill", {V::Reg(1)});
    w.PushOne(V::Reg(1));
    const std::uint8_t flags[] = {0};
    w.Action(kGotoFrame2, flags);
    // The same colour pushed apart for each use: two places that change, and
    // a number that stays one.
    const std::uint32_t first = w.CallMethod("a", "beginFill", {V::Int(0xFF0000)})[0];
    const std::uint32_t second = w.CallMethod("b", "lineStyle", {V::Int(1), V::Int(0xFF0000)})[1];
    w.PushOne(V::Int(0xFF0000));
    w.Action(kGotoFrame2, flags);
    std::uint32_t body = 0;
    ASSERT_TRUE(Load(ActionMovie(w.Take(), &body)));

    constexpr ColorKey kRed = KIND_SCRIPT | 0x0000FF;
    EXPECT_EQ(PositionsOf(kRed), (PositionList{body + shared, body + first, body + second}));
    EXPECT_TRUE(m_movie.EncodedPlaceAt(body + shared)->keepsValue);
    EXPECT_FALSE(m_movie.EncodedPlaceAt(body + first)->keepsValue);
    EXPECT_EQ(m_movie.Account().scriptNumbers, 1u);
    EXPECT_EQ(m_movie.ScriptUsesOf(kRed), UseBit(ScriptUse::BeginFill) | UseBit(ScriptUse::LineStyle));

    const std::vector<std::uint8_t> before(m_movie.Buffer().begin(), m_movie.Buffer().end());
    EXPECT_FALSE(m_movie.WriteColour(body + shared, 0x00FF00));
    EXPECT_TRUE(m_movie.WriteColour(body + first, 0x00FF00));
    EXPECT_EQ(m_movie.ColourAt(body + first), 0x00FF00u);
    EXPECT_EQ(m_movie.ColourAt(body + shared), 0x0000FFu);
    std::vector<std::uint8_t> expected = before;
    expected[body + first + 1] = 0xFF; // 0x00ff00, little-endian
    expected[body + first + 2] = 0x00;
    EXPECT_EQ(std::vector<std::uint8_t>(m_movie.Buffer().begin(), m_movie.Buffer().end()), expected);
}

TEST_F(ActionColourTest, ADoubleIsWrittenAsADoubleAndItsLoadedBytesComeBack)
{
    CActionWriter w;
    // Black written as -0: the colour as loaded goes back as those bytes.
    const std::uint32_t at = w.CallMethod("mc", "beginFill", {V::Double(-0.0)})[0];
    std::uint32_t body = 0;
    ASSERT_TRUE(Load(ActionMovie(w.Take(), &body)));
    const auto bytes = [&] {
        const auto b = m_movie.Buffer().subspan(body + at, 8);
        return std::vector<std::uint8_t>(b.begin(), b.end());
    };
    EXPECT_EQ(bytes(), (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0}));
    ASSERT_TRUE(m_movie.WriteColour(body + at, 0x0000FF)); // red, 16711680.0
    EXPECT_EQ(bytes(), (std::vector<std::uint8_t>{0x00, 0xE0, 0x6F, 0x41, 0, 0, 0, 0}));
    ASSERT_TRUE(m_movie.WriteColour(body + at, 0x000000));
    EXPECT_EQ(bytes(), (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0}));
}

TEST_F(ActionColourTest, MalformedBlocksYieldNoColourAndCountAsNotFollowed)
{
    // Each block draws with beginFill(0xff0000) but breaks somewhere.
    const auto fill = [](CActionWriter& w) { w.CallMethod("mc", "beginFill", {V::Int(0xFF0000)}); };
    const struct {
        const char* name;
        std::function<std::vector<std::uint8_t>()> block;
    } cases[] = {
        {"a push whose length runs past the block",
            [&] {
                CActionWriter w;
                fill(w);
                auto bytes = w.Take(false);
                bytes.insert(bytes.end(), {kActionPush, 40, 0, 7, 1, 0});
                return bytes;
            }},
        {"a push value past its action",
            [&] {
                CActionWriter w;
                fill(w);
                const std::uint8_t data[] = {7, 1, 0};
                w.Action(kActionPush, data);
                return w.Take();
            }},
        {"an unknown push type",
            [&] {
                CActionWriter w;
                fill(w);
                const std::uint8_t data[] = {12, 1};
                w.Action(kActionPush, data);
                return w.Take();
            }},
        {"a constant pool that lies",
            [&] {
                CActionWriter w;
                const std::uint8_t data[] = {5, 0, 'm', 'c', 0};
                w.Action(kActionConstantPool, data);
                fill(w);
                return w.Take();
            }},
        {"a branch into the middle of an action",
            [&] {
                CActionWriter w;
                w.Branch(kActionJump, 2);
                fill(w);
                return w.Take();
            }},
        {"a function body past the block",
            [&] {
                CActionWriter w;
                fill(w);
                const std::uint8_t data[] = {0, 0, 0, 0xE8, 0x03};
                w.Action(kActionDefineFunction, data);
                return w.Take();
            }},
        {"a block cut inside an action",
            [&] {
                CActionWriter w;
                fill(w);
                auto bytes = w.Take(false);
                bytes.resize(bytes.size() - 3); // Pop, CallMethod and the name's zero
                return bytes;
            }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Load(ActionMovie(c.block())));
        EXPECT_TRUE(ScriptPlaces().empty());
        EXPECT_EQ(UnfollowedBlocks(), 1u);
    }
}

TEST_F(ActionColourTest, ButtonClipAndInitActionsAreReadToo)
{
    CActionWriter w;
    const std::uint32_t at = w.CallMethod("mc", "beginFill", {V::Int(0x0000FF)})[0];
    const std::vector<std::uint8_t> actions = w.Take();
    const auto with = [&](std::vector<std::uint8_t> head) {
        head.insert(head.end(), actions.begin(), actions.end());
        return head;
    };
    // A place object of the given code, version and event flags.
    const auto clip = [&](std::uint16_t code, std::uint32_t events, bool wide) {
        std::vector<std::uint8_t> body = {0x82, 1, 0, 1, 0}; // clip actions, character 1, depth 1
        if (code == 70)
            body.insert(body.begin() + 1, 0); // PlaceObject3's second flag byte
        const std::size_t eventBytes = wide ? 4 : 2;
        body.insert(body.end(), {0, 0});
        for (std::size_t i = 0; i < eventBytes; ++i)
            body.push_back(static_cast<std::uint8_t>(events >> (8 * i)));
        for (std::size_t i = 0; i < eventBytes; ++i)
            body.push_back(static_cast<std::uint8_t>(events >> (8 * i)));
        const bool key = wide && (events & 0x00020000);
        const auto size = static_cast<std::uint32_t>(actions.size() + (key ? 1 : 0));
        for (int i = 0; i < 4; ++i)
            body.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
        if (key)
            body.push_back('k');
        const auto offset = static_cast<std::uint32_t>(body.size());
        body.insert(body.end(), actions.begin(), actions.end());
        body.insert(body.end(), eventBytes, 0);
        return std::pair{body, offset};
    };
    const struct {
        const char* name;
        std::uint16_t code;
        std::vector<std::uint8_t> body;
        std::uint32_t offset; // of the actions in the body
        std::uint8_t version = 8;
    } cases[] = {
        {"DoInitAction", 59, with({1, 0}), 2},
        {"DefineButton", 7, with({1, 0, 0}), 3},
        // Two condition records: the first's actions end where its size says.
        {"DefineButton2", 34,
            [&] {
                std::vector<std::uint8_t> b = {1, 0, 0, 3, 0, 0};
                const auto size = static_cast<std::uint16_t>(4 + actions.size());
                b.insert(b.end(), {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8), 8, 0});
                b.insert(b.end(), actions.begin(), actions.end());
                b.insert(b.end(), {0, 0, 8, 0, 0});
                return b;
            }(),
            10},
        {"PlaceObject2, key press", 26, clip(26, 0x00020000, true).first, clip(26, 0x00020000, true).second},
        {"PlaceObject2, 16-bit events", 26, clip(26, 0x0001, false).first, clip(26, 0x0001, false).second, 5},
        {"PlaceObject3", 70, clip(70, 0x0001, true).first, clip(70, 0x0001, true).second},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CMovieBuilder builder(c.version);
        const std::uint32_t body = builder.AddTag(c.code, c.body);
        ASSERT_TRUE(Load(builder.Build()));
        EXPECT_EQ(PositionsOf(KIND_SCRIPT | 0xFF0000), (PositionList{body + c.offset + at}));
        EXPECT_EQ(UnfollowedBlocks(), 0u);
    }
}

TEST_F(ActionColourTest, TheClassicRuleCollectsNoneAndCountsTheBlock)
{
    CActionWriter w;
    w.CallMethod("mc", "beginFill", {V::Int(0xFF0000)});
    ASSERT_TRUE(Load(ActionMovie(w.Take()), CollectionRule::Classic));
    EXPECT_TRUE(ScriptPlaces().empty());
    EXPECT_EQ(UnfollowedBlocks(), 1u);
}

} // namespace
} // namespace tintor::test
