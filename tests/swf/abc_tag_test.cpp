// DoABC tags in a movie: their colours registered as script colours where
// they are stored, written in their own encoding or kept and counted, and
// the blocks whose colours could not be followed counted.
#include "reader_fixture.h"

#include "swf/abc_instructions.h"
#include "swf/abc_readers.h"
#include "swf/script_constants.h"
#include "testkit/abc_builder.h"

#include <functional>

namespace tintor::test {
namespace {

constexpr std::uint16_t kDoAbc = 82;
constexpr std::uint16_t kDoAbcDefine = 72;

using Write = std::function<void(CAbcBuilder&, CAbcCode&)>;

// Where the parts of a built block landed in the movie.
struct BuiltMovie {
    std::vector<std::uint8_t> bytes;
    std::uint32_t abc = 0;
    AbcLayout layout;
    std::uint32_t Int(std::size_t i) const { return abc + layout.ints[i]; }
    std::uint32_t Code() const { return abc + layout.codes[0]; }
};

// A movie of one block: one method of the given code and returnvoid.
BuiltMovie AbcMovie(const Write& write, std::uint16_t code = kDoAbc)
{
    CAbcBuilder abc;
    CAbcCode c;
    write(abc, c);
    c.Op(kOpReturnVoid);
    const std::uint32_t method = abc.Method();
    abc.Body(method, c, 16, 4);
    abc.Script(method);
    BuiltMovie built;
    built.layout = abc.Build();
    CMovieBuilder movie(10);
    if (code == kDoAbc)
        built.abc = movie.AddTag(kDoAbc, DoAbcBody(built.layout.bytes)) + kDoAbcHeader + 1;
    else
        built.abc = movie.AddTag(kDoAbcDefine, built.layout.bytes);
    built.bytes = movie.Build();
    return built;
}

void Fill(CAbcBuilder& abc, CAbcCode& c, const std::function<void()>& push)
{
    c.Op(kOpGetLocal0).Op(kOpGetProperty, abc.QName("", "graphics"));
    push();
    c.Op(kOpCallPropVoid, abc.QName("", "beginFill"), 1);
}

class AbcTagTest : public ReaderTest {
protected:
    std::uint32_t UnfollowedBlocks(std::uint16_t code) const
    {
        const auto it = m_movie.Account().scripts.find(code);
        return it == m_movie.Account().scripts.end() ? 0 : it->second.blocks;
    }
    std::vector<std::uint8_t> Bytes(std::uint32_t pos, std::size_t n) const
    {
        const auto b = m_movie.Buffer().subspan(pos, n);
        return {b.begin(), b.end()};
    }
};

TEST_F(AbcTagTest, EachStoredFormIsAScriptColourWhereItStands)
{
    for (const std::uint16_t code : {kDoAbc, kDoAbcDefine}) {
        SCOPED_TRACE(code);
        std::uint32_t byteAt = 0, shortAt = 0;
        const BuiltMovie built = AbcMovie(
            [&](CAbcBuilder& abc, CAbcCode& c) {
                Fill(abc, c, [&] { c.Op(kOpPushInt, abc.Int(0xFF0000)); });
                c.Op(kOpGetLocal1).Op(kOpPushUint, abc.Uint(0x00FF00));
                c.Op(kOpSetProperty, abc.QName("", "textColor"));
                Fill(abc, c, [&] { c.Op(kOpPushDouble, abc.Double(0x0000FF)); });
                Fill(abc, c, [&] {
                    byteAt = c.Size() + 1;
                    c.PushByte(0x22);
                });
                Fill(abc, c, [&] {
                    shortAt = c.Size() + 1;
                    c.PushShort(0x1234);
                });
            },
            code);
        ASSERT_TRUE(Load(built.bytes));
        const auto& l = built.layout;
        const auto at = [&](std::uint32_t offset) { return PositionList{built.abc + offset}; };
        EXPECT_EQ(PositionsOf(KIND_SCRIPT | 0x0000FF), at(l.ints[0]));
        EXPECT_EQ(PositionsOf(KIND_SCRIPT | 0x00FF00), at(l.uints[0]));
        EXPECT_EQ(PositionsOf(KIND_SCRIPT | 0xFF0000), at(l.doubles[0]));
        EXPECT_EQ(PositionsOf(KIND_SCRIPT | 0x220000), (PositionList{built.Code() + byteAt}));
        EXPECT_EQ(PositionsOf(KIND_SCRIPT | 0x341200), (PositionList{built.Code() + shortAt}));
        EXPECT_EQ(m_movie.EncodedPlaceAt(built.Int(0))->form, PlaceForm::AbcVarInt);
        EXPECT_EQ(m_movie.ScriptUsesOf(KIND_SCRIPT | 0x00FF00), UseBit(ScriptUse::TextColor));
        EXPECT_EQ(UnfollowedBlocks(code), 0u);
        // The uint entry (three bytes), the operands: small colours only.
        EXPECT_EQ(m_movie.Account().scriptsWithoutRoom, 3u);
        EXPECT_FALSE(m_movie.WriteColour(built.Code() + byteAt, 0x800000));
        EXPECT_TRUE(m_movie.WriteColour(built.Code() + byteAt, 0x7F0000));
        EXPECT_EQ(m_movie.ColourAt(built.Code() + byteAt), 0x7F0000u);
    }
}

TEST_F(AbcTagTest, AnEntryUsedTwiceAsAColourAndOnceAsANumberKeepsItsValue)
{
    const BuiltMovie built = AbcMovie([](CAbcBuilder& abc, CAbcCode& c) {
        const std::uint32_t shared = abc.Int(0xFF0000);
        Fill(abc, c, [&] { c.Op(kOpPushInt, shared); });
        c.Op(kOpGetLocal0).Op(kOpGetProperty, abc.QName("", "graphics")).PushByte(1).Op(kOpPushInt, shared);
        c.Op(kOpCallPropVoid, abc.QName("", "lineStyle"), 2);
        c.Op(kOpGetLocal0).Op(kOpPushInt, shared).Op(kOpCallPropVoid, abc.QName("", "gotoAndStop"), 1);
        // The same colour in an entry of its own, which only fills.
        Fill(abc, c, [&] { c.Op(kOpPushInt, abc.Int(0xFF0000, 4)); });
    });
    ASSERT_TRUE(Load(built.bytes));
    constexpr ColorKey kRed = KIND_SCRIPT | 0x0000FF;
    EXPECT_EQ(PositionsOf(kRed), (PositionList{built.Int(0), built.Int(1)}));
    EXPECT_TRUE(m_movie.EncodedPlaceAt(built.Int(0))->keepsValue);
    EXPECT_FALSE(m_movie.EncodedPlaceAt(built.Int(1))->keepsValue);
    EXPECT_EQ(m_movie.Account().scriptNumbers, 1u);
    EXPECT_EQ(m_movie.ScriptUsesOf(kRed), UseBit(ScriptUse::BeginFill) | UseBit(ScriptUse::LineStyle));

    const auto shared = Bytes(built.Int(0), 4);
    EXPECT_FALSE(m_movie.WriteColour(built.Int(0), 0x00FF00));
    EXPECT_EQ(Bytes(built.Int(0), 4), shared);
    EXPECT_TRUE(m_movie.WriteColour(built.Int(1), 0x00FF00));
    EXPECT_EQ(Bytes(built.Int(1), 4), (std::vector<std::uint8_t>{0x80, 0xFE, 0x83, 0x00})); // 0x00ff00
}

TEST_F(AbcTagTest, AColourWrittenIntoALongerEncodingIsReadBackByTheReader)
{
    // Blue in one byte, padded to three: room for 0x1fffff, not for more.
    const BuiltMovie built = AbcMovie(
        [](CAbcBuilder& abc, CAbcCode& c) { Fill(abc, c, [&] { c.Op(kOpPushInt, abc.Int(0x00002A, 3)); }); });
    ASSERT_TRUE(Load(built.bytes));
    const std::uint32_t entry = built.Int(0);
    EXPECT_EQ(Bytes(entry, 3), (std::vector<std::uint8_t>{0xAA, 0x80, 0x00}));
    EXPECT_EQ(m_movie.Account().scriptsWithoutRoom, 1u);
    ASSERT_TRUE(m_movie.WriteColour(entry, 0x34121F));  // 0x1f1234
    EXPECT_FALSE(m_movie.WriteColour(entry, 0x000020)); // 0x200000 needs four bytes
    const auto abc = m_movie.Buffer().subspan(built.abc, built.layout.bytes.size());
    const AbcFile file = ReadAbcFile(abc, built.abc);
    ASSERT_EQ(file.fault, AbcFault::None);
    EXPECT_EQ(file.pool.ints, (std::vector<AbcVarint>{{entry, 3, 0x1F1234}}));
    EXPECT_EQ(file.bodies[0].code.size(), built.layout.bytes.size() - built.layout.codes[0] - 2);
    // As loaded, byte for byte.
    ASSERT_TRUE(m_movie.WriteColour(entry, 0x2A0000));
    EXPECT_EQ(Bytes(entry, 3), (std::vector<std::uint8_t>{0xAA, 0x80, 0x00}));
}

TEST_F(AbcTagTest, BlocksItCannotFollowAreCounted)
{
    const struct {
        const char* name;
        Write write;
        std::size_t cut; // bytes taken off the end of the block
        std::size_t colours;
    } cases[] = {
        {"a colour read from a register",
            [](CAbcBuilder& abc, CAbcCode& c) { Fill(abc, c, [&] { c.Op(kOpGetLocal2); }); }, 0, 0},
        {"a method body cut short",
            [](CAbcBuilder& abc, CAbcCode& c) { Fill(abc, c, [&] { c.Op(kOpPushInt, abc.Int(0xFF0000)); }); }, 6, 0},
        {"an opcode no file has",
            [](CAbcBuilder& abc, CAbcCode& c) {
                Fill(abc, c, [&] { c.PushByte(0x11); });
                c.Op(0xFE);
            },
            0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CMovieBuilder movie(10);
        auto layout = [&] {
            CAbcBuilder abc;
            CAbcCode code;
            c.write(abc, code);
            code.Op(kOpReturnVoid);
            const std::uint32_t method = abc.Method();
            abc.Body(method, code, 16, 4);
            abc.Script(method);
            return abc.Build();
        }();
        layout.bytes.resize(layout.bytes.size() - c.cut);
        movie.AddTag(kDoAbc, DoAbcBody(layout.bytes));
        ASSERT_TRUE(Load(movie.Build()));
        EXPECT_EQ(m_movie.EncodedPlaces().size(), c.colours);
        EXPECT_EQ(UnfollowedBlocks(kDoAbc), 1u);
        EXPECT_NE(m_movie.Account().scripts.at(kDoAbc).calls & DrawingCallBit("beginFill"), 0u);
    }
}

TEST_F(AbcTagTest, TheClassicRuleCollectsNoneAndCountsTheBlock)
{
    const BuiltMovie built
        = AbcMovie([](CAbcBuilder& abc, CAbcCode& c) { Fill(abc, c, [&] { c.Op(kOpPushInt, abc.Int(0xFF0000)); }); });
    ASSERT_TRUE(Load(built.bytes, CollectionRule::Classic));
    EXPECT_TRUE(m_movie.EncodedPlaces().empty());
    EXPECT_EQ(UnfollowedBlocks(kDoAbc), 1u);
}

} // namespace
} // namespace tintor::test
