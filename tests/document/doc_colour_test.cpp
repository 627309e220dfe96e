// Exact colours through the document: the selection set to one colour, a
// colour map, and the palette as it is exported.
#include "doc_fixture.h"

#include "colour/colour_script.h"
#include "core/file.h"
#include "testkit/movie_builder.h"

#include <algorithm>

namespace tintor::test {
namespace {

constexpr std::uint32_t kRed = KIND_BG | 0x0000FF;
constexpr std::uint32_t kBlue = KIND_BG | 0xFF0000;
constexpr std::uint32_t kWhite = KIND_BG | 0xFFFFFF;

// Backgrounds red, blue and white.
class DocColourTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        CMovieBuilder builder;
        for (const std::uint32_t key : {kRed, kBlue, kWhite})
            m_at.push_back(builder.AddTag(
                9, std::vector<std::uint8_t>{std::uint8_t(key), std::uint8_t(key >> 8), std::uint8_t(key >> 16)}));
        ASSERT_TRUE(m_doc->OnOpenDocument(Write("bg.swf", builder.Build())));
        m_views.m_calls.clear();
    }

    // The movie's bytes of the n-th background, red first.
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
    SelectOnly(*m_doc, {kWhite, kRed});
    EXPECT_EQ(m_doc->FirstSelectedColor(), 0x0000FFu); // red lists before white
    m_doc->Effect("V", 0);                             // pending, and superseded by the exact colour
    const int steps = m_doc->GetHistory().GetUndoCount();
    m_doc->SetSelectedColor(0x563412);

    EXPECT_EQ(std::vector<std::uint32_t>({Bytes(0), Bytes(1), Bytes(2)}),
        std::vector<std::uint32_t>({0x123456, 0x0000FF, 0x123456}));
    EXPECT_EQ(m_doc->FirstSelectedColor(), 0x563412u);
    EXPECT_TRUE(m_doc->GetColorTable().ParametersAreDefault());
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), steps + 1);
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_views.m_calls, (std::vector<std::string>{"Stop", "Refresh", "SyncControls", "FillList"}));
    // Saved in a colour script like any other change.
    EXPECT_NE(
        WriteColorScript(m_doc->GetColorTable(), m_messages).find("@bg   #0000ff -> #563412\n"), std::string::npos);

    m_doc->OnEditUndo();
    EXPECT_EQ(Bytes(0), 0xFF0000u);
    EXPECT_EQ(m_doc->GetColor(kRed, 0), kRed);
    m_doc->OnEditRedo();
    EXPECT_EQ(Bytes(0), 0x123456u);
}

TEST_F(DocColourTest, ColorMapSwapsAndHandsBackWhatItDidNotFind)
{
    const std::vector<ColorMapLine> lines = {
        {1, KIND_BG, 0x0000FF, 0xFF0000},   // red to blue
        {2, kKindMask, 0xFF0000, 0x0000FF}, // blue to red: matched as the movie had them
        {3, KIND_FILL, 0xFFFFFF, 0x000000}, // white is no fill here
    };
    const int steps = m_doc->GetHistory().GetUndoCount();
    EXPECT_EQ(m_doc->ApplyColorMap(lines), std::vector<ColorMapLine>{lines[2]});
    EXPECT_EQ(std::vector<std::uint32_t>({Bytes(0), Bytes(1), Bytes(2)}),
        std::vector<std::uint32_t>({0x0000FF, 0xFF0000, 0xFFFFFF}));
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), steps + 1);
}

TEST_F(DocColourTest, PaletteIsTheListAsShownEachColourOnce)
{
    EXPECT_EQ(m_doc->PaletteColors(),
        (std::vector<PaletteColor>{{KIND_BG, 0xFF0000}, {KIND_BG, 0x0000FF}, {KIND_BG, 0xFFFFFF}}));
    SelectOnly(*m_doc, {kRed, kBlue});
    m_doc->SetSelectedColor(0xFFFFFF);
    EXPECT_EQ(m_doc->PaletteColors(), (std::vector<PaletteColor>{{KIND_BG, 0xFFFFFF}}));

    // Written in the format the file's extension names, a GIMP palette for any other.
    for (const auto& [name, starts] : {std::pair{"p.ASE", "ASEF"}, std::pair{"p.txt", "GIMP Palette\nName: bg\n"}}) {
        m_dialogs.m_save = m_dir / name;
        EXPECT_TRUE(m_doc->ExportPalette());
        const auto bytes = ReadWholeFile(m_dir / name);
        EXPECT_TRUE(bytes && std::string(bytes->begin(), bytes->end()).rfind(starts, 0) == 0) << name;
    }
    m_dialogs.m_save = m_dir / "none" / "p.gpl";
    EXPECT_FALSE(m_doc->ExportPalette());
    EXPECT_TRUE(HasMessage("ExportPalette: can't write"));
}

TEST_F(DocColourTest, PassingLooksAreWrittenFromACopy)
{
    SelectOnly(*m_doc, {kRed});
    m_doc->SetSelectedColor(0x563412);
    const auto movie = Buffer();
    const auto keys = m_doc->GetColorTable().Map().DenseKeys();
    const std::size_t blue = static_cast<std::size_t>(std::find(keys.begin(), keys.end(), kBlue) - keys.begin());
    ASSERT_LT(blue, keys.size());
    // Each place of an image as Bytes reads the movie's, red first.
    const auto bytes = [&](const CMovieImage& image) {
        std::vector<std::uint32_t> out;
        for (const std::uint32_t p : m_at)
            out.push_back(
                static_cast<std::uint32_t>(image.buffer[p]) << 16 | image.buffer[p + 1] << 8 | image.buffer[p + 2]);
        return out;
    };
    const auto swapped = [](std::uint32_t rgb) { return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16; };
    const struct {
        const char* name;
        CMovieImage image;
        std::vector<std::uint32_t> places;
    } looks[] = {
        {"blue picked out, the red now #123456 and white dimmed", m_doc->SignalImage(blue),
            {swapped(CTintorDoc::Dimmed(0x563412)), 0xFF00FF, swapped(CTintorDoc::Dimmed(0xFFFFFF))}},
        {"as opened", m_doc->OriginalImage(), {0xFF0000, 0x0000FF, 0xFFFFFF}},
    };
    for (const auto& look : looks) {
        ASSERT_EQ(look.image.buffer.size(), movie.size()) << look.name;
        EXPECT_EQ(bytes(look.image), look.places) << look.name;
    }
    EXPECT_TRUE(m_doc->SignalImage(keys.size()).buffer.empty());
    EXPECT_NE(CTintorDoc::Dimmed(0x000000), 0u);
    // The movie itself is untouched.
    EXPECT_EQ(Buffer(), movie);
    EXPECT_EQ(Bytes(0), 0x123456u);
}

} // namespace
} // namespace tintor::test
