// Tints, filter colours and HTML text colours through the document: written
// at their places in their own forms, a tint without room kept and said,
// and everything put back by Undo.
#include "doc_fixture.h"

#include "swf/cxform_record.h"
#include "testkit/movie_builder.h"

namespace tintor::test {
namespace {

constexpr std::uint32_t kWhiteBg = KIND_BG | 0xFFFFFF;
constexpr std::uint32_t kRedTint = KIND_TINT | 0x0000FF;    // 9 bits, room for any colour
constexpr std::uint32_t kPurpleTint = KIND_TINT | 0x800040; // 8 bits, no room for white
constexpr std::uint32_t kGlow = KIND_FILTER | 0x332211;
constexpr std::uint32_t kGreenHtml = KIND_TEXT | 0x00FF00;

SwfCxform Tint(std::int16_t m, std::int16_t r, std::int16_t b)
{
    SwfCxform c;
    c.redMult = c.greenMult = c.blueMult = m;
    c.redAdd = r;
    c.blueAdd = b;
    return c;
}

class DocEffectsTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        CMovieBuilder b(10);
        const std::uint8_t white[] = {0xFF, 0xFF, 0xFF};
        m_bg = b.AddTag(9, white);
        m_red = AddTint(b, Tint(128, 128, 0), 9);
        m_purple = AddTint(b, Tint(100, 39, 78), 8);

        CBitWriter glow;
        glow.WriteByte(0x00);
        glow.WriteByte(0x01); // a filter list
        glow.WriteWord(1);
        glow.WriteByte(1);
        glow.WriteByte(2);
        const std::uint32_t colour = static_cast<std::uint32_t>(glow.Size());
        glow.WriteRgba(0x11, 0x22, 0x33, 0x80);
        glow.WriteBytes(std::vector<std::uint8_t>(11, 0));
        m_glow = b.AddTag(70, glow.Take()) + colour;

        CBitWriter text;
        text.WriteWord(2);
        text.WriteRect({0, 100, 0, 100});
        text.WriteByte(0x80); // has text
        text.WriteByte(0x02); // HTML
        text.WriteString("v");
        const std::uint32_t html = static_cast<std::uint32_t>(text.Size());
        text.WriteString(R"(<font color="#00FF00">x</font>)");
        m_html = b.AddTag(37, text.Take()) + html + 14;

        m_bytes = b.Build();
        ASSERT_TRUE(m_doc->OnOpenDocument(Write("effects.swf", m_bytes)));
    }

    std::uint32_t AddTint(CMovieBuilder& b, const SwfCxform& cx, int bits)
    {
        CBitWriter w;
        w.WriteByte(0x08);
        w.WriteWord(1);
        w.WriteCxform(cx, true, true, true, bits);
        return b.AddTag(26, w.Take()) + 3;
    }

    std::array<std::int32_t, 4> AddTerms(std::uint32_t pos) const
    {
        return ParseCxformRecord(m_doc->GetMovie().Buffer().subspan(pos), true)->add;
    }
    std::string Text(std::uint32_t pos, std::size_t n) const
    {
        const auto buffer = m_doc->GetMovie().Buffer();
        return {buffer.begin() + pos, buffer.begin() + pos + static_cast<std::ptrdiff_t>(n)};
    }

    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_bg = 0, m_red = 0, m_purple = 0, m_glow = 0, m_html = 0;
};

TEST_F(DocEffectsTest, EveryPlaceTakesTheColourInItsFormAndATintWithoutRoomIsKept)
{
    EXPECT_EQ(m_doc->GetColorTable().Map().Size(), 5u);
    for (const ColorKey key : {kWhiteBg, kRedTint, kPurpleTint, kGlow, kGreenHtml})
        EXPECT_EQ(m_doc->PlaceCount(key), 1u) << std::hex << key;
    SelectOnly(*m_doc, m_doc->GetColorTable().Map().Keys());
    m_doc->SetSelectedColor(0xFFFFFF);

    ASSERT_EQ(Buffer().size(), m_bytes.size());
    EXPECT_EQ(AddTerms(m_red), (std::array<std::int32_t, 4>{128, 128, 128, 0}));
    EXPECT_EQ(AddTerms(m_purple), (std::array<std::int32_t, 4>{39, 0, 78, 0}));
    EXPECT_EQ(Text(m_glow, 4), "\xFF\xFF\xFF\x80");
    EXPECT_EQ(Text(m_html, 6), "FFFFFF");
    EXPECT_EQ(m_doc->KeptColours(), (std::vector<KeptColour>{{kPurpleTint, 0xFFFFFF, 1}}));
    EXPECT_EQ(m_doc->KeptPlaceCount(), 1u);

    // Undo puts every byte back; a colour that fits clears the report.
    m_doc->OnEditUndo();
    EXPECT_EQ(Buffer(), m_bytes);
    EXPECT_TRUE(m_doc->KeptColours().empty());
    m_doc->SetSelectedColor(0x646464);
    EXPECT_EQ(AddTerms(m_purple), (std::array<std::int32_t, 4>{61, 61, 61, 0}));
    EXPECT_TRUE(m_doc->KeptColours().empty());
}

TEST_F(DocEffectsTest, ColourMapsNameTheLaterKinds)
{
    const std::vector<ColorMapLine> lines = {{1, KIND_TINT, 0x0000FF, 0x00FF00}, {2, KIND_FILTER, 0x332211, 0x000000}};
    EXPECT_TRUE(m_doc->ApplyColorMap(lines).empty());
    EXPECT_EQ(AddTerms(m_red), (std::array<std::int32_t, 4>{0, 128, 0, 0}));
    EXPECT_EQ(Text(m_glow, 4), std::string("\0\0\0\x80", 4));
    EXPECT_EQ(Text(m_html, 6), "00FF00");
}

TEST_F(DocEffectsTest, TheClassicRuleChangesOnlyWhatItAlwaysChanged)
{
    m_doc->SetCollectionRule(CollectionRule::Classic);
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("classic.swf", m_bytes)));
    EXPECT_EQ(m_doc->GetColorTable().Map().Keys(), std::vector<ColorKey>{kWhiteBg});
    SelectOnly(*m_doc, {kWhiteBg});
    m_doc->SetSelectedColor(0x000000);
    std::vector<std::uint8_t> expected = m_bytes;
    std::fill_n(expected.begin() + m_bg, 3, 0);
    EXPECT_EQ(Buffer(), expected);
    const ColourAccount& account = m_doc->GetMovie().Account();
    EXPECT_EQ(account.uncollectedTints, 2u);
    EXPECT_EQ(account.uncollectedFilterColours, 1u);
    EXPECT_EQ(account.uncollectedHtmlColours, 1u);
}

} // namespace
} // namespace tintor::test
