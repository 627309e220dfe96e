// Exact colours through the document: set the selection to one colour, a
// colour map, and the palette as it is exported.
#include "doc_fixture.h"

#include "colour/colour_script.h"
#include "core/file.h"
#include "testkit/movie_builder.h"

namespace tintor::test {
namespace {

constexpr std::uint16_t kSetBackgroundColor = 9;
constexpr std::uint32_t kRed = KIND_BG | 0x0000FF;
constexpr std::uint32_t kBlue = KIND_BG | 0xFF0000;
constexpr std::uint32_t kWhite = KIND_BG | 0xFFFFFF;
constexpr std::uint32_t kBrand = 0x563412; // #123456

// Backgrounds red, blue and white, with the position of each one's bytes.
class DocColourTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        CMovieBuilder builder;
        for (const std::uint32_t key : {kRed, kBlue, kWhite}) {
            const std::uint8_t rgb[] = {static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                static_cast<std::uint8_t>(key >> 16)};
            m_at.push_back(builder.AddTag(kSetBackgroundColor, rgb));
        }
        ASSERT_TRUE(m_doc->OnOpenDocument(Write("bg.swf", builder.Build())));
        m_views.m_calls.clear();
    }

    // The three bytes of the n-th background, red first.
    std::uint32_t Bytes(int n) const
    {
        const auto buffer = Buffer();
        const std::uint32_t p = m_at[static_cast<std::size_t>(n)];
        return static_cast<std::uint32_t>(buffer[p]) << 16 | buffer[p + 1] << 8 | buffer[p + 2];
    }

    std::vector<std::uint32_t> m_at;
};

TEST_F(DocColourTest, SetSelectedColorIsOneStepThatUndoTakesBack)
{
    SelectOnly(*m_doc, {kRed, kBlue});
    m_doc->Effect("V", 0); // pending, and superseded by the exact colour
    const int steps = m_doc->GetHistory().GetUndoCount();
    m_doc->SetSelectedColor(kBrand);

    EXPECT_EQ(Bytes(0), 0x123456u);
    EXPECT_EQ(Bytes(1), 0x123456u);
    EXPECT_EQ(Bytes(2), 0xFFFFFFu);
    EXPECT_EQ(m_doc->GetColor(kRed, 1), KIND_BG | kBrand);
    EXPECT_TRUE(m_doc->GetColorTable().ParametersAreDefault());
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), steps + 1);
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_views.m_calls, (std::vector<std::string>{"Stop", "Refresh", "SyncControls", "FillList"}));
    EXPECT_EQ(m_doc->FirstSelectedColor(), kBrand);

    m_doc->OnEditUndo();
    EXPECT_EQ(Bytes(0), 0xFF0000u);
    EXPECT_EQ(Bytes(1), 0x0000FFu);
    EXPECT_EQ(m_doc->GetColor(kRed, 0), kRed);
    m_doc->OnEditRedo();
    EXPECT_EQ(Bytes(1), 0x123456u);

    // Saved in a colour script like any other change.
    EXPECT_NE(
        WriteColorScript(m_doc->GetColorTable(), m_messages).find("@bg   #ff0000 -> #563412\n"), std::string::npos);
}

TEST_F(DocColourTest, FirstSelectedColorFollowsTheListAndShowsThePendingEffect)
{
    EXPECT_EQ(m_doc->FirstSelectedColor(), std::nullopt);
    EXPECT_FALSE(m_doc->OnUpdateNeedSelection());
    SelectOnly(*m_doc, {kWhite, kRed});
    EXPECT_TRUE(m_doc->OnUpdateNeedSelection());
    EXPECT_EQ(m_doc->FirstSelectedColor(), 0x0000FFu); // red lists before white
    m_doc->Effect("V", 0);
    EXPECT_EQ(m_doc->FirstSelectedColor(), 0u);
}

TEST_F(DocColourTest, ColorMapSwapsAndReportsWhatItDidNotFind)
{
    SelectOnly(*m_doc, {kWhite});
    const int steps = m_doc->GetHistory().GetUndoCount();
    const std::vector<ColorMapLine> lines = {
        {1, KIND_BG, 0x0000FF, 0xFF0000},   // red to blue
        {2, kKindMask, 0xFF0000, 0x0000FF}, // blue to red, as the movie had them
        {3, KIND_FILL, 0xFFFFFF, 0x000000}, // white is no fill here
        {4, kKindMask, 0x00FF00, 0x000000}, // nor is green anything
    };
    const auto unmatched = m_doc->ApplyColorMap(lines);
    EXPECT_EQ(unmatched, (std::vector<ColorMapLine>{lines[2], lines[3]}));
    EXPECT_EQ(Bytes(0), 0x0000FFu);
    EXPECT_EQ(Bytes(1), 0xFF0000u);
    EXPECT_EQ(Bytes(2), 0xFFFFFFu);
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), steps + 1);
    EXPECT_EQ(m_doc->FirstSelectedColor(), 0xFFFFFFu) << "the selection stays";
}

TEST_F(DocColourTest, PaletteListsEachShownColourOnceInListOrder)
{
    EXPECT_EQ(m_doc->PaletteColors(),
        (std::vector<PaletteColor>{{KIND_BG, 0xFF0000}, {KIND_BG, 0x0000FF}, {KIND_BG, 0xFFFFFF}}));
    SelectOnly(*m_doc, {kRed, kBlue});
    m_doc->SetSelectedColor(0xFFFFFF);
    EXPECT_EQ(m_doc->PaletteColors(), (std::vector<PaletteColor>{{KIND_BG, 0xFFFFFF}}));
}

TEST_F(DocColourTest, ExportPaletteWritesTheFormatTheFileNames)
{
    const struct {
        const char* name;
        std::optional<std::filesystem::path> answer;
        bool written;
        std::string_view starts;
    } rows[] = {
        {"cancelled", std::nullopt, false, ""},
        {"ase", m_dir / "p.ASE", true, "ASEF"},
        {"css", m_dir / "p.css", true, "/*"},
        {"unknown extension", m_dir / "p.txt", true, "GIMP Palette\nName: bg\n"},
        {"unwritable", m_dir / "none" / "p.gpl", false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_dialogs.m_save = row.answer;
        EXPECT_EQ(m_doc->ExportPalette(), row.written);
        if (row.written) {
            const auto bytes = ReadWholeFile(*row.answer);
            ASSERT_TRUE(bytes);
            EXPECT_EQ(std::string(bytes->begin(), bytes->end()).substr(0, row.starts.size()), row.starts);
        }
    }
    EXPECT_TRUE(HasMessage("ExportPalette: can't write"));
    EXPECT_FALSE(m_doc->IsModified());
}

} // namespace
} // namespace tintor::test
