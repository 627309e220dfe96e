// Locks and the selection tools that take many colours at once: Select All,
// similar colours and hues pass locked colours by; a palette file maps the
// selection in one step or is refused saying where it is broken.
#include "doc_fixture.h"

#include "testkit/movie_builder.h"

#include <fstream>

namespace tintor::test {
namespace {

constexpr std::uint32_t kRed = KIND_BG | 0x0000FF;
constexpr std::uint32_t kDarkRed = KIND_BG | 0x1818DC; // ΔE 6.8 from red
constexpr std::uint32_t kOrange = KIND_BG | 0x0080FF;  // hue 58
constexpr std::uint32_t kBlue = KIND_BG | 0xFF0000;    // hue 264
constexpr std::uint32_t kGrey = KIND_BG | 0x808080;

class DocToolsTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        CMovieBuilder builder;
        for (const std::uint32_t key : {kRed, kDarkRed, kOrange, kBlue, kGrey}) {
            const std::uint8_t rgb[] = {static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                static_cast<std::uint8_t>(key >> 16)};
            builder.AddTag(9, rgb);
        }
        ASSERT_TRUE(m_doc->OnOpenDocument(Write("tools.swf", builder.Build())));
    }

    // As the list shows them: locked colours selected by a click included.
    std::set<ColorKey> Selected() const
    {
        std::set<ColorKey> keys;
        for (std::size_t i = 0; i < m_doc->GetColorTable().Map().Size(); ++i)
            if (m_doc->IsShownSelected(i))
                keys.insert(m_doc->KeyAt(i));
        return keys;
    }
};

TEST_F(DocToolsTest, BulkSelectionsPassLockedColoursBy)
{
    const std::vector<std::uint32_t> everyRow = CTintorDoc::ListOrder(m_doc->GetColorTable());
    const struct {
        const char* name;
        std::vector<ColorKey> selectedBefore;
        std::function<void()> tool;
        std::set<ColorKey> expected;
    } rows[] = {
        {"select all", {}, [&] { m_doc->SelectAllUnlocked(everyRow); }, {kOrange, kBlue, kGrey}},
        {"similar to red", {}, [&] { m_doc->SelectSimilar(0x0000FF, 8); }, {}},
        {"similar to red, wider", {}, [&] { m_doc->SelectSimilar(0x0000FF, 20); }, {kOrange}},
        {"hues wrapping through 0", {},
            [&] {
                m_doc->SelectHues({350, 60});
            },
            {kOrange}},
        {"hues of blue, greys never", {},
            [&] {
                m_doc->SelectHues({0, 300});
            },
            {kOrange, kBlue}},
        // A locked colour selected by a click stays so: the tools only add.
        {"a clicked locked colour stays", {kRed}, [&] { m_doc->SelectAllUnlocked(everyRow); },
            {kRed, kOrange, kBlue, kGrey}},
    };
    m_doc->SetLocked(kRed, true);
    m_doc->SetLocked(kDarkRed, true);
    for (const auto& row : rows) {
        SelectOnly(*m_doc, row.selectedBefore);
        row.tool();
        EXPECT_EQ(Selected(), row.expected) << row.name;
    }
    m_doc->SetLocked(kDarkRed, false);
    SelectOnly(*m_doc, {});
    m_doc->SelectSimilar(0x0000FF, 8);
    EXPECT_EQ(Selected(), (std::set<ColorKey>{kDarkRed})) << "unlocked again";
    EXPECT_EQ(m_doc->LockedCount(), 1u);
    // Locks go with the movie.
    ASSERT_TRUE(m_doc->OnOpenDocument(m_dir / "tools.swf"));
    EXPECT_FALSE(m_doc->IsLocked(kRed));
}

TEST_F(DocToolsTest, PaletteFileMapsInOneStepOrIsRefusedByLine)
{
    const auto write = [&](const char* name, const char* text) {
        std::ofstream(m_dir / name) << text;
        return m_dir / name;
    };
    const auto good = write("good.gpl", "GIMP Palette\nName: two\n# a comment\n0 0 0 black\n255 255 255 white\n");
    const auto broken = write("broken.gpl", "GIMP Palette\n0 0 0\n12 oops 3\n");
    const auto empty = write("empty.gpl", "GIMP Palette\n");
    const struct {
        const char* name;
        std::optional<std::filesystem::path> answer;
        std::optional<std::size_t> changed;
        const char* message;
    } rows[] = {
        {"cancelled", std::nullopt, std::nullopt, nullptr},
        {"unreadable line", broken, std::nullopt, "line 3"},
        {"no colours", empty, std::nullopt, "no RGB colours"},
        {"missing file", m_dir / "none.gpl", std::nullopt, "none.gpl"},
        {"two colours mapped", good, 2u, nullptr},
    };
    SelectOnly(*m_doc, {kRed, kGrey});
    for (const auto& row : rows) {
        m_messages.Clear();
        m_dialogs.m_open = row.answer;
        const int before = m_doc->GetHistory().GetUndoCount();
        EXPECT_EQ(m_doc->MapSelectedToPaletteFile(PaletteMatch::Nearest), row.changed) << row.name;
        EXPECT_EQ(m_doc->GetHistory().GetUndoCount() - before, row.changed ? 1 : 0) << row.name;
        if (row.message)
            EXPECT_TRUE(HasMessage(row.message)) << row.name;
        else
            EXPECT_TRUE(m_messages.Messages().empty()) << row.name;
    }
    // Both lie nearer white than black in OKLab.
    EXPECT_EQ(RgbOf(m_doc->GetColor(kRed, 1)), 0xFFFFFFu);
    EXPECT_EQ(RgbOf(m_doc->GetColor(kGrey, 1)), 0xFFFFFFu);
    EXPECT_EQ(RgbOf(m_doc->GetColor(kBlue, 1)), RgbOf(kBlue));
}

TEST_F(DocToolsTest, APixelOfASimulatedPreviewIsMatchedAsSeen)
{
    const struct {
        VisionSimulation vision;
        ColorKey colour;
    } rows[] = {
        {VisionSimulation::Greyscale, kBlue},
        {VisionSimulation::Greyscale, kOrange},
        {VisionSimulation::Protanopia, kDarkRed},
        {VisionSimulation::Tritanopia, kBlue},
    };
    for (const auto& row : rows) {
        const std::uint32_t pixel = SimulateVision(row.vision, RgbOf(row.colour));
        EXPECT_EQ(m_doc->NearestColor(pixel, row.vision), row.colour) << static_cast<int>(row.vision);
    }
    // Taken as it is, blue's grey is near no colour of the movie.
    EXPECT_EQ(m_doc->NearestColor(SimulateVision(VisionSimulation::Greyscale, RgbOf(kBlue))), std::nullopt);
}

} // namespace
} // namespace tintor::test
